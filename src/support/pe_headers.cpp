#include "support/pe_headers.h"

namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNtPointer = 0x3C;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kMostDirectories = 16;

std::uint16_t le16(const std::uint8_t* bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t le32(const std::uint8_t* bytes, std::size_t at) {
    return static_cast<std::uint32_t>(le16(bytes, at)) | static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16;
}

}  // namespace

PeFault readPeFileHeader(const std::uint8_t* bytes, std::size_t size, PeHeaders& headers) {
    headers = PeHeaders();
    if (size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z') return PeFault::NoMzHeader;
    const std::size_t ntAt = le32(bytes, kNtPointer);
    if (ntAt > size || size - ntAt < 4 + kFileHeaderSize || le32(bytes, ntAt) != kPeSignature)
        return PeFault::NoPeHeader;
    headers.ntAt = ntAt;
    headers.machine = le16(bytes, ntAt + 4);
    headers.sectionCount = le16(bytes, ntAt + 6);
    headers.optionalSize = le16(bytes, ntAt + 20);
    headers.optionalAt = ntAt + 4 + kFileHeaderSize;
    headers.sectionTableAt = headers.optionalAt + headers.optionalSize;
    return PeFault::None;
}

PeFault readPeOptionalHeader(const std::uint8_t* bytes, std::size_t size, PeHeaders& headers) {
    if (const PeFault fault = readPeFileHeader(bytes, size, headers); fault != PeFault::None) return fault;
    const std::size_t optionalAt = headers.optionalAt;
    const std::size_t optionalSize = headers.optionalSize;
    if (size - optionalAt < optionalSize || optionalSize < 2) return PeFault::TruncatedPeHeader;
    const std::uint16_t magic = le16(bytes, optionalAt);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) return PeFault::UnknownMagic;
    headers.is64 = magic == kMagicPe32Plus;
    // The fields before the count differ in width between the two kinds.
    const std::size_t countAt = headers.is64 ? 108 : 92;
    if (optionalSize < countAt + 4) return PeFault::TruncatedOptionalHeader;
    const std::uint32_t count = le32(bytes, optionalAt + countAt);
    headers.directoryCount = count < kMostDirectories ? count : kMostDirectories;
    if (countAt + 4 + kDataDirectorySize * headers.directoryCount > optionalSize) return PeFault::TruncatedDirectories;
    headers.directoriesAt = optionalAt + countAt + 4;
    return PeFault::None;
}
