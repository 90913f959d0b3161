#include "controls/link_colours.h"

#include <climits>

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f'; }

// Signed decimal as the C runtime reads it: blanks, a sign, digits; no digits gives 0; values out of
// range stop at the limits of int.
int decimalOf(const Text& text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

bool parseColourValue(const Text& value, std::uint32_t& colour) {
    int parts[3] = {};
    size_t start = 0;
    for (int part = 0; part < 2; ++part) {
        const size_t comma = value.find(L',', start);
        if (comma == Text::npos) return false;
        parts[part] = decimalOf(value.substr(start, comma - start));
        if (parts[part] == -1) return false;
        start = comma + 1;
    }
    if (start >= value.size()) return false;
    parts[2] = decimalOf(value.substr(start));
    colour = rgbColour(static_cast<unsigned>(parts[0]), static_cast<unsigned>(parts[1]),
                       static_cast<unsigned>(parts[2]));
    return true;
}

bool linkColourFromRegistryData(bool isText, const std::uint8_t* data, std::size_t size, std::uint32_t& colour) {
    if (!isText || size > kMaxColourValueBytes) return false;
    if (size != 0 && (size % 2 != 0 || data[size - 2] != 0 || data[size - 1] != 0)) return false;
    Text value;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        value += unit;
    }
    return parseColourValue(value, colour);
}
