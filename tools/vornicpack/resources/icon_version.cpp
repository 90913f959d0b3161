#include "resources/icon_version.h"

#include "pe/byte_io.h"
#include "support/utf16.h"

namespace {

constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kIconEntrySize = 16;

// One node of the version tree: length, value length, type, key, value, children, each aligned to 4.
Bytes versionNode(const Text& key, const Bytes& value, std::uint16_t valueLength, bool isText,
                  const std::vector<Bytes>& children) {
    Bytes out;
    appendLe16(out, 0);  // length, filled in below
    appendLe16(out, valueLength);
    appendLe16(out, isText ? 1 : 0);
    const Bytes keyUnits = toUtf16Le(key);
    out.insert(out.end(), keyUnits.begin(), keyUnits.end());
    appendLe16(out, 0);
    padTo(out, 4);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        padTo(out, 4);
        out.insert(out.end(), child.begin(), child.end());
    }
    putLe16(out, 0, static_cast<std::uint16_t>(out.size()));
    return out;
}

Bytes stringNode(const Text& key, const Text& value) {
    Bytes units = toUtf16Le(value);
    appendLe16(units, 0);
    return versionNode(key, units, static_cast<std::uint16_t>(units.size() / 2), true, {});
}

}  // namespace

bool buildIconResources(const Bytes& ico, std::vector<Resource>& resources, std::string& error) {
    resources.clear();
    if (ico.size() < kIconDirSize || getLe16(ico.data(), 0) != 0 || getLe16(ico.data(), 2) != 1) {
        error = "is not an icon file (.ico)";
        return false;
    }
    const std::size_t count = getLe16(ico.data(), 4);
    if (count == 0 || ico.size() < kIconDirSize + kIconEntrySize * count) {
        error = "is an icon file without images, or is truncated";
        return false;
    }
    Resource group;
    group.type = ResourceName::of(kTypeGroupIcon);
    group.name = ResourceName::of(1);
    appendLe16(group.data, 0);
    appendLe16(group.data, 1);
    appendLe16(group.data, static_cast<std::uint16_t>(count));
    std::vector<Resource> images;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kIconDirSize + kIconEntrySize * i;
        const std::uint32_t size = getLe32(ico.data(), entry + 8);
        const std::uint32_t offset = getLe32(ico.data(), entry + 12);
        if (size == 0 || offset > ico.size() || ico.size() - offset < size) {
            error = "is a damaged icon file: image " + std::to_string(i + 1) + " lies outside the file";
            return false;
        }
        Resource image;
        image.type = ResourceName::of(kTypeIcon);
        image.name = ResourceName::of(static_cast<std::uint16_t>(i + 1));
        image.data.assign(ico.begin() + offset, ico.begin() + offset + size);
        images.push_back(std::move(image));
        // The group entry is the file's entry with the image's resource id in place of its offset.
        group.data.insert(group.data.end(), ico.begin() + static_cast<std::ptrdiff_t>(entry),
                          ico.begin() + static_cast<std::ptrdiff_t>(entry + 12));
        appendLe16(group.data, static_cast<std::uint16_t>(i + 1));
    }
    images.push_back(std::move(group));
    resources = std::move(images);
    return true;
}

bool parseFourPartVersion(const Text& text, FourPartVersion& version) {
    FourPartVersion parsed{};
    std::size_t part = 0;
    std::uint32_t value = 0;
    bool digits = false;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == L'.') {
            if (!digits || part >= 4) return false;
            parsed[part++] = static_cast<std::uint16_t>(value);
            value = 0;
            digits = false;
        } else if (text[i] >= L'0' && text[i] <= L'9') {
            value = value * 10 + static_cast<std::uint32_t>(text[i] - L'0');
            if (value > 65535) return false;
            digits = true;
        } else {
            return false;
        }
    }
    version = parsed;
    return true;
}

Resource buildVersionResource(const VersionTexts& texts) {
    const FourPartVersion& v = texts.version;
    const std::uint32_t high = static_cast<std::uint32_t>(v[0]) << 16 | v[1];
    const std::uint32_t low = static_cast<std::uint32_t>(v[2]) << 16 | v[3];
    Bytes fixed;
    for (const std::uint32_t value : {0xFEEF04BDu, 0x00010000u, high, low, high, low, 0x3Fu, 0u,
                                      0x00040004u /* VOS_NT_WINDOWS32 */, 1u /* VFT_APP */, 0u, 0u, 0u})
        appendLe32(fixed, value);

    const Text versionText = std::to_wstring(v[0]) + L"." + std::to_wstring(v[1]) + L"." + std::to_wstring(v[2]) +
                             L"." + std::to_wstring(v[3]);
    std::vector<Bytes> strings;
    auto add = [&](const wchar_t* key, const Text& value) {
        if (!value.empty()) strings.push_back(stringNode(key, value));
    };
    add(L"CompanyName", texts.companyName);
    add(L"FileDescription", texts.fileDescription);
    add(L"FileVersion", versionText);
    add(L"InternalName", texts.productName);
    add(L"LegalCopyright", texts.copyright);
    add(L"OriginalFilename", texts.originalFilename);
    add(L"ProductName", texts.productName);
    add(L"ProductVersion", versionText);
    const Bytes table = versionNode(L"040904B0", {}, 0, true, strings);
    const Bytes stringInfo = versionNode(L"StringFileInfo", {}, 0, true, {table});
    Bytes translation;
    appendLe16(translation, 0x0409);
    appendLe16(translation, 1200);
    const Bytes var = versionNode(L"Translation", translation, 4, false, {});
    const Bytes varInfo = versionNode(L"VarFileInfo", {}, 0, true, {var});

    Resource resource;
    resource.type = ResourceName::of(kTypeVersion);
    resource.name = ResourceName::of(1);
    resource.data = versionNode(L"VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false,
                                {stringInfo, varInfo});
    return resource;
}
