// Whole launches of packaged launchers against a real virtual machine: Avian, built as a Windows
// jvm.dll of this width, running Java programs compiled against its class library (java/). Where
// the stand-in runtime only records what it was handed, here real bytecode runs: arguments,
// properties and class path as main sees them (an embedded jar too), the exit codes the machine
// gives, an exception's real stack trace, secondaryMain on a thread the launcher attaches, the stack
// of the thread that runs main, the splash while the machine loads, and a service's stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "harness.h"
#include "installed_service.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 60000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{7C2E5A14-9D3B-4F60-B8A1-2E4D6C8F0B35}";
const WText kRuntime = WIDE_REALJVM_RUNTIME;
const WText kJars = WIDE_REALJVM_JARS;

enum class Kind { Console, Windowed };

std::uint32_t readU32(const std::string& bytes, size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
unsigned readU16(const std::string& bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}
void addToU32(std::string& bytes, size_t at, std::uint32_t added) {
    const std::uint32_t value = readU32(bytes, at) + added;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Appends the jar `jar` to the executable `exe` with its offsets moved by the executable's length,
// as "zip -A" leaves a self-extracting archive: a reader that takes them from the file's start (this
// machine) finds its entries, and so does one that works out the prefix (the runtimes users have).
bool appendJar(const WText& exe, const WText& jar) {
    std::string image;
    std::string archive;
    if (!readFileBytes(exe, image) || !readFileBytes(jar, archive) || archive.size() < 22) return false;
    const auto prefix = static_cast<std::uint32_t>(image.size());
    size_t end = archive.size() - 22;
    while (readU32(archive, end) != 0x06054b50) {
        if (end == 0) return false;
        --end;
    }
    size_t entry = readU32(archive, end + 16);
    for (unsigned count = readU16(archive, end + 10); count > 0; --count) {
        if (entry + 46 > archive.size() || readU32(archive, entry) != 0x02014b50) return false;
        addToU32(archive, entry + 42, prefix);
        entry += 46 + readU16(archive, entry + 28) + readU16(archive, entry + 30) + readU16(archive, entry + 32);
    }
    addToU32(archive, end + 16, prefix);
    return writeFileBytes(exe, image + archive);
}

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A packaged copy "app.exe" of the console or the windowed stub in a folder of its own, with the
// real machine's folder as "JRE Path" and the jars beside it: app.jar, lib\helper.jar and
// plugins\plugin.jar. With "Embedded Jar=Yes" app.jar is appended to the executable instead, and
// left off the class path. `displayLines` go to [Display] of the INI beside it, with the splash test
// picture splash.png beside it too.
class RealApp {
public:
    RealApp(Kind kind, const Text& mainClass, const Text& runtimeLines, const Text& applicationLines,
            const Text& displayLines = L"") {
        const bool embedded = applicationLines.find(L"Embedded Jar=Yes") != Text::npos;
        exe_ = folder_.path() + L"app.exe";
        const wchar_t* stub = kind == Kind::Console ? L"vornicwc.exe" : L"vornicw.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(stub).c_str(), exe_.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=" + mainClass + L"\r\nJRE Path=" + kRuntime +
                               L"\r\n" + runtimeLines +
                               L"[Class Path]\r\nClass Path=" + (embedded ? L"" : L"app.jar;") +
                               L"lib\\helper.jar;plugins\\*.jar\r\n[Application]\r\n" + applicationLines);
        EXPECT_TRUE(resources.writeInto(exe_));
        EXPECT_TRUE(copyExceptionTemplate(exe_));
        // Last, so that nothing written into the image afterwards stands between the jar and the file's end.
        if (embedded) {
            EXPECT_TRUE(appendJar(exe_, kJars + L"app.jar"));
        } else {
            EXPECT_TRUE(CopyFileW((kJars + L"app.jar").c_str(), (folder_.path() + L"app.jar").c_str(), FALSE));
        }
        EXPECT_TRUE(writeUtf16File(folder_.path() + L"app.ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                                    L"\r\n[Display]\r\n" + displayLines));
        if (!displayLines.empty()) {
            EXPECT_TRUE(CopyFileW(besideThisProgram(L"splash.png").c_str(), (folder_.path() + L"splash.png").c_str(),
                                  FALSE));
        }
        EXPECT_TRUE(makeFolders(folder_.path() + L"lib"));
        EXPECT_TRUE(makeFolders(folder_.path() + L"plugins"));
        EXPECT_TRUE(CopyFileW((kJars + L"helper.jar").c_str(), (folder_.path() + L"lib\\helper.jar").c_str(), FALSE));
        EXPECT_TRUE(
            CopyFileW((kJars + L"plugin.jar").c_str(), (folder_.path() + L"plugins\\plugin.jar").c_str(), FALSE));
    }

    const WText& folder() const { return folder_.path(); }
    const WText& exe() const { return exe_; }

    // Started in its folder with standard output and error to out-N.txt and err-N.txt there.
    ChildProcess start(const WText& arguments, int run = 0) const {
        const WText number = std::to_wstring(run);
        const UniqueFile out = inheritableFile(outPath(run));
        const UniqueFile err = inheritableFile(errPath(run));
        StartOptions options;
        options.output = out.get();
        options.error = err.get();
        return ChildProcess::start(exe_, L"\"" + exe_ + L"\" " + arguments, folder_.path(),
                                   {L"APPDATA=" + folder_.path() + L"appdata", L"JAVA_HOME"}, options);
    }
    // The machine writes "\r\n" through a C runtime stream in text mode, which makes it "\r\r\n": the
    // line ends are left out of the comparison.
    std::string out(int run = 0) const { return withoutCarriageReturns(readText(outPath(run))); }
    std::string err(int run = 0) const { return readText(errPath(run)); }

private:
    WText outPath(int run) const { return folder_.path() + L"out-" + std::to_wstring(run) + L".txt"; }
    WText errPath(int run) const { return folder_.path() + L"err-" + std::to_wstring(run) + L".txt"; }
    static UniqueFile inheritableFile(const WText& path) {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    TempFolder folder_;
    WText exe_;
};

// How the Java programs print a text: each UTF-16 code unit in hexadecimal after a space.
std::string unitsOf(const WText& text) {
    std::string units;
    char unit[8];
    for (wchar_t c : text) {
        std::snprintf(unit, sizeof(unit), " %x", static_cast<unsigned>(c));
        units += unit;
    }
    return units;
}

// The line Probe prints for an argument.
std::string argumentLine(const WText& argument) { return "arg" + unitsOf(argument) + "\n"; }

// The lines of `expected` appear in `text` in this order.
bool inOrder(const std::string& text, const std::vector<std::string>& expected) {
    size_t at = 0;
    for (const std::string& part : expected) {
        at = text.find(part, at);
        if (at == std::string::npos) return false;
        at += part.size();
    }
    return true;
}

// The exception dialog of `process` (a window with control 208), or null after the time.
HWND waitForExceptionDialog(const ChildProcess& child) {
    WaitingFor marker(L"the exception dialog of process " + std::to_wstring(child.id()));
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND window : topLevelWindowsOf(child.id())) {
                if (GetDlgItem(window, 208)) found = window;
            }
            return found || WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0;
        },
        scaledMilliseconds(kWindowWaitMilliseconds), 20);
    return found;
}

const WText kExceptionMessage = L"java.lang.IllegalStateException: probe failed été Привет 世界";

TEST(RealMachine, ConsoleLaunchesReachMainAndEndWithItsExitCode) {
    struct Case {
        const char* name;
        Text runtimeLines;
        Text applicationLines;
        WText arguments;
        std::vector<std::string> out;  // lines of standard output, in this order
        DWORD exitCode;
        std::string err;  // what standard error holds ("" for nothing)
    };
    const std::string head = "count 0\nproperty null\nclass path helper.jar plugin.jar\nclass path leads with app.jar\n";
    const std::vector<std::string> returned = {"main ends: return\n", "thread after main\n"};
    const Case cases[] = {
        // Quotes group, an empty argument stays one, the "Cmd" words follow; every parameter reaches
        // the machine (a memory share as an absolute size, which it takes), and the class path has
        // all three jars. The property is ASCII: this machine reads option bytes as UTF-8, where the
        // runtimes users have read the ANSI code page the launcher writes.
        {"arguments, Cmd and parameters", L"Virtual Machine Parameters=-Dprobe.value=v1 -Xmx10:32:256P -Xss1m\r\n",
         L"Cmd=c1 \"c 2\"\r\n", L"\"héllo wörld\" \"\" x \"日本\"",
         {"count 6\n", argumentLine(L"héllo wörld"), argumentLine(L""), argumentLine(L"x"), argumentLine(L"日本"),
          argumentLine(L"c1"), argumentLine(L"c 2"), "property" + unitsOf(L"v1") + "\n", "class path helper.jar plugin.jar\nclass path leads with app.jar\n",
          "main ends: return\n", "thread after main\n"},
         0, ""},
        // main returned, and the machine was taken down only after its other thread.
        {"main returns", L"", L"", L"", {head, returned[0], returned[1]}, 0, ""},
        {"System.exit(3)", L"Virtual Machine Parameters=-Dprobe.end=exit:3\r\n", L"", L"",
         {head, "main ends: exit:3\n", "thread after main\n"}, 3, ""},
        {"System.exit(-2)", L"Virtual Machine Parameters=-Dprobe.end=exit:-2\r\n", L"", L"",
         {head, "main ends: exit:-2\n"}, static_cast<DWORD>(-2), ""},
        // The machine itself prints nothing at the detach: the launcher tells it, and ends with 1.
        {"exception, no Failure Check", L"Virtual Machine Parameters=-Dprobe.end=throw\r\n", L"", L"",
         {head, "main ends: throw\n", "thread after main\n"}, 1,
         "java.lang.IllegalStateException: probe failed"},
        // The text rendered in UTF-8 inside the machine reaches standard error whole.
        {"exception, Failure Check", L"Virtual Machine Parameters=-Dprobe.end=throw\r\n", L"Failure Check=Yes\r\n",
         L"", {head, "main ends: throw\n", "thread after main\n"}, 1, utf8Of(kExceptionMessage)},
        // The application's classes come from the executable itself, first on the class path.
        {"Embedded Jar", L"", L"Embedded Jar=Yes\r\n", L"",
         {"count 0\nproperty null\nclass path helper.jar plugin.jar\nclass path leads with app.exe\n", returned[0],
          returned[1]},
         0, ""},
        // The machine has no System.setOut: the error is described and the output stays where it was.
        {"Output File", L"", L"Output File=out.log\r\n", L"", {head, returned[0], returned[1]}, 0,
         "java/lang/NoSuchMethodError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RealApp app(Kind::Console, L"realjvm.Probe", c.runtimeLines, c.applicationLines);
        ChildProcess child = app.start(c.arguments);
        ASSERT_TRUE(child.started());
        DWORD code = 0;
        ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, c.exitCode);
        const std::string out = app.out();
        const std::string err = app.err();
        EXPECT_TRUE(inOrder(out, c.out)) << out;
        if (c.err.empty()) {
            EXPECT_EQ(err, "");
        } else {
            EXPECT_TRUE(contains(err, c.err)) << err;
        }
        if (c.exitCode == 1) {
            // The whole trace: where it was thrown and its cause.
            EXPECT_TRUE(contains(err, "realjvm.Probe.main")) << err;
            EXPECT_TRUE(contains(err, "java.io.IOException: disk gone")) << err;
        }
    }
}

TEST(RealMachine, ExceptionDialogShowsTheTraceAndItsAnswerDecidesTheExitCode) {
    struct Case {
        const char* name;
        int answer;
        DWORD exitCode;
        bool threadFinished;  // the program's other thread wrote its line
    };
    const Case cases[] = {
        {"Continue", IDOK, 1, true},        // main still ended by an exception
        {"End", IDCANCEL, kMinusOne, false},  // System.exit(-1), at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RealApp app(Kind::Windowed, L"realjvm.Probe", L"Virtual Machine Parameters=-Dprobe.end=throw\r\n",
                          L"Failure Check=Yes\r\n");
        ChildProcess child = app.start(L"");
        ASSERT_TRUE(child.started());
        HWND dialog = waitForExceptionDialog(child);
        ASSERT_TRUE(dialog) << app.err();
        const WText trace = controlTextOf(GetDlgItem(dialog, 208));
        EXPECT_NE(trace.find(kExceptionMessage), WText::npos) << utf8Of(trace);
        EXPECT_NE(trace.find(L"realjvm.Probe.main"), WText::npos) << utf8Of(trace);
        EXPECT_NE(trace.find(L"java.io.IOException: disk gone"), WText::npos) << utf8Of(trace);
        pressButton(dialog, c.answer);
        DWORD code = 0;
        ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, c.exitCode);
        EXPECT_TRUE(contains(app.out(), "main ends: throw\n")) << app.out();
        if (c.threadFinished) {
            EXPECT_TRUE(contains(app.out(), "thread after main\n")) << app.out();
        }
        EXPECT_EQ(app.err(), "");  // shown, so not printed as well
    }
}

