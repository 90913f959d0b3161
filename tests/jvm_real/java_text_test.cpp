// Portable rules of the Java-side text: runs natively and under Wine.
#include <gtest/gtest.h>

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

}  // namespace
