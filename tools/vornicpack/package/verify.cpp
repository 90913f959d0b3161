#include "package/verify.h"

#include <algorithm>
#include <map>

#include "package/packager.h"
#include "package/signature_check.h"
#include "pe/byte_io.h"
#include "pe/pe_image.h"
#include "project/project_file.h"
#include "settings/setting_names.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// One node of a version resource: wLength, wValueLength, wType, the key, then the value and the
// children, each 32-bit aligned. The strings of every StringTable land in `strings`.
void readVersionNode(const Bytes& data, std::size_t at, std::size_t end, int depth,
                     std::map<std::string, std::string>& strings) {
    if (depth > 4 || at + 6 > end) return;
    const std::size_t length = getLe16(data.data(), at), valueLength = getLe16(data.data(), at + 2);
    const bool text = getLe16(data.data(), at + 4) == 1;
    if (length < 6 || at + length > end) return;
    const std::size_t nodeEnd = at + length;
    std::size_t cursor = at + 6;
    Text key;
    while (cursor + 2 <= nodeEnd && getLe16(data.data(), cursor) != 0) {
        key += static_cast<wchar_t>(getLe16(data.data(), cursor));
        cursor += 2;
    }
    cursor = (cursor + 2 + 3) & ~std::size_t{3};
    const std::size_t valueBytes = text ? valueLength * 2 : valueLength;
    if (depth == 3 && text) {  // VS_VERSIONINFO > StringFileInfo > StringTable > String
        Text value;
        for (std::size_t i = 0; i + 2 <= valueBytes && cursor + i + 2 <= nodeEnd; i += 2) {
            const wchar_t unit = static_cast<wchar_t>(getLe16(data.data(), cursor + i));
            if (unit == 0) break;
            value += unit;
        }
        strings[encodeUtf8(key)] = encodeUtf8(trimText(value));
        return;
    }
    if (depth == 1 && key != L"StringFileInfo") return;
    cursor = (cursor + valueBytes + 3) & ~std::size_t{3};
    while (cursor + 6 <= nodeEnd) {
        const std::size_t childLength = getLe16(data.data(), cursor);
        if (childLength < 6) break;
        readVersionNode(data, cursor, nodeEnd, depth + 1, strings);
        cursor = (cursor + childLength + 3) & ~std::size_t{3};
    }
}

class ShipmentCheck {
public:
    ShipmentCheck(const VerifyOptions& options, VerifyReport& report) : options(options), report(report) {}

    void checkExecutable(const fs::path& file, const std::string& name) {
        ++report.executables;
        Bytes bytes;
        std::string problem;
        PeImage image;
        if (!readWholeFile(file, bytes, problem) || !image.parse(bytes, problem)) {
            add(name, FindingKind::Image, "it " + problem + ": build it again");
            return;
        }
        Launcher& launcher = launchers[name];
        launcher.file = file;
        launcher.machine = image.machine();
        const std::uint32_t sum = peChecksum(bytes, image.checksumAt());
        if (image.checksum() != sum)
            add(name, FindingKind::Image, "its header checksum is " + hex32(image.checksum()) + ", but the file sums to " +
                                              hex32(sum) + ": it was changed after it was written; build it again");
        std::vector<Resource> resources;
        if (!image.readResources(resources, problem)) {
            add(name, FindingKind::Image, "its resources cannot be read (" + problem + "): build it again");
            return;
        }
        checkResources(name, resources);
        checkLayout(name, image, bytes);
        if (readSettings(file, resources, launcher) == Settings::Unreadable)
            add(name, FindingKind::Image, "its packaged settings cannot be read with the INI file beside it: ship "
                                          "the INI file that was built with it");
    }

