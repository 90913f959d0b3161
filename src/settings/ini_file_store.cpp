#include "settings/ini_file_store.h"

#include <windows.h>

#include "settings/ini_file.h"
#include "support/path.h"
#include "support/unique_handle.h"

std::uint32_t IniFileStore::probe(unsigned char (&firstBytes)[4]) {
    UniqueFile file(CreateFileW(withLongPathPrefix(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD read = 0;
    if (!ReadFile(file.get(), firstBytes, sizeof firstBytes, &read, nullptr)) return GetLastError();
    return 0;
}

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

void IniFileStore::getSectionNames(TextList& names) const { names = profile().sectionNames(); }

std::uint32_t IniFileStore::setValue(const Text& section, const Text& key, const Text& value) {
    loaded_ = false;
    return writeIniValue(path_, section, key, value) ? 1 : 0;
}

std::uint32_t IniFileStore::removeFile() {
    loaded_ = false;
    return DeleteFileW(withLongPathPrefix(path_).c_str());
}
