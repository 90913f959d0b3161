// The link colours a user may set for web links: "red,green,blue" text values in the registry.
//
//   std::uint32_t colour = kDefaultLinkColour;
//   linkColourFromRegistryData(true, bytes, size, colour);   // unchanged unless the value is sound
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text.h"

// COLORREF layout: red in the low byte.
constexpr std::uint32_t rgbColour(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

constexpr std::uint32_t kDefaultLinkColour = rgbColour(0, 0, 255);
constexpr std::uint32_t kDefaultVisitedColour = rgbColour(128, 0, 128);

// The largest value read, in bytes: 11 UTF-16 units and the terminator.
constexpr std::size_t kMaxColourValueBytes = 24;

// Parses "R,G,B" (decimal, leading blanks and a sign allowed, each part cut to its low 8 bits).
// False, and `colour` unchanged, when a comma is missing, the third part is empty, or the first or
// second part is -1.
bool parseColourValue(const Text& value, std::uint32_t& colour);

// Checks a registry value as read (`isText`: REG_SZ or REG_EXPAND_SZ; `data`: `size` bytes of
// UTF-16LE) and parses it. A value that is too long, of odd length or not NUL-terminated leaves
// `colour` unchanged.
bool linkColourFromRegistryData(bool isText, const std::uint8_t* data, std::size_t size, std::uint32_t& colour);
