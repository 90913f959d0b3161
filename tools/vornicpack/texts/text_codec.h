// Conversions between the packer's text (Text, UTF-16 or UTF-32 units) and the byte encodings it
// reads and writes: UTF-8 for the terminal and files, UTF-16 for the launcher's resources and INI files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/text.h"
#include "support/utf16.h"
#include "support/utf8.h"

// A settings or strings file: UTF-8 (with or without BOM) or UTF-16 LE/BE with BOM. The BOM is not
// part of the result. False on malformed UTF-8 or an odd UTF-16 length.
bool decodeTextFile(const Bytes& bytes, Text& text);

// A path as the packer's text, and back; as UTF-8 for names in a zip and in what the packer prints.
std::filesystem::path pathFromText(const Text& text);
Text textOfPath(const std::filesystem::path& path);
std::string utf8Of(const std::filesystem::path& path);

// Code points above U+FFFF count twice, as they do in UTF-16.
std::size_t utf16Length(const Text& text);

bool isPrintableAscii(const Text& text);
// Each unit as one byte, for text that isPrintableAscii accepts (pass phrases, Upgrade Codes).
std::string narrowAscii(const Text& text);
