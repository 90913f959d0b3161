#include "pe/resource_tree.h"

#include <algorithm>
#include <map>
#include <set>

#include "pe/byte_io.h"
#include "texts/text_codec.h"

namespace {

Text upper(const Text& text) {
    Text out = text;
    for (wchar_t& unit : out)
        if (unit >= L'a' && unit <= L'z') unit = static_cast<wchar_t>(unit - L'a' + L'A');
    return out;
}

struct LanguageNode {
    std::uint16_t language;
    const Resource* resource;
};
struct NameNode {
    ResourceName name;
    std::vector<LanguageNode> languages;
};
struct TypeNode {
    ResourceName type;
    std::vector<NameNode> names;
};

std::size_t directorySize(std::size_t entries) { return 16 + 8 * entries; }

void writeDirectoryHeader(Bytes& out, std::size_t at, std::size_t named, std::size_t ids) {
    putLe32(out, at, 0);
    putLe32(out, at + 4, 0);  // no time stamp, so that equal input gives equal output
    putLe16(out, at + 8, 4);
    putLe16(out, at + 10, 0);
    putLe16(out, at + 12, static_cast<std::uint16_t>(named));
    putLe16(out, at + 14, static_cast<std::uint16_t>(ids));
}

class TreeReader {
public:
    TreeReader(const std::uint8_t* section, std::size_t size, const RvaReader& readRva)
        : section_(section), size_(size), readRva_(readRva) {}

    bool read(std::vector<Resource>& resources, std::string& error) {
        Resource path;
        if (!readDirectory(0, 0, path, resources)) {
            error = error_;
            return false;
        }
        return true;
    }

private:
    bool fail(const std::string& what) {
        error_ = "the resource section is damaged: " + what;
        return false;
    }

    bool readName(std::uint32_t field, ResourceName& name) {
        if (!(field & 0x80000000u)) {
            if (field > 0xFFFF) return fail("an id above 65535");
            name = ResourceName::of(static_cast<std::uint16_t>(field));
            return true;
        }
        const std::size_t at = field & 0x7FFFFFFFu;
        if (at + 2 > size_) return fail("a name outside the section");
        const std::size_t length = getLe16(section_, at);
        if (length == 0 || at + 2 + 2 * length > size_) return fail("a name outside the section");
        name = ResourceName{0, fromUtf16Le(section_ + at + 2, 2 * length)};
        return true;
    }

    bool readDirectory(std::size_t at, int level, Resource& path, std::vector<Resource>& resources) {
        if (at + 16 > size_) return fail("a directory outside the section");
        if (!visited_.insert(at).second) return fail("a directory reached twice");
        const std::size_t count = std::size_t{getLe16(section_, at + 12)} + getLe16(section_, at + 14);
        if (at + directorySize(count) > size_) return fail("directory entries outside the section");
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = at + 16 + 8 * i;
            const std::uint32_t nameField = getLe32(section_, entry);
            const std::uint32_t target = getLe32(section_, entry + 4);
            if (level == 2) {
                if (nameField & 0x80000000u || nameField > 0xFFFF) return fail("a language that is not a number");
                path.language = static_cast<std::uint16_t>(nameField);
            } else if (!readName(nameField, level == 0 ? path.type : path.name)) {
                return false;
            }
            const bool isDirectory = (target & 0x80000000u) != 0;
            if (isDirectory != (level < 2)) return fail("a tree that is not three levels deep");
            if (isDirectory) {
                if (!readDirectory(target & 0x7FFFFFFFu, level + 1, path, resources)) return false;
                continue;
            }
            if (std::size_t{target} + 16 > size_) return fail("a data entry outside the section");
            Resource resource = path;
            const std::uint32_t rva = getLe32(section_, target);
            const std::uint32_t dataSize = getLe32(section_, target + 4);
            resource.codePage = getLe32(section_, target + 8);
            dataBytes_ += dataSize;
            if (++dataCount_ > 65536 || dataBytes_ > (std::size_t{1} << 28)) return fail("too many resources");
            if (!readRva_(rva, dataSize, resource.data)) return fail("resource data outside the image");
            resources.push_back(std::move(resource));
        }
        return true;
    }

