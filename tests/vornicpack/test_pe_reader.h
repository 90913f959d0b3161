// An independent reader for the tests: walks a PE file's headers and resource tree by the file
// format alone (no code shared with the packer) and records what a loader would find.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace testpe {

using Bytes = std::vector<std::uint8_t>;

struct Section {
    std::string name;
    std::uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
};

// Type and name as "#id" or the name in ASCII; language as a number.
using Key = std::tuple<std::string, std::string, unsigned>;

struct Image {
    bool is64 = false;
    std::uint32_t sizeOfImage = 0, sizeOfHeaders = 0, checksum = 0, fileAlignment = 0, sectionAlignment = 0;
    std::uint32_t initializedData = 0;
    std::size_t checksumAt = 0;
    std::vector<Section> sections;
    std::uint32_t dirRva[16] = {}, dirSize[16] = {};
    std::map<Key, Bytes> resources;
    std::vector<std::string> orderProblems;  // entries out of the loader's order
    std::string error;
};

inline std::uint32_t u16(const Bytes& b, std::size_t at) { return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0; }
inline std::uint32_t u32(const Bytes& b, std::size_t at) { return at + 4 <= b.size() ? u16(b, at) | u16(b, at + 2) << 16 : 0; }

inline std::uint32_t referenceChecksum(const Bytes& file, std::size_t checksumAt) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < file.size(); at += 2) {
        if (at == checksumAt || at == checksumAt + 2) continue;
        sum += at + 1 < file.size() ? (file[at] | file[at + 1] << 8) : file[at];
        sum = (sum >> 16) + (sum & 0xFFFF);
    }
    return ((sum >> 16) + (sum & 0xFFFF)) + static_cast<std::uint32_t>(file.size());
}

inline bool rvaToOffset(const Image& image, std::uint32_t rva, std::size_t& offset) {
    for (const Section& s : image.sections)
        if (rva >= s.virtualAddress && rva < s.virtualAddress + s.rawSize) {
            offset = s.rawPointer + (rva - s.virtualAddress);
            return true;
        }
    return false;
}

inline std::string entryName(const Bytes& file, std::size_t rsrc, std::uint32_t field) {
    if (!(field & 0x80000000u)) return "#" + std::to_string(field);
    const std::size_t at = rsrc + (field & 0x7FFFFFFFu);
    std::string name;
    for (std::uint32_t i = 0; i < u16(file, at); ++i) name.push_back(static_cast<char>(u16(file, at + 2 + 2 * i)));
    return name;
}

inline Image readImage(const Bytes& file) {
    Image image;
    const std::size_t nt = u32(file, 0x3C);
    if (u16(file, 0) != 0x5A4D || u32(file, nt) != 0x4550) {
        image.error = "not PE";
        return image;
    }
    const std::size_t opt = nt + 24;
    image.is64 = u16(file, opt) == 0x20B;
    image.initializedData = u32(file, opt + 8);
    image.sectionAlignment = u32(file, opt + 32);
    image.fileAlignment = u32(file, opt + 36);
    image.sizeOfImage = u32(file, opt + 56);
    image.sizeOfHeaders = u32(file, opt + 60);
    image.checksumAt = opt + 64;
    image.checksum = u32(file, opt + 64);
    const std::size_t dirs = opt + (image.is64 ? 112 : 96);
    for (int i = 0; i < 16; ++i) {
        image.dirRva[i] = u32(file, dirs + 8 * i);
        image.dirSize[i] = u32(file, dirs + 8 * i + 4);
    }
    const std::size_t table = opt + u16(file, nt + 20);
    for (std::uint32_t i = 0; i < u16(file, nt + 6); ++i) {
        const std::size_t at = table + 40 * i;
        Section s;
        for (int c = 0; c < 8 && file[at + c]; ++c) s.name.push_back(static_cast<char>(file[at + c]));
        s.virtualSize = u32(file, at + 8);
        s.virtualAddress = u32(file, at + 12);
        s.rawSize = u32(file, at + 16);
        s.rawPointer = u32(file, at + 20);
        image.sections.push_back(s);
    }
    std::size_t rsrc = 0;
    if (!image.dirRva[2]) return image;
    if (!rvaToOffset(image, image.dirRva[2], rsrc)) {
        image.error = "resource directory outside the sections";
        return image;
    }
    // Three levels; checks the loader's order at each: named entries first, then ids ascending.
    auto walk = [&](auto&& self, std::size_t dir, int level, std::vector<std::string> path) -> void {
        const unsigned named = u16(file, rsrc + dir + 12), ids = u16(file, rsrc + dir + 14);
        std::uint32_t previousId = 0;
        for (unsigned i = 0; i < named + ids; ++i) {
            const std::size_t entry = rsrc + dir + 16 + 8 * i;
            const std::uint32_t nameField = u32(file, entry), target = u32(file, entry + 4);
            const bool isNamed = (nameField & 0x80000000u) != 0;
            if (isNamed != (i < named)) image.orderProblems.push_back("named/id split at level " + std::to_string(level));
            if (!isNamed && i > named && nameField <= previousId)
                image.orderProblems.push_back("ids not ascending at level " + std::to_string(level));
            if (!isNamed) previousId = nameField;
            auto next = path;
            next.push_back(entryName(file, rsrc, nameField));
            if (level < 2) {
                if (!(target & 0x80000000u)) {
                    image.error = "data entry above the language level";
                    return;
                }
                self(self, target & 0x7FFFFFFFu, level + 1, next);
                continue;
            }
            const std::size_t data = rsrc + target;
            std::size_t offset = 0;
            if (!rvaToOffset(image, u32(file, data), offset) || offset + u32(file, data + 4) > file.size()) {
                image.error = "resource data outside the file";
                return;
            }
            image.resources[{next[0], next[1], nameField}] =
                Bytes(file.begin() + static_cast<std::ptrdiff_t>(offset),
                      file.begin() + static_cast<std::ptrdiff_t>(offset + u32(file, data + 4)));
        }
    };
    walk(walk, 0, 0, {});
    return image;
}

}  // namespace testpe
