#include "settings/ini_store.h"

Text iniValue(const IniStore& store, const Text& section, const Text& key) {
    Text value;
    store.getValue(section, key, value);
    return value;
}
