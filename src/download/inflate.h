// Raw deflate data (RFC 1951, as zip entries store it) decoded into a sink through a 32 KiB window.
// Written here rather than linked: zlib's inflate with the tables it pulls in would add about 39 KB
// to a launcher that has 23 KB left under its limit, while this decoder takes a few.
//
//   FileSink out(file);
//   if (inflateRaw(data, size, entry.size, out) != InflateResult::Done) ...
#pragma once

#include <cstddef>
#include <cstdint>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False stops the decoding: the disk is full, or the caller wants no more.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

enum class InflateResult {
    Done,        // the last block ended with exactly `expectedSize` bytes out
    Damaged,     // not deflate data, cut short, or ended with fewer bytes
    TooLong,     // more than `expectedSize` bytes would come out
    SinkFailed,  // the sink refused a write
};

InflateResult inflateRaw(const std::uint8_t* data, std::size_t size, std::uint64_t expectedSize, ByteSink& sink);

// The CRC-32 of zip and gzip, continued from `crc` (0 to begin).
std::uint32_t updateCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