    const std::uint8_t* section_;
    std::size_t size_;
    const RvaReader& readRva_;
    std::set<std::size_t> visited_;
    std::size_t dataCount_ = 0;
    std::size_t dataBytes_ = 0;
    std::string error_;
};

}  // namespace

std::string ResourceName::describe() const {
    return isId() ? std::to_string(id) : "\"" + encodeUtf8(name) + "\"";
}

bool operator==(const ResourceName& a, const ResourceName& b) { return a.id == b.id && a.name == b.name; }

bool operator<(const ResourceName& a, const ResourceName& b) {
    if (a.isId() != b.isId()) return !a.isId();
    if (a.isId()) return a.id < b.id;
    return upper(a.name) < upper(b.name);
}

std::string describeType(const ResourceName& type) {
    if (!type.isId()) return type.describe();
    switch (type.id) {
        case kTypeIcon: return "ICON";
        case kTypeDialog: return "DIALOG";
        case kTypeString: return "STRING";
        case kTypeRcData: return "RCDATA";
        case kTypeGroupIcon: return "GROUP_ICON";
        case kTypeVersion: return "VERSION";
        case kTypeManifest: return "MANIFEST";
        default: return std::to_string(type.id);
    }
}

void putResource(std::vector<Resource>& resources, Resource resource) {
    for (Resource& existing : resources)
        if (existing.type == resource.type && existing.name == resource.name && existing.language == resource.language) {
            existing = std::move(resource);
            return;
        }
    resources.push_back(std::move(resource));
}

namespace {

// The resources sorted by type, name and language and grouped into the tree's three levels. The
// nodes point into `resources`; of two with the same type, name and language, the first one wins.
std::vector<TypeNode> groupResources(std::vector<Resource>& resources) {
    std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        if (!(a.type == b.type)) return a.type < b.type;
        if (!(a.name == b.name)) return a.name < b.name;
        return a.language < b.language;
    });
    std::vector<TypeNode> types;
    for (const Resource& resource : resources) {
        if (types.empty() || !(types.back().type == resource.type)) types.push_back({resource.type, {}});
        auto& names = types.back().names;
        if (names.empty() || !(names.back().name == resource.name)) names.push_back({resource.name, {}});
        auto& languages = names.back().languages;
        if (!languages.empty() && languages.back().language == resource.language) continue;
        languages.push_back({resource.language, &resource});
    }
    return types;
}

// Where each part of the section goes: all directories first (root, types, names), then the name
// strings, then the data entries, then the data.
struct SectionLayout {
    std::map<Text, std::size_t> stringOffsets;
    std::size_t dataEntriesAt = 0;
    std::size_t dataAt = 0;
};

SectionLayout layoutOf(const std::vector<TypeNode>& types) {
    std::size_t directoryBytes = directorySize(types.size());
    std::size_t dataCount = 0;
    for (const TypeNode& type : types) {
        directoryBytes += directorySize(type.names.size());
        for (const NameNode& name : type.names) {
            directoryBytes += directorySize(name.languages.size());
            dataCount += name.languages.size();
        }
    }
    SectionLayout layout;
    std::size_t stringBytes = 0;
    auto addString = [&](const ResourceName& name) {
        if (name.isId() || layout.stringOffsets.count(name.name)) return;
        layout.stringOffsets[name.name] = directoryBytes + stringBytes;
        stringBytes += 2 + toUtf16Le(name.name).size();
    };
    for (const TypeNode& type : types) {
        addString(type.type);
        for (const NameNode& name : type.names) addString(name.name);
    }
    layout.dataEntriesAt = alignUp(directoryBytes + stringBytes, 8);
    layout.dataAt = alignUp(layout.dataEntriesAt + 16 * dataCount, 8);
    return layout;
}

