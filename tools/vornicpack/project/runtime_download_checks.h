// The [Runtime Download] section as the launcher will read it, checked before anything is written,
// and the digest and size of a runtime archive the project names, so that the publisher never
// types them.
//
//   if (!checkRuntimeDownload(sections, error)) ...           // line N: the x64 URL is not https ...
//   if (!fillRuntimeDownload(sections, "x64", file, line, error)) ...   // SHA-256 and Size from the file
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "project/settings_split.h"

// Each refusal names the line, the key, the fault and the fix: a consent word other than Ask, Yes or
// No; a key the launcher does not read; an address that is not https (http only to this machine)
// or holds a password; a SHA-256 that is not 64 hexadecimal digits; a size that is not a number of
// bytes; a width given in part (a URL without its SHA-256 and Size, or those without a URL).
bool checkRuntimeDownload(const std::vector<IniSection>& sections, std::string& error);

// Reads `archive` (a zip whose every entry unpacks inside its folder and that holds a jvm.dll under
// bin), and writes its SHA-256 and size as the `width` keys of [Runtime Download], adding the section
// when the settings have none. A SHA-256 or Size already written must agree with the file.
// `line` is that of the project key, for the messages.
bool fillRuntimeDownload(std::vector<IniSection>& sections, const char* width, const std::filesystem::path& archive,
                         std::size_t line, std::string& error);
