// What the packer needs from the operating system: secure random bytes, whole-file reads, and
// writes that never leave a half-written file under the final name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/bytes.h"

// From the system's cryptographic generator (/dev/urandom, BCryptGenRandom).
bool secureRandom(std::uint8_t* out, std::size_t size);

bool readWholeFile(const std::filesystem::path& path, Bytes& bytes, std::string& error);

// Writes each file to a temporary file in its folder, and only when all are written renames them
// into place. On failure the temporaries are removed and no final file is touched.
bool writeFilesReplacing(const std::vector<std::pair<std::filesystem::path, Bytes>>& files, std::string& error);

// The folder of the running program; false when the system does not say.
bool ownProgramFolder(std::filesystem::path& folder);
