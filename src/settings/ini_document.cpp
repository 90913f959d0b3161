#include "settings/ini_document.h"

namespace {

bool isControlOrSpace(wchar_t c) { return static_cast<unsigned>(c) <= 32; }

// "[name]" after dropping units up to 32 at both ends.
bool isHeader(const Text& line) {
    size_t begin = 0;
    size_t end = line.size();
    while (begin < end && isControlOrSpace(line[begin])) ++begin;
    while (end > begin && isControlOrSpace(line[end - 1])) --end;
    return end - begin >= 2 && line[begin] == L'[' && line[end - 1] == L']';
}

}  // namespace

const IniDocument::Section* IniDocument::findSection(const Text& name) const {
    for (const Section& section : sections_) {
        if (section.name == name) return &section;
    }
    return nullptr;
}

void IniDocument::getValue(const Text& section, const Text& key, Text& value) const {
    const Section* found = findSection(section);
    if (!found) return;
    for (const Pair& pair : found->pairs) {
        if (pair.key == key) {
            value = pair.value;
            return;
        }
    }
}

void IniDocument::parseIniText(const Text& text) {
    sections_.clear();
    TextList lines = splitText(text, L"\r\n");
    if (!lines.empty() && !lines[0].empty() && lines[0][0] == 0xFEFF) lines[0].erase(0, 1);
    Section* current = nullptr;
    for (const Text& line : lines) {
        if (line.empty()) continue;
        if (isHeader(line)) {
            // Between the line's first "[" and its last "]", spaces inside the brackets included.
            const size_t open = line.find(L'[');
            const size_t close = line.rfind(L']');
            sections_.push_back(Section{line.substr(open + 1, close - open - 1), {}});
            current = &sections_.back();
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!current || equals == Text::npos) continue;
        current->pairs.push_back(Pair{trimText(line.substr(0, equals)), trimText(line.substr(equals + 1))});
    }
}
