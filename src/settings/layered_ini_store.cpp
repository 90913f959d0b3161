#include "settings/layered_ini_store.h"

#include <utility>

LayeredIniStore::LayeredIniStore(std::unique_ptr<IniStore> file, IniDocument document)
    : file_(std::move(file)), document_(std::move(document)) {}

void LayeredIniStore::getValue(const Text& section, const Text& key, Text& value) const {
    value.clear();
    document_.getValue(section, key, value);
    Text fromFile;
    file_->getValue(section, key, fromFile);
    if (!fromFile.empty()) {
        value = std::move(fromFile);
        return;
    }
    Text addition;
    file_->getValue(section + L"+", key, addition);
    if (addition.empty()) return;
    if (addition[0] != L' ') value += L' ';
    value += addition;
}
