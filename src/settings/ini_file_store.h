// One INI file, read once and answered from memory by the rules of the system's private-profile
// functions: section and key names match without regard to case, a missing file reads as empty values
// and no sections. Paths over MAX_PATH work too.
//
//   IniFileStore file(userSettingsFilePath(product, false));
//   file.getValue(L"Java Runtime Environment", L"JRE Path", home);
#pragma once

#include "settings/ini_profile.h"
#include "settings/ini_store.h"

class IniFileStore : public IniStore {
public:
    IniFileStore() = default;
    explicit IniFileStore(Text path) : path_(std::move(path)) {}

    const Text& path() const { return path_; }

    // The value read whole, however long; empty when the file, section or key is missing.
    void getValue(const Text& section, const Text& key, Text& value) const override;

private:
    // The file as it was at the first read.
    const IniProfile& profile() const;

    Text path_;
    mutable IniProfile profile_;
    mutable bool loaded_ = false;
};
