// Text as UTF-16 little-endian bytes, the encoding of the launcher's resources and INI files.
//
//   Bytes bytes = toUtf16Le(L"[Application]\r\n");
//   fromUtf16Le(bytes) == L"[Application]\r\n";
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/bytes.h"
#include "support/text.h"

// No BOM. Where wchar_t is 32 bits wide, units above U+FFFF become surrogate pairs, and pairs are
// joined again when reading back.
Bytes toUtf16Le(const Text& text);
// An odd last byte is dropped, as the launcher does.
Text fromUtf16Le(const std::uint8_t* data, std::size_t size);
Text fromUtf16Le(const Bytes& bytes);
