#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "texts/language_texts.h"
#include "package/packager.h"
#include "package/package_report.h"
#include "resources/string_table.h"
#include "synthetic_pe.h"
#include "test_pe_reader.h"
#include "texts/text_codec.h"

namespace {

// Every language's defaults: a text for every message, taking exactly the conversions the English
// one takes, in the same order, as the launcher passes them; every dialog word given.
TEST(Languages, EveryLanguagesDefaultsPassTheFormatCheck) {
    std::set<std::uint16_t> resourceLanguages;
    for (const LanguageTexts* language : knownLanguages()) {
        SCOPED_TRACE(language->tag);
        EXPECT_TRUE(resourceLanguages.insert(language->resourceLanguage).second);
        EXPECT_EQ(language->messages.size(), messageDefinitions().size());
        const std::map<unsigned, Text> texts = defaultMessageTexts(*language);
        for (const MessageDefinition& message : messageDefinitions()) {
            const auto own = std::find_if(language->messages.begin(), language->messages.end(),
                                          [&](const MessageText& entry) { return entry.id == message.id; });
            ASSERT_NE(own, language->messages.end()) << message.id;
            std::string error;
            EXPECT_TRUE(checkMessageText(message, own->text, error)) << message.id << ": " << error;
            std::vector<ArgKind> kinds;
            if (message.formatted && formatArguments(own->text, kinds, error)) {
                EXPECT_EQ(kinds, message.args) << message.id;
            }
        }
        const DialogWords& w = language->dialog;
        for (const wchar_t* word : {w.runtimeTitle, w.folderLabel, w.browse, w.downloadPrompt, w.ok, w.cancel, w.errorTitle,
                                    w.errorHeading, w.details, w.errorFootnote, w.copyHint, w.continueButton, w.endProgram})
            EXPECT_NE(Text(word), L"");
    }
    EXPECT_EQ(resourceLanguages.size(), 12u);
    EXPECT_EQ(englishTexts().resourceLanguage, kLanguageNeutral);
}

// A user's translation is held to the English text's conversions, in its own section.
TEST(Languages, StringsFileSectionsPerLanguageAreCheckedLikeTheEnglishOne) {
    const struct {
        Text file;
        const char* message;  // empty when accepted
    } cases[] = {
        {L"[Strings de]\n222=Bibliothek \"%s\" fehlt (Fehler %d).\n", ""},
        {L"[Strings de]\n222=Fehler %d: Bibliothek \"%s\" fehlt.\n", "takes a number (%d) as argument 1"},
        {L"[Strings ja]\n211=メイン クラス %d\n", "takes a number"},
        {L"[Strings ko]\n221=%s %s %s\n", "passes only 2 arguments"},
        {L"[Strings PT-br]\n213=Falhou.\n", ""},
        {L"[Strings xx]\n213=x\n", "names no language"},
        {L"[Stringsde]\n213=x\n", "unknown section"},
    };
    for (const auto& c : cases) {
        UserTexts userTexts;
        std::string error;
        const bool ok = readStringsFile(c.file, userTexts, error);
        EXPECT_EQ(ok, std::string(c.message).empty()) << encodeUtf8(c.file) << " -> " << error;
        if (!ok) {
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
}

Text messageIn(const testpe::Image& image, unsigned id, unsigned language) {
    const auto found = image.resources.find({"#6", "#" + std::to_string(id / 16 + 1), language});
    if (found == image.resources.end()) return L"(none)";
    const Bytes& block = found->second;
    std::size_t at = 0;
    for (unsigned i = 0; i < id % 16; ++i) at += 2 + 2 * testpe::u16(block, at);
    return fromUtf16Le(block.data() + at + 2, 2 * testpe::u16(block, at));
}

bool dialogHolds(const testpe::Image& image, unsigned language, const Text& word) {
    const auto found = image.resources.find({"#5", "#201", language});
    if (found == image.resources.end()) return false;
    const Bytes units = toUtf16Le(word);
    return std::search(found->second.begin(), found->second.end(), units.begin(), units.end()) != found->second.end();
}

// What a project ships: English always, the chosen languages, the user's texts only where given.
TEST(Languages, PackagesCarryTheChosenLanguagesWithTheUsersTextsOnlyWhereGiven) {
    PackageInputs in;
    in.stub = testpe::syntheticPe({});
    in.settingsText = L"[Java Runtime Environment]\nMain Class=com.example.Main\n";
    in.passPhrase = "0123456789abcdef0123456789abcdef0123456789abcdef";
    in.generatedUpgradeCode = L"{00000000-0000-4000-8000-000000000000}";
    in.outputFileName = L"Demo.exe";
    in.hasStrings = true;
    in.stringsText = L"[Strings]\n213=No VM.\n[Strings de]\n213=Keine VM.\n";
    in.languages = {"de", "ja"};
    PackageOutput out;
    std::string error;
    ASSERT_TRUE(buildPackage(in, out, error)) << error;
    const testpe::Image image = testpe::readImage(out.executable);
    const LanguageTexts& japanese = *findLanguage("ja");
    const struct {
        unsigned language, id;
        Text text;
    } expected[] = {
        {0, 213, L"No VM."},
        {0x0407, 213, L"Keine VM."},
        {0x0411, 213, defaultMessageTexts(japanese)[213]},
        {0x0407, 217, L"in beliebiger Version"},  // German's own default beside the user's one
        {0, 217, L"of any version"},
        {0x040C, 213, L"(none)"},  // French is left out
    };
    for (const auto& e : expected) EXPECT_EQ(messageIn(image, e.id, e.language), e.text) << e.language << "/" << e.id;
    EXPECT_TRUE(dialogHolds(image, 0, L"Java Runtime Needed"));
    EXPECT_TRUE(dialogHolds(image, 0x0407, L"Java-Laufzeitumgebung benötigt"));
    EXPECT_TRUE(dialogHolds(image, 0x0411, japanese.dialog.runtimeTitle));
    EXPECT_TRUE(image.resources.count({"#5", "#231", 0x0411}));
    EXPECT_FALSE(image.resources.count({"#5", "#201", 0x040C}));

    std::string report;
    ASSERT_TRUE(describePackage(out.executable, &out.besideIni, report, error)) << error;
    EXPECT_NE(report.find("0x0000 English (neutral"), std::string::npos) << report;
    EXPECT_NE(report.find("0x0407 German\n  0x0411 Japanese\n"), std::string::npos) << report;

    // Texts for a language left out, and a language the packer has no texts for, are refused.
    in.stringsText = L"[Strings fr]\n213=Pas de VM.\n";
    EXPECT_FALSE(buildPackage(in, out, error));
    EXPECT_NE(error.find("French (fr), a language the package leaves out"), std::string::npos) << error;
    in.hasStrings = false;
    in.languages = {"de", "tlh"};
    EXPECT_FALSE(buildPackage(in, out, error));
    EXPECT_NE(error.find("languages: \"tlh\""), std::string::npos) << error;
}

}  // namespace
