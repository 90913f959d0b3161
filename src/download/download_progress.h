// What a download has come to: the bytes received against those expected, the rate, the texts the
// progress shows, and the verdict on what arrived. Portable, so that the arithmetic is tested on
// any host; the HTTP side only counts.
//
//   TransferRate rate;
//   rate.sample(received, GetTickCount());
//   const Text speed = megabytesText(rate.bytesPerSecond());   // "2.1", shown as MB/s
#pragma once

#include <cstdint>

#include "support/sha256.h"
#include "support/text.h"

// Megabytes (2^20 bytes) with one decimal, rounded down: "0.0", "12.3", "1024.0".
Text megabytesText(std::uint64_t bytes);
// Whole megabytes, rounded up, for a size announced before the download: 1 byte is "1".
Text wholeMegabytesText(std::uint64_t bytes);

// The rate over the last few seconds, so that a stall shows at once and an early burst fades.
class TransferRate {
public:
    void sample(std::uint64_t bytes, std::uint32_t milliseconds);
    std::uint64_t bytesPerSecond() const;

private:
    struct Point {
        std::uint64_t bytes;
        std::uint32_t milliseconds;
    };
    static constexpr int kPoints = 8;
    static constexpr std::uint32_t kSpacing = 500;  // milliseconds between kept points
    Point points_[kPoints] = {};
    int count_ = 0;
};

enum class DownloadVerdict {
    Complete,   // the size and the SHA-256 the settings name
    Short,      // the connection ended before the size was reached
    Long,       // more bytes came than the size
    WrongHash,  // the size is right, the bytes are not
};

DownloadVerdict verdictOf(std::uint64_t received, std::uint64_t expected, const Sha256::Digest& digest,
                          const Sha256::Digest& expectedDigest);
