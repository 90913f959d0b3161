// One INI file through the system's private-profile functions: section and key names match without
// regard to case, a missing file reads as empty values and no sections.
//
//   IniFileStore file(userSettingsFilePath(app, false));
//   file.getValue(L"Java Runtime Environment", L"JRE Path", home);
#pragma once

#include "settings/ini_store.h"

class IniFileStore : public IniStore {
public:
    IniFileStore() = default;
    explicit IniFileStore(Text path) : path_(std::move(path)) {}

    const Text& path() const { return path_; }

    // Opens the existing file unshared and reads its first 4 bytes: 0, or the system's error code.
    std::uint32_t probe(unsigned char (&firstBytes)[4]) override;
    // The value read whole, however long; empty when the file, section or key is missing.
    void getValue(const Text& section, const Text& key, Text& value) const override;
    // Section names in file order, empty names skipped.
    void getSectionNames(TextList& names) const override;
    // The system's result: non-zero on success. The system creates the file and section.
    std::uint32_t setValue(const Text& section, const Text& key, const Text& value) override;
    std::uint32_t removeFile() override;

private:
    Text path_;
};
