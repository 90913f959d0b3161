// UTF-8 for text of either width: Text holds UTF-16 units on Windows and code points on the host.
// The trace, the console's pipes and files, and the packer's files all use this one codec.
#pragma once

#include <string>

#include "support/text.h"

// False (and `text` empty) on malformed UTF-8: overlong forms, surrogates, values beyond U+10FFFF.
bool decodeUtf8(const std::string& bytes, Text& text);
// Unpaired surrogates become U+FFFD.
std::string encodeUtf8(const Text& text);
