#include "settings/settings_cipher.h"

#include <cstring>
#include <utility>

namespace {

std::uint32_t rotateLeft(std::uint32_t value, unsigned count) {
    return (value << count) | (value >> (32 - count));
}

std::uint32_t loadLe32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// RFC 1321: per-round shift amounts and the constants floor(abs(sin(i + 1)) * 2^32).
constexpr unsigned kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

void md5Block(std::uint32_t (&state)[4], const std::uint8_t* block) {
    std::uint32_t words[16];
    for (int i = 0; i < 16; ++i) words[i] = loadLe32(block + 4 * i);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (unsigned i = 0; i < 64; ++i) {
        std::uint32_t f;
        unsigned g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const std::uint32_t next = d;
        d = c;
        c = b;
        b = b + rotateLeft(a + f + kSine[i] + words[g], kShift[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

Md5Digest md5(const std::uint8_t* data, std::size_t size) {
    std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::size_t done = 0;
    for (; size - done >= 64; done += 64) md5Block(state, data + done);

    // Padding: 0x80, zeros up to 56 mod 64, then the bit length as 64 bits little endian.
    std::uint8_t tail[128] = {};
    const std::size_t rest = size - done;
    if (rest) std::memcpy(tail, data + done, rest);
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(size) * 8;
    for (int i = 0; i < 8; ++i) tail[tailSize - 8 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    for (std::size_t at = 0; at < tailSize; at += 64) md5Block(state, tail + at);

    Md5Digest digest{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<std::uint8_t>(state[i] >> (8 * j));
    return digest;
}

Md5Digest md5(const std::string& bytes) {
    return md5(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void rc4(const std::uint8_t* key, std::size_t keySize, std::uint8_t* data, std::size_t size) {
    if (keySize == 0) return;
    std::uint8_t box[256];
    for (int i = 0; i < 256; ++i) box[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + box[i] + key[i % keySize]);
        std::swap(box[i], box[j]);
    }
    std::uint8_t i = 0;
    j = 0;
    for (std::size_t at = 0; at < size; ++at) {
        i = static_cast<std::uint8_t>(i + 1);
        j = static_cast<std::uint8_t>(j + box[i]);
        std::swap(box[i], box[j]);
        data[at] ^= box[static_cast<std::uint8_t>(box[i] + box[j])];
    }
}

SettingsKey deriveSettingsKey(const std::string& passPhrase) {
    const Md5Digest digest = md5(passPhrase);
    SettingsKey key{};  // the 11 salt bytes stay zero
    for (int i = 0; i < 5; ++i) key[i] = digest[i];
    return key;
}

Bytes encipherSettings(Bytes data, const std::string& passPhrase) {
    const SettingsKey key = deriveSettingsKey(passPhrase);
    rc4(key.data(), key.size(), data.data(), data.size());
    return data;
}

Bytes decipherSettings(Bytes data, const std::string& passPhrase) {
    return encipherSettings(std::move(data), passPhrase);
}
