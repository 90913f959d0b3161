// Whole launches of a packaged copy with the stand-in runtime as its private runtime: the Java
// thread, main's arguments, exit codes, messages, the exception dialog and stream redirection.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{5A0C3E91-7B44-4C1D-8E2F-6D9A1B3C5E70}";

// The string table a packaging run would add; each text names its id so tests can tell them apart.
const std::map<unsigned, Text> kStrings = {
    {203, L"[203] %s | %s"},          {211, L"[211] cannot name %s"},  {213, L"[213] creation"},
    {215, L"[215] no class %s"},      {216, L"[216] no main"},         {225, L"[225] error"},
    {226, L"[226] detached"},         {227, L"[227] version"},         {228, L"[228] memory"},
    {229, L"[229] exists"},           {230, L"[230] invalid"},
};

// A packaged copy "app.exe" with the stand-in runtime in its private runtime folder.
class JavaApp {
public:
    JavaApp(const Text& applicationSection, const std::string& script, bool withTemplate = true,
            const Text& runtimeSection = Text()) {
        exe_ = folder_.path() + L"app.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe_.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second", L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" +
                                                        runtimeSection +
                                                        L"[Class Path]\r\nClass Path=app.jar\r\n[Application]\r\n" +
                                                        applicationSection);
        resources.strings = kStrings;
        EXPECT_TRUE(resources.writeInto(exe_));
        if (withTemplate) {
            EXPECT_TRUE(copyExceptionTemplate(exe_));
        }
        EXPECT_TRUE(writeUtf16File(folder_.path() + L"app.ini",
                                   L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n"));
        EXPECT_TRUE(writeFileBytes(folder_.path() + L"app.jar", "PK"));
        const WText runtime = folder_.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        EXPECT_TRUE(makeFolders(runtime + L"bin\\server"));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                              (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
        EXPECT_TRUE(writeFileBytes(folder_.path() + L"script.txt", script));
    }

    const WText& folder() const { return folder_.path(); }
    std::string record() const { return readText(folder_.path() + L"record.txt"); }

    ChildProcess start(const WText& arguments, const std::vector<WText>& environment = {}) const {
        return ChildProcess::start(exe_, L"\"" + exe_ + L"\" " + arguments, folder_.path(),
                                   environmentWith(environment));
    }

    // The copy's own APPDATA, record and script, then `environment`.
    std::vector<WText> environmentWith(const std::vector<WText>& environment) const {
        return standinEnvironment(folder_.path(), environment);
    }

    // Runs to the end, answering every window it shows with OK.
    Launch run(const WText& arguments, const std::vector<WText>& environment = {}) const {
        return runAnswering(exe_, L"\"" + exe_ + L"\" " + arguments, IDOK, kLaunchTimeout, folder_.path(),
                            environmentWith(environment));
    }

private:
    static inline const WText kStandin = WIDE_STANDIN_RUNTIME;
    TempFolder folder_;
    WText exe_;
};

// The exception dialog of `process` (a dialog with control 208), or null after the time.
HWND waitForExceptionDialog(DWORD process, DWORD milliseconds) {
    WaitingFor marker(L"the exception dialog of process " + std::to_wstring(process));
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND window : topLevelWindowsOf(process)) {
                if (GetDlgItem(window, 208)) found = window;
                if (found) return true;
            }
            return false;
        },
        milliseconds, 20);
    return found;
}

TEST(JavaRun, CommandLineAndCmdWordsReachMainInOrder) {
    const JavaApp app(L"Cmd=x \"y z\"\r\n", "main: args\n");
    const Launch launch = app.run(L"a \"b c\"");
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 0u);
    EXPECT_TRUE(launch.windows.empty());
    EXPECT_TRUE(contains(app.record(), "call: main\narg: a\narg: b c\narg: x\narg: y z\n")) << app.record();
    EXPECT_TRUE(contains(app.record(), "option-hook: abort\noption-hook: exit\n")) << app.record();
    EXPECT_TRUE(contains(app.record(), "create-vm: version=0x10002")) << app.record();
    EXPECT_TRUE(contains(app.record(), "check-and-load-main: app.Main")) << app.record();
    EXPECT_TRUE(contains(app.record(), "detach\ndestroy-vm")) << app.record();
}

