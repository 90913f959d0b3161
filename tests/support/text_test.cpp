#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "support/text.h"

namespace {

struct SplitCase {
    const wchar_t* text;
    const wchar_t* separator;
    TextList expected;
};

TEST(SplitText, FollowsTheSeparatorRules) {
    const SplitCase cases[] = {
        {L"", L";", {}},
        {L"abc", L";", {L"abc"}},
        {L"a;b", L";", {L"a", L"b"}},
        {L"a;;b", L";", {L"a", L"", L"b"}},
        {L";a", L";", {L"", L"a"}},
        {L"a;", L";", {L"a"}},
        {L";", L";", {L""}},
        {L"x=1\r\ny=2\r\n", L"\r\n", {L"x=1", L"y=2"}},
        {L"x=1\ny=2", L"\r\n", {L"x=1\ny=2"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(splitText(c.text, c.separator), c.expected) << "text: " << testing::PrintToString(Text(c.text));
    }
}

struct ArgumentsCase {
    const wchar_t* text;
    TextList expected;
};

TEST(SplitArguments, OnlySpacesSeparateAndQuotesGroupAtTheStart) {
    const ArgumentsCase cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a   b", {L"a", L"b"}},
        {L"a  \"b c\"  \"\"", {L"a", L"b c", L""}},
        {L"a\tb", {L"a\tb"}},
        {L"a\"b c\"", {L"a\"b", L"c\""}},
        {L"\"a\"b", {L"a", L"b"}},
        {L"\"a b", {L"a b"}},
        {L"a \"", {L"a", L""}},
        {L"\"", {L""}},
        {L"\"\"\"", {L"", L""}},
        {L"a\\\"b", {L"a\\\"b"}},
        {L"a ", {L"a"}},
    };
    for (const ArgumentsCase& c : cases) {
        TextList arguments;
        splitArguments(c.text, arguments);
        EXPECT_EQ(arguments, c.expected) << "text: " << testing::PrintToString(Text(c.text));
    }
}

TEST(SplitArguments, AppendsToWhatIsThere) {
    TextList arguments{L"first"};
    splitArguments(L"second third", arguments);
    EXPECT_EQ(arguments, (TextList{L"first", L"second", L"third"}));
}

TEST(SplitArguments, LongCommandLinesKeepEveryArgument) {
    Text line;
    for (int i = 0; i < 20000; ++i) line += L"arg" + std::to_wstring(i) + L" ";
    TextList arguments;
    splitArguments(line, arguments);
    ASSERT_EQ(arguments.size(), 20000u);
    EXPECT_EQ(arguments.back(), L"arg19999");
}

TEST(EqualsNoCase, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(equalsNoCase(L"any", L"ANY"));
    EXPECT_TRUE(equalsNoCase(L"Only_JRE", L"only_jre"));
    EXPECT_FALSE(equalsNoCase(L"any", L"anyx"));
    EXPECT_FALSE(equalsNoCase(L"\u00e9", L"\u00c9"));
    EXPECT_FALSE(equalsNoCase(L"@", L"`"));  // one apart from the letters' range on each side
    EXPECT_TRUE(equalsNoCase(L"", L""));
}

TEST(TrimText, RemovesWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(trimText(L" \t\r\n\v\f a b \t\r\n"), L"a b");
    EXPECT_EQ(trimText(L"   "), L"");
    EXPECT_EQ(trimText(L""), L"");
    EXPECT_EQ(trimText(L"\u00a0x"), L"\u00a0x");
}

TEST(Paths, FolderOfAndTrailingBackslash) {
    EXPECT_EQ(folderOf(L"C:\\Apps\\demo.exe"), L"C:\\Apps\\");
    EXPECT_EQ(folderOf(L"demo.exe"), L"demo.exe");
    EXPECT_EQ(ensureTrailingBackslash(L"C:\\Java\\jre"), L"C:\\Java\\jre\\");
    EXPECT_EQ(ensureTrailingBackslash(L"C:\\Java\\jre\\"), L"C:\\Java\\jre\\");
    EXPECT_EQ(replaceChar(L"a.b.C", L'.', L'/'), L"a/b/C");
}

TEST(Paths, StripPathComponents) {
    const Text path = L"F\\a\\b\\file";
    EXPECT_EQ(stripPathComponents(path, 0), path);
    EXPECT_EQ(stripPathComponents(path, 1), L"F\\a\\b");
    EXPECT_EQ(stripPathComponents(path, 2), L"F\\a");
    EXPECT_EQ(stripPathComponents(path, 3), L"F");
    EXPECT_EQ(stripPathComponents(path, 9), L"F");
    EXPECT_EQ(stripPathComponents(L"file", 2), L"file");
}

TEST(Paths, ReplaceExtensionCutsAtTheLastDotAnywhere) {
    Text path = L"C:\\Apps\\Demo\\demo.exe";
    EXPECT_TRUE(replaceExtension(path, L"ini"));
    EXPECT_EQ(path, L"C:\\Apps\\Demo\\demo.ini");

    path = L"C:\\Apps\\Demo.Old\\demo";
    EXPECT_TRUE(replaceExtension(path, L"ini"));
    EXPECT_EQ(path, L"C:\\Apps\\Demo.ini");

    path = L"C:\\Apps\\demo";
    EXPECT_FALSE(replaceExtension(path, L"ini"));
    EXPECT_EQ(path, L"C:\\Apps\\demo");
}

TEST(DecimalText, EveryWidthAndSign) {
    EXPECT_EQ(decimalText(0), L"0");
    EXPECT_EQ(decimalText(-7), L"-7");
    EXPECT_EQ(decimalText(std::numeric_limits<std::int32_t>::min()), L"-2147483648");
    EXPECT_EQ(decimalText(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808");
    EXPECT_EQ(decimalText(std::numeric_limits<std::uint64_t>::max()), L"18446744073709551615");
    EXPECT_EQ(decimalText(1234567890u), L"1234567890");
}

}  // namespace
