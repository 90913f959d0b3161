// One INI file, read once and answered from memory by the rules of the system's private-profile
// functions: section and key names match without regard to case, a missing file reads as empty values
// and no sections. Paths over MAX_PATH work too.
//
//   IniFileStore file(userSettingsFilePath(app, false));
//   file.getValue(L"Java Runtime Environment", L"JRE Path", home);
#pragma once

#include "settings/ini_profile.h"
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
    // Non-zero on success; the file is created when missing (not its folder).
    std::uint32_t setValue(const Text& section, const Text& key, const Text& value) override;
    std::uint32_t removeFile() override;

private:
    // The file as it was at the first read after construction or after this store changed it.
    const IniProfile& profile() const;

    Text path_;
    mutable IniProfile profile_;
    mutable bool loaded_ = false;
};
