#include "controls/link_colours.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint32_t kUnchanged = 0x00ABCDEF;

struct ParseCase {
    const wchar_t* value;
    std::uint32_t expected;  // kUnchanged: rejected
};

TEST(LinkColours, ParsingAcceptsThreeDecimalsAndRejectsWhatTheRulesReject) {
    const ParseCase cases[] = {
        {L"0,0,255", rgbColour(0, 0, 255)},
        {L"255,0,0", rgbColour(255, 0, 0)},
        {L" 12, +34,  56", rgbColour(12, 34, 56)},
        {L"300,0,0", rgbColour(44, 0, 0)},          // cut to the low 8 bits
        {L"256,512,257", rgbColour(0, 0, 1)},
        {L"1,2,-1", rgbColour(1, 2, 255)},          // -1 is refused only in the first two parts
        {L"-2,0,0", rgbColour(254, 0, 0)},
        {L"a,b,c", rgbColour(0, 0, 0)},             // not a number reads as 0
        {L"10x,20,30y", rgbColour(10, 20, 30)},
        {L"1,2,3,4", rgbColour(1, 2, 3)},           // the third part reads up to what is not a digit
        {L"99999999999,0,0", rgbColour(0xFF, 0, 0)},  // saturates at the largest int
        {L"-1,0,0", kUnchanged},
        {L"0,-1,0", kUnchanged},
        {L"12,34", kUnchanged},
        {L"12,34,", kUnchanged},
        {L"12", kUnchanged},
        {L"", kUnchanged},
    };
    for (const ParseCase& c : cases) {
        std::uint32_t colour = kUnchanged;
        const bool accepted = parseColourValue(c.value, colour);
        EXPECT_EQ(accepted, c.expected != kUnchanged) << testing::PrintToString(Text(c.value));
        EXPECT_EQ(colour, c.expected) << testing::PrintToString(Text(c.value));
    }
}

std::vector<std::uint8_t> utf16Bytes(const Text& text, bool terminated) {
    std::vector<std::uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    }
    if (terminated) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

TEST(LinkColours, RegistryDataCountsOnlyAsShortTerminatedText) {
    struct Case {
        const char* what;
        bool isText;
        std::vector<std::uint8_t> data;
        std::uint32_t expected;
    };
    std::vector<std::uint8_t> odd = utf16Bytes(L"255,0,0", true);
    odd.push_back(0);
    const Case cases[] = {
        {"text", true, utf16Bytes(L"255,0,0", true), rgbColour(255, 0, 0)},
        {"11 units fit with the terminator", true, utf16Bytes(L"100,100,100", true), rgbColour(100, 100, 100)},
        {"12 units do not", true, utf16Bytes(L"100,100,1000", true), kUnchanged},
        {"not a text type", false, utf16Bytes(L"255,0,0", true), kUnchanged},
        {"no terminator", true, utf16Bytes(L"255,0,0", false), kUnchanged},
        {"odd length", true, odd, kUnchanged},
        {"empty", true, {}, kUnchanged},
        {"text ends at the first NUL", true, utf16Bytes(Text(L"1,2,3") + L'\0' + L"9", true), rgbColour(1, 2, 3)},
    };
    for (const Case& c : cases) {
        std::uint32_t colour = kUnchanged;
        linkColourFromRegistryData(c.isText, c.data.data(), c.data.size(), colour);
        EXPECT_EQ(colour, c.expected) << c.what;
    }
}

}  // namespace
