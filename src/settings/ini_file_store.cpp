#include "settings/ini_file_store.h"

#include "settings/ini_file.h"

const IniProfile& IniFileStore::profile() const {
    if (!loaded_) {
        Text text;
        IniEncoding encoding;
        readIniFile(path_, text, encoding);  // a file that cannot be read has no sections
        profile_.parse(text);
        loaded_ = true;
    }
    return profile_;
}

void IniFileStore::getValue(const Text& section, const Text& key, Text& value) const {
    value = profile().value(section, key, sameIniName);
}
