// Moves a finished folder and zip, each built beside its target, into place together: when one of
// them cannot be moved, both targets stay as they were. A target that already holds exactly the new
// bytes stays untouched, time stamps included: a build tool's up-to-date checks, copies and syncs
// downstream then see that nothing changed.
//
//   if (!swapIntoPlace("out/Demo.vornicpack-new", "out/Demo", "out/Demo.zip.vornicpack-new", "out/Demo.zip",
//                      error)) ...
#pragma once

#include <filesystem>
#include <string>

// `zip` empty: the folder alone. The previous folder passes through "<folder>.vornicpack-old",
// which must not exist. The staged folder and zip are gone afterwards, whatever the result.
bool swapIntoPlace(const std::filesystem::path& builtFolder, const std::filesystem::path& folder,
                   const std::filesystem::path& builtZip, const std::filesystem::path& zip, std::string& error);