// A first start of a single-instance copy whose main runs until a later start's arguments have
// reached secondaryMain; the later start ends with 0 (void) or the int variant's result.
TEST(RealMachine, LaterStartsArgumentsReachARealSecondaryMain) {
    struct Case {
        const wchar_t* mainClass;
        DWORD laterExitCode;
    };
    const Case cases[] = {{L"realjvm.SingleVoid", 0}, {L"realjvm.SingleInt", 43}};
    const WText later = L"\"héllo wörld\" \"\" 日本";
    const std::string delivered = "secondary 3 [" + unitsOf(L"héllo wörld") + " ] [ ] [" + unitsOf(L"日本") +
                                  " ] on another thread\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8Of(c.mainClass));
        const RealApp app(Kind::Console, c.mainClass,
                          L"Virtual Machine Parameters=-Dprobe.wait=" + std::to_wstring(kLaunchTimeout) + L"\r\n",
                          L"Single Instance=yes\r\n");
        ChildProcess first = app.start(L"first", 0);
        ASSERT_TRUE(first.started());
        {
            WaitingFor marker(L"the first instance's main");
            ASSERT_TRUE(waitUntil([&] { return contains(app.out(0), "main waits"); },
                                  scaledMilliseconds(kWindowWaitMilliseconds)))
                << app.err(0);
        }
        ChildProcess second = app.start(later, 1);
        ASSERT_TRUE(second.started());
        DWORD code = 0;
        ASSERT_TRUE(second.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, c.laterExitCode);
        EXPECT_EQ(app.out(1), "");  // the later start ran no Java of its own
        ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(inOrder(app.out(0), {"main waits\n", delivered, "main ends after 1\n"})) << app.out(0);
    }
}