TEST(JavaRun, ExitCodesFollowTheJavaSide) {
    struct Case {
        const char* script;
        DWORD expected;
    };
    const Case cases[] = {
        {"main: out done\n", 0},
        {"main: exit 7\n", 7},
        {"main: exit -3\n", static_cast<DWORD>(-3)},
        // No "Failure Check": described by the launcher before the detach, and a failure.
        {"main: throw java/lang/IllegalStateException broken\n", 1},
    };
    for (const Case& c : cases) {
        const JavaApp app(L"", c.script);
        const Launch launch = app.run(L"");
        ASSERT_TRUE(launch.finished) << c.script;
        EXPECT_EQ(launch.exitCode, c.expected) << c.script;
        EXPECT_TRUE(launch.windows.empty()) << c.script;
        EXPECT_EQ(contains(app.record(), "exception-describe: java.lang.IllegalStateException: broken\ndetach\n"),
                  c.expected == 1)
            << c.script << app.record();
    }
}

TEST(JavaRun, FailedMachineCreationShowsMessage203WithTheErrorText) {
    struct Case {
        const wchar_t* result;
        const wchar_t* message;
    };
    const Case cases[] = {
        {L"-1", L"[203] [213] creation | [225] error"},
        {L"-6", L"[203] [213] creation | [230] invalid"},
        {L"-7", L"[203] [213] creation | "},
    };
    for (const Case& c : cases) {
        const JavaApp app(L"", "");
        const Launch launch = app.run(L"", {WText(L"VORNIC_STANDIN_CREATE_RESULT=") + c.result});
        ASSERT_TRUE(launch.finished) << c.result;
        EXPECT_EQ(launch.exitCode, kMinusOne) << c.result;
        ASSERT_EQ(launch.windows.size(), 1u) << c.result;
        EXPECT_EQ(launch.windows[0].text, c.message);
        EXPECT_FALSE(contains(app.record(), "call: main"));
    }
}

TEST(JavaRun, MissingMainClassShowsMessage215) {
    const JavaApp app(L"", "class: app/Other\n");
    const Launch launch = app.run(L"");
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, kMinusOne);
    ASSERT_EQ(launch.windows.size(), 1u);
    EXPECT_EQ(launch.windows[0].text, L"[215] no class app/Main");
    EXPECT_TRUE(contains(app.record(), "detach")) << app.record();
}

TEST(JavaRun, MainClassWithoutMainDescribesTheErrorWithoutMessage216) {
    const JavaApp app(L"", "no-main: app/Main\n");
    const Launch launch = app.run(L"");
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, kMinusOne);
    EXPECT_TRUE(launch.windows.empty());
    EXPECT_TRUE(contains(app.record(), "exception-describe: java.lang.NoSuchMethodError")) << app.record();
}

TEST(JavaRun, ExceptionDialogShowsTheTraceAndItsAnswerDecides) {
    struct Case {
        const char* how;
        DWORD expected;
    };
    // Continue lets the program go on; main still ended by an exception.
    const Case cases[] = {{"ok", 1}, {"cancel", kMinusOne}, {"close", kMinusOne}};
    for (const Case& c : cases) {
        const JavaApp app(L"Failure Check=Yes\r\n", "main: throw java/lang/IllegalStateException broken state\n");
        ChildProcess child = app.start(L"");
        ASSERT_TRUE(child.started());
        HWND dialog = waitForExceptionDialog(child.id(), scaledMilliseconds(kWindowWaitMilliseconds));
        ASSERT_TRUE(dialog) << c.how;
        const WText trace = controlTextOf(GetDlgItem(dialog, 208));
        EXPECT_NE(trace.find(L"java.lang.IllegalStateException: broken state"), WText::npos)
            << c.how << " [" << std::string(trace.begin(), trace.end()) << "]";
        if (std::string(c.how) == "ok") pressButton(dialog, IDOK);
        if (std::string(c.how) == "cancel") pressButton(dialog, IDCANCEL);
        if (std::string(c.how) == "close") PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD code = 0;
        ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code)) << c.how;
        EXPECT_EQ(code, c.expected) << c.how;
        EXPECT_EQ(contains(app.record(), "exit: -1"), c.expected == kMinusOne) << c.how << app.record();
        EXPECT_FALSE(contains(app.record(), "exception-describe")) << c.how << app.record();  // shown, not printed
    }
}

