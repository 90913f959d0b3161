// The packer's PE reader and resource-tree reader on damaged images. Most inputs are patches to a
// valid small image, so that the fuzzer reaches the section table and the resource tree instead of
// stopping at the first signature. Whatever is read must be written again and read back the same.
#include <cstdlib>

#include "pe/pe_image.h"
#include "synthetic_pe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    Bytes file;
    const unsigned mode = data[0] % 4;
    if (mode == 0) {
        file.assign(data + 1, data + size);
    } else {
        testpe::SyntheticOptions options;
        options.is64 = (data[0] & 4) != 0;
        options.layout = static_cast<testpe::Layout>(mode - 1);
        file = testpe::syntheticPe(options);
        // Each three bytes: a 16-bit offset and the byte to put there.
        for (std::size_t at = 1; at + 3 <= size; at += 3) {
            const std::size_t offset = (data[at] | data[at + 1] << 8) % file.size();
            file[offset] = data[at + 2];
        }
    }

    PeImage image;
    std::string error;
    if (!image.parse(file, error)) return 0;
    std::vector<Resource> resources;
    if (!image.readResources(resources, error)) return 0;
    Bytes rewritten;
    if (!image.withResources(resources, rewritten, error)) return 0;

    PeImage again;
    std::vector<Resource> readBack;
    if (!again.parse(rewritten, error) || !again.readResources(readBack, error)) std::abort();
    // Duplicates (same type, name, language) collapse to the first; nothing else may change.
    if (readBack.size() > resources.size()) std::abort();
    for (const Resource& written : readBack) {
        bool found = false;
        for (const Resource& original : resources)
            found = found || (original.type == written.type && original.name == written.name &&
                              original.language == written.language && original.data == written.data);
        if (!found) std::abort();
    }
    return 0;
}
