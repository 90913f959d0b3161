// expandDateTimePattern on arbitrary file names, with a formatter that replaces a few pictures the
// way the locale's formatters do (or fails). The result is always: the text before the first "%",
// the pattern as the formatter turned it, the text after the last "%"; a name without "%" stays.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "fuzz_text.h"
#include "jvm/date_time_pattern.h"

namespace {

Text replaceAll(Text text, const Text& picture, const Text& value) {
    for (std::size_t at = text.find(picture); at != Text::npos; at = text.find(picture, at + value.size())) {
        text.replace(at, picture.size(), value);
    }
    return text;
}

class PictureFormatter : public DateTimeFormatter {
public:
    explicit PictureFormatter(bool works) : works_(works) {}
    bool formatTime(const Text& picture, const LocalTime& time, Text& out) override {
        if (!works_) return false;
        out = replaceAll(replaceAll(picture, L"HH", std::to_wstring(time.hour)), L"mm", std::to_wstring(time.minute));
        return true;
    }
    bool formatDate(const Text& picture, const LocalTime& time, Text& out) override {
        if (!works_) return false;
        out = replaceAll(replaceAll(picture, L"yyyy", std::to_wstring(time.year)), L"dd", std::to_wstring(time.day));
        return true;
    }

private:
    bool works_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    LocalTime time;
    time.year = 2000 + data[0];
    time.day = 1 + data[1] % 31;
    time.hour = data[1] % 24;
    time.minute = data[2] % 60;
    time.milliseconds = data[2] * 3 % 1000;
    PictureFormatter formatter((data[0] & 1) != 0);
    const Text name = fuzzText(data + 3, size - 3);

    Text expanded = name;
    expandDateTimePattern(expanded, time, formatter);
    const std::size_t first = name.find(L'%');
    if (first == Text::npos) {
        if (expanded != name) std::abort();
        return 0;
    }
    const std::size_t last = name.rfind(L'%');
    Text pattern = first == last ? Text() : name.substr(first + 1, last - first - 1);
    if (!pattern.empty()) {
        pattern = replaceAll(pattern, L"L", std::to_wstring(time.milliseconds));
        Text formatted;
        if (formatter.formatTime(pattern, time, formatted)) pattern = formatted;
        formatted.clear();
        if (!pattern.empty() && formatter.formatDate(pattern, time, formatted)) pattern = formatted;
    }
    if (expanded != name.substr(0, first) + pattern + name.substr(last + 1)) std::abort();
    // Exactly the "%" that framed the pattern are gone; any inside it stay.
    const std::size_t percents = static_cast<std::size_t>(std::count(name.begin(), name.end(), L'%'));
    const std::size_t left = static_cast<std::size_t>(std::count(expanded.begin(), expanded.end(), L'%'));
    if (left != percents - (first == last ? 1 : 2)) std::abort();
    return 0;
}
