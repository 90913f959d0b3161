// The one interface through which the launcher reads settings. Implementations: IniFileStore (one INI
// file through the private-profile functions), IniDocument (INI text in memory) and LayeredIniStore
// (the packaged settings overlaid by the INI file beside the executable).
//
//   Text value;
//   store.getValue(L"Java Runtime Environment", L"JRE Path", value);
//   const Text home = iniValue(store, Setting::JrePath);   // the same, as a value
#pragma once

#include "settings/setting_names.h"
#include "support/text.h"

class IniStore {
public:
    virtual ~IniStore() = default;

    // Fills `value`; what happens when the key is missing is the implementation's rule.
    virtual void getValue(const Text& section, const Text& key, Text& value) const = 0;
};

// The value of `key` in `section`, starting from empty: a missing key reads as empty in every store.
Text iniValue(const IniStore& store, const Text& section, const Text& key);

// The launcher's readers name settings this way, so that every key they read is in kSettingNames.
inline Text iniValue(const IniStore& store, Setting setting) {
    return iniValue(store, sectionName(settingSection(setting)), settingKey(setting));
}

// As IniStore::getValue: `value` is left to the store's rule when the key is missing.
inline void getSetting(const IniStore& store, Setting setting, Text& value) {
    store.getValue(sectionName(settingSection(setting)), settingKey(setting), value);
}
