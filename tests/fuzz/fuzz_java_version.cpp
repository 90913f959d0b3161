// JavaVersion::parse on arbitrary text: a parse either fails leaving 0.0.0.0 with count 0, or reads
// 1 to 4 non-negative parts filled after the count; format never fails and reads back the same.
#include <cstdlib>

#include "fuzz_text.h"
#include "runtime/java_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::int32_t fill = data[0] % 2 == 0 ? 0 : JavaVersion::kUnbounded;
    const Text text = fuzzText(data + 1, size - 1);
    JavaVersion version;
    const bool ok = version.parse(text, fill);
    if (!ok) {
        if (version.count != 0) std::abort();
        for (std::int32_t part : version.parts) {
            if (part != 0) std::abort();
        }
        return 0;
    }
    if (version.count < 1 || version.count > 4) std::abort();
    for (int i = 0; i < 4; ++i) {
        if (version.parts[i] < 0) std::abort();
        if (i >= version.count && version.parts[i] != fill) std::abort();
    }
    if (JavaVersion::compare(version, version) != 0 || !JavaVersion::matches(version, version)) std::abort();

    // The short form loses only trailing 0 and 65535 parts; with nothing else it is "0.0.0.0".
    bool printable = false;
    for (std::int32_t part : version.parts) printable = printable || (part != 0 && part != JavaVersion::kUnbounded);
    JavaVersion reread;
    if (!reread.parse(version.format(), 0)) std::abort();
    // Two numbers at the least, unless the second only stands for "any" (a maximum such as "11").
    if (reread.count < 2 && !(reread.count == 1 && version.parts[1] == JavaVersion::kUnbounded)) std::abort();
    for (int i = 0; printable && i < reread.count; ++i) {
        if (reread.parts[i] != version.parts[i]) std::abort();
    }
    for (int i = reread.count; printable && i < 4; ++i) {
        if (version.parts[i] != 0 && version.parts[i] != JavaVersion::kUnbounded) std::abort();
    }
    return 0;
}
