#include <gtest/gtest.h>

#include <memory>

#include "settings/ini_document.h"
#include "settings/layered_ini_store.h"

namespace {

IniDocument parsedDocument(const Text& text) {
    IniDocument document;
    document.parseIniText(text);
    return document;
}

TextList sectionNames(const IniDocument& document) {
    TextList names;
    for (const IniDocument::Section& section : document.sections()) names.push_back(section.name);
    return names;
}

// The value, or "<unchanged>" when the document leaves the output as it was.
Text lookup(const IniDocument& document, const Text& section, const Text& key) {
    Text value = L"<unchanged>";
    document.getValue(section, key, value);
    return value;
}

TEST(ParseIniText, ReadsSectionsAndPairs) {
    struct Case {
        const char* what;
        const wchar_t* text;
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
    } const cases[] = {
        {"trimmed key and value", L"[Java Runtime Environment]\r\n  Main Class  =  a.b.Main \r\n",
         L"Java Runtime Environment", L"Main Class", L"a.b.Main"},
        {"second equals sign stays in the value", L"[s]\r\na=b=c", L"s", L"a", L"b=c"},
        {"leading byte-order mark", L"\xFEFF[s]\r\nk=v", L"s", L"k", L"v"},
        {"no comment lines", L"[s]\r\n;x=1\r\n#y=2", L"s", L";x", L"1"},
        {"hash key", L"[s]\r\n;x=1\r\n#y=2", L"s", L"#y", L"2"},
        {"spaces inside brackets stay", L"[ s ]\r\nk=v", L" s ", L"k", L"v"},
        {"header surrounded by blanks", L"  \t[s]\t \r\nk=v", L"s", L"k", L"v"},
        {"brackets taken from first [ to last ]", L"[a]b]\r\nk=v", L"a]b", L"k", L"v"},
        {"empty value stored", L"[s]\r\nk=\r\n", L"s", L"k", L""},
        {"empty key stored", L"[s]\r\n=v", L"s", L"", L"v"},
        {"empty lines between", L"[s]\r\n\r\n\r\nk=v\r\n\r\n", L"s", L"k", L"v"},
        {"lone CR is part of the line", L"[s]\r\nk=v\rw=x", L"s", L"k", L"v\rw=x"},
        {"first pair of a repeated key", L"[s]\r\nk=1\r\nk=2", L"s", L"k", L"1"},
        {"first section of a repeated name", L"[s]\r\nk=1\r\n[s]\r\nk=2\r\nj=3", L"s", L"k", L"1"},
        {"non-ASCII text", L"[Appl\x00E9]\r\nName=\x4E2D\x6587", L"Appl\x00E9", L"Name", L"\x4E2D\x6587"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lookup(parsedDocument(c.text), c.section, c.key), c.value);
    }
}

TEST(ParseIniText, IgnoresWhatIsNoPair) {
    struct Case {
        const char* what;
        const wchar_t* text;
        const wchar_t* section;
        const wchar_t* key;
    } const cases[] = {
        {"LF-only lines are one line", L"[s]\nk=v\n", L"s", L"k"},
        {"pair before the first header", L"k=v\r\n[s]\r\nj=w", L"", L"k"},
        {"line without equals", L"[s]\r\nk\r\n", L"s", L"k"},
        {"names are case-sensitive", L"[Application]\r\nMain Class=x", L"application", L"Main Class"},
        {"keys are case-sensitive", L"[Application]\r\nMain Class=x", L"Application", L"main class"},
        {"byte-order mark only at the start", L"[s]\r\n\xFEFFk=v", L"s", L"k"},
        {"section of the second duplicate", L"[s]\r\nk=1\r\n[s]\r\nj=3", L"s", L"j"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lookup(parsedDocument(c.text), c.section, c.key), L"<unchanged>");
    }
}

TEST(ParseIniText, KeepsEverySectionInOrderAndReplacesOldContent) {
    IniDocument document = parsedDocument(L"[old]\r\nk=v");
    document.parseIniText(L"[Application]\r\n[application]\r\n[]\r\nx\r\n[Application]\r\n");
    EXPECT_EQ(sectionNames(document), (TextList{L"Application", L"application", L"", L"Application"}));
    EXPECT_EQ(lookup(document, L"old", L"k"), L"<unchanged>");

    document.parseIniText(L"");
    EXPECT_TRUE(sectionNames(document).empty());
}

// The layered reading over a file stand-in (an IniDocument answers lookups the same way).
struct Layers {
    const wchar_t* packaged;
    const wchar_t* file;
};

Text layered(const Layers& layers, const Text& section, const Text& key) {
    auto file = std::make_unique<IniDocument>();
    file->parseIniText(layers.file);
    LayeredIniStore store(std::move(file), parsedDocument(layers.packaged));
    Text value = L"stale";
    store.getValue(section, key, value);
    return value;
}

TEST(LayeredIniStore, FileReplacesOrExtendsThePackagedValue) {
    const Text kSection = L"Java Runtime Environment";
    const Text kKey = L"Virtual Machine Parameters";
    struct Case {
        const char* what;
        Layers layers;
        const wchar_t* value;
    } const cases[] = {
        {"packaged only", {L"[Java Runtime Environment]\r\nVirtual Machine Parameters=A", L""}, L"A"},
        {"file replaces", {L"[Java Runtime Environment]\r\nVirtual Machine Parameters=A",
                           L"[Java Runtime Environment]\r\nVirtual Machine Parameters=B"}, L"B"},
        {"plus section appends", {L"[Java Runtime Environment]\r\nVirtual Machine Parameters=A",
                                  L"[Java Runtime Environment+]\r\nVirtual Machine Parameters=B"}, L"A B"},
        {"plus section without packaged value",
         {L"", L"[Java Runtime Environment+]\r\nVirtual Machine Parameters=B"}, L" B"},
        {"empty file value keeps the packaged one", {L"[Java Runtime Environment]\r\nVirtual Machine Parameters=A",
                                                     L"[Java Runtime Environment]\r\nVirtual Machine Parameters="},
         L"A"},
        {"replacement wins over the plus section",
         {L"[Java Runtime Environment]\r\nVirtual Machine Parameters=A",
          L"[Java Runtime Environment]\r\nVirtual Machine Parameters=B\r\n[Java Runtime Environment+]\r\n"
          L"Virtual Machine Parameters=C"}, L"B"},
        {"neither layer", {L"[Other]\r\nVirtual Machine Parameters=A", L""}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(layered(c.layers, kSection, kKey), c.value);
    }
}

// The parser trims values, so a leading space in the "+" value needs a store that keeps it.
TEST(LayeredIniStore, APlusValueThatBeginsWithASpaceGetsNoSecondOne) {
    struct SpacedPlusValue : IniStore {
        void getValue(const Text& section, const Text& key, Text& value) const override {
            if (section == L"s+" && key == L"k") value = L" B";
        }
    };
    LayeredIniStore store(std::make_unique<SpacedPlusValue>(), parsedDocument(L"[s]\r\nk=A"));
    Text value;
    store.getValue(L"s", L"k", value);
    EXPECT_EQ(value, L"A B");
}

}  // namespace
