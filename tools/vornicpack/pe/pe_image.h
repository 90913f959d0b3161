// A PE32 or PE32+ executable read from its bytes, and the same image with a new resource section.
//
//   PeImage image;
//   if (!image.parse(fileBytes, error)) ...
//   std::vector<Resource> resources;
//   image.readResources(resources, error);
//   Bytes packaged;
//   image.withResources(resources, packaged, error);
//
// The new section replaces the old one in place when nothing but the relocation section follows it
// (that one is moved up, as its contents do not depend on where it lies); otherwise it is added as a
// new last section. SizeOfImage, SizeOfInitializedData, the data directories, the section table and
// the header checksum are updated; bytes after the last section (an overlay) are kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe/resource_tree.h"
#include "support/bytes.h"

struct PeSection {
    std::string name;
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
    std::uint32_t characteristics = 0;
    std::size_t headerAt = 0;  // file offset of its section header

    std::uint32_t virtualEnd() const;
};

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

inline constexpr std::uint16_t kSubsystemWindows = 2;
inline constexpr std::uint16_t kSubsystemConsole = 3;

enum DirectoryIndex { kDirResource = 2, kDirSecurity = 4, kDirBaseReloc = 5 };

class PeImage {
public:
    bool parse(Bytes bytes, std::string& error);

    bool is64() const { return is64_; }
    std::uint16_t machine() const { return machine_; }
    // The optional header's Subsystem field: kSubsystemWindows for a windowed program,
    // kSubsystemConsole for a console one.
    std::uint16_t subsystem() const;
    const std::vector<PeSection>& sections() const { return sections_; }
    DataDirectory directory(int index) const;
    std::uint32_t checksum() const;
    std::size_t checksumAt() const;  // the file offset of the header checksum
    std::uint32_t sizeOfImage() const;
    std::size_t overlayStart() const { return overlayStart_; }
    const Bytes& bytes() const { return bytes_; }

    // Copies `size` bytes at `rva`; false when they do not lie within one section's file data
    // (or the headers).
    bool readRva(std::uint32_t rva, std::uint32_t size, Bytes& out) const;

    // An image without resources gives an empty list.
    bool readResources(std::vector<Resource>& resources, std::string& error) const;

    // The whole file with `resources` as its only resources.
    bool withResources(const std::vector<Resource>& resources, Bytes& out, std::string& error) const;

private:
    // The image that withResources builds, step by step.
    struct Rewrite {
        std::vector<PeSection> sections;
        Bytes image;
        Bytes data;  // the new resource section
        std::int64_t initializedDelta = 0;
        std::int64_t relocShift = 0;
        std::size_t resourceIndex = 0;
    };
    bool readSectionHeader(const Bytes& bytes, std::size_t at, PeSection& section, std::string& error) const;
    bool canRewriteInPlace(int resourceSection) const;
    void rewriteInPlace(const std::vector<Resource>& resources, std::size_t resourceSection, Rewrite& rewrite) const;
    bool appendSection(const std::vector<Resource>& resources, Rewrite& rewrite, std::string& error) const;
    void patchHeaders(Rewrite& rewrite) const;

    std::size_t optionalAt() const { return ntAt_ + 24; }  // past the signature and the file header
    std::size_t directoryAt(int index) const;
    int sectionOf(std::uint32_t rva) const;

    Bytes bytes_;
    bool is64_ = false;
    std::uint16_t machine_ = 0;
    std::size_t ntAt_ = 0;
    std::size_t directoriesAt_ = 0;
    std::uint32_t directoryCount_ = 0;
    std::uint32_t sectionAlignment_ = 0;
    std::uint32_t fileAlignment_ = 0;
    std::uint32_t sizeOfHeaders_ = 0;
    std::size_t sectionTableAt_ = 0;
    std::size_t overlayStart_ = 0;
    std::vector<PeSection> sections_;
};

// The header checksum as the system's image loader for drivers and CheckSumMappedFile compute it:
// a 16-bit one's-complement-style sum of the file with the checksum field taken as zero, plus the length.
std::uint32_t peChecksum(const Bytes& bytes, std::size_t checksumAt);
