// The headers at the start of every PE image (an .exe or .dll), read from its bytes: the machine it
// was built for, the kind of optional header, where the data directories and the section table lie.
// Portable, so that malformed and truncated images are tested on every build; each reader adds the
// checks of its own purpose on top.
//
//   PeHeaders headers;
//   if (readPeFileHeader(bytes, size, headers) == PeFault::None && headers.machine == kMachineI386) ...
//   if (readPeOptionalHeader(bytes, size, headers) == PeFault::None) ... headers.directoriesAt ...
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

inline constexpr std::uint16_t kMagicPe32 = 0x10B;
inline constexpr std::uint16_t kMagicPe32Plus = 0x20B;

// Offsets from the start of the optional header, the same in PE32 and PE32+.
inline constexpr std::size_t kOptionalSizeOfImage = 56;
inline constexpr std::size_t kOptionalChecksum = 64;
inline constexpr std::size_t kOptionalSubsystem = 68;

inline constexpr std::size_t kSectionHeaderSize = 40;
inline constexpr std::size_t kDataDirectorySize = 8;

enum class PeFault {
    None,
    NoMzHeader,               // shorter than a DOS header, or no "MZ"
    NoPeHeader,               // no "PE\0\0" and file header where the DOS header points
    TruncatedPeHeader,        // the optional header does not lie whole in the file
    UnknownMagic,             // neither PE32 nor PE32+
    TruncatedOptionalHeader,  // too short to hold the data directory count
    TruncatedDirectories,     // the directories it counts run past its end
};

struct PeHeaders {
    std::size_t ntAt = 0;  // the "PE\0\0" signature
    std::uint16_t machine = 0;
    std::uint16_t sectionCount = 0;
    std::size_t optionalAt = 0;
    std::uint16_t optionalSize = 0;
    std::size_t sectionTableAt = 0;  // right after the optional header
    // From readPeOptionalHeader:
    bool is64 = false;
    std::size_t directoriesAt = 0;
    std::uint32_t directoryCount = 0;  // as the header gives it, at most 16 taken
};

// The DOS header's pointer, the signature and the file header (machine, section count, optional
// header size).
PeFault readPeFileHeader(const std::uint8_t* bytes, std::size_t size, PeHeaders& headers);

// readPeFileHeader, then the optional header: its magic and its data directories.
PeFault readPeOptionalHeader(const std::uint8_t* bytes, std::size_t size, PeHeaders& headers);
