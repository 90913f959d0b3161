// SHA-256 (FIPS 180-4), fed in pieces: the digest a staged update's manifest gives for each file.
//
//   Sha256 hash;
//   hash.add(bytes, size);              // as often as the file has pieces
//   const std::string hex = hash.finishHex();
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    Sha256();
    void add(const void* bytes, std::size_t size);
    // The digest; the object is spent afterwards.
    std::array<std::uint8_t, 32> finish();
    // The digest as 64 lower-case hexadecimal digits.
    std::string finishHex();

private:
    void compress(const std::uint8_t* block);

    std::uint32_t state_[8];
    std::uint8_t block_[64];
    std::size_t filled_ = 0;
    std::uint64_t length_ = 0;  // bytes
};
