// SHA-256 (FIPS 180-4), written out because the launcher checks a downloaded runtime before it
// unpacks a byte of it, and the packer computes the same digest on Linux and on Windows.
//
//   Sha256 hash;
//   hash.update(bytes, size);   // as often as data arrives
//   const Sha256::Digest digest = hash.finish();
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void update(const void* data, std::size_t size);
    // The digest of everything given; the object is spent afterwards.
    Digest finish();
    // The same digest as 64 lower-case hexadecimal digits.
    std::string finishHex();

private:
    void compress(const std::uint8_t* block);

    std::uint32_t state_[8];
    std::uint8_t block_[64];
    std::size_t filled_ = 0;
    std::uint64_t length_ = 0;
};

// Lower-case hexadecimal, 64 characters.
std::wstring hexOfDigest(const Sha256::Digest& digest);

// 64 hexadecimal digits in either case into a digest; false for anything else.
bool parseDigestHex(const std::wstring& text, Sha256::Digest& digest);
