// Output file names through the system's own environment expansion and the user's locale
// formatters, as the launcher expands them.
#include <gtest/gtest.h>

#include <windows.h>

#include "jvm/system_redirection_platform.h"

namespace {

TEST(SystemDatePattern, LocaleFormattersAndTheSystemsExpansion) {
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
        {L"%VORNIC_TEST_LOGDIR%\\o_%yyyyMMdd%.log", L"Z:\\pct\\50%off\\o_20240305.log"},
        {L"%VORNIC_TEST_LOGDIR%\\e.log", L"Z:\\pct\\50%off\\e.log"},
        {L"%VORNIC_TEST_EMPTY%e_%dd%.log", L"e_05.log"},
        {L"e_%VORNIC_TEST_NOSUCHVAR%_x.log", L"e_%VORNIC_TEST_NOSUCHVAR%_x.log"},
        {L"out%.txt", L"out%.txt"},
        {L"o_%HH:mm%.log", L"o_.log"},
    };
    ASSERT_TRUE(SetEnvironmentVariableW(L"VORNIC_TEST_LOGDIR", L"Z:\\pct\\50%off"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"VORNIC_TEST_EMPTY", L""));
    SystemRedirectionPlatform platform;
    for (const Case& c : cases) EXPECT_EQ(expandFileName(c.name, time, platform), c.expected) << c.name;
    SetEnvironmentVariableW(L"VORNIC_TEST_LOGDIR", nullptr);
    SetEnvironmentVariableW(L"VORNIC_TEST_EMPTY", nullptr);
}

}  // namespace
