// Whole launches of a packaged console launcher (vornicwc.exe) with the stand-in runtime: the Java
// program's standard streams are the launcher's own (pipes or files, also after a hand-over to its
// pair), its exit code is the launcher's, a launcher failure is a UTF-8 text on standard error and no window, and a console
// event reaches the handler the runtime installs.
#include <gtest/gtest.h>

#include <thread>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{3F1A6C2D-8B54-4E97-A0D3-7C5E9B1F2A68}";
const WText kStandin = WIDE_STANDIN_RUNTIME;

// Texts beyond Latin-1, so that a message written in the console's code page instead of UTF-8 shows.
// 207 has the shipped texts' two paragraphs: what is needed, and how to choose it in the dialog.
const std::map<unsigned, Text> kStrings = {
    {207, L"[207] нужна Java %s\n\n[207] выберите папку"}, {210, L"[210] нет класса 主类缺失"}, {235, L"[235] JRE Path в %s"}};

// A packaged console copy `name` in `folder`; `withRuntime`: the stand-in in its private runtime folder.
void packageConsoleCopy(const WText& folder, const WText& name, const Text& runtimeLines, const Text& applicationLines,
                        bool withRuntime) {
    const WText exe = folder + name + L".exe";
    EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicwc.exe").c_str(), exe.c_str(), FALSE));
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second",
                       L"[Java Runtime Environment]\r\n" + runtimeLines + L"[Application]\r\n" + applicationLines +
                           L"[Class Path]\r\nClass Path=tool.jar\r\n");
    resources.strings = kStrings;
    EXPECT_TRUE(resources.writeInto(exe));
    EXPECT_TRUE(writeUtf16File(folder + name + L".ini",
                               L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n"));
    EXPECT_TRUE(writeFileBytes(folder + L"tool.jar", "PK"));
    if (withRuntime) {
        const WText runtime = folder + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        EXPECT_TRUE(makeFolders(runtime + L"bin\\server"));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                              (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
    }
}

// A runtime in `home` whose jvm.dll is marked for the other processor width: the launcher reads the
// mark and hands the launch to its pair, which never loads this one.
void placeOtherWidthRuntime(const WText& home) {
    EXPECT_TRUE(makeFolders(home + L"bin\\server"));
    EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (home + L"bin\\java.dll").c_str(), FALSE));
    std::string bytes;
    EXPECT_TRUE(readFileBytes(kStandin + L"bin\\server\\jvm.dll", bytes));
    ASSERT_GT(bytes.size(), 0x100u);
    const auto ntAt = static_cast<size_t>(*reinterpret_cast<const DWORD*>(bytes.data() + 0x3C));
    const WORD other = sizeof(void*) == 8 ? 0x014C : 0x8664;
    bytes[ntAt + 4] = static_cast<char>(other & 0xFF);
    bytes[ntAt + 5] = static_cast<char>(other >> 8);
    EXPECT_TRUE(writeFileBytes(home + L"bin\\server\\jvm.dll", bytes));
}

enum class Runtime { Private, None, HandedOver };

// A packaged console copy "tool.exe". With Runtime::HandedOver its only runtime is of the other
// width, so it hands the launch to its pair "runner.exe", a console copy with a private runtime.
class ConsoleApp {
public:
    ConsoleApp(const Text& mainClassLine, const std::string& script, Runtime runtime = Runtime::Private) {
        exe_ = folder_.path() + L"tool.exe";
        if (runtime == Runtime::HandedOver) {
            placeOtherWidthRuntime(folder_.path() + L"other\\");
            packageConsoleCopy(folder_.path(), L"tool", mainClassLine + L"JRE Path=" + folder_.path() + L"other\r\n",
                               L"Pair Product=runner.exe\r\nPair Return Code=Yes\r\n", false);
            packageConsoleCopy(folder_.path(), L"runner", mainClassLine, L"", true);
        } else {
            packageConsoleCopy(folder_.path(), L"tool", mainClassLine, L"", runtime == Runtime::Private);
        }
        EXPECT_TRUE(writeFileBytes(folder_.path() + L"script.txt", script));
    }

    const WText& folder() const { return folder_.path(); }
    std::string record() const { return readText(folder_.path() + L"record.txt"); }

