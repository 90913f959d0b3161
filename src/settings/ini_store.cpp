#include "settings/ini_store.h"

Text iniValue(const IniStore& store, Setting setting) {
    Text value;
    getSetting(store, setting, value);
    return value;
}

void getSetting(const IniStore& store, Setting setting, Text& value) {
    store.getValue(sectionName(settingSection(setting)), settingKey(setting), value);
}