// "-Xss" bounds the machine's stack, and the thread that runs main gets that size: this machine
// measures its stack from where the thread entered it, and a recursion past the stack the thread
// really has does not throw: under Wine the process hangs (checked with a thread of the default
// size), and the wait's bound fails the test. With 1 MiB, main's recursion ends
// in a StackOverflowError after some depth; with 64 MiB (as a share whose bounds fix it) eight
// times that depth, some 8 MiB, four times the executable's own default of 2 MiB, returns.
TEST(RealMachine, XssIsTheStackOfTheThreadThatRunsMain) {
    const RealApp small(Kind::Console, L"realjvm.Probe", L"Virtual Machine Parameters=-Xss1m -Dprobe.depth=100000000\r\n",
                        L"");
    ChildProcess child = small.start(L"");
    ASSERT_TRUE(child.started());
    DWORD code = 99;
    ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 0u) << small.err();
    const std::string out = small.out();
    const size_t at = out.find("stack overflow after ");
    ASSERT_NE(at, std::string::npos) << out;
    const long depth = std::strtol(out.c_str() + at + 21, nullptr, 10);
    ASSERT_GT(depth, 1000) << out;

    const std::string deeper = std::to_string(8 * depth);
    const RealApp large(Kind::Console, L"realjvm.Probe",
                        L"Virtual Machine Parameters=-Xss1:64:64P -Dprobe.depth=" + WText(deeper.begin(), deeper.end()) +
                            L"\r\n",
                        L"");
    child = large.start(L"");
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 0u) << large.err();
    EXPECT_TRUE(inOrder(large.out(), {"recursed " + deeper + "\n", "main ends: return\n"})) << large.out();
}

