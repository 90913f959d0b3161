// The example application as it ships: its own settings and jar packaged by vornicpack.exe the way
// its package script does, with the stand-in runtime beside it as the private runtime.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

namespace {

constexpr DWORD kTimeout = 60000 * VORNIC_TIME_FACTOR;
const WText kStandin = WIDE_STANDIN_RUNTIME;

std::string readText(const WText& path) {
    std::string bytes;
    readFileBytes(path, bytes);
    return bytes;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string narrow(const WText& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

bool exists(const WText& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs `program` with `arguments` in `folder` to its end; true with its exit code.
bool runToEnd(const WText& program, const WText& arguments, const WText& folder, DWORD& exitCode,
              const std::vector<WText>& environment = {}) {
    ChildProcess child = ChildProcess::start(program, L"\"" + program + L"\" " + arguments, folder, environment);
    return child.started() && child.waitForExit(kTimeout, exitCode);
}

// dist\hello\<arch>\ as the package script lays it out, with the stand-in runtime as "jre64\" (x64)
// or "jre\" (x86).
class HelloExample : public ::testing::Test {
protected:
    void SetUp() override {
        const WText built = besideThisProgram(L"hello\\");
        ASSERT_TRUE(makeFolders(app() + L"lib"));
        DWORD code = 1;
        ASSERT_TRUE(runToEnd(built + L"vornicpack.exe",
                             L"--stub \"" + built + L"vornicw.exe\" --settings \"" + built +
                                 L"hello.ini\" --out \"" + app() + L"Hello.exe\"",
                             folder_.path(), code));
        ASSERT_EQ(code, 0u);
        ASSERT_TRUE(CopyFileW((built + L"hello.jar").c_str(), (app() + L"lib\\hello.jar").c_str(), FALSE));

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
        ChildProcess child = ChildProcess::start(exe, L"\"" + exe + L"\" first \"second word\"", folder_.path(),
                                                 {L"APPDATA=" + folder_.path() + L"appdata",
                                                  L"VORNIC_STANDIN_RECORD=" + record(),
                                                  L"VORNIC_STANDIN_SCRIPT=" + folder_.path() + L"script.txt",
                                                  L"VORNIC_STANDIN_STACK_SIZE=", L"VORNIC_STANDIN_CREATE_RESULT="});
        if (!child.started()) return false;
        WindowAnswerer answerer(child.id(), IDOK);
        const bool finished = child.waitForExit(kTimeout, exitCode);
        windows = answerer.seen();
        return finished;
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
    EXPECT_TRUE(contains(record, "env VORNIC_JVM_HOME: " + narrow(app()) + (sizeof(void*) == 8 ? "jre64" : "jre") + "\n"))
        << record;
    EXPECT_TRUE(contains(record, "option: -Djava.class.path=" + narrow(app()) + "lib\\hello.jar")) << record;
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
    EXPECT_TRUE(contains(record, "set-out: " + narrow(logs) + "hello.log\n")) << record;
}

TEST_F(HelloExample, AnUncaughtExceptionShowsThePackagedDialog) {
    // The example asks for "Failure Check": the dialog comes from the template vornicpack added.
    DWORD code = 1;
    std::vector<SeenWindow> windows;
    ASSERT_TRUE(launch("main: throw java/lang/IllegalStateException no display\n", code, windows));
    EXPECT_EQ(code, 0u);  // OK lets the program go on
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(narrow(windows[0].caption), "Hello - Unexpected Error");
}

}  // namespace
