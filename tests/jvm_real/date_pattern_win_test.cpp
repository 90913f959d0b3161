// Date patterns through the user's locale formatters, as the launcher expands output file names.
#include <gtest/gtest.h>

#include "jvm/system_redirection_platform.h"

namespace {

TEST(SystemDatePattern, LocaleFormattersExpandTheNumericPictures) {
    LocalTime time;
    time.year = 2024;
    time.month = 3;
    time.dayOfWeek = 2;
    time.day = 5;
    time.hour = 14;
    time.minute = 7;
    time.second = 9;
    time.milliseconds = 45;
    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\logs\\out_%yyyyMMdd_HHmmss%.log", L"C:\\logs\\out_20240305_140709.log"},
        {L"C:\\logs\\%yyyy-MM-dd%\\err.txt", L"C:\\logs\\2024-03-05\\err.txt"},
        {L"run_%HH.mm.ss.L%.txt", L"run_14.07.09.45.txt"},
        {L"out%.txt", L"out.txt"},
    };
    SystemRedirectionPlatform platform;
    for (const Case& c : cases) {
        Text name = c.name;
        expandDateTimePattern(name, time, platform);
        EXPECT_EQ(name, c.expected) << c.name;
    }
}

}  // namespace
