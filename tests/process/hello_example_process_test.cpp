// The example application as it ships: its project file and jar assembled by vornicpack.exe the way
// its package script does, with the stand-in runtime beside it as the private runtime.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

namespace {

constexpr DWORD kTimeout = 60000 * VORNIC_TIME_FACTOR;
const WText kStandin = WIDE_STANDIN_RUNTIME;


bool exists(const WText& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs `program` with `arguments` in `folder` to its end; true with its exit code.
bool runToEnd(const WText& program, const WText& arguments, const WText& folder, DWORD& exitCode,
              const std::vector<WText>& environment = {}) {
    ChildProcess child = ChildProcess::start(program, L"\"" + program + L"\" " + arguments, folder, environment);
    return child.started() && child.waitForExit(kTimeout, exitCode);
}

// dist\hello\ as the package script lays it out (both launchers in the x64 build; the x86 build's
// prefix runs the x86 launcher alone, then named Hello.exe), with the stand-in runtime as "jre64\"
// (x64) or "jre\" (x86).
class HelloExample : public ::testing::Test {
protected:
    void SetUp() override {
        const WText built = besideThisProgram(L"hello\\");
        DWORD code = 1;
#ifdef BOTH_LAUNCHERS
        const WText launchers;
#else
        const WText launchers = L" --launchers x86";
#endif
        ASSERT_TRUE(runToEnd(built + L"vornicpack.exe",
                             L"build \"" + built + L"hello.vornic\" --stubs \"" + built + L"stubs\" --out \"" +
                                 folder_.path() + L"hello\" --zip \"" + folder_.path() + L"hello.zip\"" + launchers,
                             folder_.path(), code));
        ASSERT_EQ(code, 0u);
        ASSERT_TRUE(exists(app() + L"lib\\hello.jar"));
        ASSERT_TRUE(exists(folder_.path() + L"hello.zip"));
#ifdef BOTH_LAUNCHERS
        ASSERT_TRUE(exists(app() + L"Hello-x86.exe"));
        ASSERT_TRUE(exists(app() + L"Hello-x86.ini"));
#endif

        const WText runtime = app() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        ASSERT_TRUE(makeFolders(runtime + L"bin\\server"));
        ASSERT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                              (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
    }

    WText app() const { return folder_.path() + L"hello\\"; }
    WText appData() const { return folder_.path() + L"appdata\\"; }
    WText record() const { return folder_.path() + L"record.txt"; }

    // Starts Hello.exe with `script` as what main does, answering every window with OK.
    bool launch(const std::string& script, DWORD& exitCode, std::vector<SeenWindow>& windows) {
        if (!writeFileBytes(folder_.path() + L"script.txt", script)) return false;
        const WText exe = app() + L"Hello.exe";
        const Launch launch = runAnswering(exe, L"\"" + exe + L"\" first \"second word\"", IDOK, kTimeout,
                                           folder_.path(),
                                           {L"APPDATA=" + folder_.path() + L"appdata", L"VORNIC_STANDIN_RECORD=" + record(),
                                            L"VORNIC_STANDIN_SCRIPT=" + folder_.path() + L"script.txt",
                                            L"VORNIC_STANDIN_STACK_SIZE=", L"VORNIC_STANDIN_CREATE_RESULT="});
        exitCode = launch.exitCode;
        windows = launch.windows;
        return launch.finished;
    }

    TempFolder folder_;
};

TEST_F(HelloExample, RunsWithItsPrivateRuntimeAndWritesItsLogs) {
    ASSERT_FALSE(exists(appData() + L"Hello"));
    DWORD code = 1;
    std::vector<SeenWindow> windows;
    ASSERT_TRUE(launch("main: args\nmain: err nothing wrong\n", code, windows));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(windows.empty());

    const std::string record = readText(this->record());
    EXPECT_TRUE(contains(record, "main-class: hello/Hello\n")) << record;
    EXPECT_TRUE(contains(record, "call: main\narg: first\narg: second word\n")) << record;
    EXPECT_TRUE(contains(record, "env VORNIC_JVM_HOME: " + utf8Of(app()) + (sizeof(void*) == 8 ? "jre64" : "jre") + "\n"))
        << record;
    EXPECT_TRUE(contains(record, "option: -Djava.class.path=" + utf8Of(app()) + "lib\\hello.jar")) << record;
    EXPECT_TRUE(contains(record, "option: -Dhello.packaged=true\n")) << record;

    // A quarter of the physical memory, as an absolute size in KiB.
    std::smatch heap;
    ASSERT_TRUE(std::regex_search(record, heap, std::regex("option: -Xmx([0-9]+)K\n"))) << record;
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    const unsigned long long kib = std::stoull(heap[1].str());
    EXPECT_GT(kib, 0u);
    EXPECT_LE(kib, memory.ullTotalPhys / 1024 / 4);
    EXPECT_FALSE(contains(record, "-Xmx25")) << record;

    // The log folders did not exist; the launcher made them for the two streams.
    const WText logs = appData() + L"Hello\\logs\\";
    const std::string out = readText(logs + L"hello.log");
    const std::string err = readText(logs + L"hello-error.log");
    EXPECT_TRUE(contains(out, "first\r\nsecond word\r\n")) << out;
    EXPECT_TRUE(contains(err, "nothing wrong\r\n")) << err;
    EXPECT_TRUE(contains(record, "set-out: " + utf8Of(logs) + "hello.log\n")) << record;
}

TEST_F(HelloExample, AnUncaughtExceptionShowsThePackagedDialog) {
    // The example asks for "Failure Check": the dialog comes from the template vornicpack added.
    DWORD code = 1;
    std::vector<SeenWindow> windows;
    ASSERT_TRUE(launch("main: throw java/lang/IllegalStateException no display\n", code, windows));
    EXPECT_EQ(code, 1u);  // OK lets the program go on, and main still ended by an exception
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(utf8Of(windows[0].caption), "Hello - Unexpected Error");
}

}  // namespace
