// Single instance as users meet it: later starts of a packaged copy hand their arguments to the
// running one, whose stand-in runtime records every "secondaryMain" call in one line.
#include <aclapi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "harness.h"
#include "instance/instance_block.h"
#include "instance/instance_namespace.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
const Text kUpgradeCode = L"{5A0C3E91-7B44-4C1D-8E2F-6D9A1B3C5E70}";
const WText kStandin = WIDE_STANDIN_RUNTIME;
const WText kHandOverFailed = L"This start could not hand its command line over.";

// The record line of one secondaryMain call with these arguments.
std::string secondaryLine(const std::vector<WText>& arguments) {
    std::string line = "secondary-arguments: " + std::to_string(arguments.size()) + " ";
    for (const WText& argument : arguments) {
        const std::string text = utf8Of(argument);
        line += std::to_string(text.size()) + ":" + text;
    }
    return line + "\n";
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A packaged copy "app.exe" with the stand-in runtime beside it. Its main waits for an event of the
// test, so that the first start keeps running while later ones arrive.
class InstanceApp {
public:
    // With `exeLength`, the executable lies that deep (its runtime then named by "JRE Path").
    InstanceApp(const Text& applicationSection, const std::string& secondaryScript, const std::string& extraScript = "",
                size_t exeLength = 0)
        : event_(L"vornic_instance_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++count_)),
          release_(CreateEventW(nullptr, TRUE, FALSE, event_.c_str())) {
        const WText runtime = folder_.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        WText exeFolder = folder_.path();
        Text runtimeSetting;
        if (exeLength > 0) {
            exeFolder += WText(exeLength - exeFolder.size() - 8, L'd') + L"\\";
            EXPECT_TRUE(makeFolders(exeFolder));
            runtimeSetting = L"JRE Path=" + runtime + L"\r\n";
        }
        exe_ = exeFolder + L"app.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe_.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + runtimeSetting +
                           L"[Class Path]\r\nClass Path=app.jar\r\n[Application]\r\n" + applicationSection);
        resources.strings[234] = kHandOverFailed;
        EXPECT_TRUE(resources.writeInto(exe_));
        iniPath_ = exeFolder + L"app.ini";
        EXPECT_TRUE(writeUtf16File(iniPath_, L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n"));
        EXPECT_TRUE(writeFileBytes(exeFolder + L"app.jar", "PK"));
        EXPECT_TRUE(makeFolders(runtime + L"bin\\server"));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                              (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
        const std::string eventName(event_.begin(), event_.end());
        EXPECT_TRUE(writeFileBytes(folder_.path() + L"script.txt",
                                   extraScript + "main: wait-event " + eventName + "\n" + secondaryScript));
    }

    // Sections of the INI file beside the executable, which override the packaged ones.
    void addIniText(const Text& text) const {
        EXPECT_TRUE(writeUtf16File(iniPath_, L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n" + text));
    }

    // A test that stops early still lets its starts end.
    ~InstanceApp() { release(); }

    std::string record() const { return readText(folder_.path() + L"record.txt"); }
    // Every start of this copy traces into one file.
    std::string trace() const { return readText(folder_.path() + L"trace.txt"); }

    ChildProcess start(const WText& arguments, const std::vector<WText>& more = {}) const {
        std::vector<WText> environment =
            standinEnvironment(folder_.path(), {L"VORNIC_TRACE=" + folder_.path() + L"trace.txt"});
        environment.insert(environment.end(), more.begin(), more.end());
        return ChildProcess::start(exe_, L"\"" + exe_ + L"\"" + (arguments.empty() ? L"" : L" " + arguments),
                                   folder_.path(), environment);
    }

    // A start whose windows are answered with OK, run to its end.
    Launch launchAnswering(const WText& arguments) const {
        return runAnswering(exe_, L"\"" + exe_ + L"\" " + arguments, IDOK, kLaunchTimeout, folder_.path(),
                            standinEnvironment(folder_.path(), {L"VORNIC_TRACE=" + folder_.path() + L"trace.txt"}));
    }

    const WText& exe() const { return exe_; }

    // Starts the first instance and waits until its main runs.
    ChildProcess startFirst() const {
        ChildProcess first = start(L"-nosplash");
        EXPECT_TRUE(waitForRecord("call: main", 1));
        return first;
    }

    bool waitForRecord(const std::string& part, size_t count) const {
        WaitingFor marker(L"the record to hold \"" + WText(part.begin(), part.end()) + L"\" " + std::to_wstring(count) +
                          L" times");
        return waitUntil([&] { return occurrences(record(), part) >= count; }, kLaunchTimeout);
    }

    // Lets every main of this copy return.
    void release() const { SetEvent(release_.get()); }

    // What starts from now on do, in place of the script given at construction; a running start keeps
    // the script it read.
    void rescript(const std::string& script) const { EXPECT_TRUE(writeFileBytes(folder_.path() + L"script.txt", script)); }

private:
    static inline int count_ = 0;
    TempFolder folder_;
    WText exe_;
    WText iniPath_;
    WText event_;
    UniqueHandle release_;
};

// "Single Instance" is acted on only as exactly "yes", and never for a service.
TEST(SingleInstance, OnlyExactYesOutsideServicesHandsOver) {
    struct Case {
        const wchar_t* settings;
        bool handsOver;
    };
    const Case cases[] = {
        {L"Single Instance=yes\r\n", true},
        {L"Single Instance=Yes\r\n", false},
        {L"Application Type=service\r\nSingle Instance=yes\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8Of(c.settings));
        const InstanceApp app(c.settings, "secondaryMain: returns int\nsecondaryMain: return-argument 0\n");
        ChildProcess first = app.startFirst();
        ChildProcess second = app.start(L"5");
        DWORD code = 0;
        if (c.handsOver) {
            ASSERT_TRUE(second.waitForExit(kLaunchTimeout, code));
            EXPECT_EQ(code, 5u);
            EXPECT_TRUE(contains(app.record(), secondaryLine({L"5"}))) << app.record();
        } else {
            // Independent: the second start runs main itself, with its own argument.
            EXPECT_TRUE(app.waitForRecord("call: main\narg: 5\n", 1)) << app.record();
        }
        app.release();
        ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, 0u);
        if (!c.handsOver) {
            ASSERT_TRUE(second.waitForExit(kLaunchTimeout, code));
            EXPECT_EQ(code, 0u);
            EXPECT_EQ(occurrences(app.record(), "secondary-arguments"), 0u) << app.record();
        }
    }
}

// What a later start's command line becomes in secondaryMain, and its exit code from the int variant.
TEST(SingleInstance, EveryArgumentListArrivesWholeWithItsExitCode) {
    const WText longArgument(30000, L'L');
    struct Case {
        const char* what;
        WText commandLine;
        std::vector<WText> received;
        DWORD exitCode;
    };
    const Case cases[] = {
        {"no arguments give one empty string", L"", {L""}, 0},
        {"an empty argument keeps the ones after it", L"a \"\" b", {L"a", L"", L"b"}, 0},
        {"a negative result", L"-5 \"two words\"", {L"-5", L"two words"}, static_cast<DWORD>(-5)},
        {"a command line of 30,000 units", L"12 " + longArgument, {L"12", longArgument}, 12},
    };
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return-argument 0\n");
    ChildProcess first = app.startFirst();
    for (const Case& c : cases) {
        DWORD code = 0;
        ASSERT_TRUE(app.start(c.commandLine).waitForExit(kLaunchTimeout, code)) << c.what;
        EXPECT_EQ(code, c.exitCode) << c.what;
        EXPECT_EQ(occurrences(app.record(), secondaryLine(c.received)), 1u) << c.what;
    }
    app.release();
    DWORD code = 0;
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(occurrences(app.record(), "call: main"), 1u);
    // The trace says which start ran the application and where each of the others went.
    const std::string trace = app.trace();
    EXPECT_EQ(occurrences(trace, "single instance: first instance"), 1u) << trace;
    EXPECT_EQ(occurrences(trace, "single instance: command line handed to the running instance, process " +
                                     std::to_string(first.id()) + "\r\n"),
              std::size(cases))
        << trace;
    EXPECT_TRUE(contains(trace, "single instance: the running instance answered -5\r\n")) << trace;
}

// When the reply comes: before the call (void), after it (int; -1 when it throws), or never (no
// secondaryMain: the waiting start ends with the first instance).
TEST(SingleInstance, ReplyFollowsTheVariant) {
    struct Case {
        const char* script;
        bool repliesBeforeFirstEnds;
        DWORD exitCode;
        const char* recorded;
    };
    const Case cases[] = {
        {"secondaryMain: returns void\nsecondaryMain: sleep 3000\n", true, 0, "secondary-arguments: 1 1:x\n"},
        {"secondaryMain: returns int\nsecondaryMain: throw java/lang/IllegalStateException refused\n", true,
         static_cast<DWORD>(-1), "exception-describe: java.lang.IllegalStateException: refused"},
        {"main: exit 4\n", false, 4, "exception-describe: java.lang.NoSuchMethodError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const InstanceApp app(L"Single Instance=yes\r\n", c.script);
        ChildProcess first = app.startFirst();
        ChildProcess second = app.start(L"x");
        DWORD code = 1;
        if (c.repliesBeforeFirstEnds) {
            ASSERT_TRUE(second.waitForExit(kLaunchTimeout, code));
            EXPECT_EQ(code, c.exitCode);
            EXPECT_FALSE(contains(app.record(), "secondary-returned")) << "the void variant replied after the call";
        } else {
            EXPECT_TRUE(app.waitForRecord(c.recorded, 1)) << app.record();
            EXPECT_EQ(WaitForSingleObject(second.handle(), 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "a reply came";
        }
        app.release();
        ASSERT_TRUE(second.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, c.exitCode);
        ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
        EXPECT_TRUE(contains(app.record(), c.recorded)) << app.record();
    }
}

TEST(SingleInstance, StartDuringClassLoadingIsServedOnceMainRuns) {
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return 9\n",
                          "load-delay: " + std::to_string(2000 * VORNIC_TIME_FACTOR) + "\n");
    ChildProcess first = app.start(L"-nosplash");
    ASSERT_TRUE(app.waitForRecord("class-loading: app", 1)) << app.record();
    ChildProcess second = app.start(L"early");
    EXPECT_FALSE(contains(app.record(), "call: main")) << "the class loaded before the second start";
    DWORD code = 0;
    ASSERT_TRUE(second.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 9u);
    // The ready signal comes once main's class has loaded and its arguments are built, just before
    // main is called: the request's thread attaches only after the look-up that follows the load.
    // Which of the two threads then reaches its call first is the system's choice.
    const std::string record = app.record();
    const size_t loaded = record.find("class-loading: app/Main");
    ASSERT_NE(loaded, std::string::npos);
    const size_t afterLoad = record.find("find-class: ", loaded);
    ASSERT_NE(afterLoad, std::string::npos) << record;
    const size_t attached = record.find("\nattach");
    ASSERT_NE(attached, std::string::npos) << record;
    EXPECT_LT(afterLoad, attached) << record;
    // The later start may be served and gone before main's thread has got to its call.
    EXPECT_TRUE(app.waitForRecord("call: main", 1)) << app.record();
    EXPECT_TRUE(contains(record, secondaryLine({L"early"}))) << record;
    app.release();
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
}

// The first instance ends while a request is being served: the waiting start ends with its exit
// code as soon as it has ended, instead of noticing on its next look.
TEST(SingleInstance, FirstInstanceEndingUnansweredEndsTheWaitAtOnce) {
    const InstanceApp app(L"Single Instance=yes\r\n",
                          "secondaryMain: returns int\nsecondaryMain: sleep 60000\nmain: exit 7\n");
    ChildProcess first = app.startFirst();
    ChildProcess second = app.start(L"unanswered");
    ASSERT_TRUE(app.waitForRecord(secondaryLine({L"unanswered"}), 1)) << app.record();
    app.release();
    ASSERT_EQ(WaitForSingleObject(first.handle(), kLaunchTimeout), WAIT_OBJECT_0);
    LARGE_INTEGER frequency, firstEnded, secondEnded;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&firstEnded);
    ASSERT_EQ(WaitForSingleObject(second.handle(), kLaunchTimeout), WAIT_OBJECT_0);
    QueryPerformanceCounter(&secondEnded);
    const double milliseconds =
        1000.0 * static_cast<double>(secondEnded.QuadPart - firstEnded.QuadPart) / static_cast<double>(frequency.QuadPart);
    DWORD code = 0;
    ASSERT_TRUE(second.waitForExit(0, code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(contains(app.trace(), "single instance: the running instance ended unanswered, with 7\r\n"))
        << app.trace();
    // Polling every 100 ms would take 50 ms on average; the wait wakes on the end itself.
    EXPECT_LT(milliseconds, 40.0 * VORNIC_TIME_FACTOR) << "the waiting start ended " << milliseconds << " ms after";
}

// A later start that reaches the instance while its application is ending (main has returned and
// its last non-daemon thread has ended, or System.exit was called, and the machine takes its time to
// end, as with an archive written at exit) is told so. It waits for that end, then runs the
// application itself: its main gets its own command line, and its exit code is its own.
TEST(SingleInstance, StartDuringTheInstancesEndRunsItsOwnCommandLine) {
    struct Case {
        const char* how;
        std::string firstEnd;  // what the first instance's main does once released
        DWORD firstCode;
    };
    const Case cases[] = {{"main returns", "", 0}, {"System.exit", "main: exit 5\n", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        const InstanceApp app(L"Single Instance=yes\r\n", c.firstEnd + "secondaryMain: returns void\n");
        const WText delay = std::to_wstring(3000 * VORNIC_TIME_FACTOR);
        ChildProcess first = app.start(L"-nosplash", {L"VORNIC_STANDIN_END_DELAY=" + delay});
        ASSERT_TRUE(app.waitForRecord("call: main", 1)) << app.record();
        app.rescript("main: args\nmain: exit 6\nsecondaryMain: returns void\n");
        app.release();
        ASSERT_TRUE(app.waitForRecord("ending: ", 1)) << app.record();
        ChildProcess later = app.start(L"own \"command line\"");
        DWORD code = 1;
        ASSERT_TRUE(later.waitForExit(kLaunchTimeout, code)) << app.record();
        EXPECT_EQ(code, 6u);
        DWORD firstCode = 1;
        ASSERT_TRUE(first.waitForExit(0, firstCode)) << "the later start ran before the first had ended";
        EXPECT_EQ(firstCode, c.firstCode);
        const std::string record = app.record();
        EXPECT_TRUE(contains(record, "shutdown-hook-refused")) << record;
        EXPECT_FALSE(contains(record, "secondary-arguments")) << record;
        EXPECT_EQ(occurrences(record, "call: main"), 2u) << record;
        EXPECT_TRUE(contains(record, "call: main\narg: own\narg: command line\n")) << record;
        EXPECT_TRUE(contains(app.trace(), "single instance: the running instance is ending: running here after its end"))
            << app.trace();
    }
}

// With IBM runtimes accepted the request's thread stays attached, as the Java thread does.
TEST(SingleInstance, IbmRuntimesKeepTheRequestThreadAttached) {
    for (const bool ibm : {false, true}) {
        SCOPED_TRACE(ibm ? "ibm" : "default provider");
        const InstanceApp app(L"Single Instance=yes\r\n",
                              "secondaryMain: returns int\nsecondaryMain: return 2\nmain: exit 0\n");
        if (ibm) app.addIniText(L"[Java Runtime Environment]\r\nVM Provider=ibm\r\n");
        ChildProcess first = app.startFirst();
        DWORD code = 0;
        ASSERT_TRUE(app.start(L"x").waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, 2u);
        if (ibm) {
            Sleep(500 * VORNIC_TIME_FACTOR);
        } else {
            EXPECT_TRUE(app.waitForRecord("detach", 1)) << app.record();
        }
        app.release();
        ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
        EXPECT_EQ(code, 0u);
        // main ends the process itself, so only a request thread can have detached.
        EXPECT_EQ(occurrences(app.record(), "detach"), ibm ? 0u : 1u) << app.record();
    }
}

TEST(SingleInstance, CopiesInDifferentFoldersAreIndependent) {
    const InstanceApp one(L"Single Instance=yes\r\n", "secondaryMain: returns int\n");
    const InstanceApp two(L"Single Instance=yes\r\n", "secondaryMain: returns int\n");
    ChildProcess first = one.startFirst();
    ChildProcess other = two.start(L"other");
    EXPECT_TRUE(two.waitForRecord("arg: other", 1)) << "the copy elsewhere ran its own main";
    two.release();
    one.release();
    DWORD code = 1;
    ASSERT_TRUE(other.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(occurrences(one.record(), "secondary-arguments"), 0u) << one.record();
}

// A path too long for object names that carry it whole (258 units: the registered message's name
// holds 255) still gives a channel of its own.
TEST(SingleInstance, ExecutableDeepInFoldersStillHandsOver) {
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return-argument 0\n",
                          "", 258);
    ChildProcess first = app.startFirst();
    DWORD code = 0;
    ASSERT_TRUE(app.start(L"21 deep").waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 21u);
    EXPECT_TRUE(contains(app.record(), secondaryLine({L"21", L"deep"}))) << app.record();
    app.release();
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(occurrences(app.record(), "call: main"), 1u);
}

// Many files opened at once start one launcher each: every list is delivered once, whole, and
// each start ends with its own code. Twenty rounds of twenty; under x86 emulation, where a start
// costs four times as much, five rounds, which still race twenty starts each time.
TEST(SingleInstance, TwentyStartsAtOnceEachDeliveredOnce) {
    constexpr int kRounds = 20 / VORNIC_TIME_FACTOR;
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return-argument 0\n");
    ChildProcess first = app.startFirst();
    std::vector<std::vector<WText>> sent;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<ChildProcess> starts;
        std::vector<DWORD> codes;
        for (int k = 0; k < 20; ++k) {
            const DWORD code = static_cast<DWORD>(1000 + round * 20 + k);
            const WText file = L"C:\\Docs\\round " + std::to_wstring(round) + L"\\file " + std::to_wstring(k) + L".txt";
            sent.push_back({std::to_wstring(code), file, L"", std::to_wstring(k)});
            starts.push_back(app.start(std::to_wstring(code) + L" \"" + file + L"\" \"\" " + std::to_wstring(k)));
            codes.push_back(code);
        }
        for (size_t k = 0; k < starts.size(); ++k) {
            DWORD code = 0;
            ASSERT_TRUE(starts[k].waitForExit(kLaunchTimeout, code)) << "round " << round << " start " << k;
            EXPECT_EQ(code, codes[k]) << "round " << round << " start " << k << "; main ran "
                                      << occurrences(app.record(), "call: main") << " times";
        }
    }
    const std::string record = app.record();
    for (const std::vector<WText>& arguments : sent) {
        EXPECT_EQ(occurrences(record, secondaryLine(arguments)), 1u) << utf8Of(arguments[1]);
    }
    EXPECT_EQ(occurrences(record, "secondary-arguments"), sent.size());
    app.release();
    DWORD code = 0;
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
}

// The same when no instance runs yet: one of them becomes the first, every other one hands over.
TEST(SingleInstance, StartsAtOnceWithoutARunningInstanceElectOneFirst) {
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return-argument 0\n");
    std::vector<ChildProcess> starts;
    for (int k = 0; k < 20; ++k) starts.push_back(app.start(std::to_wstring(100 + k) + L" -nosplash"));
    ASSERT_TRUE(app.waitForRecord("secondary-arguments", 19)) << app.record();
    app.release();
    int firstInstances = 0;
    for (int k = 0; k < 20; ++k) {
        DWORD code = 0;
        ASSERT_TRUE(starts[k].waitForExit(kLaunchTimeout, code)) << k;
        if (code == 0) {
            ++firstInstances;
            EXPECT_TRUE(contains(app.record(), "arg: " + std::to_string(100 + k) + "\n"));
        } else {
            EXPECT_EQ(code, static_cast<DWORD>(100 + k));
            EXPECT_EQ(occurrences(app.record(), secondaryLine({std::to_wstring(100 + k), L"-nosplash"})), 1u);
        }
    }
    EXPECT_EQ(firstInstances, 1);
    EXPECT_EQ(occurrences(app.record(), "call: main"), 1u);
}

// What another program of the same user sees of a copy's channel: the header block, named as the
// launcher names it, in the same namespace.
class ChannelView {
public:
    explicit ChannelView(const WText& exe) : key_(instanceKey(exe)), message_(RegisterWindowMessageW(key_.c_str())) {
        EXPECT_TRUE(names_.open());
    }

    // Makes the header block first, naming `header`'s process and thread, under `name`.
    bool claim(const WText& name, const InstanceHeader& header) {
        UniqueHandle mapping(
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InstanceHeader), name.c_str()));
        if (!mapping || GetLastError() == ERROR_ALREADY_EXISTS || !write(mapping.get(), header)) return false;
        claims_.push_back(std::move(mapping));
        return true;
    }

    // The running instance's block, as it stands.
    bool read(InstanceHeader& header) {
        if (!open()) return false;
        UniqueView view(MapViewOfFile(opened_.get(), FILE_MAP_READ, 0, 0, sizeof header));
        if (!view) return false;
        std::memcpy(&header, view.get(), sizeof header);
        return true;
    }
    bool overwrite(const InstanceHeader& header) { return open() && write(opened_.get(), header); }

    // The security of the running instance's block: true when its DACL grants the user alone.
    bool grantsTheUserAlone() {
        if (!open()) return false;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        PACL dacl = nullptr;
        PSID owner = nullptr;
        if (GetSecurityInfo(opened_.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION,
                            &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
            return false;
        }
        void* ace = nullptr;
        const bool alone = dacl && dacl->AceCount == 1 && GetAce(dacl, 0, &ace) &&
                           static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                           EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, owner) && isUser(owner);
        LocalFree(descriptor);
        return alone;
    }

    const WText& key() const { return key_; }
    WText objectName() const { return names_.objectName(key_); }
    UINT message() const { return message_; }
    bool privateNamespace() const { return names_.isPrivate(); }

    // True when a request of the channel reached this thread's queue.
    bool requestReached() const {
        MSG taken;
        return PeekMessageW(&taken, nullptr, message_, message_, PM_REMOVE) != FALSE;
    }

private:
    bool open() {
        if (!opened_) {
            opened_.reset(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE | READ_CONTROL, FALSE, objectName().c_str()));
        }
        return static_cast<bool>(opened_);
    }
    static bool write(HANDLE mapping, const InstanceHeader& header) {
        UniqueView view(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof header));
        if (!view) return false;
        std::memcpy(view.get(), &header, sizeof header);
        return true;
    }
    static bool isUser(PSID sid) {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
        UniqueHandle token(raw);
        BYTE buffer[256];
        DWORD size = 0;
        return GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size) &&
               EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, sid);
    }

    WText key_;
    UINT message_;
    InstanceNamespace names_;
    std::vector<UniqueHandle> claims_;
    UniqueHandle opened_;
};

// This thread as the listener a program claiming the channel would run: it owns a queue, and a
// request posted to it stays there to be found.
InstanceHeader attackerHeader(UINT message) {
    MSG none;
    PeekMessageW(&none, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    return InstanceHeader{GetCurrentThreadId(), GetCurrentProcessId(), message};
}

// A program that makes the channel's block before the application starts, at its old predictable
// name and where the launcher puts it now, and names itself there. The start does not hand it its
// command line: the process named does not run this executable, so the start takes the channel over
// and runs the application, and later starts hand over to it.
TEST(SingleInstanceAgainstOtherPrograms, ChannelClaimedBeforeTheFirstStartReceivesNothing) {
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return-argument 0\n");
    ChannelView channel(app.exe());
    const InstanceHeader claimed = attackerHeader(channel.message());
    ASSERT_TRUE(channel.claim(channel.key(), claimed));
    if (channel.privateNamespace()) {
        ASSERT_TRUE(channel.claim(channel.objectName(), claimed));
    }

    ChildProcess first = app.start(L"-nosplash password=secret");
    ASSERT_TRUE(app.waitForRecord("arg: password=secret\n", 1)) << app.record();
    DWORD code = 0;
    ASSERT_TRUE(app.start(L"8 later").waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 8u);
    EXPECT_TRUE(contains(app.record(), secondaryLine({L"8", L"later"}))) << app.record();
    EXPECT_FALSE(channel.requestReached());

    const std::string trace = app.trace();
    if (channel.privateNamespace()) {
        EXPECT_TRUE(contains(trace, "single instance: first instance")) << trace;
    } else {
        EXPECT_TRUE(contains(trace, "single instance: process " + std::to_string(GetCurrentProcessId()) +
                                        ", named by the channel, does not run this executable: this start takes the "
                                        "channel over\r\n"))
            << trace;
    }
    app.release();
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 0u);
}

// A program that tampers with a running instance's channel. A WM_QUIT posted to the listener does
// not end it; a block that names another program's thread, or a listener that was ended, makes a
// later start say it cannot hand over (message 234, exit code -1) instead of handing its command line
// to whoever is named; one that names another program altogether makes the start run on its own.
TEST(SingleInstanceAgainstOtherPrograms, TamperedChannelNeverHandsTheCommandLineElsewhere) {
    const InstanceApp app(L"Single Instance=yes\r\n", "secondaryMain: returns int\nsecondaryMain: return-argument 0\n");
    ChildProcess first = app.startFirst();
    ChannelView channel(app.exe());
    InstanceHeader genuine{};
    ASSERT_TRUE(channel.read(genuine));
    EXPECT_EQ(genuine.ownerProcessId, first.id());
    EXPECT_TRUE(channel.grantsTheUserAlone());

    for (int i = 0; i < 3; ++i) EXPECT_TRUE(PostThreadMessageW(genuine.listenerThreadId, WM_QUIT, 0, 0));
    DWORD code = 0;
    ASSERT_TRUE(app.start(L"11 after-quit").waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 11u);
    EXPECT_TRUE(contains(app.record(), secondaryLine({L"11", L"after-quit"}))) << app.record();

    const auto expectRefused = [&](const char* what, const WText& arguments) {
        SCOPED_TRACE(what);
        const Launch refused = app.launchAnswering(arguments);
        ASSERT_TRUE(refused.finished);
        EXPECT_EQ(refused.exitCode, static_cast<DWORD>(-1));
        ASSERT_EQ(refused.windows.size(), 1u);
        EXPECT_EQ(refused.windows[0].text, kHandOverFailed);
        EXPECT_FALSE(channel.requestReached());
        EXPECT_FALSE(contains(app.record(), "secret")) << app.record();
    };
    InstanceHeader forged = attackerHeader(channel.message());
    forged.ownerProcessId = genuine.ownerProcessId;
    ASSERT_TRUE(channel.overwrite(forged));
    expectRefused("another program's thread", L"12 secret");

    ASSERT_TRUE(channel.overwrite(genuine));
    {
        UniqueHandle listener(OpenThread(THREAD_TERMINATE | SYNCHRONIZE, FALSE, genuine.listenerThreadId));
        ASSERT_TRUE(listener);
        ASSERT_TRUE(TerminateThread(listener.get(), 0));
        ASSERT_EQ(WaitForSingleObject(listener.get(), kLaunchTimeout), WAIT_OBJECT_0);
    }
    expectRefused("an ended listener", L"13 secret");
    const std::string refusal =
        "single instance: cannot hand the command line to the running instance, process " + std::to_string(first.id());
    EXPECT_EQ(occurrences(app.trace(), refusal + ": "), 2u) << app.trace();

    ASSERT_TRUE(channel.overwrite(attackerHeader(channel.message())));
    ChildProcess own = app.start(L"-nosplash 14 password=secret");
    EXPECT_TRUE(app.waitForRecord("arg: password=secret\n", 1)) << app.record();
    EXPECT_EQ(occurrences(app.record(), "call: main"), 2u) << app.record();
    EXPECT_FALSE(channel.requestReached());

    app.release();
    ASSERT_TRUE(own.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(first.waitForExit(kLaunchTimeout, code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
