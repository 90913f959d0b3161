#include <gtest/gtest.h>

#include "project/settings_split.h"
#include "resources/string_table.h"
#include "settings/setting_names.h"
#include "texts/text_codec.h"

namespace {

const Text kGenerated = L"{00000000-0000-4000-8000-000000000000}";

bool split(const Text& text, SplitSettings& out, std::string& error) {
    std::vector<IniSection> sections;
    return parseSettingsText(text, sections, error) && splitSettings(sections, kGenerated, out, error);
}

TEST(SettingsSplit, SendsEachSectionWhereTheLauncherReadsIt) {
    SplitSettings out;
    std::string error;
    ASSERT_TRUE(split(L"; comment\r[Java Runtime Environment]\r\nMain Class=a.B\n[Java Runtime Environment+]\n"
                      L"Virtual Machine Parameters=-Xmx1g\n# another comment\n[display]\nSplash Screen=x.png\n"
                      L"[Class Path]\nClass Path=lib\\*.jar\n",
                      out, error))
        << error;
    EXPECT_EQ(out.packagedText, L"[Java Runtime Environment]\r\nMain Class=a.B\r\n\r\n[Class Path]\r\nClass Path=lib\\*.jar\r\n");
    EXPECT_EQ(out.besideText, L"[Product Information]\r\nUpgrade Code=" + kGenerated +
                                  L"\r\n\r\n[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx1g\r\n\r\n"
                                  L"[display]\r\nSplash Screen=x.png\r\n");
    EXPECT_TRUE(out.upgradeCodeGenerated);
}

TEST(SettingsSplit, KeepsAGivenUpgradeCodeAndFillsAnEmptyOne) {
    const struct {
        Text productSection;
        Text code;
        bool generated;
    } cases[] = {
        {L"Upgrade Code=\"{A}\"\n", L"{A}", false},
        {L"upgrade code = {B}\n", L"{B}", false},
        {L"Upgrade Code=\n", kGenerated, true},
        {L"Product Name=X\n", kGenerated, true},
    };
    for (const auto& c : cases) {
        SplitSettings out;
        std::string error;
        ASSERT_TRUE(split(L"[Product Information]\n" + c.productSection + L"[Java Runtime Environment]\nMain Class=M\n",
                          out, error))
            << error;
        EXPECT_EQ(out.upgradeCode, c.code) << encodeUtf8(c.productSection);
        EXPECT_EQ(out.upgradeCodeGenerated, c.generated);
        // The beside file, read back, has exactly one Upgrade Code: the one used.
        std::vector<IniSection> beside;
        ASSERT_TRUE(parseSettingsText(out.besideText, beside, error)) << error;
        std::vector<Text> codes;
        for (const IniSection& section : beside)
            for (const IniPair& pair : section.pairs)
                if (equalsNoCase(pair.key, L"Upgrade Code")) codes.push_back(profileValue(pair.value));
        EXPECT_EQ(codes, std::vector<Text>{c.code});
    }
}

TEST(SettingsSplit, RefusesWhatTheLauncherWouldReadDifferently) {
    const struct {
        Text text;
        const char* message;
    } cases[] = {
        {L"[Application]\nCmd=x\n", "Main Class"},
        {L"[Java Runtime Environment]\nMain Class=\n", "Main Class"},
        {L"Main Class=M\n", "must follow a [Section]"},
        {L"[Java Runtime Environment\nMain Class=M\n", "must end with"},
        {L"[Java Runtime Environment]\nMain Class\n", "expected [Section]"},
        {L"[Java Runtime Environment]\n=M\n", "key before"},
        {L"[Java Runtime Environment]\nMain Class=M\n[Java Runtime Environment]\nJRE Path=x\n", "appears again"},
        {L"[Java Runtime Environment]\nMain Class=M\nmain class=N\n", "appears again"},
        {L"[java runtime environment]\nMain Class=M\n", "write the section"},
        {L"[Java Runtime Environment]\nMain Class=M\n[Application]\nsingle instance=yes\n", "write the key"},
        {L"[Product Information]\nUpgrade Code={\u00e9}\n[Java Runtime Environment]\nMain Class=M\n", "plain ASCII"},
    };
    for (const auto& c : cases) {
        SplitSettings out;
        std::string error;
        EXPECT_FALSE(split(c.text, out, error)) << encodeUtf8(c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << encodeUtf8(c.text) << " -> " << error;
    }
}

// Every key the launcher reads: one from the packaged text, which the launcher matches exactly, is
// refused in another letter case; one from the file beside the executable goes there as written.
TEST(SettingsSplit, KnowsEveryKeyTheLauncherReads) {
    const auto otherCase = [](Text text) {
        for (wchar_t& c : text) c = c >= L'a' && c <= L'z' ? c - 32 : c >= L'A' && c <= L'Z' ? c + 32 : c;
        return text;
    };
    for (const SettingName& name : kSettingNames) {
        const Text section = sectionName(name.section);
        const Text line = otherCase(name.key) + L"=v";
        const Text text = L"[" + section + L"]\n" + line + L"\n" +
                          (name.section == SettingSection::Runtime ? L"" : L"[Java Runtime Environment]\nMain Class=M\n");
        SplitSettings out;
        std::string error;
        const bool packed = split(text, out, error);
        if (isBesideOnly(name.section)) {
            ASSERT_TRUE(packed) << encodeUtf8(name.key) << ": " << error;
            EXPECT_NE(out.besideText.find(L"\r\n" + line + L"\r\n"), Text::npos) << encodeUtf8(name.key);
            EXPECT_EQ(out.packagedText.find(line), Text::npos) << encodeUtf8(name.key);
        } else {
            EXPECT_FALSE(packed) << encodeUtf8(name.key) << " in another case was packaged";
            EXPECT_NE(error.find("as \"" + encodeUtf8(name.key) + "\""), std::string::npos)
                << encodeUtf8(name.key) << ": " << error;
        }
    }
}

TEST(SettingsSplit, RefusesMemorySharesThatGiveTheRuntimeNonsense) {
    const struct {
        const wchar_t* parameters;
        MemoryArithmetic width;
        const char* reason;  // null: packaged
    } cases[] = {
        {L"-XmxP", MemoryArithmetic::Bits64, "no digits"},
        {L"-Xmx:256P", MemoryArithmetic::Bits64, "no digits"},
        {L"-Xmx-5P", MemoryArithmetic::Bits64, "not a sign or other characters"},
        {L"-Dx=1 \"-Xms1.5T\"", MemoryArithmetic::Bits64, "not a sign or other characters"},
        {L"-Xmx1:2:3:4P", MemoryArithmetic::Bits64, "at most three numbers"},
        {L"-Xmx0P", MemoryArithmetic::Bits64, "a share of 0 without a lower bound"},
        {L"-Xms0:0:512p", MemoryArithmetic::Bits64, "a share of 0 without a lower bound"},
        {L"-Xmx99999999999999999999P", MemoryArithmetic::Bits64, "too large for the 64-bit launcher"},
        {L"-Xmx102401P", MemoryArithmetic::Bits32, "too large for the 32-bit launcher"},
        {L"-Xmx50:4194304P", MemoryArithmetic::Bits32, "at most 4194303 MiB"},
        {L"-Xmx50:1:99999999999999999999P", MemoryArithmetic::Bits64, "at most 18014398509481983 MiB"},
        {L"-Xss1:2048P", MemoryArithmetic::Bits64, "at most 1024 MiB"},
        {L"-Xss100T", MemoryArithmetic::Bits64, "cannot take the whole memory"},
        // What the launcher turns into sound sizes is packaged.
        {L"-Xmx50P -Xms25:256:1024P -Xmx25::1024t", MemoryArithmetic::Bits32, nullptr},
        {L"-Xmx0:256P -Xss1:1:64P -Xss100:0:1024T -Xmx102400P", MemoryArithmetic::Bits32, nullptr},
        {L"-Xmx50:4194304P -XmxPlain -Xmx512m", MemoryArithmetic::Bits64, nullptr},
    };
    for (const auto& c : cases) {
        const Text text = L"[Java Runtime Environment]\nMain Class=M\nVirtual Machine Parameters=" + Text(c.parameters) +
                          L"\n[Java Runtime Environment+]\nVirtual Machine Parameters=-Xmx25P\n";
        std::vector<IniSection> sections;
        SplitSettings out;
        std::string error;
        ASSERT_TRUE(parseSettingsText(text, sections, error)) << error;
        const bool packaged = splitSettings(sections, kGenerated, out, error, c.width);
        if (!c.reason) {
            EXPECT_TRUE(packaged) << encodeUtf8(c.parameters) << " -> " << error;
            continue;
        }
        EXPECT_FALSE(packaged) << encodeUtf8(c.parameters);
        EXPECT_EQ(error.rfind("line 3: the memory share", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << encodeUtf8(c.parameters) << " -> " << error;
    }
    // The extending section is appended at start, so its shares are checked too.
    std::vector<IniSection> sections;
    SplitSettings out;
    std::string error;
    ASSERT_TRUE(parseSettingsText(L"[Java Runtime Environment]\nMain Class=M\n[Java Runtime Environment+]\n"
                                  L"Virtual Machine Parameters=\"-Xmx-5P\"\n",
                                  sections, error));
    EXPECT_FALSE(splitSettings(sections, kGenerated, out, error));
    EXPECT_EQ(error.rfind("line 4: the memory share \"-Xmx-5P\"", 0), 0u) << error;
}

TEST(SettingsSplit, ErrorsNameTheLine) {
    std::vector<IniSection> sections;
    std::string error;
    EXPECT_FALSE(parseSettingsText(L"[A]\r\nx=1\r\n\r\nbroken\r\n", sections, error));
    EXPECT_EQ(error.rfind("line 4:", 0), 0u) << error;
}

TEST(TextFiles, DecodesEveryAcceptedEncoding) {
    const struct {
        Bytes bytes;
        Text text;
        bool ok;
    } cases[] = {
        {{'a', 0xC3, 0xA9}, L"a\u00e9", true},
        {{0xEF, 0xBB, 0xBF, 'a'}, L"a", true},
        {{0xFF, 0xFE, 'a', 0, 0xE9, 0}, L"a\u00e9", true},
        {{0xFE, 0xFF, 0, 'a', 0x4E, 0x2D}, L"a\u4e2d", true},
        {{'a', 0xE9, 'b'}, L"", false},          // Latin-1, not UTF-8
        {{0xC0, 0x80}, L"", false},              // overlong
        {{0xED, 0xA0, 0x80}, L"", false},        // a surrogate
        {{0xFF, 0xFE, 'a'}, L"", false},         // odd UTF-16
    };
    for (const auto& c : cases) {
        Text text;
        EXPECT_EQ(decodeTextFile(c.bytes, text), c.ok) << encodeUtf8(c.text);
        EXPECT_EQ(text, c.text);
    }
    EXPECT_EQ(encodeUtf8(L"a\u00e9\u4e2d"), "a\xC3\xA9\xE4\xB8\xAD");
}

TEST(MessageFormats, ConversionsAreReadAsTheLauncherFormatsThem) {
    using K = ArgKind;
    const struct {
        Text format;
        bool ok;
        std::vector<ArgKind> kinds;
    } cases[] = {
        {L"plain", true, {}},
        {L"100%% sure", true, {}},
        {L"%s and %d", true, {K::Text, K::Number}},
        {L"%-20ls|%5.2d|%#x|%S|%c", true, {K::Text, K::Number, K::Number, K::Text, K::Number}},
        {L"%ws", true, {K::Text}},
        {L"100% sure", false, {}},  // "% s" is a conversion with the space flag
        {L"%hs", false, {}},        // narrow text
        {L"%*d", false, {}},
        {L"%n", false, {}},
        {L"%f", false, {}},
        {L"%lld", false, {}},
        {L"%1$s", false, {}},
        {L"ends with %", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<ArgKind> kinds;
        std::string error;
        const bool ok = formatArguments(c.format, kinds, error) && (c.format != L"100% sure");
        // "100% sure" parses (as a text conversion) but consumes an argument: checked below.
        if (c.format == L"100% sure") {
            EXPECT_EQ(kinds, std::vector<ArgKind>{K::Text});
            continue;
        }
        EXPECT_EQ(ok, c.ok) << encodeUtf8(c.format);
        EXPECT_EQ(kinds, c.kinds) << encodeUtf8(c.format);
    }
}

TEST(MessageFormats, ReplacementsMustFitTheArgumentsOfTheirId) {
    const struct {
        Text file;
        const char* message;  // empty when accepted
    } cases[] = {
        {L"[Strings]\n211=Class %s is missing.\n", ""},
        {L"[Strings]\n202=Failed: %s\n", ""},               // fewer arguments are read safely
        {L"[Strings]\n202=%s (%d)\n", ""},
        {L"[Strings]\n208=100% sure\n", ""},                // shown as it stands, never formatted
        {L"[Strings]\n211=%d\n", "takes a number"},
        {L"[Strings]\n211=%s %s\n", "passes only 1 argument"},
        {L"[Strings]\n217=any %s\n", "passes only 0 arguments"},
        {L"[Strings]\n202=%d %s\n", "takes a number (%d) as argument 1"},
        {L"[Strings]\n221=from %s to %hs\n", "does not format"},
        {L"[Strings]\n999=x\n", "not a message id"},
        {L"[Strings]\nabc=x\n", "not a message id"},
        {L"[Other]\n211=x\n", "unknown section"},
        {L"", "no [Strings] section"},
    };
    for (const auto& c : cases) {
        std::map<unsigned, Text> texts = defaultMessageTexts();
        std::string error;
        const bool ok = applyStringsFile(c.file, texts, error);
        EXPECT_EQ(ok, std::string(c.message).empty()) << encodeUtf8(c.file) << " -> " << error;
        if (!ok) {
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
            EXPECT_EQ(texts, defaultMessageTexts());
        }
    }
    std::map<unsigned, Text> texts = defaultMessageTexts();
    std::string error;
    ASSERT_TRUE(applyStringsFile(L"[Strings]\n213=First line\\nsecond line\n", texts, error)) << error;
    EXPECT_EQ(texts[213], L"First line\nsecond line");
}

// Every message of the launcher's table has a default text, and it fits the arguments passed.
TEST(MessageFormats, EveryDefaultTextFitsItsArguments) {
    EXPECT_EQ(messageDefinitions().size(), std::size(kMessageArguments));
    for (const MessageDefinition& message : messageDefinitions()) {
        EXPECT_NE(Text(message.text), L"") << message.id;
        std::string error;
        EXPECT_TRUE(checkMessageText(message, message.text, error)) << message.id << ": " << error;
        std::vector<ArgKind> kinds;
        if (message.formatted && formatArguments(message.text, kinds, error)) {
            EXPECT_EQ(kinds, message.args) << message.id;  // the defaults use every argument
        }
    }
}

TEST(StringTables, BlocksReadBackById) {
    const std::map<unsigned, Text> texts = {{202, L"a"}, {207, L"\u00e9"}, {231, L"c"}, {16, L"first of block 2"}};
    const std::vector<Resource> blocks = buildStringTables(texts);
    ASSERT_EQ(blocks.size(), 3u);  // blocks 2, 13, 15
    EXPECT_EQ(blocks[0].name.id, 2);
    EXPECT_EQ(readStringTables(blocks), texts);
}

}  // namespace
