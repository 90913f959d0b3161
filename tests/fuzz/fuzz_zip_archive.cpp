// The packer's zip reading (jars) and writing. Raw inputs are opened as archives: whatever entry
// reads back has the size and CRC its header claims. The input cut into named pieces is written as
// an archive, which must read back to exactly those pieces; a manifest read from the input never
// yields a Main-Class with a line break.
#include <algorithm>
#include <cstdlib>

#include "archive/jar_contents.h"
#include "archive/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, data + size);
    std::string error;
    ZipReader raw;
    if (raw.open(input, error)) {
        for (const ZipEntry& entry : raw.entries()) {
            Bytes contents;
            if (raw.read(entry, contents, error) && (contents.size() != entry.size || crc32Of(contents) != entry.crc))
                std::abort();
        }
    }
    const std::string mainClass = manifestMainClass(input);
    if (mainClass.find_first_of("\r\n") != std::string::npos) std::abort();

    // Pieces of at most 255 bytes: a length byte, then the bytes; each named by its index.
    ZipWriter writer(dosDateTime(static_cast<long long>(size) * 86400));
    std::vector<Bytes> pieces;
    for (std::size_t at = 0; at < size;) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        pieces.emplace_back(data + at + 1, data + at + 1 + length);
        at += 1 + length;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (!writer.addFile("piece" + std::to_string(i), pieces[i], error)) std::abort();
    Bytes archive;
    if (!writer.finish(archive, error)) std::abort();
    ZipReader again;
    if (!again.open(archive, error) || again.entries().size() != pieces.size()) std::abort();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const ZipEntry* entry = again.find("piece" + std::to_string(i));
        Bytes contents;
        if (!entry || !again.read(*entry, contents, error) || contents != pieces[i]) std::abort();
    }
    return 0;
}
