// The codes that identify a package: the pass phrase the settings are enciphered under, and GUIDs
// (the Upgrade Code, the installer's codes). Random ones for a new project, derived ones where the
// same inputs must give the same bytes.
//
//   Text upgradeCode = guidFromSeed("vornicpack upgrade code\n" + projectText);   // always the same
//   std::string passPhrase = derivePassPhrase(split);
#pragma once

#include <cstdint>
#include <string>

#include "project/settings_split.h"
#include "support/text.h"

// A pass phrase of 48 hexadecimal digits, and an upper-case GUID in braces, from secure random bytes.
bool newPassPhrase(std::string& passPhrase);
bool newGuid(Text& guid);

// A pass phrase of 48 hexadecimal digits that depends only on the packaged text and the Upgrade Code.
std::string derivePassPhrase(const SplitSettings& settings);

// A GUID in braces (name-based, from the MD5 hash of `seed`): the same seed gives the same GUID.
Text guidFromSeed(const std::string& seed);
