// expandFileName on arbitrary written names, with an environment of two variables (one whose value
// holds "%") and a formatter that replaces a few pictures the way the locale's formatters do (or
// fails). Checked: a name without "%" stays; a name with no pattern is the plain expansion; a name
// with one differs from the plain expansion by exactly the two "%" and the pattern; no character
// that a file name may not hold comes from a pattern.
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

class FuzzSystem : public FileNameSystem {
public:
    explicit FuzzSystem(bool works) : works_(works) {}
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
    bool environmentVariableSet(const Text& name) override { return name == L"A" || name == L"P"; }
    Text expandEnvironment(const Text& text) override {
        Text out;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t open = text.find(L'%', at);
            const std::size_t close = open == Text::npos ? Text::npos : text.find(L'%', open + 1);
            if (close == Text::npos) break;
            out += text.substr(at, open - at);
            const Text name = text.substr(open + 1, close - open - 1);
            if (environmentVariableSet(name)) {
                out += name == L"A" ? L"a" : L"5%x";
                at = close + 1;
            } else {
                out += text.substr(open, close - open);
                at = close;
            }
        }
        return out + text.substr(at);
    }

private:
    bool works_;
};

std::size_t percents(const Text& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), L'%')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    LocalTime time;
    time.year = 2000 + data[0];
    time.day = 1 + data[1] % 31;
    time.hour = data[1] % 24;
    time.minute = data[2] % 60;
    time.milliseconds = data[2] * 3 % 1000;
    FuzzSystem system((data[0] & 1) != 0);
    const Text written = fuzzText(data + 3, size - 3);

    const Text expanded = expandFileName(written, time, system);
    const Text plain = system.expandEnvironment(written);
    const DatePatternPlace place = findDatePattern(written, system);
    if (written.find(L'%') == Text::npos && expanded != written) std::abort();
    if (!place.found()) {
        if (expanded != plain) std::abort();
        return 0;
    }
    // The plain expansion keeps the pattern with its "%": the result lost those two, and the
    // pattern became its formatted form or nothing, without a forbidden character.
    const Text pattern = written.substr(place.open + 1, place.close - place.open - 1);
    if (pattern.find(L'%') != Text::npos) std::abort();
    const Text before = system.expandEnvironment(written.substr(0, place.open));
    const Text after = system.expandEnvironment(written.substr(place.close + 1));
    if (plain != before + L"%" + pattern + L"%" + after) std::abort();
    if (expanded.size() < before.size() + after.size() || expanded.compare(0, before.size(), before) != 0 ||
        expanded.compare(expanded.size() - after.size(), after.size(), after) != 0) {
        std::abort();
    }
    const Text middle = expanded.substr(before.size(), expanded.size() - before.size() - after.size());
    if (holdsForbiddenNameCharacter(middle) || percents(middle) != 0) std::abort();
    return 0;
}
