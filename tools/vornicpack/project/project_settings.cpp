#include "project/project_settings.h"

#include <utility>

namespace {

const IniPair* findSetting(const std::vector<IniSection>& sections, Setting setting) {
    const Text section = sectionName(settingSection(setting));
    const Text key = settingKey(setting);
    for (const IniSection& candidate : sections)
        if (candidate.name == section)
            for (const IniPair& pair : candidate.pairs)
                if (pair.key == key) return &pair;
    return nullptr;
}

IniPair* findSetting(std::vector<IniSection>& sections, Setting setting) {
    return const_cast<IniPair*>(findSetting(std::as_const(sections), setting));
}

}  // namespace

Text settingOf(const std::vector<IniSection>& sections, Setting setting) {
    const IniPair* pair = findSetting(sections, setting);
    return pair ? profileValue(pair->value) : Text();
}

bool hasSetting(const std::vector<IniSection>& sections, Setting setting) {
    return findSetting(sections, setting) != nullptr;
}

void putSetting(std::vector<IniSection>& sections, Setting setting, const Text& value) {
    if (IniPair* pair = findSetting(sections, setting)) {
        pair->value = value;
        return;
    }
    const Text section = sectionName(settingSection(setting));
    for (IniSection& candidate : sections)
        if (candidate.name == section) {
            candidate.pairs.push_back({settingKey(setting), value, 0});
            return;
        }
    sections.push_back({section, 0, {{settingKey(setting), value, 0}}});
}

Text settingsText(const std::vector<IniSection>& sections) {
    Text text;
    for (const IniSection& section : sections) {
        text += L"[" + section.name + L"]\n";
        for (const IniPair& pair : section.pairs) text += pair.key + L"=" + pair.value + L"\n";
        text += L"\n";
    }
    return text;
}
