#include "pe/pe_image.h"

#include <algorithm>

#include "pe/byte_io.h"
#include "support/pe_headers.h"

namespace {

constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kScnInitializedData = 0x00000040;
constexpr std::uint32_t kScnMemRead = 0x40000000;

bool isPowerOfTwo(std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

void putSectionHeader(Bytes& out, const PeSection& section) {
    const std::size_t at = section.headerAt;
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(at), out.begin() + static_cast<std::ptrdiff_t>(at + 8), 0);
    std::copy(section.name.begin(), section.name.begin() + std::min<std::size_t>(8, section.name.size()),
              out.begin() + static_cast<std::ptrdiff_t>(at));
    putLe32(out, at + 8, section.virtualSize);
    putLe32(out, at + 12, section.virtualAddress);
    putLe32(out, at + 16, section.rawSize);
    putLe32(out, at + 20, section.rawPointer);
    putLe32(out, at + 36, section.characteristics);
}

}  // namespace

std::uint32_t PeSection::virtualEnd() const { return virtualAddress + std::max(virtualSize, rawSize); }

std::uint32_t peChecksum(const Bytes& bytes, std::size_t checksumAt) {
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        if (at == checksumAt || at == checksumAt + 2) continue;
        std::uint32_t word = bytes[at];
        if (at + 1 < bytes.size()) word |= static_cast<std::uint32_t>(bytes[at + 1]) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + bytes.size());
}

// One entry of the section table, checked against the file and against the sections before it.
bool PeImage::readSectionHeader(const Bytes& bytes, std::size_t at, PeSection& section, std::string& error) const {
    auto fail = [&](const char* what) {
        error = what;
        return false;
    };
    for (std::size_t c = 0; c < 8 && bytes[at + c]; ++c) section.name.push_back(static_cast<char>(bytes[at + c]));
    section.virtualSize = getLe32(bytes.data(), at + 8);
    section.virtualAddress = getLe32(bytes.data(), at + 12);
    section.rawSize = getLe32(bytes.data(), at + 16);
    section.rawPointer = getLe32(bytes.data(), at + 20);
    section.characteristics = getLe32(bytes.data(), at + 36);
    section.headerAt = at;
    if (section.rawSize == 0) section.rawPointer = 0;
    // Data inside the headers would be cut off or overwritten when the image is rewritten.
    if (section.rawSize != 0 && section.rawPointer < sizeOfHeaders_)
        return fail("has a section whose data overlaps the headers");
    if (std::size_t{section.rawPointer} + section.rawSize > bytes.size())
        return fail("is truncated: a section's data lies beyond the end of the file");
    if (std::uint64_t{section.virtualAddress} + std::max(section.virtualSize, section.rawSize) > 0xFFFFFFFFu)
        return fail("has a section beyond the 32-bit address range");
    if (!sections_.empty() && section.virtualAddress < sections_.back().virtualEnd())
        return fail("has sections that overlap or are out of order");
    return true;
}

