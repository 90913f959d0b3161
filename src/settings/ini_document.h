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

    // Writes 0 into the buffer and returns 1.
    std::uint32_t probe(unsigned char (&firstBytes)[4]) override;
    // Leaves `value` unchanged when the section or key is missing.
    void getValue(const Text& section, const Text& key, Text& value) const override;
    void getSectionNames(TextList& names) const override;
    // Appends the pair to the first section of that name (made when missing), even if the key is
    // already there: lookups keep answering from the first pair. Returns 1.
    std::uint32_t setValue(const Text& section, const Text& key, const Text& value) override;
    // There is no file: does nothing and returns 0.
    std::uint32_t removeFile() override;

    // Replaces the content with the sections of `text`. Lines end at CR LF only; a leading U+FEFF is
    // dropped; there are no comment lines.
    void parseIniText(const Text& text);

    const std::vector<Section>& sections() const { return sections_; }

    // The first section named exactly `name`, or null.
    const Section* findSection(const Text& name) const;

private:
    std::vector<Section> sections_;
};
