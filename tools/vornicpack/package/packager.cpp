#include "package/packager.h"

#include <cstdio>

#include "resources/dialog_templates.h"
#include "resources/icon_version.h"
#include "texts/language_texts.h"
#include "pe/pe_image.h"
#include "system/platform.h"
#include "settings/settings_cipher.h"
#include "resources/string_table.h"
#include "texts/text_codec.h"

namespace {

std::string narrowAscii(const Text& text) {
    std::string out;
    for (const wchar_t unit : text) out.push_back(static_cast<char>(unit));
    return out;
}

Text widenBytes(const std::string& text) {
    Text out;
    for (const char c : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

Resource rcData(std::uint16_t id, Bytes data) {
    Resource resource;
    resource.type = ResourceName::of(kTypeRcData);
    resource.name = ResourceName::of(id);
    resource.data = std::move(data);
    return resource;
}

const Resource* findResource(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t id) {
    for (const Resource& resource : resources)
        if (resource.type == ResourceName::of(type) && resource.name == ResourceName::of(id)) return &resource;
    return nullptr;
}

std::string hexDigits(const std::uint8_t* bytes, std::size_t size, const char* digits) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

}  // namespace

bool isPackagedResource(const Resource& resource) {
    if (!resource.type.isId()) return false;
    switch (resource.type.id) {
        case kTypeString:
        case kTypeDialog:
        case kTypeIcon:
        case kTypeGroupIcon:
        case kTypeVersion:
            return true;
        case kTypeRcData:
            return resource.name == ResourceName::of(kSettingsResource) ||
                   resource.name == ResourceName::of(kPassPhraseResource);
        default:
            return false;
    }
}

bool newPassPhrase(std::string& passPhrase) {
    std::uint8_t random[24];
    if (!secureRandom(random, sizeof random)) return false;
    passPhrase = hexDigits(random, sizeof random, "0123456789abcdef");
    return true;
}

std::string derivePassPhrase(const SplitSettings& settings) {
    // Derived rather than random, so that the same inputs give the same executable. Nothing is lost: the
    // phrase is stored beside the settings, enciphered under the Upgrade Code that the INI file beside
    // the executable holds in plain text, so it never kept the settings from anyone who has the folder.
    const std::string seed = "vornicpack pass phrase\n" + encodeUtf8(settings.upgradeCode) + "\n" +
                             encodeUtf8(settings.packagedText);
    const Md5Digest first = md5(seed);
    const Md5Digest second = md5(std::string(first.begin(), first.end()) + seed);
    return hexDigits(first.data(), first.size(), "0123456789abcdef") +
           hexDigits(second.data(), 8, "0123456789abcdef");
}

Text guidFromSeed(const std::string& seed) {
    Md5Digest bytes = md5(seed);
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x30);  // version 3: name-based, MD5
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    const char* digits = "0123456789ABCDEF";
    const std::uint8_t* b = bytes.data();
    return widenBytes("{" + hexDigits(b, 4, digits) + "-" + hexDigits(b + 4, 2, digits) + "-" +
                      hexDigits(b + 6, 2, digits) + "-" + hexDigits(b + 8, 2, digits) + "-" +
                      hexDigits(b + 10, 6, digits) + "}");
}

bool newGuid(Text& guid) {
    std::uint8_t random[16];
    if (!secureRandom(random, sizeof random)) return false;
    random[6] = static_cast<std::uint8_t>((random[6] & 0x0F) | 0x40);  // version 4: random
    random[8] = static_cast<std::uint8_t>((random[8] & 0x3F) | 0x80);  // RFC 4122 variant
    const char* digits = "0123456789ABCDEF";
    const std::string text = "{" + hexDigits(random, 4, digits) + "-" + hexDigits(random + 4, 2, digits) + "-" +
                             hexDigits(random + 6, 2, digits) + "-" + hexDigits(random + 8, 2, digits) + "-" +
                             hexDigits(random + 10, 6, digits) + "}";
    guid = widenBytes(text);
    return true;
}

namespace {

// The icon, when one is given, and the version resource: from the options, else from the settings.
bool putIconAndVersion(const PackageInputs& in, const SplitSettings& split, std::vector<Resource>& resources,
                       std::string& error) {
    std::string problem;
    if (in.hasIcon) {
        std::vector<Resource> icons;
        if (!buildIconResources(in.icon, icons, problem)) {
            error = "icon: " + problem;
            return false;
        }
        for (Resource& icon : icons) putResource(resources, std::move(icon));
    }

    VersionTexts version;
    const Text versionText = !in.version.empty() ? in.version
                             : !split.productVersion.empty() ? split.productVersion
                                                             : Text(L"1.0.0.0");
    if (!parseFourPartVersion(versionText, version.version)) {
        error = "version: \"" + encodeUtf8(versionText) + "\" is not a version of up to four numbers 0 to 65535";
        return false;
    }
    version.productName = split.productName;
    if (version.productName.empty()) {
        version.productName = in.outputFileName;
        const std::size_t dot = version.productName.rfind(L'.');
        if (dot != Text::npos && dot > 0) version.productName.erase(dot);
    }
    version.fileDescription = version.productName;
    version.companyName = in.companyName;
    version.copyright = in.copyright;
    version.originalFilename = in.outputFileName;
    putResource(resources, buildVersionResource(version));
    return true;
}

// English always, as the neutral fallback; then the chosen languages, or all when none are chosen.
bool shippedLanguages(const std::vector<std::string>& tags, std::vector<const LanguageTexts*>& shipped,
                      std::string& error) {
    shipped = {&englishTexts()};
    if (tags.empty()) {
        shipped = knownLanguages();
        return true;
    }
    for (const std::string& tag : tags) {
        const LanguageTexts* language = findLanguage(tag);
        if (!language) {
            std::string known;
            for (const LanguageTexts* each : knownLanguages()) known += (known.empty() ? "" : ", ") + std::string(each->tag);
            error = "languages: \"" + tag + "\" is not a language the packer has texts for (" + known + ")";
            return false;
        }
        bool listed = false;
        for (const LanguageTexts* each : shipped) listed = listed || each == language;
        if (!listed) shipped.push_back(language);
    }
    return true;
}

// The strings file's texts by language; texts for a language the package leaves out are a slip.
bool readUserTexts(const PackageInputs& in, const std::vector<const LanguageTexts*>& shipped, UserTexts& userTexts,
                   std::string& error) {
    std::string problem;
    if (in.hasStrings && !readStringsFile(in.stringsText, userTexts, problem)) {
        error = "strings: " + problem;
        return false;
    }
    for (const auto& [tag, texts] : userTexts) {
        bool kept = false;
        for (const LanguageTexts* language : shipped) kept = kept || tag == language->tag;
        if (!kept) {
            error = "strings: texts for " + std::string(findLanguage(tag)->name) + " (" + tag +
                    "), a language the package leaves out";
            return false;
        }
    }
    return true;
}

// Every shipped language gets whole tables and both dialogs: the user's texts over its defaults.
void putLanguages(const std::vector<const LanguageTexts*>& shipped, UserTexts& userTexts, DialogTexts dialogTexts,
                  std::vector<Resource>& resources) {
    for (const LanguageTexts* language : shipped) {
        std::map<unsigned, Text> texts = defaultMessageTexts(*language);
        for (const auto& [id, text] : userTexts[language->tag]) texts[id] = text;
        for (Resource& block : buildStringTables(texts, language->resourceLanguage))
            putResource(resources, std::move(block));
        dialogTexts.words = &language->dialog;
        for (Resource& dialog : buildDialogs(dialogTexts, language->resourceLanguage))
            putResource(resources, std::move(dialog));
    }
}

}  // namespace

bool buildPackage(const PackageInputs& in, PackageOutput& out, std::string& error) {
    out = PackageOutput();
    if (!isPrintableAscii(widenBytes(in.passPhrase))) {
        error = "the pass phrase must be printable ASCII";
        return false;
    }
    PeImage stub;
    std::string problem;
    if (!stub.parse(in.stub, problem)) {
        error = "stub: " + problem;
        return false;
    }
    std::vector<Resource> kept;
    if (!stub.readResources(kept, problem)) {
        error = "stub: " + problem;
        return false;
    }
    std::vector<Resource> resources;
    for (Resource& resource : kept)
        if (!isPackagedResource(resource)) resources.push_back(std::move(resource));

    std::vector<IniSection> sections;
    SplitSettings split;
    if (!parseSettingsText(in.settingsText, sections, problem) ||
        !splitSettings(sections, in.generatedUpgradeCode, split, problem,
                       stub.machine() == 0x014C ? MemoryArithmetic::Bits32 : MemoryArithmetic::Bits64)) {
        error = "settings: " + problem;
        return false;
    }

    const std::string passPhrase = in.passPhrase.empty() ? derivePassPhrase(split) : in.passPhrase;

    std::vector<const LanguageTexts*> shipped;
    UserTexts userTexts;
    if (!shippedLanguages(in.languages, shipped, error) || !readUserTexts(in, shipped, userTexts, error)) return false;

    // Two stages, as the launcher deciphers them: the pass phrase under the Upgrade Code, the
    // settings under the pass phrase; both hashed as narrow (here: ASCII) bytes.
    putResource(resources, rcData(kSettingsResource, encipherSettings(toUtf16Le(split.packagedText), passPhrase)));
    putResource(resources, rcData(kPassPhraseResource, encipherSettings(toUtf16Le(widenBytes(passPhrase)),
                                                                        narrowAscii(split.upgradeCode))));
    putLanguages(shipped, userTexts, {split.productName, in.downloadPage, nullptr}, resources);

    if (!putIconAndVersion(in, split, resources, error)) return false;

    if (!stub.withResources(resources, out.executable, problem)) {
        error = "stub: " + problem;
        return false;
    }
    out.besideIni = {0xFF, 0xFE};
    const Bytes ini = toUtf16Le(split.besideText);
    out.besideIni.insert(out.besideIni.end(), ini.begin(), ini.end());
    out.settings = std::move(split);
    return true;
}

bool decipherPackagedSettings(const std::vector<Resource>& resources, const std::string& upgradeCode, Text& settings,
                              std::string& error) {
    settings.clear();
    const Resource* passResource = findResource(resources, kTypeRcData, kPassPhraseResource);
    const Resource* settingsResource = findResource(resources, kTypeRcData, kSettingsResource);
    if (!passResource || !settingsResource) {
        error = "it holds no packaged settings (RCDATA 8000 and 9000)";
        return false;
    }
    const Text passPhrase = fromUtf16Le(decipherSettings(passResource->data, upgradeCode));
    if (!isPrintableAscii(passPhrase)) {
        error = "the packaged settings do not decipher with this Upgrade Code";
        return false;
    }
    settings = fromUtf16Le(decipherSettings(settingsResource->data, narrowAscii(passPhrase)));
    return true;
}

namespace {

// The image's kind and its resources, one line each.
std::string describeImage(const PeImage& image, const std::vector<Resource>& resources) {
    std::string text;
    char line[160];
    std::snprintf(line, sizeof line, "%s image, %zu sections, %zu bytes after the last section\n",
                  image.is64() ? "PE32+ (x64)" : "PE32 (x86)", image.sections().size(),
                  image.bytes().size() - image.overlayStart());
    text += line;
    // What the system makes of it at start: a windowed program gets no console, a console one keeps
    // the console it was started from (and its standard streams and exit code).
    const std::uint16_t subsystem = image.subsystem();
    if (subsystem == kSubsystemWindows) text += "Windowed launcher (GUI subsystem): messages show in boxes\n";
    else if (subsystem == kSubsystemConsole) text += "Console launcher (console subsystem): messages go to standard error\n";
    else text += "Subsystem " + std::to_string(subsystem) + ": neither a windowed nor a console launcher\n";
    text += "Resources:\n";
    for (const Resource& resource : resources) {
        std::snprintf(line, sizeof line, "  %-10s %-8s language %-5u %7zu bytes\n", describeType(resource.type).c_str(),
                      resource.name.describe().c_str(), resource.language, resource.data.size());
        text += line;
    }
    return text;
}

// The INI file beside the executable, and the Upgrade Code it gives for deciphering.
bool describeBesideIni(const Bytes* besideIni, std::string& text, Text& upgradeCode, std::string& error) {
    if (!besideIni) {
        text += "\nNo INI file beside the executable: the launcher deciphers with an empty Upgrade Code.\n";
        return true;
    }
    Text iniText;
    std::vector<IniSection> sections;
    std::string problem;
    if (!decodeTextFile(*besideIni, iniText) || !parseSettingsText(iniText, sections, problem)) {
        error = "the INI file beside it cannot be read" + (problem.empty() ? std::string() : ": " + problem);
        return false;
    }
    text += "\nINI file beside the executable:\n" + encodeUtf8(iniText);
    for (const IniSection& section : sections)
        if (upgradeCode.empty() && equalsNoCase(section.name, L"Product Information"))
            for (const IniPair& pair : section.pairs)
                if (upgradeCode.empty() && equalsNoCase(pair.key, L"Upgrade Code")) upgradeCode = profileValue(pair.value);
    if (!isPrintableAscii(upgradeCode)) {
        error = "the Upgrade Code in the INI file beside it is not plain ASCII";
        return false;
    }
    return true;
}

// The languages that string tables and dialogs exist in, then the neutral string table.
std::string describeTexts(const std::vector<Resource>& resources) {
    std::string text;
    std::vector<std::uint16_t> languages;
    for (const Resource& resource : resources)
        if (resource.type == ResourceName::of(kTypeString) || resource.type == ResourceName::of(kTypeDialog)) {
            bool listed = false;
            for (const std::uint16_t each : languages) listed = listed || each == resource.language;
            if (!listed) languages.push_back(resource.language);
        }
    if (!languages.empty()) {
        text += "\nLanguages of the texts and dialogs:\n";
        for (const std::uint16_t language : languages) {
            const LanguageTexts* known = languageOfResource(language);
            char line[160];
            std::snprintf(line, sizeof line, "  0x%04X %s%s\n", language, known ? known->name : "(unknown)",
                          language == kLanguageNeutral ? " (neutral: the fallback for every other language)" : "");
            text += line;
        }
    }
    const std::map<unsigned, Text> strings = readStringTables(resources);
    if (!strings.empty()) {
        text += "\nString table (neutral):\n";
        for (const auto& [id, value] : strings) {
            Text shown;
            for (const wchar_t unit : value) shown += unit == L'\n' ? Text(L"\\n") : Text(1, unit);
            text += "  " + std::to_string(id) + " = " + encodeUtf8(shown) + "\n";
        }
    }
    return text;
}

}  // namespace

bool describePackage(const Bytes& executable, const Bytes* besideIni, std::string& report, std::string& error) {
    report.clear();
    PeImage image;
    std::vector<Resource> resources;
    if (!image.parse(executable, error) || !image.readResources(resources, error)) return false;

    std::string text = describeImage(image, resources);
    Text upgradeCode;
    if (!describeBesideIni(besideIni, text, upgradeCode, error)) return false;
    // A stub as the build leaves it has none yet; what kind it is is still worth saying.
    if (!findResource(resources, kTypeRcData, kPassPhraseResource) && !findResource(resources, kTypeRcData, kSettingsResource)) {
        text += "\nNo packaged settings: a launcher stub, not yet packaged.\n";
    } else {
        Text settings;
        if (!decipherPackagedSettings(resources, narrowAscii(upgradeCode), settings, error)) return false;
        text += "\nPackaged settings:\n" + encodeUtf8(settings);
    }
    report = std::move(text) + describeTexts(resources);
    return true;
}
