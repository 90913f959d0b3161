// Portable rules of the Java-side text: runs natively and under Wine.
#include <gtest/gtest.h>

#include "jvm/date_time_pattern.h"
#include "jvm/java_strings.h"

namespace {

TEST(JavaText, ModifiedUtf8Decoding) {
    struct Case {
        const char* bytes;
        std::u16string units;
    };
    const Case cases[] = {
        {"plain", u"plain"},
        {"\xc3\xa9t\xc3\xa9", u"\u00e9t\u00e9"},
        {"\xe2\x82\xac", u"\u20ac"},
        {"a\xc0\x80" "b", std::u16string(u"a\0b", 3)},               // NUL as Java writes it
        {"\xed\xa0\xbd\xed\xb8\x80", u"\U0001F600"},                 // a pair as two 3-byte units
        {"\xf0\x9f\x98\x80", u"\U0001F600"},                         // standard 4-byte form
        {"x\xff" "y", u"x\uFFFDy"},                                   // not a lead byte
        {"\xe2\x82", u"\uFFFD"},                                      // cut short at the end
        {"\xe2" "A", u"\uFFFD" "A"},                                  // cut short by a plain byte
    };
    for (const Case& c : cases) EXPECT_EQ(toUtf16Units(fromModifiedUtf8(c.bytes)), c.units) << c.bytes;
}

TEST(JavaText, Utf16UnitsRoundTrip) {
    const std::u16string units = u"a\u00e9\u20ac\U0001F600z";
    EXPECT_EQ(toUtf16Units(fromUtf16Units(units)), units);
    EXPECT_EQ(units.size(), 6u);
}

// Numeric pictures only; records what it was asked.
class FakeFormatter : public DateTimeFormatter {
public:
    bool formatTime(const Text& picture, const LocalTime& time, Text& out) override {
        timePictures.push_back(picture);
        if (failTime) return false;
        out = replace(replace(picture, L"HH", two(time.hour)), L"mm", two(time.minute));
        return true;
    }
    bool formatDate(const Text& picture, const LocalTime& time, Text& out) override {
        datePictures.push_back(picture);
        out = replace(replace(picture, L"yyyy", std::to_wstring(time.year)), L"MM", two(time.month));
        return true;
    }
    bool failTime = false;
    TextList timePictures;
    TextList datePictures;

private:
    static Text two(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }
    static Text replace(Text text, const Text& from, const Text& to) {
        for (size_t at = text.find(from); at != Text::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    }
};

TEST(DateTimePattern, ExpansionRules) {
    LocalTime time;
    time.year = 2024;
    time.month = 3;
    time.hour = 14;
    time.minute = 7;
    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\logs\\out_%yyyyMM_HHmm%.log", L"C:\\logs\\out_202403_1407.log"},
        {L"out%.txt", L"out.txt"},                                   // one "%": an empty pattern
        {L"%%", L""},
        {L"a%HH%b%MM%c", L"a14%b%03c"},                              // first to last "%"
        {L"x_%L.LL%", L"x_7.77"},                                    // milliseconds without leading zeros
        {L"no pattern", L"no pattern"},
    };
    for (const Case& c : cases) {
        time.milliseconds = 7;
        FakeFormatter formatter;
        Text name = c.name;
        expandDateTimePattern(name, time, formatter);
        EXPECT_EQ(name, c.expected) << c.name;
    }
}

TEST(DateTimePattern, TimeIsFormattedBeforeDateAndAFailedStepKeepsItsInput) {
    LocalTime time;
    time.year = 2024;
    time.month = 3;
    time.milliseconds = 123;
    FakeFormatter formatter;
    formatter.failTime = true;
    Text name = L"log_%yyyy_L_HH%.txt";
    expandDateTimePattern(name, time, formatter);
    EXPECT_EQ(name, L"log_2024_123_HH.txt");
    ASSERT_EQ(formatter.timePictures.size(), 1u);
    EXPECT_EQ(formatter.timePictures[0], L"yyyy_123_HH");
    ASSERT_EQ(formatter.datePictures.size(), 1u);
    EXPECT_EQ(formatter.datePictures[0], L"yyyy_123_HH");
}

}  // namespace
