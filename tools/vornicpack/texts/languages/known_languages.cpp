#include "texts/language_texts.h"

extern const LanguageTexts kEnglishTexts, kGermanTexts, kFrenchTexts, kSpanishTexts, kItalianTexts,
    kPortugueseBrazilTexts, kDutchTexts, kPolishTexts, kRussianTexts, kJapaneseTexts, kChineseSimplifiedTexts,
    kKoreanTexts;

namespace {

bool sameTag(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

const std::vector<const LanguageTexts*>& knownLanguages() {
    static const std::vector<const LanguageTexts*> all = {
        &kEnglishTexts, &kGermanTexts,  &kFrenchTexts,  &kSpanishTexts,  &kItalianTexts,           &kPortugueseBrazilTexts,
        &kDutchTexts,   &kPolishTexts,  &kRussianTexts, &kJapaneseTexts, &kChineseSimplifiedTexts, &kKoreanTexts};
    return all;
}

const LanguageTexts& englishTexts() { return kEnglishTexts; }

const LanguageTexts* findLanguage(const std::string& tag) {
    for (const LanguageTexts* language : knownLanguages())
        if (sameTag(tag, language->tag)) return language;
    return nullptr;
}

const LanguageTexts* languageOfResource(std::uint16_t resourceLanguage) {
    for (const LanguageTexts* language : knownLanguages())
        if (language->resourceLanguage == resourceLanguage) return language;
    return nullptr;
}

std::vector<std::string> languageList(const std::string& list) {
    std::vector<std::string> tags;
    std::string tag;
    for (const char c : list + ",") {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!tag.empty()) tags.push_back(tag);
            tag.clear();
        } else {
            tag += c;
        }
    }
    return tags;
}
