// Text and path operations whose exact behaviour the rest of the launcher relies on.
// Text is UTF-16 on Windows (std::wstring); the host build uses the same code with 32-bit wchar_t.
#pragma once

#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

using Text = std::wstring;
using TextList = std::vector<Text>;

// ASCII letters compare equal in either case; every other unit compares by value.
bool equalsNoCase(const Text& a, const Text& b);

// Removes white space (space, tab, LF, VT, FF, CR) from both ends.
Text trimText(const Text& text);

Text replaceChar(Text text, wchar_t from, wchar_t to);

// Splits at every occurrence of `separator` (which may be longer than one unit). An empty text gives
// no items, and a trailing separator adds no empty item: "a;" gives one item, ";a" gives two.
TextList splitText(const Text& text, const Text& separator);

// Command-line splitting: only spaces separate, a double quote groups only at the start of an
// argument, there is no escape character. Appends to `out`.
void splitArguments(const Text& text, TextList& out);

// `text` must not be empty.
Text ensureTrailingBackslash(const Text& text);

// The path up to and including its last backslash; unchanged if it has none.
Text folderOf(const Text& path);

// Replaces everything after the last "." of the whole path. False (and `path` unchanged) without a dot.
bool replaceExtension(Text& path, const Text& extension);

// Removes the last `count` backslash-separated components; stops early when no backslash is left.
Text stripPathComponents(Text path, int count);

// Widens plain ASCII literals; each byte becomes one unit.
Text widenAscii(const char* ascii);

// The decimal digits of an integer, with "-" when negative. Written here rather than through the C
// library's formatting, which would add about 25 KB to the launcher.
template <typename Integer>
Text decimalText(Integer value) {
    unsigned long long magnitude = static_cast<unsigned long long>(value);
    bool negative = false;
    if constexpr (std::is_signed_v<Integer>) {
        negative = value < 0;
        if (negative) magnitude = 0ull - magnitude;
    }
    wchar_t digits[24];
    size_t at = std::size(digits);
    do {
        digits[--at] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) digits[--at] = L'-';
    return Text(digits + at, digits + std::size(digits));
}
