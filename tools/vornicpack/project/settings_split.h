// Reads the one settings file a user writes and splits it the way the launcher reads it: the sections
// the launcher takes from the INI file beside the executable ("Product Information", "Display" and the
// "+" sections that extend packaged values) go there; everything else becomes the packaged text.
//
//   std::vector<IniSection> sections;
//   if (!parseSettingsText(text, sections, error)) ...
//   SplitSettings split;
//   if (!splitSettings(sections, newGuid, split, error)) ...
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "jvm/memory_share.h"
#include "support/text.h"

struct IniPair {
    Text key;
    Text value;
    std::size_t line = 0;
};

struct IniSection {
    Text name;
    std::size_t line = 0;
    std::vector<IniPair> pairs;
};

// Lines may end in CR LF, LF or CR. Blank lines and lines starting with ";" or "#" are comments.
// Keys and values are trimmed. Errors name the line.
bool parseSettingsText(const Text& text, std::vector<IniSection>& sections, std::string& error);

struct SplitSettings {
    Text packagedText;    // INI text with CR LF line ends, for the enciphered resource
    Text besideText;      // INI text with CR LF line ends, for the file beside the executable
    Text upgradeCode;     // the pass phrase of the first stage
    bool upgradeCodeGenerated = false;
    Text productName;     // empty when not given
    Text productVersion;  // "Product Version" of [Product Information], empty when not given
};

// `generatedUpgradeCode` is used when the settings name none. Refuses what the launcher would read
// differently from what the user wrote: a section or key given twice (only the first is read), a
// known section or key in another letter case (the packaged text is matched exactly), a missing
// "Main Class", an Upgrade Code that is not plain ASCII (the launcher hashes its ANSI bytes, which
// differ between code pages), a memory share in "Virtual Machine Parameters" that would give the
// runtime a size that makes no sense for a launcher computing in `arithmetic` (no digits, a sign or
// other characters, a size of 0, numbers too large, a thread stack no thread can have).
bool splitSettings(const std::vector<IniSection>& sections, const Text& generatedUpgradeCode, SplitSettings& out,
                   std::string& error, MemoryArithmetic arithmetic = MemoryArithmetic::Bits64);

// The service settings of [Application] as the launcher reads them: "Application Type" empty or
// exactly service, "Stop Timeout" 1 to 86400 seconds, "Stop Method" a plain method name. Errors
// name the line. (splitSettings checks them too.)
bool checkServiceSettings(const std::vector<IniSection>& sections, std::string& error);

// "Restart Exit Code" as the launcher takes it: a 32-bit number other than 0, 1 and -1.
bool checkRestartExitCode(const std::vector<IniSection>& sections, std::string& error);

// Sections the launcher reads from the INI file beside the executable only.
bool isBesideSection(const Text& name);

// The value as the private-profile functions return it: one pair of enclosing quotes removed.
Text profileValue(const Text& value);
