// Packaging in memory: the stub's bytes and the user's files in, the packaged executable and the INI
// file beside it out. The command line (main.cpp) does the file work around it.
//
//   PackageInputs in;  in.stub = ...; in.settingsText = ...;
//   PackageOutput out;
//   if (!buildPackage(in, out, error)) ...
#pragma once

#include <string>
#include <vector>

#include "pe/resource_tree.h"
#include "project/settings_split.h"
#include "support/text.h"
#include "settings/resource_ids.h"

inline constexpr const wchar_t* kDefaultDownloadPage = L"https://adoptium.net/";

struct PackageInputs {
    Bytes stub;
    Text settingsText;
    bool hasStrings = false;
    Text stringsText;
    // The languages to ship beside English, the neutral one, by tag ("de", "ja"); empty: all known.
    std::vector<std::string> languages;
    bool hasIcon = false;
    Bytes icon;
    Text version;  // empty: "Product Version" of the settings, else 1.0.0.0
    Text downloadPage = kDefaultDownloadPage;
    Text companyName;
    Text copyright;
    Text outputFileName;  // for the version information
    std::string passPhrase;  // printable ASCII; empty: derived from the settings (derivePassPhrase)
    Text generatedUpgradeCode;
};

struct PackageOutput {
    Bytes executable;
    Bytes besideIni;  // UTF-16LE with BOM
    SplitSettings settings;
};

// Errors are one line; those about an input file start with what is wrong with it, so that the
// caller can put the file's name in front.
bool buildPackage(const PackageInputs& in, PackageOutput& out, std::string& error);

// True for the resources that packaging writes, which packaging again replaces.
bool isPackagedResource(const Resource& resource);

// A pass phrase of 48 hexadecimal digits, and an upper-case GUID in braces, from secure random bytes.
bool newPassPhrase(std::string& passPhrase);
bool newGuid(Text& guid);

// A pass phrase of 48 hexadecimal digits that depends only on the packaged text and the Upgrade Code.
std::string derivePassPhrase(const SplitSettings& settings);
// A GUID in braces (name-based, from the MD5 hash of `seed`): the same seed gives the same GUID.
Text guidFromSeed(const std::string& seed);

// What a launcher packaged as `executable` will read, as text: its resources, the INI beside it (when
// given), the deciphered settings and the string table.
bool describePackage(const Bytes& executable, const Bytes* besideIni, std::string& report, std::string& error);

// The settings text a launcher deciphers from the packaged resources with `upgradeCode`.
bool decipherPackagedSettings(const std::vector<Resource>& resources, const std::string& upgradeCode,
                              Text& settings, std::string& error);
