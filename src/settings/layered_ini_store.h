// The packaged settings overlaid by the INI file beside the executable. A non-empty value in the
// file replaces the packaged one; a value in the file's section "<name>+" is appended after a space.
// An empty value in the file never removes a packaged one.
//
//   LayeredIniStore store = openLayeredStore(iniPath, settings.upgradeCode);   // settings_store.h
//   store.getValue(L"Java Runtime Environment", L"Virtual Machine Parameters", parameters);
#pragma once

#include <memory>

#include "settings/ini_document.h"

class LayeredIniStore : public IniStore {
public:
    // `file` is the store of the INI file beside the executable (an IniFileStore on Windows).
    LayeredIniStore(std::unique_ptr<IniStore> file, IniDocument document);

    // The layered reading: always sets `value` (empty when neither layer has the key).
    void getValue(const Text& section, const Text& key, Text& value) const override;

    IniStore& file() { return *file_; }
    IniDocument& document() { return document_; }
    const IniDocument& document() const { return document_; }

private:
    std::unique_ptr<IniStore> file_;
    IniDocument document_;
};
