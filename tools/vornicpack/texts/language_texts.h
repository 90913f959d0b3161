// The packer's default texts, one data file per language in languages/: every message of the
// string table and every word of the two dialogs. English is written as the neutral language, the
// one the launcher falls back to; each other language under its own resource language id, which
// the launcher picks when it is the thread's UI language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MessageText {
    unsigned id;
    const wchar_t* text;
};

// The fixed words of dialogs 201 (runtime selection) and 231 (unexpected error).
struct DialogWords {
    const wchar_t* runtimeTitle;
    const wchar_t* folderLabel;
    const wchar_t* browse;
    const wchar_t* downloadPrompt;
    const wchar_t* ok;
    const wchar_t* cancel;
    const wchar_t* errorTitle;
    const wchar_t* errorHeading;
    const wchar_t* details;
    const wchar_t* errorFootnote;
    const wchar_t* copyHint;
    const wchar_t* continueButton;
    const wchar_t* endProgram;
};

struct LanguageTexts {
    const char* tag;              // as the strings file and the project name it: "de", "pt-BR"
    const char* name;             // in English, for --show and messages
    std::uint16_t resourceLanguage;  // 0 (neutral) for English
    std::vector<MessageText> messages;
    DialogWords dialog;
};

// Every language the packer has texts for, English first.
const std::vector<const LanguageTexts*>& knownLanguages();
const LanguageTexts& englishTexts();
// The language with this tag (ignoring case), or null.
const LanguageTexts* findLanguage(const std::string& tag);
// The language written under this resource language id, or null.
const LanguageTexts* languageOfResource(std::uint16_t resourceLanguage);

// The tags of a list such as "de, fr ja" (commas or spaces between them), as written.
std::vector<std::string> languageList(const std::string& list);
