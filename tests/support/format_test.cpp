#include <gtest/gtest.h>

#include "support/format.h"

namespace {

TEST(FormatText, TextArgumentsAreWideLikeTheWindowsFormatter) {
    const Text name = L"C:\\Program Files\\\u00c9t\u00e9\\\u4e2d\\jvm.dll";
    EXPECT_EQ(formatText(L"Cannot load %s (%d).", {name, 193}),
              L"Cannot load C:\\Program Files\\\u00c9t\u00e9\\\u4e2d\\jvm.dll (193).");
    EXPECT_EQ(formatText(L"%ls|%S|%ws", {L"a", L"b", L"c"}), L"a|b|c");
}

TEST(FormatText, NumbersFlagsWidthAndPrecision) {
    EXPECT_EQ(formatText(L"%d %i %u", {-5, 7, -1}), L"-5 7 4294967295");
    EXPECT_EQ(formatText(L"[%5d][%-5d][%05d][%+d][% d]", {42, 42, -42, 3, 3}), L"[   42][42   ][-0042][+3][ 3]");
    EXPECT_EQ(formatText(L"%x %X %#x %08X", {255, 255, 255, 0xBEEF}), L"ff FF 0xff 0000BEEF");
    EXPECT_EQ(formatText(L"%.3d|%.0d", {7, 0}), L"007|");
    EXPECT_EQ(formatText(L"%d", {static_cast<std::int32_t>(-2147483647 - 1)}), L"-2147483648");
    EXPECT_EQ(formatText(L"[%6s][%-6s][%.2s]", {L"ab", L"ab", L"abcdef"}), L"[    ab][ab    ][ab]");
    EXPECT_EQ(formatText(L"%c%c", {0x41, 0x4E2D}), L"A\u4e2d");
    EXPECT_EQ(formatText(L"100%% sure", {}), L"100% sure");
}

// Formats come from string tables the packaging wrote; a wrong one must never read past its arguments.
TEST(FormatText, MismatchedConversionsAreCopiedAsTheyStand) {
    EXPECT_EQ(formatText(L"%s and %s", {L"one"}), L"one and %s");
    EXPECT_EQ(formatText(L"%d", {L"text"}), L"%d");
    EXPECT_EQ(formatText(L"%s", {5}), L"%s");
    EXPECT_EQ(formatText(L"%n%p%f", {1, 2, 3}), L"%n%p%f");
    EXPECT_EQ(formatText(L"trailing %", {}), L"trailing %");
    EXPECT_EQ(formatText(L"%-", {}), L"%-");
    EXPECT_EQ(formatText(L"%99999999999d", {1}).size(), 100000u);
}

TEST(FormatText, LongTextsAreKeptWhole) {
    const Text longText(5000, L'x');
    EXPECT_EQ(formatText(L"<%s>", {longText}), L"<" + longText + L">");
}

}  // namespace
