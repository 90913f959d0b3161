// A runtime's release file as the vendor search reads it: any bytes either give no version
// (0.0.0.0, count 0) or a version that came from a JAVA_VERSION line.
#include <cstdlib>
#include <string>

#include "runtime/runtime_candidates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    JavaVersion version;
    if (!releaseFileVersion(content, version)) {
        if (version.count != 0) std::abort();
        for (std::int32_t part : version.parts) {
            if (part != 0) std::abort();
        }
        return 0;
    }
    if (content.find("JAVA_VERSION=") == std::string::npos || version.count < 1) std::abort();
    return 0;
}
