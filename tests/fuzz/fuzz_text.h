// Turns fuzzer bytes into UTF-16 code units, two bytes a unit, as text arrives from files and resources.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text.h"

inline Text fuzzText(const std::uint8_t* data, std::size_t size) {
    Text text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit != 0) text += unit;  // a text never holds a NUL of its own
    }
    return text;
}