    // The launchers that name a pair, and those of a width without one.
    void checkPairs() {
        for (const auto& [name, launcher] : launchers) {
            if (!launcher.packaged) continue;
            if (launcher.pair.empty()) {
                for (const auto& [otherName, other] : launchers)
                    if (other.packaged && other.machine != launcher.machine)
                        add(name, FindingKind::Pair, "it names no \"Pair Product\", but " + otherName +
                                                         " of the other width lies beside it: build both with one project");
                continue;
            }
            Text relative = launcher.pair;
            std::replace(relative.begin(), relative.end(), L'\\', L'/');
            const std::string pairName = encodeUtf8(relative);
            const fs::path pairFile = launcher.file.parent_path() / pathFromText(relative);
            std::error_code code;
            if (!fs::is_regular_file(pairFile, code)) {
                add(name, FindingKind::Pair, "its \"Pair Product\" " + pairName +
                                                 " is missing: ship the launchers of both widths together");
                continue;
            }
            const auto found = launchers.find(utf8Of(pairFile.filename()));
            const Launcher other = found != launchers.end() && found->second.file == pairFile ? found->second
                                                                                             : readLauncher(pairFile);
            if (other.machine == launcher.machine || other.machine == 0) {
                add(name, FindingKind::Pair, "its \"Pair Product\" " + pairName +
                                                 " is not a launcher of the other width: pair an x64 and an x86 launcher");
                continue;
            }
            Text back = other.pair;
            std::replace(back.begin(), back.end(), L'\\', L'/');
            if (!other.packaged || !equalsNoCase(textOfName(pathFromText(back)), textOfName(launcher.file)))
                add(name, FindingKind::Pair, "its \"Pair Product\" " + pairName +
                                                 " does not name it back: build both with one project");
        }
    }

private:
    struct Launcher {
        fs::path file;
        std::uint16_t machine = 0;
        bool packaged = false;
        Text pair;  // "Pair Product"
    };

    static Text textOfName(const fs::path& file) {
        Text name;
        decodeUtf8(utf8Of(file.filename()), name);
        return name;
    }

    void add(const std::string& file, FindingKind kind, const std::string& text) {
        report.findings.push_back({file, kind, text});
    }

    void checkResources(const std::string& name, const std::vector<Resource>& resources) {
        const Resource* version = nullptr;
        bool manifest = false;
        for (const Resource& resource : resources) {
            if (resource.type == ResourceName::of(kTypeVersion) && !version) version = &resource;
            manifest = manifest || resource.type == ResourceName::of(kTypeManifest);
        }
        if (!manifest)
            add(name, FindingKind::Image, "it has no manifest: Windows runs it with old defaults; package the stub "
                                          "from the launcher's build");
        if (!version) {
            add(name, FindingKind::Image, "it has no version resource: Explorer shows neither product nor company; "
                                          "package it with vornicpack");
            return;
        }
        std::map<std::string, std::string> strings;
        readVersionNode(version->data, 0, version->data.size(), 0, strings);
        std::string missing;
        for (const auto& [key, fix] : {std::pair{"CompanyName", "Company"}, std::pair{"ProductName", "Product Name"},
                                       std::pair{"FileDescription", "Product Name"},
                                       std::pair{"FileVersion", "Version"}})
            if (strings[key].empty()) missing += std::string(missing.empty() ? "" : ", ") + key + " (" + fix + ")";
        if (!missing.empty())
            add(name, FindingKind::Texts, "its version resource has no " + missing + ": give them in the project");
    }

    void checkLayout(const std::string& name, const PeImage& image, const Bytes& bytes) {
        const DataDirectory security = image.directory(kDirSecurity);
        const std::size_t sections = image.overlayStart();
        if (security.rva == 0 && security.size == 0) {
            if (sections < bytes.size())
                add(name, FindingKind::Appended, std::to_string(bytes.size() - sections) +
                                                     " bytes follow its last section: ship the file as it was built");
            else if (options.expectSigned)
                add(name, FindingKind::Signature, "it is not signed: sign it (the project's [Signing] section)");
            return;
        }
        const std::size_t table = security.rva, tableEnd = std::size_t{security.rva} + security.size;
        if (table < sections || tableEnd > bytes.size() || security.size < 8) {
            add(name, FindingKind::Signature, "its signature table lies outside the file or over its sections: sign "
                                              "the file again");
            return;
        }
        if (table > sections)
            add(name, FindingKind::Appended, std::to_string(table - sections) +
                                                 " bytes lie between its last section and its signature: sign the file "
                                                 "as it was built");
        if (tableEnd < bytes.size())
            add(name, FindingKind::Appended, std::to_string(bytes.size() - tableEnd) +
                                                 " bytes follow its signature: ship the file as it was signed");
        checkSignature(name, image.bytes(), table, security.size);
        signedFiles.push_back(name);
    }

