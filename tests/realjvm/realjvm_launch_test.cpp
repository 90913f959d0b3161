// Whole launches of packaged launchers against a real virtual machine: Avian, built as a Windows
// jvm.dll of this width, running Java programs compiled against its class library (java/). Where
// the stand-in runtime only records what it was handed, here real bytecode runs: arguments,
// properties and class path as main sees them, the exit codes the machine gives, an exception's
// real stack trace, and secondaryMain on a thread the launcher attaches.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 60000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{7C2E5A14-9D3B-4F60-B8A1-2E4D6C8F0B35}";
const WText kRuntime = WIDE_REALJVM_RUNTIME;
const WText kJars = WIDE_REALJVM_JARS;

enum class Kind { Console, Windowed };

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A packaged copy "app.exe" of the console or the windowed stub in a folder of its own, with the
// real machine's folder as "JRE Path" and the jars beside it: app.jar, lib\helper.jar and
// plugins\plugin.jar.
class RealApp {
public:
    RealApp(Kind kind, const Text& mainClass, const Text& runtimeLines, const Text& applicationLines) {
        exe_ = folder_.path() + L"app.exe";
        const wchar_t* stub = kind == Kind::Console ? L"vornicwc.exe" : L"vornicw.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(stub).c_str(), exe_.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=" + mainClass + L"\r\nJRE Path=" + kRuntime +
                               L"\r\n" + runtimeLines +
                               L"[Class Path]\r\nClass Path=app.jar;lib\\helper.jar;plugins\\*.jar\r\n"
                               L"[Application]\r\n" +
                               applicationLines);
        EXPECT_TRUE(resources.writeInto(exe_));
        EXPECT_TRUE(copyExceptionTemplate(exe_));
        EXPECT_TRUE(writeUtf16File(folder_.path() + L"app.ini",
                                   L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n"));
        EXPECT_TRUE(makeFolders(folder_.path() + L"lib"));
        EXPECT_TRUE(makeFolders(folder_.path() + L"plugins"));
        EXPECT_TRUE(CopyFileW((kJars + L"app.jar").c_str(), (folder_.path() + L"app.jar").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kJars + L"helper.jar").c_str(), (folder_.path() + L"lib\\helper.jar").c_str(), FALSE));
        EXPECT_TRUE(
            CopyFileW((kJars + L"plugin.jar").c_str(), (folder_.path() + L"plugins\\plugin.jar").c_str(), FALSE));
    }

    const WText& folder() const { return folder_.path(); }

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

// GetWindowText does not ask a control of another process for its text; WM_GETTEXT does.
WText controlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const auto length = static_cast<size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    WText text(length + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    return text;
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
    const std::string head = "count 0\nproperty null\nclass path helper.jar plugin.jar\n";
    const std::vector<std::string> returned = {"main ends: return\n", "thread after main\n"};
    const Case cases[] = {
        // Quotes group, an empty argument stays one, the "Cmd" words follow; every parameter reaches
        // the machine (a memory share as an absolute size, which it takes), and the class path has
        // all three jars. The property is ASCII: this machine reads option bytes as UTF-8, where the
        // runtimes users have read the ANSI code page the launcher writes.
        {"arguments, Cmd and parameters", L"Virtual Machine Parameters=-Dprobe.value=v1 -Xmx10:32:256P -Xss1m\r\n",
         L"Cmd=c1 \"c 2\"\r\n", L"\"héllo wörld\" \"\" x \"日本\"",
         {"count 6\n", argumentLine(L"héllo wörld"), argumentLine(L""), argumentLine(L"x"), argumentLine(L"日本"),
          argumentLine(L"c1"), argumentLine(L"c 2"), "property" + unitsOf(L"v1") + "\n", "class path helper.jar plugin.jar\n",
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
        const WText trace = controlText(dialog, 208);
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

}  // namespace
