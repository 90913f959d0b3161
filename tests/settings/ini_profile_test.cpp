// The profile rules on their own (the differential test holds them to the system's answers under
// Wine): how a value is set into a file's text without touching any other line.
#include <gtest/gtest.h>

#include "settings/ini_profile.h"

namespace {

TEST(WithIniValue, SetsOneLineAndKeepsEveryOther) {
    struct Case {
        const char* what;
        const wchar_t* before;
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* after;
    } const cases[] = {
        {"replaces the key's line, whatever its case, blanks and comments around",
         L"; kept\r\n[Java Runtime Environment]\r\n  jre path = \"old\"  \r\nMain Class=a.Main\r\n",
         L"Java Runtime Environment", L"JRE Path",
         L"; kept\r\n[Java Runtime Environment]\r\n  JRE Path=D:\\J\r\nMain Class=a.Main\r\n"},
        {"a line without \"=\" is the key", L"[S]\nJRE Path\nb=2\n", L"s", L"JRE Path",
         L"[S]\nJRE Path=D:\\J\nb=2\n"},
        {"a missing key goes after the section's last line, before blank lines and the next header",
         L"[S]\r\na=1\r\n\r\n[T]\r\nJRE Path=x\r\n", L"S", L"JRE Path",
         L"[S]\r\na=1\r\nJRE Path=D:\\J\r\n\r\n[T]\r\nJRE Path=x\r\n"},
        {"only the first of two sections of a name", L"[S]\r\n[s]\r\nJRE Path=x\r\n", L"S", L"JRE Path",
         L"[S]\r\nJRE Path=D:\\J\r\n[s]\r\nJRE Path=x\r\n"},
        {"the same key in another section is not it", L"[T]\nJRE Path=x", L"S", L"JRE Path",
         L"[T]\nJRE Path=x\r\n[S]\r\nJRE Path=D:\\J\r\n"},
        {"an empty file gets the section", L"", L" S ", L" JRE Path ", L"[S]\r\nJRE Path=D:\\J\r\n"},
        {"lines before any header are no section", L"JRE Path=x\r\n", L"S", L"JRE Path",
         L"JRE Path=x\r\n[S]\r\nJRE Path=D:\\J\r\n"},
        {"a section at the end without a line break", L"[S]\r\na=1", L"S", L"JRE Path",
         L"[S]\r\na=1\r\nJRE Path=D:\\J"},
        {"an empty name changes nothing", L"[S]\r\n", L"", L"JRE Path", L"[S]\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(withIniValue(c.before, c.section, c.key, L"  D:\\J", equalsNoCase), c.after) << c.what;
    }
}

TEST(IniProfile, AValueSetIsReadBack) {
    const Text text =
        withIniValue(L"[A]\r\nk='q'\r\nk=second\r\n", L"B", L"JRE Path", L"C:\\Program Files\\Java", equalsNoCase);
    IniProfile profile;
    profile.parse(text);
    EXPECT_EQ(profile.value(L"b", L"jre path", equalsNoCase), L"C:\\Program Files\\Java");
    EXPECT_EQ(profile.value(L"A", L"k", equalsNoCase), L"q");  // quotes dropped, first of two keys
}

}  // namespace
