// The names of the libraries a PE image imports at load time, read from its bytes. Portable, so that
// malformed and truncated images are tested without a system: what finds why a runtime's jvm.dll
// cannot load reads the images the loader refused.
#pragma once

#include <string>
#include <vector>

// The import directory's library names in the image's order (delay-loaded ones are not there, since
// they cannot stop a load). False when `image` is not a PE image or its import directory lies outside
// the bytes; `names` then holds what was read before the fault.
bool importedLibraryNames(const std::string& image, std::vector<std::string>& names);