template <typename Nodes, typename NameOf>
std::size_t countNamed(const Nodes& nodes, NameOf nameOf) {
    std::size_t named = 0;
    for (const auto& node : nodes) named += nameOf(node).isId() ? 0 : 1;
    return named;
}

// One name's language directory, its data entries and the data they point at (appended to `out`).
void writeLanguages(const NameNode& name, std::size_t directoryAt, std::size_t& nextDataEntry,
                    std::uint32_t sectionRva, Bytes& out) {
    writeDirectoryHeader(out, directoryAt, 0, name.languages.size());
    for (std::size_t l = 0; l < name.languages.size(); ++l) {
        const Resource& resource = *name.languages[l].resource;
        putLe32(out, directoryAt + 16 + 8 * l, resource.language);
        putLe32(out, directoryAt + 16 + 8 * l + 4, static_cast<std::uint32_t>(nextDataEntry));
        putLe32(out, nextDataEntry, sectionRva + static_cast<std::uint32_t>(out.size()));
        putLe32(out, nextDataEntry + 4, static_cast<std::uint32_t>(resource.data.size()));
        putLe32(out, nextDataEntry + 8, resource.codePage);
        nextDataEntry += 16;
        out.insert(out.end(), resource.data.begin(), resource.data.end());
        out.resize(alignUp(out.size(), 8), 0);
    }
}

}  // namespace

Bytes buildResourceSection(std::vector<Resource> resources, std::uint32_t sectionRva) {
    const std::vector<TypeNode> types = groupResources(resources);
    SectionLayout layout = layoutOf(types);

    Bytes out(layout.dataAt, 0);
    for (const auto& [text, offset] : layout.stringOffsets) {
        const Bytes units = toUtf16Le(text);
        putLe16(out, offset, static_cast<std::uint16_t>(units.size() / 2));
        std::copy(units.begin(), units.end(), out.begin() + static_cast<std::ptrdiff_t>(offset + 2));
    }
    auto nameField = [&](const ResourceName& name) -> std::uint32_t {
        return name.isId() ? name.id : 0x80000000u | static_cast<std::uint32_t>(layout.stringOffsets[name.name]);
    };

    std::size_t nextDirectory = directorySize(types.size());
    std::size_t nextDataEntry = layout.dataEntriesAt;
    const std::size_t namedTypes = countNamed(types, [](const TypeNode& n) { return n.type; });
    writeDirectoryHeader(out, 0, namedTypes, types.size() - namedTypes);
    for (std::size_t t = 0; t < types.size(); ++t) {
        const TypeNode& type = types[t];
        const std::size_t typeDirectory = nextDirectory;
        nextDirectory += directorySize(type.names.size());
        putLe32(out, 16 + 8 * t, nameField(type.type));
        putLe32(out, 16 + 8 * t + 4, 0x80000000u | static_cast<std::uint32_t>(typeDirectory));
        const std::size_t named = countNamed(type.names, [](const NameNode& n) { return n.name; });
        writeDirectoryHeader(out, typeDirectory, named, type.names.size() - named);
        for (std::size_t n = 0; n < type.names.size(); ++n) {
            const NameNode& name = type.names[n];
            const std::size_t nameDirectory = nextDirectory;
            nextDirectory += directorySize(name.languages.size());
            putLe32(out, typeDirectory + 16 + 8 * n, nameField(name.name));
            putLe32(out, typeDirectory + 16 + 8 * n + 4, 0x80000000u | static_cast<std::uint32_t>(nameDirectory));
            writeLanguages(name, nameDirectory, nextDataEntry, sectionRva, out);
        }
    }
    return out;
}

bool parseResourceSection(const std::uint8_t* section, std::size_t size, const RvaReader& readRva,
                          std::vector<Resource>& resources, std::string& error) {
    resources.clear();
    std::vector<Resource> found;
    TreeReader reader(section, size, readRva);
    if (!reader.read(found, error)) return false;
    resources = std::move(found);
    return true;
}