    // No runtime anywhere else: the registry of the test prefix has none, and JAVA_HOME is removed.
    ChildProcess start(const StartOptions& options) const {
        return ChildProcess::start(exe_, L"\"" + exe_ + L"\"", folder_.path(),
                                   standinEnvironment(folder_.path(), {L"JAVA_HOME"}), options);
    }

private:
    TempFolder folder_;
    WText exe_;
};

// One end of an anonymous pipe for the child (inheritable) and the other for the test.
struct Pipe {
    UniqueHandle childEnd;
    UniqueHandle ownEnd;
};

Pipe makePipe(bool childWrites) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    EXPECT_TRUE(CreatePipe(&read, &write, &inheritable, 0));
    Pipe pipe{UniqueHandle(childWrites ? write : read), UniqueHandle(childWrites ? read : write)};
    SetHandleInformation(pipe.ownEnd.get(), HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

// Everything that arrives on `pipe` until every writer has closed it, read on a thread of its own so
// that a child filling one pipe never waits for the test reading another.
class PipeReader {
public:
    explicit PipeReader(UniqueHandle pipe)
        : pipe_(std::move(pipe)), thread_([this] {
              char chunk[4096];
              DWORD read = 0;
              while (ReadFile(pipe_.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes_.append(chunk, read);
          }) {}
    ~PipeReader() {
        if (thread_.joinable()) thread_.join();
    }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    // Once the child has ended (its handles are closed then).
    const std::string& bytes() {
        if (thread_.joinable()) thread_.join();
        return bytes_;
    }

private:
    UniqueHandle pipe_;
    std::string bytes_;
    std::thread thread_;
};

UniqueFile createInheritableFile(const WText& path) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string utf8(const Text& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The stand-in prints bytes as it gets them from the script, so that these arrive unchanged only
// when nothing between it and the pipe translates them.
const std::string kCyrillicAndCjk = utf8(L"Привет 世界 日本語");

TEST(ConsoleLauncher, StandardStreamsExitCodesAndFailuresAreTheProcesssOwn) {
    struct Case {
        const char* name;
        Text mainClassLine;
        std::string script;
        Runtime runtime;
        bool toFiles;  // standard output and error to files instead of pipes
        DWORD exitCode;
        std::string out;
        std::string err;  // what standard error starts with
    };
    const std::string script = "main: out plain\nmain: err trouble\nmain: in\nmain: out " + kCyrillicAndCjk + "\n";
    const std::string output = "plain\r\nin typed line\r\n" + kCyrillicAndCjk + "\r\n";
    const Case cases[] = {
        {"pipes, System.exit(3)", L"Main Class=tool.Main\r\n", script + "main: exit 3\n", Runtime::Private, false, 3, output,
         "trouble\r\n"},
        {"files, main returns", L"Main Class=tool.Main\r\n", script, Runtime::Private, true, 0, output, "trouble\r\n"},
        {"no main class", L"", script, Runtime::Private, false, kMinusOne, "", utf8(L"[210] нет класса 主类缺失\r\n")},
        // What the dialog's prompt says is needed, then how to name a runtime: the INI beside the executable.
        {"no runtime", L"Main Class=tool.Main\r\n", script, Runtime::None, false, kMinusOne, "",
         utf8(L"[207] нужна Java ")},
        // The pair gets the launcher's own standard handles, and its exit code is the launcher's.
        {"handed over", L"Main Class=tool.Main\r\n", script + "main: exit 3\n", Runtime::HandedOver, false, 3,
         output, "trouble\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ConsoleApp app(c.mainClassLine, c.script, c.runtime);
        Pipe inPipe = makePipe(false);
        Pipe outPipe = makePipe(true);
        Pipe errPipe = makePipe(true);
        const WText outFile = app.folder() + L"out.txt";
        const WText errFile = app.folder() + L"err.txt";
        UniqueFile outFileHandle = c.toFiles ? createInheritableFile(outFile) : UniqueFile();
        UniqueFile errFileHandle = c.toFiles ? createInheritableFile(errFile) : UniqueFile();
        StartOptions options;
        options.input = inPipe.childEnd.get();
        options.output = c.toFiles ? outFileHandle.get() : outPipe.childEnd.get();
        options.error = c.toFiles ? errFileHandle.get() : errPipe.childEnd.get();
        ChildProcess child = app.start(options);
        ASSERT_TRUE(child.started());
        const WindowAnswerer answerer(child.id(), IDOK);
        // The child holds its own copies now: the pipes end when the child's do.
        inPipe.childEnd.reset();
        outPipe.childEnd.reset();
        errPipe.childEnd.reset();
        outFileHandle.reset();
        errFileHandle.reset();
        PipeReader out(std::move(outPipe.ownEnd));
        PipeReader err(std::move(errPipe.ownEnd));
        const std::string typed = "typed line\r\n";
        DWORD written = 0;
        WriteFile(inPipe.ownEnd.get(), typed.data(), static_cast<DWORD>(typed.size()), &written, nullptr);
        inPipe.ownEnd.reset();

        DWORD code = 0;
        ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, c.exitCode);
        const std::string outBytes = c.toFiles ? readText(outFile) : out.bytes();
        const std::string errBytes = c.toFiles ? readText(errFile) : err.bytes();
        EXPECT_EQ(outBytes, c.out);
        EXPECT_EQ(errBytes.substr(0, c.err.size()), c.err) << errBytes;
        EXPECT_TRUE(answerer.seen().empty()) << "a window: " << utf8(answerer.seen().front().caption);
        if (c.runtime == Runtime::HandedOver) {
            EXPECT_TRUE(contains(app.record(), "call: main")) << "the pair ran main";
        }
        if (c.runtime == Runtime::None) {
            // After the prompt (with the requirement), the line that names the INI beside the executable.
            EXPECT_TRUE(contains(errBytes, utf8(L"\r\n[235] JRE Path в " + app.folder() + L"tool.ini\r\n"))) << errBytes;
            // Nothing of the dialog's part, which no console can answer.
            EXPECT_FALSE(contains(errBytes, utf8(L"выберите"))) << errBytes;
        }
    }
}

BOOL WINAPI ignoreConsoleEvent(DWORD) { return TRUE; }

// Sends Ctrl+C to every process on the console of `processId`, as a program sharing it does. Only
// Ctrl+C: Wine refuses CTRL_BREAK_EVENT for the whole console (ERROR_INVALID_HANDLE).
bool sendCtrlCToConsoleOf(DWORD processId) {
    // This program ignores the event it sends itself, for as long as it runs: the event may arrive
    // after the test has let go of the console again.
    static const bool ignoring = SetConsoleCtrlHandler(ignoreConsoleEvent, TRUE);
    // Freeing and attaching consoles may replace the standard handles that carry the test's output.
    const HANDLE handles[] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                              GetStdHandle(STD_ERROR_HANDLE)};
    FreeConsole();
    const bool attached = AttachConsole(processId);
    const bool sent = attached && GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    if (!sent) std::fprintf(stderr, "attach %d, send failed: error %lu\n", attached, GetLastError());
    FreeConsole();
    SetStdHandle(STD_INPUT_HANDLE, handles[0]);
    SetStdHandle(STD_OUTPUT_HANDLE, handles[1]);
    SetStdHandle(STD_ERROR_HANDLE, handles[2]);
    return ignoring && sent;
}

TEST(ConsoleLauncher, CtrlCReachesTheRuntimesHandlerAndItsExitCodeTheParent) {
    const WText release = L"vornic-console-release-" + std::to_wstring(GetCurrentProcessId());
    const UniqueHandle releaseEvent(CreateEventW(nullptr, TRUE, FALSE, release.c_str()));
    const ConsoleApp app(L"Main Class=tool.Main\r\n",
                         "main: console-handler 130\nmain: wait-event " + utf8(release) + "\nmain: exit 9\n");
    StartOptions options;
    options.flags = CREATE_NEW_CONSOLE;
    ChildProcess child = app.start(options);
    ASSERT_TRUE(child.started());
    {
        WaitingFor marker(L"the stand-in's console handler");
        const bool installed = waitUntil([&] { return contains(app.record(), "console-handler: installed") ||
                                                      WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0; },
                                         kLaunchTimeout);
        ASSERT_TRUE(installed && contains(app.record(), "console-handler: installed")) << app.record();
    }
    const bool sent = sendCtrlCToConsoleOf(child.id());
    if (!sent) SetEvent(releaseEvent.get());  // main then ends with 9, and the test says why
    EXPECT_TRUE(sent);
    DWORD code = 0;
    ASSERT_TRUE(child.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 130u);
    EXPECT_TRUE(contains(app.record(), "console-event: ctrl-c\nexit: 130\n")) << app.record();
}

}  // namespace