TEST(JavaRun, MissingExceptionTemplateEndsTheProgram) {
    const JavaApp app(L"Failure Check=Yes\r\n", "main: throw java/lang/IllegalStateException broken\n", false);
    const Launch launch = app.run(L"");
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, kMinusOne);
    EXPECT_TRUE(launch.windows.empty());
}

TEST(JavaRun, NonDaemonThreadKeepsTheProcessAlive) {
    const JavaApp app(L"Output File=out.txt\r\n", "main: thread 1500 late\nmain: out early\n");
    const Launch launch = app.run(L"");
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 0u);
    EXPECT_GE(launch.milliseconds, 1500u);
    const std::string written = readText(app.folder() + L"out.txt");
    EXPECT_TRUE(contains(written, "early")) << written;
    EXPECT_TRUE(contains(written, "late")) << written;
}

TEST(JavaRun, OutputAndErrorFilesWithDatePatternsHoldWhatMainPrinted) {
    const JavaApp probe(L"", "");
    const WText base = probe.folder();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t year[8];
    wchar_t day[16];
    swprintf(year, 8, L"%04u", now.wYear);
    swprintf(day, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);

    const JavaApp app(L"Output File=" + base + L"logs\\%yyyy%\\out.txt\r\nError File=" + base +
                          L"err_%yyyyMMdd%.txt\r\nError Append=yes\r\n",
                      "main: out to the output file\nmain: err to the error file\n");
    ASSERT_TRUE(writeFileBytes(base + L"err_" + day + L".txt", "earlier\n"));
    const Launch launch = app.run(L"");
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 0u);
    const std::string out = readText(base + L"logs\\" + year + L"\\out.txt");
    const std::string err = readText(base + L"err_" + day + L".txt");
    EXPECT_TRUE(contains(out, "to the output file")) << out;
    EXPECT_FALSE(contains(out, "error file")) << out;
    EXPECT_EQ(err.rfind("earlier\n", 0), 0u) << err;  // appended
    EXPECT_TRUE(contains(err, "to the error file")) << err;
}

TEST(JavaRun, StackSizeComesFromXssOrFromTheRuntime) {
    // The runtime is asked for its default only when no "-Xss" gave the size.
    const JavaApp withXss(L"", "", true, L"Virtual Machine Parameters=-Xss4m\r\n");
    ASSERT_TRUE(withXss.run(L"").finished);
    EXPECT_TRUE(contains(withXss.record(), "option: -Xss4m\n")) << withXss.record();
    EXPECT_FALSE(contains(withXss.record(), "get-default-init-args")) << withXss.record();

    const JavaApp plain(L"", "");
    ASSERT_TRUE(plain.run(L"").finished);
    EXPECT_TRUE(contains(plain.record(), "get-default-init-args: version=0x10001\n")) << plain.record();
}

TEST(JavaRun, IbmRuntimesKeepTheJavaThreadAfterMain) {
    // Only the program itself ends the process: main returning is not the end.
    const JavaApp app(L"", "main: out returned\n", true, L"VM Provider=ibm\r\n");
    ChildProcess child = app.start(L"");
    ASSERT_TRUE(child.started());
    DWORD code = 0;
    EXPECT_FALSE(child.waitForExit(3000, code));  // ended by the harness after the time
    EXPECT_TRUE(contains(app.record(), "call: main")) << app.record();
    EXPECT_FALSE(contains(app.record(), "detach")) << app.record();
}

