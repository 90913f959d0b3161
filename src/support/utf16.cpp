#include "support/utf16.h"

namespace {

void appendUnit(Bytes& out, std::uint32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

}  // namespace

Bytes toUtf16Le(const Text& text) {
    Bytes out;
    out.reserve(text.size() * 2);
    for (const wchar_t unit : text) {
        const auto value = static_cast<std::uint32_t>(unit);
        if (sizeof(wchar_t) > 2 && value > 0xFFFF && value <= 0x10FFFF) {
            const std::uint32_t offset = value - 0x10000;
            appendUnit(out, 0xD800 + (offset >> 10));
            appendUnit(out, 0xDC00 + (offset & 0x3FF));
        } else {
            appendUnit(out, value);
        }
    }
    return out;
}

Text fromUtf16Le(const std::uint8_t* data, std::size_t size) {
    Text text;
    text.reserve(size / 2);
    for (std::size_t at = 0; at + 1 < size; at += 2) {
        std::uint32_t unit = data[at] | static_cast<std::uint32_t>(data[at + 1]) << 8;
        if (sizeof(wchar_t) > 2 && unit >= 0xD800 && unit < 0xDC00 && at + 3 < size) {
            const std::uint32_t low = data[at + 2] | static_cast<std::uint32_t>(data[at + 3]) << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

Text fromUtf16Le(const Bytes& bytes) { return fromUtf16Le(bytes.data(), bytes.size()); }