bool PeImage::parse(Bytes bytes, std::string& error) {
    *this = PeImage();
    auto fail = [&](const char* what) {
        error = what;
        return false;
    };
    PeHeaders headers;
    switch (readPeOptionalHeader(bytes.data(), bytes.size(), headers)) {
        case PeFault::None: break;
        case PeFault::NoMzHeader: return fail("is not a Windows executable (no MZ header)");
        case PeFault::NoPeHeader: return fail("is not a Windows executable (no PE header)");
        case PeFault::TruncatedPeHeader: return fail("has a truncated PE header");
        case PeFault::UnknownMagic: return fail("is neither a PE32 nor a PE32+ image");
        case PeFault::TruncatedOptionalHeader: return fail("has a truncated optional header");
        case PeFault::TruncatedDirectories: return fail("has a truncated data directory");
    }
    const std::size_t optionalAt = headers.optionalAt;

    sectionAlignment_ = getLe32(bytes.data(), optionalAt + 32);
    fileAlignment_ = getLe32(bytes.data(), optionalAt + 36);
    sizeOfHeaders_ = getLe32(bytes.data(), optionalAt + 60);
    if (!isPowerOfTwo(sectionAlignment_) || !isPowerOfTwo(fileAlignment_) || fileAlignment_ > sectionAlignment_)
        return fail("has an invalid section or file alignment");
    if (sizeOfHeaders_ > bytes.size()) return fail("is truncated inside its headers");

    const std::uint32_t sectionCount = headers.sectionCount;
    const std::size_t tableAt = headers.sectionTableAt;
    if (sectionCount == 0 || sectionCount > kMaxSections || bytes.size() - tableAt < kSectionHeaderSize * sectionCount)
        return fail("has an invalid section table");
    std::size_t overlayStart = sizeOfHeaders_;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        PeSection section;
        if (!readSectionHeader(bytes, tableAt + kSectionHeaderSize * i, section, error)) return false;
        if (section.rawSize) overlayStart = std::max<std::size_t>(overlayStart, section.rawPointer + section.rawSize);
        sections_.push_back(section);
    }

    bytes_ = std::move(bytes);
    is64_ = headers.is64;
    machine_ = headers.machine;
    ntAt_ = headers.ntAt;
    directoriesAt_ = headers.directoriesAt;
    directoryCount_ = headers.directoryCount;
    sectionTableAt_ = tableAt;
    overlayStart_ = overlayStart;
    return true;
}

std::size_t PeImage::directoryAt(int index) const { return directoriesAt_ + kDataDirectorySize * index; }

DataDirectory PeImage::directory(int index) const {
    if (static_cast<std::uint32_t>(index) >= directoryCount_) return {};
    return {getLe32(bytes_.data(), directoryAt(index)), getLe32(bytes_.data(), directoryAt(index) + 4)};
}

std::size_t PeImage::checksumAt() const { return optionalAt() + kOptionalChecksum; }

std::uint32_t PeImage::checksum() const { return getLe32(bytes_.data(), checksumAt()); }

// At the same place in PE32 and PE32+; parse has seen an optional header long enough to hold it.
std::uint16_t PeImage::subsystem() const { return getLe16(bytes_.data(), optionalAt() + kOptionalSubsystem); }

std::uint32_t PeImage::sizeOfImage() const { return getLe32(bytes_.data(), optionalAt() + kOptionalSizeOfImage); }

int PeImage::sectionOf(std::uint32_t rva) const {
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (rva >= sections_[i].virtualAddress && rva < sections_[i].virtualEnd()) return static_cast<int>(i);
    return -1;
}

bool PeImage::readRva(std::uint32_t rva, std::uint32_t size, Bytes& out) const {
    out.clear();
    const int index = sectionOf(rva);
    if (index < 0) return false;
    const PeSection& section = sections_[static_cast<std::size_t>(index)];
    const std::uint64_t offset = rva - section.virtualAddress;
    if (offset + size > section.rawSize) return false;
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(section.rawPointer + offset);
    out.assign(begin, begin + size);
    return true;
}

bool PeImage::readResources(std::vector<Resource>& resources, std::string& error) const {
    resources.clear();
    const DataDirectory directory = this->directory(kDirResource);
    if (directory.rva == 0) return true;
    const int index = sectionOf(directory.rva);
    if (index < 0) {
        error = "the resource directory lies outside every section";
        return false;
    }
    const PeSection& section = sections_[static_cast<std::size_t>(index)];
    const std::uint32_t offset = directory.rva - section.virtualAddress;
    if (offset >= section.rawSize) {
        error = "the resource directory has no data in the file";
        return false;
    }
    return parseResourceSection(
        bytes_.data() + section.rawPointer + offset, section.rawSize - offset,
        [this](std::uint32_t rva, std::uint32_t size, Bytes& out) { return readRva(rva, size, out); }, resources,
        error);
}

