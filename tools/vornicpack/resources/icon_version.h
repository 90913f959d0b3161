// The application's icon (from a .ico file) and its version information, so that Explorer and Task
// Manager show the application rather than the stub.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pe/resource_tree.h"
#include "support/text.h"

// RT_ICON 1..n and RT_GROUP_ICON 1, neutral language. False on a file that is not an icon file.
bool buildIconResources(const Bytes& icoFile, std::vector<Resource>& resources, std::string& error);

using FourPartVersion = std::array<std::uint16_t, 4>;

// "A", "A.B", "A.B.C" or "A.B.C.D", each part 0 to 65535; missing parts are 0.
bool parseFourPartVersion(const Text& text, FourPartVersion& version);

struct VersionTexts {
    Text productName;
    Text fileDescription;
    Text companyName;
    Text copyright;
    Text originalFilename;
    FourPartVersion version{};
};

// VS_VERSIONINFO 1 in the neutral language, with one string table for US English, Unicode.
Resource buildVersionResource(const VersionTexts& texts);
