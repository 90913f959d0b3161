// INI file text as the system's private-profile functions read and write it, so that a file can be
// read once and every key answered from memory (and files over MAX_PATH, which those functions cannot
// open, read at all). Unlike the packaged settings (IniDocument), lines end at CR or LF, blanks around
// names and values do not count, names match without regard to case, and only the first section of
// a name is searched.
//
//   IniProfile profile;
//   profile.parse(text);                                  // decoded, without its byte-order mark
//   Text home = profile.value(L"Java Runtime Environment", L"JRE Path", sameName);
#pragma once

#include "support/text.h"

// How names compare: without regard to case, by the system's own rule on Windows.
using NameEquals = bool (*)(const Text& a, const Text& b);

// The units the profile functions drop around lines, names and values: ASCII white space (tab, LF, VT,
// FF, CR, space) and ^Z (an old end-of-file mark). Other Unicode spaces are text.
bool isProfileBlank(wchar_t unit);

class IniProfile {
public:
    void parse(const Text& text);

    // What the system answers with the default "": the value of the first key named `key` in the first
    // section named `section` (both without their blanks), with one pair of enclosing quotes (" or ')
    // removed; empty when there is none, or the line has no "=".
    Text value(const Text& section, const Text& key, NameEquals equals) const;

private:
    struct Key {
        Text name;
        Text value;
        bool hasValue = false;
    };
    struct Section {
        Text name;
        std::vector<Key> keys;
    };
    std::vector<Section> sections_;  // the first one holds the lines before any header; its name is empty
};

// `text` with `key` of `section` set to `value` as the system writes it: the key's line (found as
// IniProfile::value finds it) becomes "key=value"; a missing key is added after the last line of the
// section that is not blank, a missing section at the end. Every other line stays as it was. The text
// stays unchanged when the section or key name is empty (or blank).
Text withIniValue(const Text& text, const Text& section, const Text& key, const Text& value, NameEquals equals);
