// formatText with a format and arguments from the input (message formats come from packaged string
// tables). Arbitrary formats: the output is bounded and text outside conversions passes through.
// Well-formed conversions built from the input: the output agrees with the C library's printf.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_text.h"
#include "support/format.h"

namespace {

// A width or precision beyond this is capped by the formatter; what one conversion can add.
constexpr std::size_t kConversionBound = 100000 + 32;

std::int32_t number32(const std::uint8_t* data) {
    return static_cast<std::int32_t>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
}

void arbitraryFormat(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return;
    const std::int32_t a = number32(data);
    const std::int32_t b = number32(data + 4);
    const Text all = fuzzText(data + 8, size - 8);
    const std::size_t cut = all.find(L'\n');
    const Text format = cut == Text::npos ? all : all.substr(0, cut);
    const Text argument = cut == Text::npos ? Text() : all.substr(cut + 1);

    const Text out = formatText(format, {argument, a, argument, b});
    std::size_t conversions = 0;
    for (wchar_t c : format) conversions += c == L'%';
    if (out.size() > format.size() + conversions * (kConversionBound + argument.size())) std::abort();
    if (conversions == 0 && out != format) std::abort();
    // Every "%" doubled: the text comes back as it was, whatever the arguments.
    Text escaped;
    for (wchar_t c : format) escaped += c == L'%' ? Text(L"%%") : Text(1, c);
    if (formatText(escaped, {argument, a}) != format) std::abort();
}

// One conversion with flags, width and precision, checked against snprintf for the same spec.
void wellFormed(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return;
    static const char kConversions[] = {'d', 'i', 'u', 'x', 'X', 's', 'c'};
    const char conversion = kConversions[data[0] % sizeof kConversions];
    const bool isText = conversion == 's' || conversion == 'c';
    std::string spec = "%";
    // The C library leaves "0" with texts and "#" with decimals undefined; those are not compared.
    if (data[1] & 1) spec += '-';
    if (data[1] & 2) spec += '+';
    if (data[1] & 4) spec += ' ';
    if ((data[1] & 8) && !isText) spec += '0';
    if ((data[1] & 16) && (conversion == 'x' || conversion == 'X')) spec += '#';
    if (data[1] & 32) spec += std::to_string(data[2] % 40);
    if ((data[1] & 64) && conversion != 'c') spec += "." + std::to_string(data[3] % 40);
    spec += conversion;

    std::int32_t number = number32(data + 4);
    std::string text;
    for (std::size_t i = 8; i < size && text.size() < 64; ++i) {
        text += static_cast<char>(0x20 + data[i] % 0x5F);  // printable ASCII
    }
    if (conversion == 'c') number = 0x20 + static_cast<std::uint32_t>(number) % 0x5F;

    char expected[512];
    if (conversion == 's') {
        std::snprintf(expected, sizeof expected, spec.c_str(), text.c_str());
    } else {
        std::snprintf(expected, sizeof expected, spec.c_str(), number);
    }
    const Text format(spec.begin(), spec.end());
    const Text wideText(text.begin(), text.end());
    const Text out = conversion == 's' ? formatText(format, {wideText}) : formatText(format, {number});
    if (out != Text(expected, expected + std::string(expected).size())) std::abort();
    // An argument of the other kind is not read: the conversion stands as written.
    const Text mismatched = conversion == 's' ? formatText(format, {number}) : formatText(format, {wideText});
    if (mismatched != format) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1) {
        wellFormed(data + 1, size - 1);
    } else {
        arbitraryFormat(data + 1, size - 1);
    }
    return 0;
}