// The class-data-sharing options reach the runtime only with the setting and a runtime from 13 on that
// has its base archive (a Java 17 told to write a dynamic archive without one does not start), the
// archive folder is the product's under LOCALAPPDATA, and an archive of an earlier build is removed.
TEST(JavaRun, ClassDataSharingOptionsFollowTheSettingTheRuntimeAndTheFolder) {
    struct Case {
        const char* release;  // JAVA_VERSION of the runtime's release file; null for none
        bool setting;
        bool folderWritable;
        bool baseArchive;  // classes.jsa beside jvm.dll
        std::vector<std::string> options;  // in the record, each followed by the archive's folder
        const char* traced;
    };
    const std::string silence = "option: -Xlog:cds=off,cds+dynamic=off\n";
    const Case cases[] = {
        {"1.8.0_381", true, true, true, {}, "class data sharing: off (Java 8 has no dynamic archive)"},
        {nullptr, true, true, true, {}, "class data sharing: off (runtime version unknown)"},
        {"17.0.2", true, true, true, {silence, "option: -XX:ArchiveClassesAtExit="},
         "class data sharing: writes at exit "},
        {"21.0.1", true, true, true, {silence, "option: -XX:+AutoCreateSharedArchive\noption: -XX:SharedArchiveFile="},
         "class data sharing: the runtime keeps "},
        {"21.0.1", false, true, true, {}, nullptr},
        {"17.0.2", true, false, true, {}, "cannot be written"},
        {"17.0.2", true, true, false, {}, "class data sharing: off (the runtime has no base archive "},
        {"21.0.1", true, true, false, {}, "class data sharing: off (the runtime has no base archive "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.release ? c.release : "no release file") + (c.setting ? " on" : " off") +
                     (c.folderWritable ? "" : ", folder in the way") + (c.baseArchive ? "" : ", no base archive"));
        const JavaApp app(L"", "", true, c.setting ? L"Class Data Sharing=Yes\r\n" : L"");
        ASSERT_TRUE(writeUtf16File(app.folder() + L"app.ini", L"[Product Information]\r\nProduct Name=Cds App\r\n"
                                                              L"Upgrade Code=" + kUpgradeCode + L"\r\n"));
        const WText runtime = app.folder() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        if (c.release) {
            ASSERT_TRUE(writeFileBytes(runtime + L"release", std::string("JAVA_VERSION=\"") + c.release + "\"\n"));
        }
        if (c.baseArchive) {
            ASSERT_TRUE(writeFileBytes(runtime + L"bin\\server\\classes.jsa", "the runtime's own classes"));
        }
        const WText local = app.folder() + L"local";
        const WText archives = local + L"\\Cds App\\";
        // An archive of an earlier build; the runtime's own magic number so that only its name makes it old.
        const WText old = archives + L"Cds App-cds-0000000000000000.4096.jsa";
        // A file of the user's whose name begins as the archives' do: never the launcher's to remove.
        const WText notes = archives + L"Cds App-cds-notes.txt";
        if (c.folderWritable) {
            ASSERT_TRUE(makeFolders(archives));
            ASSERT_TRUE(writeFileBytes(old, std::string("\xa8\xab\x0b\xf0", 4)));
            ASSERT_TRUE(writeFileBytes(notes, std::string("\xa8\xab\x0b\xf0 notes", 10)));
        } else {
            ASSERT_TRUE(writeFileBytes(local, "a file where the folders would be"));
        }
        const WText trace = app.folder() + L"trace.txt";
        const Launch launch = app.run(L"", {L"LOCALAPPDATA=" + local, L"VORNIC_TRACE=" + trace});
        ASSERT_TRUE(launch.finished);
        EXPECT_EQ(launch.exitCode, 0u);
        EXPECT_TRUE(launch.windows.empty());
        const std::string record = app.record();
        const std::string folder(archives.begin(), archives.end());
        for (const std::string& option : c.options) {
            EXPECT_TRUE(contains(record, option.back() == '\n' ? option : option + folder + "Cds App-cds-")) << record;
        }
        EXPECT_EQ(contains(record, "cds"), !c.options.empty()) << record;
        if (c.traced) {
            EXPECT_TRUE(contains(readText(trace), c.traced)) << readText(trace);
        }
        if (c.folderWritable) {
            EXPECT_EQ(GetFileAttributesW(old.c_str()) == INVALID_FILE_ATTRIBUTES, !c.options.empty());
            EXPECT_EQ(readText(notes), std::string("\xa8\xab\x0b\xf0 notes", 10));
        }
        if (!contains(record, "-XX:ArchiveClassesAtExit=")) continue;
        // The stand-in wrote the archive at exit; the launcher gave it its final name, and the next
        // start maps it instead of writing another.
        EXPECT_TRUE(contains(readText(trace), "class data sharing: wrote " + folder + "Cds App-cds-")) << readText(trace);
        ASSERT_TRUE(DeleteFileW((app.folder() + L"record.txt").c_str()));
        ASSERT_TRUE(app.run(L"", {L"LOCALAPPDATA=" + local, L"VORNIC_TRACE=" + trace}).finished);
        const std::string next = app.record();
        EXPECT_TRUE(contains(next, "option: -XX:SharedArchiveFile=" + folder + "Cds App-cds-")) << next;
        EXPECT_FALSE(contains(next, "ArchiveClassesAtExit")) << next;
        EXPECT_TRUE(contains(readText(trace), "class data sharing: uses " + folder)) << readText(trace);
    }
}

