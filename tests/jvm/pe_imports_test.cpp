#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jvm/pe_imports.h"

namespace {

void put16(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xff);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xff);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    put16(bytes, at, value & 0xffff);
    put16(bytes, at + 2, value >> 16);
}

// A PE image with one section at RVA 0x2000 (file offset 0x400) that holds the import directory and,
// after it, the names. `nameRvaShift` moves every name's RVA, so that it points elsewhere.
std::string imageImporting(const std::vector<std::string>& names, bool wide, std::uint32_t nameRvaShift = 0) {
    constexpr std::size_t peOffset = 0x80, sectionFile = 0x400;
    constexpr std::uint32_t sectionRva = 0x2000;
    std::string bytes(0x800, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put32(bytes, 0x3c, peOffset);
    put32(bytes, peOffset, 0x00004550);
    const std::size_t coff = peOffset + 4, optional = coff + 20;
    const std::uint32_t optionalSize = wide ? 240 : 224;
    put16(bytes, coff + 2, 1);
    put16(bytes, coff + 16, optionalSize);
    put16(bytes, optional, wide ? 0x20b : 0x10b);
    const std::size_t directories = optional + (wide ? 112 : 96);
    put32(bytes, directories - 4, 16);
    put32(bytes, directories + 8, sectionRva);
    const std::size_t section = optional + optionalSize;
    put32(bytes, section + 8, 0x400);  // virtual size
    put32(bytes, section + 12, sectionRva);
    put32(bytes, section + 16, 0x400);  // size in the file
    put32(bytes, section + 20, sectionFile);
    std::size_t nameAt = (names.size() + 1) * 20;
    for (std::size_t i = 0; i < names.size(); ++i) {
        put32(bytes, sectionFile + i * 20, sectionRva + 0x300);  // lookup table (not read)
        put32(bytes, sectionFile + i * 20 + 12, sectionRva + static_cast<std::uint32_t>(nameAt) + nameRvaShift);
        bytes.replace(sectionFile + nameAt, names[i].size(), names[i]);
        nameAt += names[i].size() + 1;
    }
    return bytes;
}

TEST(PeImports, ReadsTheNamesOfBothWidthsAndRefusesWhatIsNoImageOrLiesOutside) {
    const std::vector<std::string> two = {"KERNEL32.dll", "vcruntime140.dll"};
    std::string noDirectory = imageImporting({}, true);
    put32(noDirectory, 0x80 + 24 + 112 + 8, 0);
    std::string notPe = imageImporting(two, true);
    notPe[0x80] = 'X';
    std::string unknownMagic = imageImporting(two, true);
    put16(unknownMagic, 0x80 + 24, 0x107);
    std::string unterminated = imageImporting(two, false);
    unterminated.resize(0x400 + 3 * 20 + 5);  // inside the first name
    struct Case {
        const char* what;
        std::string image;
        bool read;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"x64, two", imageImporting(two, true), true, two},
        {"x86, two", imageImporting(two, false), true, two},
        {"nothing imported", imageImporting({}, true), true, {}},
        {"no import directory", noDirectory, true, {}},
        {"no PE signature", notPe, false, {}},
        {"neither width", unknownMagic, false, {}},
        {"too short", "MZ", false, {}},
        {"a name outside every section", imageImporting(two, true, 0x10000), false, {}},
        {"a name that runs off the end", unterminated, false, {}},
        {"cut inside the descriptors", imageImporting(two, true).substr(0, 0x400 + 30), false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names = {"left over"};
        EXPECT_EQ(importedLibraryNames(c.image, names), c.read) << c.what;
        if (c.read) {
            EXPECT_EQ(names, c.names) << c.what;
        }
    }
}

}  // namespace
