// INI text held in memory: the packaged settings once deciphered. Sections and keys keep their case
// and their duplicates; lookups take the first match, compared exactly.
//
//   IniDocument document;
//   document.parseIniText(packagedText);
//   document.getValue(L"Application", L"Main Class", value);   // value unchanged when missing
#pragma once

#include "settings/ini_store.h"

class IniDocument : public IniStore {
public:
    struct Pair {
        Text key;
        Text value;
    };
    struct Section {
        Text name;
        std::vector<Pair> pairs;
    };

    // Leaves `value` unchanged when the section or key is missing.
    void getValue(const Text& section, const Text& key, Text& value) const override;

    // Replaces the content with the sections of `text`. Lines end at CR LF only; a leading U+FEFF is
    // dropped; there are no comment lines.
    void parseIniText(const Text& text);

    const std::vector<Section>& sections() const { return sections_; }

    // The first section named exactly `name`, or null.
    const Section* findSection(const Text& name) const;

private:
    std::vector<Section> sections_;
};
