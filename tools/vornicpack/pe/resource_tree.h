// The resources of a PE image as a flat list, and the section that holds them, built in the layout
// the system's loader searches: a three-level tree (type, name, language) whose entries are sorted,
// named entries first (by name, ignoring case), then numeric ids in ascending order.
//
//   std::vector<Resource> resources = ...;
//   Bytes section = buildResourceSection(resources, sectionRva);
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/text.h"

struct ResourceName {
    std::uint16_t id = 0;  // used when `name` is empty
    Text name;

    static ResourceName of(std::uint16_t id) { return ResourceName{id, Text()}; }
    bool isId() const { return name.empty(); }
    std::string describe() const;
};

bool operator==(const ResourceName& a, const ResourceName& b);
// The loader's order: names before ids; names by their upper-case form, ids by value.
bool operator<(const ResourceName& a, const ResourceName& b);

enum ResourceType : std::uint16_t {
    kTypeIcon = 3,
    kTypeDialog = 5,
    kTypeString = 6,
    kTypeRcData = 10,
    kTypeGroupIcon = 14,
    kTypeVersion = 16,
    kTypeManifest = 24,
};

constexpr std::uint16_t kLanguageNeutral = 0;

struct Resource {
    ResourceName type;
    ResourceName name;
    std::uint16_t language = kLanguageNeutral;
    std::uint32_t codePage = 0;
    Bytes data;
};

std::string describeType(const ResourceName& type);

// Adds or replaces the resource with the same type, name and language.
void putResource(std::vector<Resource>& resources, Resource resource);

// The whole section: directories, then name strings, then data entries, then the data, each datum
// aligned to 8 bytes. Data entries hold RVAs, hence the section's own RVA.
Bytes buildResourceSection(std::vector<Resource> resources, std::uint32_t sectionRva);

// Reads the tree at `directory` (bytes of the resource section, whose RVA is `sectionRva`); data
// entries are resolved through `readRva` (RVA, size, out bytes) so that data may lie anywhere in the
// image. Every offset is checked; a loop or a tree deeper than three levels is an error.
using RvaReader = std::function<bool(std::uint32_t rva, std::uint32_t size, Bytes& out)>;
bool parseResourceSection(const std::uint8_t* section, std::size_t size, const RvaReader& readRva,
                          std::vector<Resource>& resources, std::string& error);
