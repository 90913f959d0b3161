#include "support/format.h"

#include <algorithm>
#include <vector>

namespace {

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
};

Text digitsOf(std::uint64_t value, unsigned base, bool upper) {
    const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    Text out;
    do {
        out.insert(out.begin(), digits[value % base]);
        value /= base;
    } while (value != 0);
    return out;
}

Text formatNumber(const Spec& spec, wchar_t conversion, std::int32_t value) {
    Text sign;
    Text digits;
    if (conversion == L'd' || conversion == L'i') {
        const std::int64_t wide = value;
        if (wide < 0) sign = L"-";
        else if (spec.plus) sign = L"+";
        else if (spec.space) sign = L" ";
        digits = digitsOf(static_cast<std::uint64_t>(wide < 0 ? -wide : wide), 10, false);
    } else {
        const std::uint32_t bits = static_cast<std::uint32_t>(value);
        const bool hex = conversion == L'x' || conversion == L'X';
        digits = digitsOf(bits, hex ? 16 : 10, conversion == L'X');
        if (hex && spec.alternate && bits != 0) sign = conversion == L'X' ? L"0X" : L"0x";
    }
    if (spec.precision >= 0) {
        if (spec.precision == 0 && value == 0) digits.clear();
        while (static_cast<int>(digits.size()) < spec.precision) digits.insert(digits.begin(), L'0');
    }
    const int length = static_cast<int>(sign.size() + digits.size());
    if (spec.width > length && !spec.left) {
        const Text fill(static_cast<size_t>(spec.width - length), L' ');
        if (spec.zero && spec.precision < 0) return sign + Text(fill.size(), L'0') + digits;
        return fill + sign + digits;
    }
    Text out = sign + digits;
    if (spec.width > length) out.append(static_cast<size_t>(spec.width - length), L' ');
    return out;
}

Text pad(const Spec& spec, Text body) {
    if (spec.width <= static_cast<int>(body.size())) return body;
    const Text fill(static_cast<size_t>(spec.width) - body.size(), L' ');
    return spec.left ? body + fill : fill + body;
}

constexpr int kMaxWidth = 100000;

int readNumber(const Text& format, size_t& i) {
    int value = 0;
    while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') {
        // Widths beyond any sensible message are capped rather than allowed to overflow.
        value = value >= kMaxWidth ? kMaxWidth : std::min(kMaxWidth, value * 10 + (format[i] - L'0'));
        ++i;
    }
    return value;
}

}  // namespace

Text formatText(const Text& format, std::initializer_list<FormatArg> args) {
    const std::vector<FormatArg> values(args);
    size_t next = 0;
    Text out;
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != L'%') {
            out += format[i++];
            continue;
        }
        const size_t start = i++;
        Spec spec;
        for (; i < format.size(); ++i) {
            const wchar_t c = format[i];
            if (c == L'-') spec.left = true;
            else if (c == L'+') spec.plus = true;
            else if (c == L' ') spec.space = true;
            else if (c == L'0') spec.zero = true;
            else if (c == L'#') spec.alternate = true;
            else break;
        }
        spec.width = readNumber(format, i);
        if (i < format.size() && format[i] == L'.') {
            ++i;
            spec.precision = readNumber(format, i);
        }
        // Length modifiers change nothing here: every text is wide and every number 32 bits.
        while (i < format.size() && (format[i] == L'l' || format[i] == L'h' || format[i] == L'w')) ++i;
        if (i >= format.size()) {
            out.append(format, start, Text::npos);
            break;
        }
        const wchar_t conversion = format[i++];
        if (conversion == L'%') {
            out += L'%';
            continue;
        }
        const bool wantsText = conversion == L's' || conversion == L'S';
        const bool wantsNumber = conversion == L'd' || conversion == L'i' || conversion == L'u' ||
                                 conversion == L'x' || conversion == L'X' || conversion == L'c';
        if ((!wantsText && !wantsNumber) || next >= values.size() ||
            values[next].isNumber() != wantsNumber) {
            out.append(format, start, i - start);
            continue;
        }
        const FormatArg& arg = values[next++];
        if (wantsText) {
            Text body = arg.text();
            if (spec.precision >= 0 && static_cast<size_t>(spec.precision) < body.size()) body.resize(spec.precision);
            out += pad(spec, body);
        } else if (conversion == L'c') {
            out += pad(spec, Text(1, static_cast<wchar_t>(arg.number() & 0xFFFF)));
        } else {
            out += formatNumber(spec, conversion, arg.number());
        }
    }
    return out;
}
