#include "settings/ini_write.h"

#include <windows.h>

#include "support/unique_handle.h"

bool writeIniValue(const Text& file, const Text& section, const Text& key, const Text& value) {
    {
        // Without a byte-order mark the profile functions would write the file in the ANSI code page.
        UniqueFile created(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (created) {
            const unsigned char bom[2] = {0xFF, 0xFE};
            DWORD written = 0;
            if (!WriteFile(created.get(), bom, sizeof bom, &written, nullptr) || written != sizeof bom) {
                // A half-made file would hide nothing useful; leave no trace of the attempt.
                created.reset();
                DeleteFileW(file.c_str());
                return false;
            }
        }
    }
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}
