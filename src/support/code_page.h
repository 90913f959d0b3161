// Text in a Windows code page: the thread's or the system's ANSI code page, or UTF-8 as the system
// reads it (malformed bytes become U+FFFD, as in the files other programs write).
//
//   std::string narrow;
//   bool lossy = false;
//   if (toCodePage(CP_ACP, text, narrow, BestFit::Allowed, &lossy) && !lossy) ...
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "support/text.h"

// Refused: a character without a mapping becomes the default character, never a look-alike (a
// full-width quote must not become a quote).
enum class BestFit { Allowed, Refused };

// `lossy`, when given, says whether a character had no mapping. UTF-8, and the code pages that
// refuse the best-fit flag or the question, convert as they can and report no loss. False, with
// `bytes` empty, when the conversion fails.
bool toCodePage(UINT codePage, const Text& text, std::string& bytes, BestFit bestFit = BestFit::Allowed,
                bool* lossy = nullptr);

Text fromCodePage(UINT codePage, const char* data, std::size_t size);
