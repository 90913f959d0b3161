#include "project/runtime_download_checks.h"

#include "download/download_settings.h"
#include "download/zip_directory.h"
#include "settings/setting_names.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace {

const wchar_t* const kDownloadSection = sectionName(SettingSection::RuntimeDownload);
const wchar_t* const kDownloadConsentKey = settingKey(Setting::RuntimeDownload);

struct WidthKeys {
    const char* name;
    RuntimeDownloadKeys keys;
};
const WidthKeys kWidths[] = {{"x64", runtimeDownloadKeys(true)}, {"x86", runtimeDownloadKeys(false)}};

std::string atLine(std::size_t line) { return "line " + std::to_string(line) + ": "; }

IniSection* findSection(std::vector<IniSection>& sections) {
    for (IniSection& section : sections)
        if (section.name == kDownloadSection) return &section;
    return nullptr;
}

const IniPair* findKey(const IniSection& section, const Text& key) {
    for (const IniPair& pair : section.pairs)
        if (pair.key == key) return &pair;
    return nullptr;
}

bool knownKey(const Text& key) {
    for (const SettingName& name : kSettingNames)
        if (name.section == SettingSection::RuntimeDownload && key == name.key) return true;
    return false;
}

std::string urlProblem(const Text& value) {
    DownloadUrl url;
    switch (checkDownloadUrl(value, url)) {
        case UrlProblem::None: return std::string();
        case UrlProblem::NotHttps:
            return "the launcher fetches runtimes over https only (plain http only from this machine: localhost, "
                   "127.0.0.1, [::1]): write an https:// address";
        case UrlProblem::HasCredentials:
            return "a user name or password in the address would ship inside every launcher: serve the archive "
                   "without one";
        case UrlProblem::Malformed: break;
    }
    return "it is no address the launcher can fetch: write https://host[:port]/path, without blanks";
}

bool checkWidth(const IniSection& section, const WidthKeys& width, std::string& error) {
    const IniPair* url = findKey(section, settingKey(width.keys.url));
    const IniPair* digest = findKey(section, settingKey(width.keys.sha256));
    const IniPair* size = findKey(section, settingKey(width.keys.size));
    const std::string name = width.name;
    if (!url) {
        const IniPair* stray = digest ? digest : size;
        if (!stray) return true;
        error = atLine(stray->line) + "\"" + encodeUtf8(stray->key) + "\" without \"" + name +
                " URL\": name the archive's address too, or leave the " + name + " keys out";
        return false;
    }
    if (const std::string problem = urlProblem(url->value); !problem.empty()) {
        error = atLine(url->line) + "\"" + name + " URL\" is \"" + encodeUtf8(url->value) + "\": " + problem;
        return false;
    }
    Sha256::Digest parsed;
    if (!digest || !parseDigestHex(digest->value, parsed)) {
        error = atLine(digest ? digest->line : url->line) + "\"" + name +
                " SHA-256\" must be the archive's SHA-256, 64 hexadecimal digits (sha256sum prints it), or let the "
                "packer compute it: \"Runtime Download " + name + " File\" in [Package]";
        return false;
    }
    std::uint64_t bytes = 0;
    if (!size || !parseDownloadSize(size->value, bytes)) {
        error = atLine(size ? size->line : url->line) + "\"" + name +
                " Size\" must be the archive's size in bytes, digits only, at most 4294967295";
        return false;
    }
    return true;
}

bool readDigestOf(const std::filesystem::path& archive, Bytes& bytes, std::string& problem) {
    if (!readWholeFile(archive, bytes, problem)) return false;
    std::vector<ZipItem> items;
    if (readZipDirectory(bytes.data(), bytes.size(), items) != ZipProblem::None) {
        problem = "it is not a zip archive the launcher can unpack (stored or deflated entries, not enciphered)";
        return false;
    }
    const std::string top = commonTopFolder(items);
    bool jvm = false;
    for (const ZipItem& item : items) {
        Text path;
        if (!entryTargetPath(item.name, top, path)) {
            problem = "its entry \"" + item.name + "\" would lie outside the runtime's folder, and the launcher refuses it";
            return false;
        }
        jvm = jvm || (path.size() > 12 && path.compare(0, 4, L"bin\\") == 0 &&
                      path.compare(path.size() - 8, 8, L"\\jvm.dll") == 0);
    }
    if (!jvm) {
        problem = "it holds no bin/server/jvm.dll (or another jvm.dll under bin), in one top folder or at its top";
        return false;
    }
    return true;
}

// Sets `key` to `value`, or checks that the value already written agrees.
bool agreeOrSet(IniSection& section, const Text& key, const Text& value, bool sameWhenEqualNoCase,
                std::size_t line, std::string& error) {
    for (IniPair& pair : section.pairs) {
        if (pair.key != key) continue;
        const bool same = sameWhenEqualNoCase ? equalsNoCase(pair.value, value) : pair.value == value;
        if (same) return true;
        error = atLine(pair.line) + "\"" + encodeUtf8(key) + "\" is " + encodeUtf8(pair.value) + ", but the file of line " +
                std::to_string(line) + " has " + encodeUtf8(value) + ": leave the key out and the packer writes it";
        return false;
    }
    section.pairs.push_back({key, value, line});
    return true;
}

}  // namespace

bool checkRuntimeDownload(const std::vector<IniSection>& sections, std::string& error) {
    for (const IniSection& section : sections) {
        if (section.name != kDownloadSection) continue;
        for (const IniPair& pair : section.pairs) {
            DownloadConsent consent;
            if (pair.key == kDownloadConsentKey && !parseDownloadConsent(pair.value, consent)) {
                error = atLine(pair.line) + "\"Runtime Download\" is \"" + encodeUtf8(pair.value) +
                        "\": write Ask (the user agrees first), Yes (no question) or No (never download)";
                return false;
            }
            if (!knownKey(pair.key)) {
                error = atLine(pair.line) + "[Runtime Download] has no key \"" + encodeUtf8(pair.key) +
                        "\" (known: Runtime Download, x64 URL, x64 SHA-256, x64 Size, x86 URL, x86 SHA-256, x86 Size)";
                return false;
            }
        }
        for (const WidthKeys& width : kWidths)
            if (!checkWidth(section, width, error)) return false;
    }
    return true;
}

bool fillRuntimeDownload(std::vector<IniSection>& sections, const char* width, const std::filesystem::path& archive,
                         std::size_t line, std::string& error) {
    Bytes bytes;
    std::string problem;
    if (!readDigestOf(archive, bytes, problem)) {
        error = atLine(line) + "Runtime Download " + width + " File " + utf8Of(archive) + ": " + problem;
        return false;
    }
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    const Text digest = hexOfDigest(hash.finish());
    IniSection* section = findSection(sections);
    if (!section) {
        sections.push_back({kDownloadSection, line, {}});
        section = &sections.back();
    }
    const RuntimeDownloadKeys keys = runtimeDownloadKeys(std::string(width) == "x64");
    return agreeOrSet(*section, settingKey(keys.sha256), digest, true, line, error) &&
           agreeOrSet(*section, settingKey(keys.size), decimalText(bytes.size()), false, line, error);
}
