// The one interface through which the launcher reads settings. Implementations: IniFileStore (one INI
// file through the private-profile functions), IniDocument (INI text in memory) and LayeredIniStore
// (the packaged settings overlaid by the INI file beside the executable).
//
//   Text value;
//   getSetting(store, Setting::JrePath, value);   // store.getValue with the setting's section and key
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

// The value of `setting`, starting from empty: a missing key reads as empty in every store. The
// launcher's readers name settings only this way, so every key they read is in kSettingNames.
Text iniValue(const IniStore& store, Setting setting);

// As IniStore::getValue: `value` is left to the store's rule when the key is missing.
void getSetting(const IniStore& store, Setting setting, Text& value);