// In place when the resource section starts with the directory, holds nothing else that a
// directory names, and only the relocation section (position-independent data) follows it.
bool PeImage::canRewriteInPlace(int found) const {
    const DataDirectory resourceDir = directory(kDirResource);
    if (found < 0) return false;
    const std::size_t r = static_cast<std::size_t>(found);
    if (sections_[r].rawSize == 0 || sections_[r].virtualAddress != resourceDir.rva) return false;
    // Everything before the resource section is copied as it lies: no earlier section's data may
    // reach past the point where the new resources begin.
    for (std::size_t s = 0; s < r; ++s) {
        if (sections_[s].rawSize && sections_[s].rawPointer + sections_[s].rawSize > sections_[r].rawPointer)
            return false;
    }
    for (std::uint32_t d = 0; d < directoryCount_; ++d) {
        const DataDirectory dir = directory(static_cast<int>(d));
        if (dir.rva == 0 || d == kDirResource) continue;
        const int holder = sectionOf(dir.rva);
        if (holder < 0) continue;
        if (static_cast<std::size_t>(holder) == r) return false;
        if (static_cast<std::size_t>(holder) > r && d != kDirBaseReloc) return false;
    }
    const int relocHolder = directory(kDirBaseReloc).rva ? sectionOf(directory(kDirBaseReloc).rva) : -1;
    for (std::size_t s = r + 1; s < sections_.size(); ++s) {
        if (static_cast<std::size_t>(relocHolder) != s) return false;
        if (sections_[s].rawSize && sections_[s].rawPointer < sections_[r].rawPointer + sections_[r].rawSize)
            return false;
    }
    return true;
}

// The resource section gets the new data; the relocation section after it moves up or down.
void PeImage::rewriteInPlace(const std::vector<Resource>& resources, std::size_t r, Rewrite& rewrite) const {
    PeSection& rsrc = rewrite.sections[r];
    rewrite.data = buildResourceSection(resources, rsrc.virtualAddress);
    Bytes& image = rewrite.image;
    image.assign(bytes_.begin(), bytes_.begin() + rsrc.rawPointer);
    const std::uint32_t rawSize = static_cast<std::uint32_t>(alignUp(rewrite.data.size(), fileAlignment_));
    rewrite.initializedDelta = std::int64_t{rawSize} - rsrc.rawSize;
    rsrc.virtualSize = static_cast<std::uint32_t>(rewrite.data.size());
    rsrc.rawSize = rawSize;
    image.insert(image.end(), rewrite.data.begin(), rewrite.data.end());
    // The raw size is the data rounded up to the alignment, counted from where the section starts:
    // the file must hold all of it even when that start was not itself aligned.
    image.resize(std::size_t{rsrc.rawPointer} + rawSize, 0);
    padTo(image, fileAlignment_);
    std::uint32_t nextVa = static_cast<std::uint32_t>(alignUp(rsrc.virtualEnd(), sectionAlignment_));
    for (std::size_t s = r + 1; s < rewrite.sections.size(); ++s) {
        PeSection& moved = rewrite.sections[s];
        rewrite.relocShift = std::int64_t{nextVa} - moved.virtualAddress;
        const std::uint32_t oldPointer = moved.rawPointer;
        moved.virtualAddress = nextVa;
        if (moved.rawSize) {
            moved.rawPointer = static_cast<std::uint32_t>(image.size());
            image.insert(image.end(), bytes_.begin() + oldPointer, bytes_.begin() + oldPointer + moved.rawSize);
            padTo(image, fileAlignment_);
        }
        nextVa = static_cast<std::uint32_t>(alignUp(moved.virtualEnd(), sectionAlignment_));
    }
    rewrite.resourceIndex = r;
}

