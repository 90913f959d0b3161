#include "instance/instance_block.h"

#include <cstdio>

namespace {

// The longest suffix a name adds to the key ("_upr_req_" and eight hex digits), kept within the 255
// units of an atom name so that the registered message fits as well as the kernel objects.
constexpr std::size_t kLongestSuffix = 17;
constexpr std::size_t kMaxKeyLength = 255 - kLongestSuffix;
static_assert(sizeof kNamespaceAlias / sizeof(wchar_t) + kMaxKeyLength + kLongestSuffix <= kMaxObjectNameLength,
              "every name fits, its alias and backslash before it");

// FNV-1a over the UTF-16 units: not secret, only spread; the kept tail of the path must match too.
std::uint64_t hashOf(const Text& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t unit : text) {
        const auto value = static_cast<std::uint16_t>(unit);
        hash = (hash ^ (value & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (value >> 8)) * 1099511628211ull;
    }
    return hash;
}

Text hexOf(std::uint64_t value, int digits) {
    Text text(static_cast<std::size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        text[static_cast<std::size_t>(i)] = L"0123456789ABCDEF"[value & 0xF];
    }
    return text;
}

void putUint32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getUint32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

}  // namespace

Text instanceKey(const Text& exePath) {
    const Text key = replaceChar(exePath, L'\\', L'_');
    if (key.size() <= kMaxKeyLength) return key;
    // The hash is of the path itself, so that a backslash and an underscore still count as different.
    const Text hash = hexOf(hashOf(exePath), 16) + L"_";
    return hash + key.substr(key.size() - (kMaxKeyLength - hash.size()));
}

Text startMutexName(const Text& key) { return key + L"_upr_start"; }

Text requestName(const Text& key, std::uint32_t threadId) { return key + L"_upr_req_" + hexOf(threadId, 8); }

bool encodeRequest(const TextList& arguments, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::size_t units = 0;
    for (const Text& argument : arguments) units += argument.size() + 1;
    if (units > kMaxRequestUnits) return false;

    bytes.assign(kRequestHeaderSize + 2 * units, 0);
    putUint32(&bytes[4], static_cast<std::uint32_t>(arguments.size()));
    putUint32(&bytes[8], static_cast<std::uint32_t>(units));
    std::size_t at = kRequestHeaderSize;
    for (const Text& argument : arguments) {
        for (wchar_t unit : argument) {
            bytes[at++] = static_cast<std::uint8_t>(unit & 0xFF);
            bytes[at++] = static_cast<std::uint8_t>((unit >> 8) & 0xFF);
        }
        at += 2;  // the NUL unit the zeroing left
    }
    return true;
}

bool decodeRequest(const std::uint8_t* bytes, std::size_t size, TextList& arguments) {
    arguments.clear();
    if (!bytes || size < kRequestHeaderSize) return false;
    const std::uint32_t count = getUint32(bytes + 4);
    const std::uint32_t units = getUint32(bytes + 8);
    if (units > kMaxRequestUnits || count > units || kRequestHeaderSize + 2 * std::size_t{units} > size) return false;

    TextList decoded;
    decoded.reserve(count);
    Text current;
    const std::uint8_t* unit = bytes + kRequestHeaderSize;
    for (std::uint32_t i = 0; i < units; ++i, unit += 2) {
        const auto value = static_cast<wchar_t>(unit[0] | (unit[1] << 8));
        if (value != L'\0') {
            current += value;
            continue;
        }
        decoded.push_back(std::move(current));
        current.clear();
    }
    // Every argument is closed by its NUL, and the units hold exactly `count` of them.
    if (!current.empty() || decoded.size() != count) return false;
    if (decoded.empty()) decoded.emplace_back();
    arguments = std::move(decoded);
    return true;
}