HWND waitForSplash(const ChildProcess& child) {
    WaitingFor marker(L"the splash of process " + std::to_wstring(child.id()));
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND window : topLevelWindowsOf(child.id())) {
                if (windowClassOf(window) == L"SplashScreenWindow") found = window;
            }
            return found || WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0;
        },
        scaledMilliseconds(kWindowWaitMilliseconds), 5);
    return found;
}

// The windowed launcher's own splash while the real machine loads and main runs: main waits for a
// file the test writes, so that what the splash does meanwhile is seen without a race. The machine
// has no AWT, so no window of the application ever closes it: it stays until main throws (then it
// goes before the exception dialog) or the launcher ends, unless the time limit closes it first.
TEST(RealMachine, SplashStaysWhileTheMachineLoadsUntilMainThrowsOrItsTimeLimit) {
    struct Case {
        const char* name;
        Text display;
        const wchar_t* end;
        bool closedByLimit;  // gone while main still waits
        DWORD exitCode;
    };
    const Text limit = L"Splash Screen Time Limit=" + std::to_wstring(1000 * VORNIC_TIME_FACTOR) + L"\r\n";
    const Case cases[] = {
        {"main throws", L"", L"throw", false, 1},
        {"close on a window that never comes", L"Splash Screen Close On Window=Yes\r\n", L"return", false, 0},
        {"time limit", L"Splash Screen Close On Window=Yes\r\n" + limit, L"return", true, 0},
    };
    if (GetFileAttributesW(besideThisProgram(L"splash.png").c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no splash.png beside the test (the build makes it with ImageMagick's convert)";
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RealApp app(Kind::Windowed, L"realjvm.Probe",
                          L"Virtual Machine Parameters=-Dprobe.gate=go -Dprobe.end=" + WText(c.end) + L" -Dprobe.wait=" +
                              std::to_wstring(kLaunchTimeout) + L"\r\n",
                          L"Failure Check=Yes\r\n", L"Splash Screen=splash.png\r\n" + c.display);
        ChildProcess child = app.start(L"");
        ASSERT_TRUE(child.started());
        const HWND splash = waitForSplash(child);
        ASSERT_TRUE(splash) << app.err();
        {
            WaitingFor marker(L"main waiting for its file");
            ASSERT_TRUE(waitUntil([&] { return contains(app.out(), "main waits\n"); },
                                  scaledMilliseconds(kWindowWaitMilliseconds)))
                << app.out() << app.err();
        }
        if (c.closedByLimit) {
            WaitingFor marker(L"the splash's time limit");
            EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(splash); }, scaledMilliseconds(kWindowWaitMilliseconds)));
            EXPECT_EQ(WaitForSingleObject(child.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
        } else {
            // The machine has loaded and main runs, with the splash's look for a window all along.
            EXPECT_TRUE(IsWindowVisible(splash));
        }
        ASSERT_TRUE(writeFileBytes(app.folder() + L"go", ""));
        if (c.exitCode == 1) {
            HWND dialog = waitForExceptionDialog(child);
            ASSERT_TRUE(dialog) << app.err();
            EXPECT_FALSE(IsWindow(splash));
            pressButton(dialog, IDOK);
        }
        DWORD code = 99;
        ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, c.exitCode);
        EXPECT_TRUE(contains(app.out(), "main ends: " + utf8Of(c.end))) << app.out();
    }
}