// A new resource section after the last one, when the section table has room for its header.
bool PeImage::appendSection(const std::vector<Resource>& resources, Rewrite& rewrite, std::string& error) const {
    std::vector<PeSection>& sections = rewrite.sections;
    const std::size_t tableEnd = sectionTableAt_ + kSectionHeaderSize * sections.size();
    std::size_t firstRaw = sizeOfHeaders_;
    for (const PeSection& section : sections)
        if (section.rawSize) firstRaw = std::min<std::size_t>(firstRaw, section.rawPointer);
    const bool roomy = sections.size() < kMaxSections && tableEnd + kSectionHeaderSize <= firstRaw &&
                       std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(tableEnd),
                                   bytes_.begin() + static_cast<std::ptrdiff_t>(tableEnd + kSectionHeaderSize),
                                   [](std::uint8_t b) { return b == 0; });
    if (!roomy) {
        error = "has no room for another section header, and its resource section cannot be rewritten in place";
        return false;
    }
    PeSection added;
    added.name = ".rsrc";
    added.virtualAddress = static_cast<std::uint32_t>(alignUp(sections.back().virtualEnd(), sectionAlignment_));
    added.characteristics = kScnInitializedData | kScnMemRead;
    added.headerAt = tableEnd;
    rewrite.data = buildResourceSection(resources, added.virtualAddress);
    added.virtualSize = static_cast<std::uint32_t>(rewrite.data.size());
    added.rawSize = static_cast<std::uint32_t>(alignUp(rewrite.data.size(), fileAlignment_));
    Bytes& image = rewrite.image;
    image.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(overlayStart_));
    padTo(image, fileAlignment_);
    added.rawPointer = static_cast<std::uint32_t>(image.size());
    image.insert(image.end(), rewrite.data.begin(), rewrite.data.end());
    padTo(image, fileAlignment_);
    rewrite.initializedDelta = added.rawSize;
    sections.push_back(added);
    rewrite.resourceIndex = sections.size() - 1;
    putLe16(image, ntAt_ + 6, static_cast<std::uint16_t>(sections.size()));
    return true;
}

// The overlay after the sections, then every header field that the new layout changes.
void PeImage::patchHeaders(Rewrite& rewrite) const {
    Bytes& image = rewrite.image;
    const std::vector<PeSection>& sections = rewrite.sections;
    const std::size_t optional = optionalAt();
    const std::size_t newOverlayStart = image.size();
    image.insert(image.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(overlayStart_), bytes_.end());

    for (const PeSection& section : sections) putSectionHeader(image, section);
    putLe32(image, directoryAt(kDirResource), sections[rewrite.resourceIndex].virtualAddress);
    putLe32(image, directoryAt(kDirResource) + 4, static_cast<std::uint32_t>(rewrite.data.size()));
    if (rewrite.relocShift != 0) {
        const DataDirectory reloc = directory(kDirBaseReloc);
        putLe32(image, directoryAt(kDirBaseReloc), static_cast<std::uint32_t>(reloc.rva + rewrite.relocShift));
    }
    const std::uint32_t symbols = getLe32(bytes_.data(), ntAt_ + 12);
    if (symbols != 0 && symbols >= overlayStart_)
        putLe32(image, ntAt_ + 12, static_cast<std::uint32_t>(symbols - overlayStart_ + newOverlayStart));
    putLe32(image, optional + kOptionalSizeOfImage, static_cast<std::uint32_t>(alignUp(sections.back().virtualEnd(), sectionAlignment_)));
    const std::int64_t initialized = std::int64_t{getLe32(bytes_.data(), optional + 8)} + rewrite.initializedDelta;
    putLe32(image, optional + 8, static_cast<std::uint32_t>(std::max<std::int64_t>(0, initialized)));
    putLe32(image, checksumAt(), peChecksum(image, checksumAt()));
}

bool PeImage::withResources(const std::vector<Resource>& resources, Bytes& out, std::string& error) const {
    out.clear();
    const DataDirectory security = directory(kDirSecurity);
    if (security.rva != 0 || security.size != 0) {
        error = "is signed: package the unsigned stub, then sign the packaged executable";
        return false;
    }
    if (directoryCount_ <= kDirResource) {
        error = "has no resource entry in its data directory";
        return false;
    }
    const DataDirectory resourceDir = directory(kDirResource);
    const int found = resourceDir.rva ? sectionOf(resourceDir.rva) : -1;
    Rewrite rewrite;
    rewrite.sections = sections_;
    if (canRewriteInPlace(found)) {
        rewriteInPlace(resources, static_cast<std::size_t>(found), rewrite);
    } else if (!appendSection(resources, rewrite, error)) {
        return false;
    }
    if (std::uint64_t{rewrite.sections.back().virtualEnd()} + sectionAlignment_ > 0xFFFFFFFFu) {
        error = "would grow beyond the 32-bit address range";
        return false;
    }
    patchHeaders(rewrite);
    out = std::move(rewrite.image);
    return true;
}
