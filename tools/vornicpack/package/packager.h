// Packaging in memory: the stub's bytes and the user's files in, the packaged executable and the INI
// file beside it out. The command line (main.cpp) does the file work around it.
//
//   PackageInputs in;  in.stub = ...; in.settingsText = ...;
//   PackageOutput out;
//   PackageError error;
//   if (!buildPackage(in, out, error)) ... error.input ...   // which input to name
//   std::string line;
//   if (!buildPackage(in, out, line)) ...                      // "stub: ..." as one line
#pragma once

#include <string>
#include <vector>

#include "pe/resource_tree.h"
#include "project/settings_split.h"
#include "support/text.h"
#include "texts/resource_ids.h"

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

// The input a packaging error is about, so that the caller can put that file's name in front.
enum class PackageInput { None, Stub, Settings, Strings, Languages, Icon, Version };

struct PackageError {
    PackageInput input = PackageInput::None;
    std::string text;  // one line, without the input's name

    // The line with the input's label in front ("stub: ...", "settings: ...").
    std::string line() const;
};

bool buildPackage(const PackageInputs& in, PackageOutput& out, PackageError& error);
// The same, with the error as PackageError::line.
bool buildPackage(const PackageInputs& in, PackageOutput& out, std::string& error);

// True for the resources that packaging writes, which packaging again replaces.
bool isPackagedResource(const Resource& resource);

// The settings text a launcher deciphers from the packaged resources with `upgradeCode`.
bool decipherPackagedSettings(const std::vector<Resource>& resources, const std::string& upgradeCode,
                              Text& settings, std::string& error);
