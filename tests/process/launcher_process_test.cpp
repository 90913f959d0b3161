// The launcher as its users start it: a whole process under Wine.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;

TEST(LauncherProcess, WithoutAnySettingsEndsWithMinusOneAndLeavesNothingRunning) {
    TempFolder folder;
    const WText exe = folder.path() + L"bare.exe";
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE));

    const Launch result = runAnswering(exe, L"\"" + exe + L"\" first \"second word\"", IDCANCEL, kLaunchTimeout);
    ASSERT_TRUE(result.finished) << "the launcher hung";
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
    // The missing main class is reported as message 210; the bare stub has no string table for its text.
    ASSERT_EQ(result.windows.size(), 1u);
    EXPECT_EQ(result.windows[0].className, L"#32770");
    EXPECT_TRUE(noProcessRuns(exe));
}

TEST(LauncherProcess, EmptyAndVeryLongCommandLinesGiveTheSameDefinedResult) {
    TempFolder folder;
    const WText exe = folder.path() + L"bare.exe";
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE));

    WText longLine = L"\"" + exe + L"\"";
    while (longLine.size() < 30000) longLine += L" \"an argument with spaces\" x";
    for (const WText& line : {WText(), WText(L"   "), longLine}) {
        const Launch result = runAnswering(exe, line, IDCANCEL, kLaunchTimeout);
        ASSERT_TRUE(result.finished) << "the launcher hung on a command line of " << line.size() << " units";
        EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
    }
}

}  // namespace
