// The launcher's reading of a downloaded runtime archive: the zip directory, each entry's path and
// its inflated bytes. A path that is taken never leaves the folder; an entry never yields more bytes
// than its header claims, and a complete one exactly those; zlib agrees with every inflate that
// ends well.
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "download/inflate.h"
#include "download/zip_directory.h"

namespace {

class CountingSink : public ByteSink {
public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
};

void checkPath(const Text& path) {
    if (!path.empty() && (path[0] == L'\\' || path.back() == L'\\')) std::abort();
    if (path.find(L':') != Text::npos || path.find(L'/') != Text::npos) std::abort();
    const Text framed = L"\\" + path + L"\\";
    if (framed.find(L"\\..\\") != Text::npos || framed.find(L"\\.\\") != Text::npos || framed.find(L"\\\\") != Text::npos)
        if (!path.empty()) std::abort();
}

// zlib's own verdict on raw deflate data, for the bytes it gives.
bool zlibInflates(const std::uint8_t* data, std::size_t size, const std::vector<std::uint8_t>& expected) {
    std::vector<std::uint8_t> out(expected.size() + 1);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool same = result == Z_STREAM_END && stream.total_out == expected.size() &&
                      std::equal(expected.begin(), expected.end(), out.begin());
    inflateEnd(&stream);
    return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The raw input as deflate data, told to give what zlib gives.
    CountingSink raw;
    if (inflateRaw(data, size, 1 << 20, raw) == InflateResult::Done && raw.bytes.size() != (1u << 20)) std::abort();
    const std::uint64_t claimed = size > 0 ? data[0] * 97u : 0;
    CountingSink told;
    const InflateResult result = inflateRaw(data, size, claimed, told);
    if (told.bytes.size() > claimed) std::abort();
    if (result == InflateResult::Done && (told.bytes.size() != claimed || !zlibInflates(data, size, told.bytes))) std::abort();

    std::vector<ZipItem> items;
    if (readZipDirectory(data, size, items) != ZipProblem::None) return 0;
    const std::string top = commonTopFolder(items);
    for (const ZipItem& item : items) {
        Text path;
        if (entryTargetPath(item.name, top, path)) checkPath(path);
        const std::uint8_t* begin = nullptr;
        if (!entryData(data, size, item, begin)) continue;
        if (begin < data || begin + item.compressedSize > data + size) std::abort();
        if (item.method != 8 || item.size > (1u << 20)) continue;
        CountingSink entry;
        if (inflateRaw(begin, static_cast<std::size_t>(item.compressedSize), item.size, entry) == InflateResult::Done &&
            entry.bytes.size() != item.size)
            std::abort();
    }
    return 0;
}
