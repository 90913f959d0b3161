// Small synthetic PE images for host tests: headers, a code section, optionally a resource section
// holding a manifest, and a trailing section that is either the relocations or ordinary data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe/resource_tree.h"

namespace testpe {

enum class Layout {
    ResourcesThenRelocations,  // what the linker makes: the packer rewrites in place
    ResourcesThenData,         // resources not movable: the packer adds a section
    NoResources,
};

struct SyntheticOptions {
    bool is64 = true;
    Layout layout = Layout::ResourcesThenRelocations;
    std::string overlay = "OVERLAY-BYTES";
    bool signedImage = false;
    std::uint16_t subsystem = 2;  // 2 windowed, 3 console
};

inline void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

inline Resource manifestResource() {
    Resource manifest;
    manifest.type = ResourceName::of(kTypeManifest);
    manifest.name = ResourceName::of(1);
    manifest.language = 1033;
    const std::string xml = "<assembly manifestVersion=\"1.0\"/>";
    manifest.data.assign(xml.begin(), xml.end());
    return manifest;
}

inline std::vector<std::uint8_t> syntheticPe(const SyntheticOptions& options) {
    const bool is64 = options.is64;
    const std::size_t nt = 0x80, opt = nt + 24, optSize = is64 ? 240 : 224, table = opt + optSize;
    const bool hasResources = options.layout != Layout::NoResources;
    struct Spec {
        const char* name;
        std::uint32_t va, raw, size, flags;
        std::uint8_t fill;
    };
    std::vector<Spec> specs = {{".text", 0x1000, 0x400, 0x200, 0x60000020, 0xC3}};
    if (hasResources) specs.push_back({".rsrc", 0x2000, 0x600, 0x200, 0x40000040, 0});
    const bool relocs = options.layout == Layout::ResourcesThenRelocations;
    specs.push_back({relocs ? ".reloc" : ".data", 0x3000, 0x800, 0x200, 0x42000040, 0x5A});

    std::vector<std::uint8_t> b(0xA00, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, nt);
    put32(b, nt, 0x4550);
    put16(b, nt + 4, is64 ? 0x8664 : 0x14C);
    put16(b, nt + 6, static_cast<std::uint32_t>(specs.size()));
    put16(b, nt + 20, static_cast<std::uint32_t>(optSize));
    put16(b, nt + 22, 0x0102);
    put16(b, opt, is64 ? 0x20B : 0x10B);
    put32(b, opt + 8, 0x400);  // initialised data
    put32(b, opt + 16, 0x1000);
    put32(b, opt + 32, 0x1000);
    put32(b, opt + 36, 0x200);
    put32(b, opt + 56, 0x4000);
    put32(b, opt + 60, 0x400);
    put16(b, opt + 68, options.subsystem);
    put32(b, opt + (is64 ? 108 : 92), 16);
    const std::size_t dirs = opt + (is64 ? 112 : 96);
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const Spec& s = specs[i];
        const std::size_t at = table + 40 * i;
        for (int c = 0; s.name[c]; ++c) b[at + c] = static_cast<std::uint8_t>(s.name[c]);
        put32(b, at + 8, s.size - 0x10);
        put32(b, at + 12, s.va);
        put32(b, at + 16, s.size);
        put32(b, at + 20, s.raw);
        put32(b, at + 36, s.flags);
        for (std::uint32_t k = 0; k < s.size; ++k) b[s.raw + k] = static_cast<std::uint8_t>(s.fill + k);
    }
    if (hasResources) {
        const Bytes section = buildResourceSection({manifestResource()}, 0x2000);
        std::copy(section.begin(), section.end(), b.begin() + 0x600);
        std::fill(b.begin() + 0x600 + static_cast<std::ptrdiff_t>(section.size()), b.begin() + 0x800, 0);
        put32(b, dirs + 2 * 8, 0x2000);
        put32(b, dirs + 2 * 8 + 4, static_cast<std::uint32_t>(section.size()));
    }
    if (relocs) {
        put32(b, dirs + 5 * 8, 0x3000);
        put32(b, dirs + 5 * 8 + 4, 0x1F0);
    }
    if (options.signedImage) {
        put32(b, dirs + 4 * 8, 0xA00);
        put32(b, dirs + 4 * 8 + 4, static_cast<std::uint32_t>(options.overlay.size()));
    }
    b.insert(b.end(), options.overlay.begin(), options.overlay.end());
    return b;
}

}  // namespace testpe
