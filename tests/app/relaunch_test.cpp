// The hand-over to the paired launcher, run in this test process so that its own command line is the
// one handed over.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "harness.h"

namespace {

struct RecordedRun {
    int result = 0;
    WText commandLine;
};

RecordedRun relaunch(const WText& pairProduct, bool wait, const wchar_t* exitCode) {
    TempFolder folder;
    const WText record = folder.path() + L"record.bin";
    SetEnvironmentVariableW(L"VORNIC_RECORD_FILE", record.c_str());
    SetEnvironmentVariableW(L"VORNIC_EXIT_CODE", exitCode);
    RecordedRun run;
    run.result = relaunchPairProduct(pairProduct, wait);
    // Without waiting, the child may still be writing: give it time to finish. A waited-for child
    // has ended, so its record is whole or there is none (no child ran) and nothing is to come.
    std::string bytes;
    if (wait) {
        readFileBytes(record, bytes);
    } else {
        WaitingFor marker(L"the paired launcher's record");
        waitUntil([&] { return readFileBytes(record, bytes) && !bytes.empty(); }, scaledMilliseconds(5000), 25);
    }
    run.commandLine.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    SetEnvironmentVariableW(L"VORNIC_RECORD_FILE", nullptr);
    SetEnvironmentVariableW(L"VORNIC_EXIT_CODE", nullptr);
    return run;
}

TEST(Relaunch, ThePairedLauncherGetsThisCommandLineUnchangedAndItsCodeIsPassedOn) {
    const RecordedRun run = relaunch(besideThisProgram(L"record_command_line.exe"), true, L"42");
    EXPECT_EQ(run.result, 42);
    EXPECT_EQ(run.commandLine, WText(GetCommandLineW()));
}

TEST(Relaunch, NegativeAndLargeExitCodesArePassedOnWhole) {
    EXPECT_EQ(relaunch(besideThisProgram(L"record_command_line.exe"), true, L"-1").result, -1);
    EXPECT_EQ(relaunch(besideThisProgram(L"record_command_line.exe"), true, L"70000").result, 70000);
}

TEST(Relaunch, WithoutTheFlagTheResultIsZeroButTheLauncherStillStarts) {
    const RecordedRun run = relaunch(besideThisProgram(L"record_command_line.exe"), false, L"42");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.commandLine, WText(GetCommandLineW()));
}

TEST(Relaunch, AMissingPairedLauncherGivesZero) {
    EXPECT_EQ(relaunch(besideThisProgram(L"no-such-launcher.exe"), true, L"42").result, 0);
    EXPECT_EQ(relaunch(L"", true, L"42").result, 0);
}

}  // namespace
