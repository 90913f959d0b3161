// parseIniText on arbitrary text: every pair it keeps is trimmed and holds no line end, every section
// name stands in brackets in the text, and every key of a section that lookups reach answers.
#include <cstdlib>

#include "fuzz_text.h"
#include "settings/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Text text = fuzzText(data, size);
    IniDocument document;
    document.parseIniText(text);

    for (const IniDocument::Section& section : document.sections()) {
        if (text.find(L"[" + section.name + L"]") == Text::npos) std::abort();
        for (const IniDocument::Pair& pair : section.pairs) {
            if (trimText(pair.key) != pair.key || trimText(pair.value) != pair.value) std::abort();
            if (pair.key.find(L'=') != Text::npos) std::abort();
            if (pair.key.find(L"\r\n") != Text::npos || pair.value.find(L"\r\n") != Text::npos) std::abort();
            // Lookups answer from the first section of a name only.
            if (document.findSection(section.name) != &section) continue;
            Text value = L"\r\n";  // no parsed value holds a CR LF
            document.getValue(section.name, pair.key, value);
            if (value == L"\r\n") std::abort();
        }
    }
    // Parsing twice gives the same sections.
    IniDocument again;
    again.parseIniText(text);
    if (again.sections().size() != document.sections().size()) std::abort();
    for (std::size_t i = 0; i < document.sections().size(); ++i)
        if (again.sections()[i].name != document.sections()[i].name) std::abort();
    return 0;
}
