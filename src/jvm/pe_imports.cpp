#include "jvm/pe_imports.h"

#include <cstdint>

#include "support/pe_headers.h"

namespace {

constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kLongestName = 260;

bool readU16(const std::string& bytes, std::size_t at, std::uint32_t& value) {
    if (at > bytes.size() || bytes.size() - at < 2) return false;
    value = static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8;
    return true;
}

bool readU32(const std::string& bytes, std::size_t at, std::uint32_t& value) {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    if (!readU16(bytes, at, low) || !readU16(bytes, at + 2, high)) return false;
    value = low | high << 16;
    return true;
}

struct Sections {
    std::size_t table = 0;
    std::uint32_t count = 0;
};

// The file offset of a relative virtual address, through the section that holds it.
bool offsetOf(const std::string& image, const Sections& sections, std::uint32_t rva, std::size_t& offset) {
    for (std::uint32_t i = 0; i < sections.count; ++i) {
        const std::size_t header = sections.table + i * kSectionHeaderSize;
        std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
        if (!readU32(image, header + 8, virtualSize) || !readU32(image, header + 12, virtualAddress) ||
            !readU32(image, header + 16, rawSize) || !readU32(image, header + 20, rawOffset)) {
            return false;
        }
        const std::uint32_t extent = virtualSize > rawSize ? virtualSize : rawSize;
        if (rva >= virtualAddress && rva - virtualAddress < extent) {
            if (rva - virtualAddress >= rawSize) return false;  // in the zero-filled tail: no bytes in the file
            offset = static_cast<std::size_t>(rawOffset) + (rva - virtualAddress);
            return offset < image.size();
        }
    }
    return false;
}

}  // namespace

bool importedLibraryNames(const std::string& image, std::vector<std::string>& names) {
    names.clear();
    PeHeaders headers;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.data());
    if (readPeOptionalHeader(bytes, image.size(), headers) != PeFault::None) return false;
    if (headers.directoryCount < 2) return true;  // no import directory: nothing imported
    std::uint32_t importRva = 0;
    if (!readU32(image, headers.directoriesAt + 8, importRva)) return false;
    if (importRva == 0) return true;

    const Sections sections{headers.sectionTableAt, headers.sectionCount};
    std::size_t descriptor = 0;
    if (!offsetOf(image, sections, importRva, descriptor)) return false;
    for (;; descriptor += kImportDescriptorSize) {
        std::uint32_t lookup = 0, nameRva = 0, thunks = 0;
        if (!readU32(image, descriptor, lookup) || !readU32(image, descriptor + 12, nameRva) ||
            !readU32(image, descriptor + 16, thunks)) {
            return false;
        }
        if (nameRva == 0 && lookup == 0 && thunks == 0) return true;  // the zero descriptor ends the list
        std::size_t at = 0;
        if (!offsetOf(image, sections, nameRva, at)) return false;
        const std::size_t end = image.find('\0', at);
        if (end == std::string::npos || end == at || end - at > kLongestName) return false;
        names.push_back(image.substr(at, end - at));
    }
}
