// The project's settings as the packer reads and completes them: a value looked up or set by the
// shared setting names, and the whole written out again as settings text for packaging.
//
//   if (settingOf(settings, Setting::MainClass).empty()) putSetting(settings, Setting::MainClass, name);
#pragma once

#include <vector>

#include "project/settings_split.h"
#include "settings/setting_names.h"

// The value as written (one pair of quotes removed), under the exact section and key; empty when missing.
Text settingOf(const std::vector<IniSection>& sections, Setting setting);
bool hasSetting(const std::vector<IniSection>& sections, Setting setting);

// Sets a value the packer decides; an existing pair is changed rather than repeated.
void putSetting(std::vector<IniSection>& sections, Setting setting, const Text& value);

Text settingsText(const std::vector<IniSection>& sections);
