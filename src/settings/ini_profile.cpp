#include "settings/ini_profile.h"

namespace {

struct Range {
    size_t begin = 0;
    size_t end = 0;
};

Range trimmed(const Text& text, Range range) {
    while (range.begin < range.end && isProfileBlank(text[range.begin])) ++range.begin;
    while (range.end > range.begin && isProfileBlank(text[range.end - 1])) --range.end;
    return range;
}

Text trimmedText(const Text& text) {
    const Range range = trimmed(text, Range{0, text.size()});
    return text.substr(range.begin, range.end - range.begin);
}

// One line of a file: its content without blanks at either end, and where the next line begins (any
// run of CR and LF ends a line, so empty lines never appear).
struct Line {
    Range content;
    size_t end = 0;   // where the line break begins
    size_t next = 0;
};

Line lineAt(const Text& text, size_t start) {
    size_t at = start;
    while (at < text.size() && text[at] != L'\r' && text[at] != L'\n') ++at;
    const size_t contentEnd = at;
    while (at < text.size() && (text[at] == L'\r' || text[at] == L'\n')) ++at;
    return Line{trimmed(text, Range{start, contentEnd}), contentEnd, at};
}

// A header is a line that starts with "[" and holds a "]"; the name lies between the "[" and the last
// "]", without blanks at either end.
bool headerName(const Text& text, Range line, Text& name) {
    if (line.begin == line.end || text[line.begin] != L'[') return false;
    for (size_t close = line.end; close > line.begin + 1; --close) {
        if (text[close - 1] == L']') {
            const Range inside = trimmed(text, Range{line.begin + 1, close - 1});
            name = text.substr(inside.begin, inside.end - inside.begin);
            return true;
        }
    }
    return false;
}

// The name of a key line: up to the first "=" without its blanks, or the whole line without one.
Range keyNameRange(const Text& text, Range line, size_t& equals) {
    equals = text.find(L'=', line.begin);
    if (equals >= line.end) {
        equals = Text::npos;
        return line;
    }
    return trimmed(text, Range{line.begin, equals});
}

}  // namespace

bool isProfileBlank(wchar_t unit) { return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0x1A; }

void IniProfile::parse(const Text& text) {
    sections_.assign(1, Section{});
    Section* current = &sections_.back();
    for (size_t at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        if (line.content.begin == line.content.end) continue;
        Text name;
        if (headerName(text, line.content, name)) {
            sections_.push_back(Section{std::move(name), {}});
            current = &sections_.back();
            continue;
        }
        size_t equals = 0;
        const Range keyRange = keyNameRange(text, line.content, equals);
        // A run of lines with empty names keeps only the first of them.
        if (keyRange.begin == keyRange.end && !current->keys.empty() && current->keys.back().name.empty()) continue;
        Key key;
        key.name = text.substr(keyRange.begin, keyRange.end - keyRange.begin);
        if (equals != Text::npos) {
            const Range valueRange = trimmed(text, Range{equals + 1, line.content.end});
            key.value = text.substr(valueRange.begin, valueRange.end - valueRange.begin);
            key.hasValue = true;
        }
        current->keys.push_back(std::move(key));
    }
}

Text IniProfile::value(const Text& section, const Text& key, NameEquals equals) const {
    const Text sectionName = trimmedText(section);
    const Text keyName = trimmedText(key);
    for (const Section& candidate : sections_) {
        if (!equals(candidate.name, sectionName)) continue;
        for (const Key& entry : candidate.keys) {
            if (!equals(entry.name, keyName)) continue;
            if (!entry.hasValue) return Text();
            const Text& text = entry.value;
            const bool quoted = text.size() >= 2 && (text[0] == L'"' || text[0] == L'\'') && text.back() == text[0];
            return quoted ? text.substr(1, text.size() - 2) : text;
        }
        return Text();  // later sections of the same name are not searched
    }
    return Text();
}

Text withIniValue(const Text& text, const Text& section, const Text& key, const Text& value, NameEquals equals) {
    const Text sectionName = trimmedText(section);
    const Text keyName = trimmedText(key);
    const Range valueRange = trimmed(value, Range{0, value.size()});
    const Text line = keyName + L"=" + value.substr(valueRange.begin);
    if (sectionName.empty() || keyName.empty()) return text;

    bool inSection = false;
    bool found = false;
    size_t insertAt = 0;                   // after the section's last line that is not blank
    for (size_t at = 0; at < text.size();) {
        const Line current = lineAt(text, at);
        at = current.next;
        if (current.content.begin == current.content.end) continue;
        Text name;
        if (headerName(text, current.content, name)) {
            if (found) break;
            inSection = equals(name, sectionName);
            found = inSection;
            insertAt = current.end;
            continue;
        }
        if (!inSection) continue;
        size_t equalsAt = 0;
        const Range nameRange = keyNameRange(text, current.content, equalsAt);
        if (equals(text.substr(nameRange.begin, nameRange.end - nameRange.begin), keyName)) {
            return text.substr(0, current.content.begin) + line + text.substr(current.end);
        }
        insertAt = current.end;
    }
    if (!found) {
        const bool needsBreak = !text.empty() && text.back() != L'\n' && text.back() != L'\r';
        return text + (needsBreak ? L"\r\n" : L"") + L"[" + sectionName + L"]\r\n" + line + L"\r\n";
    }
    // The new line goes after the end of the section's last line, before its line break if it has one.
    return text.substr(0, insertAt) + L"\r\n" + line + text.substr(insertAt);
}
