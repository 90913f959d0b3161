// splitVmParameters and unquoteOption on arbitrary settings text: the parameters lie in the text in
// order with only spaces between them; unquoting only removes quote characters; and parameters
// written each in quotes come back as they were, spaces and all.
#include <cstdlib>

#include "fuzz_text.h"
#include "jvm/vm_parameters.h"

namespace {

Text withoutQuotes(const Text& text) {
    Text out;
    for (wchar_t c : text) {
        if (c != L'"') out += c;
    }
    return out;
}

void checkSplit(const Text& text) {
    const TextList parameters = splitVmParameters(text);
    std::size_t at = 0;
    for (const Text& parameter : parameters) {
        if (parameter.empty() || parameter.front() == L' ') std::abort();
        while (at < text.size() && text[at] == L' ') ++at;
        if (text.compare(at, parameter.size(), parameter) != 0) std::abort();
        at += parameter.size();
        // A parameter ends at a space or at the end of the text, never inside a word.
        if (at < text.size() && text[at] != L' ') std::abort();
    }
    while (at < text.size() && text[at] == L' ') ++at;
    if (at != text.size()) std::abort();

    for (const Text& parameter : parameters) {
        const Text unquoted = unquoteOption(parameter);
        if (withoutQuotes(unquoted) != withoutQuotes(parameter)) std::abort();
        if (parameter.find(L'"') == Text::npos && unquoted != parameter) std::abort();
    }
}

// The input cut at NUL-free "\n" into values without quotes; each is written as "value" with runs
// of spaces between, then split and unquoted again.
void checkQuotedRoundTrip(const Text& text) {
    TextList values;
    Text current;
    for (wchar_t c : text) {
        if (c == L'\n') {
            values.push_back(current);
            current.clear();
        } else if (c != L'"') {
            current += c;
        }
    }
    values.push_back(current);
    Text setting = L"  ";
    for (const Text& value : values) setting += L"\"" + value + L"\"   ";
    const TextList parameters = splitVmParameters(setting);
    if (parameters.size() != values.size()) std::abort();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (unquoteOption(parameters[i]) != values[i]) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const Text text = fuzzText(data + 1, size - 1);
    if (data[0] & 1) {
        checkQuotedRoundTrip(text);
    } else {
        checkSplit(text);
    }
    return 0;
}
