#include <gtest/gtest.h>

#include "runtime/java_version.h"

namespace {

JavaVersion version(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    JavaVersion v;
    v.set(a, b, c, d);
    return v;
}

JavaVersion parsed(const Text& text, std::int32_t fill = 0) {
    JavaVersion v;
    v.parse(text, fill);
    return v;
}

struct ParseCase {
    const wchar_t* text;
    std::int32_t fill;
    bool ok;
    std::int32_t parts[4];
    std::int32_t count;
};

TEST(JavaVersionParse, ReadsNumbersLeniently) {
    const ParseCase cases[] = {
        {L"1.8.0_151", 0, true, {1, 8, 0, 151}, 4},
        {L"1.8.0_151-b12", 0, true, {1, 8, 0, 151}, 4},
        {L"11", 0, true, {11, 0, 0, 0}, 1},
        {L"11", 65535, true, {11, 65535, 65535, 65535}, 1},
        {L"1.8", 65535, true, {1, 8, 65535, 65535}, 2},
        {L"jdk1.8", 0, true, {1, 8, 0, 0}, 2},
        {L"007", 0, true, {7, 0, 0, 0}, 1},
        {L"0000000000001", 0, true, {1, 0, 0, 0}, 1},
        {L"-1", 0, true, {1, 0, 0, 0}, 1},
        {L"1..2", 0, true, {1, 2, 0, 0}, 2},
        {L"1.2.3.4.5.6", 7, true, {1, 2, 3, 4}, 4},
        {L"2147483647", 0, true, {2147483647, 0, 0, 0}, 1},
        {L"1.2147483647", 0, true, {1, 2147483647, 0, 0}, 2},
        {L"1.8 ", 3, true, {1, 8, 3, 3}, 2},
        {L"", 0, false, {0, 0, 0, 0}, 0},
        {L"abc", 0, false, {0, 0, 0, 0}, 0},
        {L".", 65535, false, {0, 0, 0, 0}, 0},
        {L"2147483648", 0, false, {0, 0, 0, 0}, 0},
        {L"1.8.99999999999", 65535, false, {0, 0, 0, 0}, 0},
        {L"1.2.3.4.99999999999", 0, true, {1, 2, 3, 4}, 4},  // a fifth number is never read
        {L"\x0661.2", 0, true, {2, 0, 0, 0}, 1},            // only ASCII digits count
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.text)) + " fill " + std::to_string(c.fill));
        JavaVersion v;
        v.set(9, 9, 9, 9);
        EXPECT_EQ(v.parse(c.text, c.fill), c.ok);
        EXPECT_EQ(v.parts[0], c.parts[0]);
        EXPECT_EQ(v.parts[1], c.parts[1]);
        EXPECT_EQ(v.parts[2], c.parts[2]);
        EXPECT_EQ(v.parts[3], c.parts[3]);
        EXPECT_EQ(v.count, c.count);
    }
}

TEST(JavaVersionCompare, IsNumericPartByPartAndIgnoresTheCount) {
    EXPECT_EQ(JavaVersion::compare(parsed(L"1.8"), parsed(L"1.8.0.0")), 0);
    EXPECT_EQ(parsed(L"1.8").count, 2);
    EXPECT_EQ(JavaVersion::compare(parsed(L"1.10"), parsed(L"1.9")), 1);
    EXPECT_EQ(JavaVersion::compare(parsed(L"1.9"), parsed(L"1.10")), -1);
    EXPECT_EQ(JavaVersion::compare(parsed(L"1.8.0_151"), parsed(L"1.8", 65535)), -1);
    EXPECT_EQ(JavaVersion::compare(parsed(L"1.8.0_151"), parsed(L"1.8.0_152")), -1);
    EXPECT_EQ(JavaVersion::compare(parsed(L"2"), parsed(L"1.99.99.99")), 1);
    // Signed: a part set in code below zero still orders below zero.
    EXPECT_EQ(JavaVersion::compare(version(-1, 0, 0, 0), version(0, 0, 0, 0)), -1);
    EXPECT_TRUE(parsed(L"1.7") < parsed(L"1.8"));
    EXPECT_TRUE(parsed(L"11") > parsed(L"1.8"));
    EXPECT_TRUE(parsed(L"1.8") == version(1, 8, 0, 0));
}

TEST(JavaVersionMatches, TrailingZerosOfThePatternAreFree) {
    struct Case {
        const wchar_t* candidate;
        const wchar_t* pattern;
        bool matches;
    } const cases[] = {
        {L"1.8.0.0", L"1.8", true},       {L"1.8.0_151", L"1.8", true},   {L"1.9", L"1.8", false},
        {L"11.8", L"1.8", false},         {L"1.8.1.2", L"1.8.0", true},   {L"1.8.0_151", L"1.8.0.151", true},
        {L"1.8.0_152", L"1.8.0.151", false}, {L"1.0.2", L"1.0.2", true}, {L"1.1.2", L"1.0.2", false},
        {L"1.0.2.9", L"1.0.2", true},     {L"17.0.2", L"0.0.0.0", true},  {L"0", L"0.0.0.0", true},
        {L"1.8", L"1.8.0.151", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.candidate)) + " against " +
                     testing::PrintToString(Text(c.pattern)));
        EXPECT_EQ(JavaVersion::matches(parsed(c.candidate), parsed(c.pattern)), c.matches);
    }
}

TEST(JavaVersionFormat, PrintsAtLeastTwoNumbersWithoutUnboundedTail) {
    struct Case {
        JavaVersion value;
        const wchar_t* text;
    } const cases[] = {
        {version(0, 0, 0, 0), L"0.0.0.0"},
        {version(65535, 65535, 65535, 65535), L"0.0.0.0"},
        {version(1, 0, 0, 0), L"1.0"},
        {version(11, 0, 0, 0), L"11.0"},
        {version(1, 8, 0, 0), L"1.8"},
        {version(1, 8, 0, 151), L"1.8.0.151"},
        {version(1, 8, 65535, 65535), L"1.8"},
        {version(0, 0, 0, 5), L"0.0.0.5"},
        {version(1, 65535, 3, 0), L"1.65535.3"},
        {version(2147483647, 0, 0, 0), L"2147483647.0"},
        // A maximum of "11" is read as 11.65535.65535.65535: it prints as the user wrote it.
        {version(11, 65535, 65535, 65535), L"11"},
        {version(11, 65535, 0, 0), L"11"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value.format(), c.text);
}

TEST(JavaVersionUnset, OnlyAllZeroOrAllUnbounded) {
    EXPECT_TRUE(JavaVersion().isUnset());
    EXPECT_TRUE(version(65535, 65535, 65535, 65535).isUnset());
    EXPECT_FALSE(version(0, 0, 0, 65535).isUnset());
    EXPECT_FALSE(version(1, 8, 65535, 65535).isUnset());
    JavaVersion cleared = version(1, 2, 3, 4);
    cleared.clear();
    EXPECT_TRUE(cleared.isUnset());
    EXPECT_EQ(cleared.count, 0);
}

}  // namespace
