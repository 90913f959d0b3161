// The hand-over to the paired launcher, run in this test process so that its own command line is the
// one handed over.
#include <gtest/gtest.h>

#include "app/relaunch.h"
#include "harness.h"

namespace {

struct RecordedRun {
    int result = 0;
    bool started = false;
    unsigned long error = 0;
    WText commandLine;
};

RecordedRun relaunch(const WText& pairProduct, bool wait, const wchar_t* exitCode) {
    TempFolder folder;
    const WText record = folder.path() + L"record.bin";
    SetEnvironmentVariableW(L"VORNIC_RECORD_FILE", record.c_str());
    SetEnvironmentVariableW(L"VORNIC_EXIT_CODE", exitCode);
    RecordedRun run;
    run.started = relaunchPairProduct(pairProduct, wait, run.result, run.error);
    if (!run.started) return run;
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

TEST(Relaunch, APairedLauncherThatCannotStartIsAFailureWithTheSystemsError) {
    TempFolder folder;
    const WText notAProgram = folder.path() + L"text.exe";
    ASSERT_TRUE(writeFileBytes(notAProgram, "plain text, no program"));
    const struct {
        WText path;
        unsigned long error;
    } cases[] = {
        {besideThisProgram(L"no-such-launcher.exe"), ERROR_FILE_NOT_FOUND},
        {folder.path() + L"missing\\launcher.exe", ERROR_PATH_NOT_FOUND},
        {notAProgram, ERROR_BAD_EXE_FORMAT},
    };
    for (const auto& c : cases) {
        const RecordedRun run = relaunch(c.path, true, L"42");
        EXPECT_FALSE(run.started) << utf8Of(c.path);
        EXPECT_EQ(run.error, c.error) << utf8Of(c.path);
        EXPECT_EQ(run.result, 0) << utf8Of(c.path);
    }
    // The mark is set for the child only.
    EXPECT_EQ(GetEnvironmentVariableW(L"VORNIC_HANDED_OVER_FROM", nullptr, 0), 0u);
}

TEST(Relaunch, APairProductIsTakenFromTheExecutablesFolderAndItsOwnNameIsRecognised) {
    const WText self = thisProgramPath();
    const WText folder = self.substr(0, self.rfind(L'\\') + 1);
    const WText name = self.substr(folder.size());
    TempFolder elsewhere;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    // The current folder a shortcut or a file association gives has nothing to do with it.
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.path().c_str()));
    const WText beside = resolvePairProduct(L"pair.exe");
    const WText above = resolvePairProduct(L"..\\pair.exe");
    const WText absolute = resolvePairProduct(elsewhere.path() + L"x\\..\\pair.exe");
    const bool selfRelative = namesThisExecutable(resolvePairProduct(name));
    WText upper = name;
    CharUpperW(upper.data());
    const bool selfUpper = namesThisExecutable(resolvePairProduct(L".\\sub\\..\\" + upper));
    const bool selfFull = namesThisExecutable(self);
    const bool other = namesThisExecutable(resolvePairProduct(L"pair.exe"));
    SetCurrentDirectoryW(previous);

    EXPECT_TRUE(equalsNoCase(beside, folder + L"pair.exe")) << utf8Of(beside);
    const WText parent = folder.substr(0, folder.rfind(L'\\', folder.size() - 2) + 1);
    EXPECT_TRUE(equalsNoCase(above, parent + L"pair.exe")) << utf8Of(above);
    EXPECT_TRUE(equalsNoCase(absolute, elsewhere.path() + L"pair.exe")) << utf8Of(absolute);
    EXPECT_EQ(resolvePairProduct(L""), L"");
    EXPECT_TRUE(selfRelative);
    EXPECT_TRUE(selfUpper);
    EXPECT_TRUE(selfFull);
    EXPECT_FALSE(other);
}

TEST(Relaunch, TheHandOverMarkIsReadOnceAndClearedForTheJavaProcess) {
    Text by;
    EXPECT_FALSE(takeHandOverMark(by));
    SetEnvironmentVariableW(L"VORNIC_HANDED_OVER_FROM", L"C:\\app\\demo64.exe");
    EXPECT_TRUE(takeHandOverMark(by));
    EXPECT_EQ(by, L"C:\\app\\demo64.exe");
    EXPECT_EQ(GetEnvironmentVariableW(L"VORNIC_HANDED_OVER_FROM", nullptr, 0), 0u);
    EXPECT_FALSE(takeHandOverMark(by));
}

}  // namespace
