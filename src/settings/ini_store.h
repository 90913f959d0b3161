// The one interface through which the launcher reads settings. Implementations: IniFileStore (one INI
// file through the private-profile functions), IniDocument (INI text in memory) and LayeredIniStore
// (the packaged settings overlaid by the INI file beside the executable).
//
//   Text value;
//   store.getValue(L"Java Runtime Environment", L"JRE Path", value);
#pragma once

#include <cstdint>

#include "support/text.h"

class IniStore {
public:
    virtual ~IniStore() = default;

    // Implementation-specific status; see each implementation.
    virtual std::uint32_t probe(unsigned char (&firstBytes)[4]) = 0;

    // Fills `value`; what happens when the key is missing is the implementation's rule.
    virtual void getValue(const Text& section, const Text& key, Text& value) const = 0;

    virtual void getSectionNames(TextList& names) const = 0;

    virtual std::uint32_t setValue(const Text& section, const Text& key, const Text& value) = 0;

    virtual std::uint32_t removeFile() = 0;
};
