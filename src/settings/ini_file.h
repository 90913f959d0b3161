// INI files read and written by the rules of the system's private-profile functions, but opened with
// the long-path prefix, so that a launcher installed under a path over MAX_PATH (which those
// functions cannot open) still has its settings.
//
//   Text text;
//   IniEncoding encoding;
//   if (readIniFile(path, text, encoding)) profile.parse(text);
//   writeIniValue(path, L"Java Runtime Environment", L"JRE Path", home);
#pragma once

#include "support/text.h"

enum class IniEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

// Names compare as the profile functions compare them: ordinal, without regard to case.
bool sameIniName(const Text& a, const Text& b);

// The file's text without its byte-order mark: UTF-16 (either order) or UTF-8 after their marks,
// otherwise the ANSI code page. False, with `text` empty, when the file cannot be opened or read.
bool readIniFile(const Text& path, Text& text, IniEncoding& encoding);

// Sets `key` of `section` as WritePrivateProfileStringW does (see withIniValue), for a path of any
// length. An existing file keeps its encoding and every other line; a new file, or an ANSI file that
// cannot hold the new text, is written as UTF-16LE with a byte-order mark so that nothing is lost.
// False when the file cannot be read or written (a missing folder) or a name is empty.
bool writeIniValue(const Text& path, const Text& section, const Text& key, const Text& value);