// A runtime whose release file names a newer Java than it is refuses the options of that Java. The
// launch creates the machine once more without sharing and reaches main; the runtime is remembered,
// and the next start does not try sharing with it at all.
TEST(JavaRun, RuntimeThatRefusesTheSharingOptionsStartsWithoutThemAndIsRemembered) {
    const JavaApp app(L"", "main: args\n", true, L"Class Data Sharing=Yes\r\n");
    ASSERT_TRUE(writeUtf16File(app.folder() + L"app.ini", L"[Product Information]\r\nProduct Name=Cds App\r\n"
                                                          L"Upgrade Code=" + kUpgradeCode + L"\r\n"));
    const WText runtime = app.folder() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    ASSERT_TRUE(writeFileBytes(runtime + L"release", "JAVA_VERSION=\"21.0.1\"\n"));
    ASSERT_TRUE(writeFileBytes(runtime + L"bin\\server\\classes.jsa", "the runtime's own classes"));
    const WText local = app.folder() + L"local";
    const WText trace = app.folder() + L"trace.txt";
    const std::vector<WText> environment = {L"LOCALAPPDATA=" + local, L"VORNIC_TRACE=" + trace,
                                            L"VORNIC_STANDIN_REFUSE_OPTION=-XX:+AutoCreateSharedArchive"};

    const Launch first = app.run(L"first", environment);
    ASSERT_TRUE(first.finished);
    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_TRUE(first.windows.empty());
    const std::string record = app.record();
    const std::size_t refused = record.find("create-vm-result: -1 refused -XX:+AutoCreateSharedArchive");
    ASSERT_NE(refused, std::string::npos) << record;
    const std::string second = record.substr(record.find('\n', refused));
    EXPECT_TRUE(contains(second, "create-vm-result: 0\n")) << record;
    EXPECT_FALSE(contains(second, "cds")) << record;
    EXPECT_FALSE(contains(second, "SharedArchive")) << record;
    EXPECT_TRUE(contains(second, "option: -Djava.class.path=")) << record;
    EXPECT_TRUE(contains(second, "call: main\narg: first\n")) << record;
    const std::string traced = readText(trace);
    EXPECT_TRUE(contains(traced, "class data sharing: refused by the runtime (error -1), retried without"))
        << traced;
    EXPECT_TRUE(contains(traced, "class data sharing: off for this runtime from now on: ")) << traced;

    ASSERT_TRUE(DeleteFileW((app.folder() + L"record.txt").c_str()));
    const Launch next = app.run(L"next", environment);
    ASSERT_TRUE(next.finished);
    EXPECT_EQ(next.exitCode, 0u);
    const std::string nextRecord = app.record();
    EXPECT_EQ(nextRecord.find("create-vm:"), nextRecord.rfind("create-vm:")) << nextRecord;
    EXPECT_FALSE(contains(nextRecord, "cds")) << nextRecord;
    EXPECT_TRUE(contains(nextRecord, "call: main\narg: next\n")) << nextRecord;
    EXPECT_TRUE(contains(readText(trace), "class data sharing: off (refused before: ")) << readText(trace);

    // Another runtime (here: the same one updated) is tried again.
    ASSERT_TRUE(writeFileBytes(runtime + L"release", "JAVA_VERSION=\"21.0.2\"\n"));
    ASSERT_TRUE(DeleteFileW((app.folder() + L"record.txt").c_str()));
    ASSERT_TRUE(app.run(L"updated", {L"LOCALAPPDATA=" + local, L"VORNIC_TRACE=" + trace}).finished);
    EXPECT_TRUE(contains(app.record(), "option: -XX:+AutoCreateSharedArchive\n")) << app.record();
}

}  // namespace