// A packaged copy run as a service by the system's service control manager with the real machine:
// a stop without "Stop Method" is a real System.exit(0), whose shutdown hooks run before the
// service reports STOPPED with 0; with one, the method runs on a thread of its own and main's
// return ends the service; main ended by an exception is a failure (1066 with code 1).
TEST(RealMachine, ServiceStopIsARealSystemExitOrTheStopMethod) {
    struct Case {
        const char* name;
        Text application;
        const wchar_t* end;
        DWORD win32ExitCode;
        DWORD specificExitCode;
        std::vector<std::string> lines;  // what the program wrote, in this order
        std::string absent;
    };
    const Case cases[] = {
        {"System.exit(0)", L"", L"wait", 0, 0, {"main runs\n", "shutdown hook\n"}, "main released"},
        {"stop method", L"Stop Method=halt\r\n", L"wait", 0, 0,
         {"main runs\n", "halt on another thread\n", "main released\n"}, "main gave up"},
        {"main throws", L"", L"throw", ERROR_SERVICE_SPECIFIC_ERROR, 1, {}, "main runs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder logs;
        const WText log = logs.path() + L"service.txt";
        const RealApp app(Kind::Windowed, L"realjvm.Served",
                          L"Virtual Machine Parameters=\"-Dprobe.file=" + log + L"\" -Dprobe.end=" + WText(c.end) +
                              L" -Dprobe.wait=" + std::to_wstring(kLaunchTimeout) + L"\r\n",
                          L"Application Type=service\r\n" + c.application);
        const InstalledService service(app.exe());
        ASSERT_TRUE(service.created());
        const ULONGLONG started = GetTickCount64();
        ASSERT_EQ(runSc(L"start " + service.name()), 0u);
        SERVICE_STATUS_PROCESS status{};
        // Its process, while it runs: how it ended tells a crash from a wrong code.
        UniqueHandle process;
        if (service.query(status) && status.dwProcessId) {
            process.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, status.dwProcessId));
        }
        const bool stop = c.win32ExitCode == 0;
        if (stop) {
            ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status)) << status.dwCurrentState;
            WaitingFor marker(L"the service's main");
            ASSERT_TRUE(waitUntil([&] { return contains(readText(log), "main runs\n"); }, kLaunchTimeout, 50))
                << readText(log);
            EXPECT_EQ(runSc(L"stop " + service.name()), 0u);
        }
        ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status, 60000)) << status.dwCurrentState;
        // What the program wrote and when the service ended tell a crash from a wrong code.
        const ULONGLONG stoppedAfter = GetTickCount64() - started;
        EXPECT_EQ(status.dwWin32ExitCode, c.win32ExitCode) << readText(log) << " after " << stoppedAfter << " ms";
        EXPECT_EQ(status.dwServiceSpecificExitCode, c.specificExitCode);
        {
            // STOPPED comes just before the process ends.
            WaitingFor marker(L"the service's process to end");
            EXPECT_TRUE(waitUntil([&] { return noProcessRuns(app.exe()); }, kLaunchTimeout, 50));
        }
        DWORD processCode = 0;
        if (process && GetExitCodeProcess(process.get(), &processCode)) {
            EXPECT_EQ(processCode, c.win32ExitCode == 0 ? 0u : c.specificExitCode) << "the service's process";
        }
        const std::string written = readText(log);
        EXPECT_TRUE(inOrder(written, c.lines)) << written;
        EXPECT_FALSE(contains(written, c.absent)) << written;
    }
}

}  // namespace

