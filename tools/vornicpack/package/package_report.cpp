#include "package/package_report.h"

#include <cstdio>

#include "package/packager.h"
#include "pe/pe_image.h"
#include "resources/string_table.h"
#include "texts/resource_ids.h"
#include "settings/setting_names.h"
#include "texts/language_texts.h"
#include "texts/text_codec.h"

namespace {

bool hasResource(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t id) {
    for (const Resource& resource : resources)
        if (resource.type == ResourceName::of(type) && resource.name == ResourceName::of(id)) return true;
    return false;
}

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
        if (upgradeCode.empty() && equalsNoCase(section.name, sectionName(SettingSection::Product)))
            for (const IniPair& pair : section.pairs)
                if (upgradeCode.empty() && equalsNoCase(pair.key, settingKey(Setting::UpgradeCode))) upgradeCode = profileValue(pair.value);
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
    if (!hasResource(resources, kTypeRcData, kPassPhraseResource) && !hasResource(resources, kTypeRcData, kSettingsResource)) {
        text += "\nNo packaged settings: a launcher stub, not yet packaged.\n";
    } else {
        Text settings;
        if (!decipherPackagedSettings(resources, narrowAscii(upgradeCode), settings, error)) return false;
        text += "\nPackaged settings:\n" + encodeUtf8(settings);
    }
    report = std::move(text) + describeTexts(resources);
    return true;
}
