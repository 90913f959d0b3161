#include "settings/ini_file_store.h"

#include <windows.h>

#include "support/unique_handle.h"

std::uint32_t IniFileStore::probe(unsigned char (&firstBytes)[4]) {
    UniqueFile file(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD read = 0;
    if (!ReadFile(file.get(), firstBytes, sizeof firstBytes, &read, nullptr)) return GetLastError();
    return 0;
}

void IniFileStore::getValue(const Text& section, const Text& key, Text& value) const {
    // The system reports capacity - 1 units when it had to cut the value: then try a larger buffer.
    Text buffer;
    DWORD capacity = 256;
    DWORD copied = 0;
    for (;;) {
        buffer.assign(capacity, L'\0');
        copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(), capacity, path_.c_str());
        if (copied != capacity - 1) break;
        capacity *= 2;
    }
    buffer.resize(copied);
    value = std::move(buffer);
}

void IniFileStore::getSectionNames(TextList& names) const {
    // With names cut short the system reports capacity - 2 units.
    Text buffer;
    DWORD capacity = 256;
    DWORD copied = 0;
    for (;;) {
        buffer.assign(capacity, L'\0');
        copied = GetPrivateProfileSectionNamesW(buffer.data(), capacity, path_.c_str());
        if (copied != capacity - 2) break;
        capacity *= 2;
    }
    names.clear();
    Text name;
    for (DWORD i = 0; i <= copied && i < capacity; ++i) {
        if (buffer[i] != L'\0') {
            name += buffer[i];
        } else if (!name.empty()) {
            names.push_back(std::move(name));
            name.clear();
        }
    }
}

std::uint32_t IniFileStore::setValue(const Text& section, const Text& key, const Text& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

std::uint32_t IniFileStore::removeFile() { return DeleteFileW(path_.c_str()); }