namespace {

// The shipped updater class on a real machine: version one stages a folder through it and asks for
// the restart; the launcher applies it at the next start, and the new process prints version two.
TEST(RealMachine, TheUpdaterClassStagesAVersionThatTheRestartApplies) {
    const RealApp app(Kind::Console, L"realjvm.Updating", L"", L"Restart Exit Code=42\r\n");
    ASSERT_TRUE(writeFileBytes(app.folder() + L"version.txt", "one"));
    const WText next = app.folder() + L"next\\";
    ASSERT_TRUE(makeFolders(next));
    ASSERT_TRUE(writeFileBytes(next + L"version.txt", "two"));
    ChildProcess first = app.start(L"\"" + next.substr(0, next.size() - 1) + L"\"");
    DWORD code = 0;
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 42u) << app.out() << app.err();
    // The restarted process inherits the same standard output.
    WaitingFor marker(L"version two's line in " + app.folder());
    EXPECT_TRUE(waitUntil([&] { return contains(app.out(), "running two\n"); }, kLaunchTimeout, 50))
        << app.out() << app.err();
    EXPECT_TRUE(contains(app.out(), "running one\nstaged into " + utf8Of(app.folder()) + "update")) << app.out();
    EXPECT_EQ(readText(app.folder() + L"version.txt"), "two");
    EXPECT_TRUE(waitUntil([&] { return noProcessRunsFrom(app.exe()); }, kLaunchTimeout, 50));
}

}  // namespace