    void checkSignature(const std::string& name, const Bytes& bytes, std::size_t table, std::size_t size) {
        const SignatureCheck check = checkEmbeddedSignature(bytes, table, size, launchers[name].file, options);
        switch (check.outcome) {
            case SignatureCheck::Verified: break;
            case SignatureCheck::Unreadable:
                add(name, FindingKind::Signature, "its signature cannot be read: sign the file again");
                break;
            case SignatureCheck::NotChecked: report.notes.push_back(name + ": " + check.text); break;
            case SignatureCheck::Refused:
                add(name, FindingKind::Signature, "its signature does not verify: " + check.text + "; sign the file again");
                break;
        }
    }

    enum class Settings { None, Unreadable, Read };

    // Whether it carries packaged settings that the INI beside it unlocks, and its "Pair Product".
    static Settings readSettings(const fs::path& file, const std::vector<Resource>& resources, Launcher& launcher) {
        bool has = false;
        for (const Resource& resource : resources)
            has = has || (resource.type == ResourceName::of(kTypeRcData) &&
                          resource.name == ResourceName::of(static_cast<std::uint16_t>(kSettingsResource)));
        if (!has) return Settings::None;
        fs::path ini = file;
        ini.replace_extension(".ini");
        Text upgradeCode, iniText, settings;
        Bytes iniBytes;
        std::vector<IniSection> sections;
        std::string problem;
        if (readWholeFile(ini, iniBytes, problem) && decodeTextFile(iniBytes, iniText) &&
            parseSettingsText(iniText, sections, problem))
            upgradeCode = valueOf(sections, Setting::UpgradeCode);
        sections.clear();
        if (!decipherPackagedSettings(resources, narrowAscii(upgradeCode), settings, problem) ||
            !parseSettingsText(settings, sections, problem))
            return Settings::Unreadable;
        launcher.packaged = true;
        launcher.pair = valueOf(sections, Setting::PairProduct);
        return Settings::Read;
    }

    // A launcher outside the folder's listing: the pair of a single file verified.
    static Launcher readLauncher(const fs::path& file) {
        Launcher launcher;
        launcher.file = file;
        Bytes bytes;
        std::string problem;
        PeImage image;
        std::vector<Resource> resources;
        if (readWholeFile(file, bytes, problem) && image.parse(bytes, problem) &&
            image.readResources(resources, problem)) {
            launcher.machine = image.machine();
            readSettings(file, resources, launcher);
        }
        return launcher;
    }

    static Text valueOf(const std::vector<IniSection>& sections, Setting setting) {
        for (const IniSection& each : sections)
            if (equalsNoCase(each.name, sectionName(settingSection(setting))))
                for (const IniPair& pair : each.pairs)
                    if (equalsNoCase(pair.key, settingKey(setting))) return profileValue(pair.value);
        return Text();
    }

public:
    std::vector<std::string> signedFiles;

private:
    const VerifyOptions& options;
    VerifyReport& report;
    std::map<std::string, Launcher> launchers;
};

bool isExecutableName(const fs::path& file) {
    Text extension;
    decodeUtf8(utf8Of(file.extension()), extension);
    return equalsNoCase(extension, L".exe");
}

}  // namespace

bool verifyShipment(const fs::path& target, const VerifyOptions& options, VerifyReport& report, std::string& error) {
    report = VerifyReport();
    std::error_code code;
    std::vector<fs::path> files;
    if (fs::is_directory(target, code)) {
        for (fs::directory_iterator it(target, code), end; !code && it != end; it.increment(code))
            if (it->is_regular_file(code) && isExecutableName(it->path())) files.push_back(it->path());
        if (code) {
            error = "cannot list " + utf8Of(target) + ": " + code.message();
            return false;
        }
        std::sort(files.begin(), files.end());
    } else if (fs::is_regular_file(target, code)) {
        files.push_back(target);
    } else {
        error = utf8Of(target) + ": no such folder or file";
        return false;
    }
    ShipmentCheck check(options, report);
    for (const fs::path& file : files) check.checkExecutable(file, utf8Of(file.filename()));
    check.checkPairs();
    if (!options.expectSigned && !check.signedFiles.empty())
        for (const fs::path& file : files) {
            const std::string name = utf8Of(file.filename());
            if (std::find(check.signedFiles.begin(), check.signedFiles.end(), name) == check.signedFiles.end())
                report.findings.push_back({name, FindingKind::Signature,
                                           "it is not signed, but " + check.signedFiles.front() +
                                               " beside it is: sign every executable you ship"});
        }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const VerifyFinding& a, const VerifyFinding& b) { return a.file < b.file; });
    if (report.executables == 0) {
        error = utf8Of(target) + ": no executable to verify";
        return false;
    }
    return true;
}
