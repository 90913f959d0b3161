// Whole launches that must end with a message and -1 instead of looping or running half set up: the
// hand-over to "Pair Product" (a pair that leads back, a pair that cannot start, with the current
// folder elsewhere), an empty class path and the "[Class Path+]" form that extends it, and what the
// trace says and where it writes.
//
// Every launch runs in a job object that is ended on every path, so that a launcher handing over in
// a circle cannot fill the machine: the launch's processes are followed in the system's snapshot
// (each names its parent), and more than the allowed number ends the job at once. The exact number
// started is counted from the trace, where each launcher process writes its first line.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <set>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{0D4C1B7E-5A39-4E62-8F10-9B7D2C6A3E45}";
const WText kStandin = WIDE_STANDIN_RUNTIME;

// Each text names its id, so that the windows seen tell which message came.
const std::map<unsigned, Text> kStrings = {
    {209, L"[209] empty class path"}, {222, L"[222] %s | %d"}, {232, L"[232] %s"}, {233, L"[233] %s | %d"}};

WText environmentBlock(const std::vector<WText>& changes) {
    const auto keyOf = [](WText name) {
        CharUpperW(name.data());
        return name;
    };
    std::map<WText, WText> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            const WText text = entry;
            const size_t equals = text.find(L'=', 1);
            if (equals != WText::npos) variables[keyOf(text.substr(0, equals))] = text;
        }
        FreeEnvironmentStringsW(block);
    }
    for (const WText& change : changes) {
        const size_t equals = change.find(L'=', 1);
        if (equals != WText::npos) variables[keyOf(change.substr(0, equals))] = change;
    }
    WText result;
    for (const auto& entry : variables) result += entry.second + L'\0';
    return result + L'\0';
}

// A job that ends every process in it when the test lets go of it, whatever path the test takes.
class ProcessJob {
public:
    explicit ProcessJob(DWORD processLimit) : job_(CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
        limits.BasicLimitInformation.ActiveProcessLimit = processLimit;
        if (!SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
            // The counting below still ends the job when the system does not keep the limit itself.
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        }
    }
    ~ProcessJob() { end(); }
    ProcessJob(const ProcessJob&) = delete;
    ProcessJob& operator=(const ProcessJob&) = delete;

    HANDLE get() const { return job_.get(); }
    void end() {
        if (job_) TerminateJobObject(job_.get(), 0xDEAD);
    }

    // A process of the launch, held open so that its id cannot pass to another test's process while
    // the launch is watched (ids are reused at once on a busy machine), with its image read while it ran.
    struct Member {
        Member(UniqueHandle handle, WText path)
            : process(std::move(handle)), image(std::move(path)), systemProgram(isSystemProgram(image)) {}
        UniqueHandle process;
        WText image;
        bool systemProgram;  // not counted as the launch's
    };

    // The processes of the launch that still run: those of `family`, and every process that one of
    // them started, added to it as the system's snapshot names each one's parent. Wine answers no
    // question about a process's job.
    static std::set<DWORD> runningOf(std::map<DWORD, Member>& family) {
        std::vector<PROCESSENTRY32W> entries;
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot.get() == INVALID_HANDLE_VALUE) {
            snapshot.release();
            return {};
        }
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
            entries.push_back(entry);
        for (bool grew = true; grew;) {
            grew = false;
            for (const PROCESSENTRY32W& e : entries) {
                if (family.count(e.th32ProcessID) || !family.count(e.th32ParentProcessID)) continue;
                UniqueHandle child(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.th32ProcessID));
                if (!child) continue;  // ended already
                // A parent id is never cleared: a process whose parent died before the launch began
                // names that parent's id, which a member of the launch may hold now.
                if (createdAt(child.get()) < createdAt(family.at(e.th32ParentProcessID).process.get())) continue;
                WText image = imageOf(child.get(), e.szExeFile);
                family.emplace(e.th32ProcessID, Member(std::move(child), std::move(image)));
                grew = true;
            }
        }
        std::set<DWORD> running;
        for (const auto& [id, member] : family) {
            if (WaitForSingleObject(member.process.get(), 0) == WAIT_TIMEOUT) running.insert(id);
        }
        return running;
    }

private:
    // True for a program of the system's own folder. Wine starts some of its helpers from the process
    // that first needs them (the desktop's, for one, on a loaded machine): they are not the launch's.
    static bool isSystemProgram(const WText& image) {
        wchar_t windows[MAX_PATH] = {};
        const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
        return length > 0 && length < MAX_PATH && image.size() > length &&
               CompareStringOrdinal(image.c_str(), static_cast<int>(length), windows, static_cast<int>(length), TRUE) ==
                   CSTR_EQUAL &&
               image[length] == L'\\';
    }

    static WText imageOf(HANDLE process, const wchar_t* snapshotName) {
        wchar_t path[MAX_PATH * 4] = {};
        DWORD size = MAX_PATH * 4;
        return QueryFullProcessImageNameW(process, 0, path, &size) ? WText(path, size) : WText(snapshotName);
    }

    static ULONGLONG createdAt(HANDLE process) {
        FILETIME created{}, exited{}, kernel{}, user{};
        if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
        return (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    }

    UniqueHandle job_;
};

struct GuardedRun {
    bool finished = false;    // the first process ended, and every launcher process it started
    bool overrun = false;     // more processes than allowed: the job was ended
    DWORD exitCode = 0;       // the first process's
    DWORD processes = 0;      // launcher processes seen running in all, the first included
    std::string helpers;      // the system's own programs started within the launch, not counted
    std::vector<WText> messages;  // texts of the message boxes seen; a dialog's caption
    std::string still;            // when not finished: what still ran
};

// Starts `exe` in a job, answers every window of every process of the launch with Cancel, counts
// the processes, and waits for all of them to end.
GuardedRun runGuarded(const WText& exe, const WText& arguments, const WText& currentFolder,
                      const std::vector<WText>& environment, DWORD maxProcesses = 2) {
    GuardedRun run;
    // Wine starts the desktop's own process from the first process that needs the desktop, and ends it
    // when no process uses the desktop any more. Needed here first, it is this program's child and
    // stays while this program runs: never a member of the launch's job, which ends all its members.
    GetDesktopWindow();
    ProcessJob job(maxProcesses + 1);
    WText line = L"\"" + exe + L"\" " + arguments;
    WText block = environmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                        block.data(), currentFolder.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << utf8Of(exe) << ": error " << GetLastError();
        return run;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        TerminateProcess(process.get(), 0xDEAD);
        ADD_FAILURE() << "cannot put the launch into a job: error " << GetLastError();
        return run;
    }
    ResumeThread(thread.get());

    std::map<DWORD, ProcessJob::Member> family;
    family.emplace(info.dwProcessId,
                   ProcessJob::Member(UniqueHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                                               info.dwProcessId)),
                                      exe));
    std::vector<HWND> answered;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kLaunchTimeout) {
        const std::set<DWORD> running = ProcessJob::runningOf(family);
        run.processes = 0;
        run.helpers.clear();
        for (const auto& [id, member] : family) {
            if (member.systemProgram) {
                run.helpers += utf8Of(member.image) + " ";
            } else {
                ++run.processes;
            }
        }
        if (run.processes > maxProcesses) {
            run.overrun = true;
            run.still = std::to_string(run.processes) + " processes, more than " + std::to_string(maxProcesses);
            break;
        }
        for (DWORD id : running) {
            for (HWND window : topLevelWindowsOf(id)) {
                if (std::find(answered.begin(), answered.end(), window) != answered.end()) continue;
                Sleep(50);  // a box fills in its controls after it shows
                const WText text = messageBoxText(window);
                run.messages.push_back(text.empty() ? windowTextOf(window) : text);
                answered.push_back(window);
                // Cancel closes a message box as OK does, and never accepts a dialog left unfilled.
                pressButton(window, IDCANCEL);
            }
        }
        const bool firstEnded = WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
        const bool launcherRuns = std::any_of(running.begin(), running.end(), [&](DWORD id) {
            return !family.at(id).systemProgram;
        });
        if (firstEnded && !launcherRuns) {
            run.finished = true;
            break;
        }
        run.still = std::string(firstEnded ? "first ended" : "first runs") + ", in the job:";
        for (DWORD id : running) {
            run.still += " " + std::to_string(id) + (id == info.dwProcessId ? "(first) " : " ") + utf8Of(family.at(id).image);
        }
        Sleep(30);
    }
    job.end();
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

// A packaged copy `name` in `folder` without a runtime beside it unless `privateRuntime`.
struct CopySettings {
    WText runtime;       // lines of [Java Runtime Environment] after "Main Class"
    WText application;   // lines of [Application]
    WText classPath = L"app.jar";
    WText besideIni;     // more sections of the INI beside the executable
    bool privateRuntime = false;
};

CopySettings withPair(const WText& runtime, const WText& application) {
    CopySettings settings;
    settings.runtime = runtime;
    settings.application = application;
    return settings;
}

WText packageCopy(const WText& folder, const WText& name, const CopySettings& settings) {
    const WText exe = folder + name + L".exe";
    EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE));
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"handover",
                       L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + settings.runtime +
                           L"[Application]\r\n" + settings.application + L"[Class Path]\r\nClass Path=" +
                           settings.classPath + L"\r\n");
    resources.strings = kStrings;
    EXPECT_TRUE(resources.writeInto(exe));
    EXPECT_TRUE(writeUtf16File(folder + name + L".ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                            L"\r\n" + settings.besideIni));
    EXPECT_TRUE(writeFileBytes(folder + L"app.jar", "PK"));
    if (settings.privateRuntime) {
        const WText runtime = folder + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        EXPECT_TRUE(makeFolders(runtime + L"bin\\server"));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                              (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
    }
    return exe;
}

// A runtime in `home` whose jvm.dll was built for the other processor width: the other build's
// stand-in where the build has one, else this build's with the PE machine field of the other width
// (the launcher reads the field; neither is ever loaded when handed over).
WText placeOtherWidthRuntime(const WText& home) {
    EXPECT_TRUE(makeFolders(home + L"bin\\server"));
    const WText jvm = home + L"bin\\server\\jvm.dll";
    EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (home + L"bin\\java.dll").c_str(), FALSE));
#ifdef WIDE_STANDIN_OTHER_WIDTH
    EXPECT_TRUE(CopyFileW((WText(WIDE_STANDIN_OTHER_WIDTH) + L"bin\\server\\jvm.dll").c_str(), jvm.c_str(), FALSE));
#else
    std::string bytes;
    EXPECT_TRUE(readFileBytes(kStandin + L"bin\\server\\jvm.dll", bytes));
    EXPECT_GT(bytes.size(), 0x100u);
    const auto ntAt = static_cast<size_t>(*reinterpret_cast<const DWORD*>(bytes.data() + 0x3C));
    const WORD other = sizeof(void*) == 8 ? 0x014C : 0x8664;
    bytes[ntAt + 4] = static_cast<char>(other & 0xFF);
    bytes[ntAt + 5] = static_cast<char>(other >> 8);
    EXPECT_TRUE(writeFileBytes(jvm, bytes));
#endif
    return jvm;
}

std::string joined(const std::vector<WText>& texts) {
    std::string all;
    for (const WText& text : texts) all += utf8Of(text) + " / ";
    return all;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(HandOver, APairThatLeadsBackOrCannotStartEndsWithItsMessageAndMinusOne) {
    const TempFolder folder;
    const TempFolder elsewhere;  // the current folder of every launch
    const WText otherJvm = placeOtherWidthRuntime(folder.path() + L"other\\");
    const WText otherWidth = L"JRE Path=" + folder.path() + L"other\r\n";
    WText shouting = folder.path() + L"sub\\..\\SELF2.EXE";
    CharUpperW(shouting.data());
    ASSERT_TRUE(writeFileBytes(folder.path() + L"notes.exe", "not a program"));
    // Two launchers naming each other, each one's runtime of the other's width.
    packageCopy(folder.path(), L"left", withPair(otherWidth, L"Pair Product=right.exe\r\nPair Return Code=Yes\r\n"));
    packageCopy(folder.path(), L"right", withPair(otherWidth, L"Pair Product=left.exe\r\nPair Return Code=Yes\r\n"));

    const struct {
        const char* what;
        WText name;
        WText pairSettings;  // empty: the copy exists already
        DWORD processes;
        std::string message;
    } cases[] = {
        {"itself, relative", L"self", L"Pair Product=self.exe\r\nPair Return Code=Yes\r\n", 1,
         "[232] " + utf8Of(otherJvm)},
        {"itself, another spelling, no return code", L"self2", L"Pair Product=" + shouting + L"\r\n", 1,
         "[232] " + utf8Of(otherJvm)},
        {"each other", L"left", L"", 2, "[232] " + utf8Of(otherJvm)},
        {"missing, relative to the executable", L"missing", L"Pair Product=nonexist.exe\r\nPair Return Code=Yes\r\n",
         1, "[233] " + utf8Of(folder.path()) + "nonexist.exe | 2"},
        {"not a program", L"notprog", L"Pair Product=notes.exe\r\n", 1,
         "[233] " + utf8Of(folder.path()) + "notes.exe | 193"},
        // A sound pair, named relative to the executable: it runs the application and ends with its code.
        {"a pair that runs", L"handing", L"Pair Product=runner.exe\r\nPair Return Code=Yes\r\n", 2, ""},
    };
    CopySettings runner;
    runner.privateRuntime = true;
    packageCopy(folder.path(), L"runner", runner);
    ASSERT_TRUE(writeFileBytes(folder.path() + L"script.txt", "main: exit 7\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.pairSettings.empty()) packageCopy(folder.path(), c.name, withPair(otherWidth, c.pairSettings));
        const WText trace = elsewhere.path() + c.name + L".log";
        const GuardedRun run = runGuarded(folder.path() + c.name + L".exe", L"-nosplash a", elsewhere.path(),
                                          standinEnvironment(folder.path(), {L"VORNIC_TRACE=" + trace}));
        EXPECT_FALSE(run.overrun) << run.processes << " processes";
        ASSERT_TRUE(run.finished) << run.still << "; " << joined(run.messages);
        EXPECT_EQ(run.exitCode, c.message.empty() ? 7u : kMinusOne);
        EXPECT_LE(run.processes, c.processes) << "the system's own, not counted: " << run.helpers;
        // Every launcher process writes its "launch:" line into the trace it inherits, however short
        // it lived: the exact number started.
        const std::string log = readText(trace);
        EXPECT_EQ(countOf(log, "launch: "), c.processes) << log;
        EXPECT_TRUE(contains(log, c.processes == 2 ? "never handing over again" : "exit code -1")) << log;
        EXPECT_FALSE(contains(log, "exit code 0")) << log;
        if (c.message.empty()) {
            EXPECT_TRUE(run.messages.empty()) << joined(run.messages);
            EXPECT_TRUE(contains(readText(folder.path() + L"record.txt"), "exit: 7")) << "the pair ran main";
            continue;
        }
        ASSERT_EQ(run.messages.size(), 1u) << joined(run.messages);
        EXPECT_TRUE(equalsNoCase(run.messages[0], Text(c.message.begin(), c.message.end())))
            << utf8Of(run.messages[0]) << " | expected " << c.message;
        if (c.message.rfind("[233]", 0) == 0) {
            EXPECT_TRUE(contains(log, "could not be started: error")) << log;
        }
    }
}

TEST(LaunchEnds, WithoutAClassPathTheRuntimeIsNeverCreatedAndAPlusValueAfterASemicolonAddsAJar) {
    const struct {
        const char* what;
        WText classPath;
        WText besideIni;
        bool runs;
        std::vector<std::string> entries;  // relative to the folder, each followed by ";"
    } cases[] = {
        {"no file matches", L"lib\\missing.jar", L"", false, {}},
        // The "+" value is appended after a space: one entry "lib\a.jar lib\b.jar", which no file matches.
        {"[Class Path+] without a separator", L"lib\\a.jar", L"[Class Path+]\r\nClass Path=lib\\b.jar\r\n", false, {}},
        // With a leading ";" the space ends the entry before it, and Windows drops a name's trailing spaces.
        {"[Class Path+] after a semicolon", L"lib\\a.jar", L"[Class Path+]\r\nClass Path=;lib\\b.jar\r\n", true,
         {"lib\\a.jar;", "lib\\b.jar;"}},
        {"after a pattern", L"lib\\*.jar", L"[Class Path+]\r\nClass Path=;extra\\c.jar\r\n", true,
         {"lib\\a.jar;", "lib\\b.jar;", "extra\\c.jar;"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder;
        CopySettings settings;
        settings.runtime = L"Virtual Machine Parameters=-Dp=1\r\n";
        settings.application = L"Cmd=fromcmd\r\n";
        settings.classPath = c.classPath;
        settings.besideIni = c.besideIni;
        settings.privateRuntime = true;
        const WText exe = packageCopy(folder.path(), L"app", settings);
        ASSERT_TRUE(makeFolders(folder.path() + L"lib") && makeFolders(folder.path() + L"extra"));
        for (const wchar_t* jar : {L"lib\\a.jar", L"lib\\b.jar", L"extra\\c.jar"})
            ASSERT_TRUE(writeFileBytes(folder.path() + jar, "PK"));
        const TempFolder elsewhere;
        const GuardedRun run = runGuarded(exe, L"-nosplash", elsewhere.path(), standinEnvironment(folder.path()), 1);
        ASSERT_TRUE(run.finished) << run.still;
        const std::string record = readText(folder.path() + L"record.txt");
        if (!c.runs) {
            EXPECT_EQ(run.exitCode, kMinusOne);
            EXPECT_EQ(joined(run.messages), "[209] empty class path / ");
            EXPECT_FALSE(contains(record, "create-vm")) << record;
            continue;
        }
        EXPECT_EQ(run.exitCode, 0u) << joined(run.messages);
        EXPECT_TRUE(run.messages.empty()) << joined(run.messages);
        const size_t line = record.find("option: -Djava.class.path=");
        ASSERT_NE(line, std::string::npos) << record;
        const size_t value = record.find('=', line) + 1;
        const std::string classPath = record.substr(value, record.find('\n', line) - value);
        for (const std::string& entry : c.entries)
            EXPECT_TRUE(contains(classPath, utf8Of(folder.path()) + entry)) << classPath;
        EXPECT_EQ(countOf(classPath, ";"), c.entries.size()) << classPath;
        EXPECT_FALSE(contains(classPath, " ")) << classPath;
        EXPECT_TRUE(contains(record, "option: -Dp=1")) << record;
        EXPECT_TRUE(contains(record, "arg: fromcmd")) << record;
    }
}

TEST(Trace, SaysWhyAndWritesBesideAFileThatIsNoTrace) {
    const TempFolder folder;
    const TempFolder elsewhere;
    const WText otherJvm = placeOtherWidthRuntime(folder.path() + L"other\\");

    // A runtime of the other width named by "JRE Path", no pair to hand it to.
    const WText widthExe = packageCopy(folder.path(), L"width", withPair(L"JRE Path=" + folder.path() + L"other\r\n", L""));
    const WText widthTrace = folder.path() + L"width.log";
    const GuardedRun width = runGuarded(widthExe, L"-nosplash", elsewhere.path(),
                                        standinEnvironment(folder.path(), {L"VORNIC_TRACE=" + widthTrace}), 1);
    ASSERT_TRUE(width.finished) << width.still;
    EXPECT_EQ(width.exitCode, kMinusOne);
    ASSERT_EQ(width.messages.size(), 1u) << joined(width.messages);
    EXPECT_EQ(utf8Of(width.messages[0]).rfind("[222] " + utf8Of(otherJvm) + " | ", 0), 0u) << joined(width.messages);
    EXPECT_TRUE(contains(readText(widthTrace), utf8Of(otherJvm) + ": wrong processor width")) << readText(widthTrace);

    // No bounds and no runtime anywhere: the registry passes say "any", and the dialog is cancelled.
    const WText noneExe = packageCopy(folder.path(), L"none", CopySettings());
    const WText noneTrace = folder.path() + L"none.log";
    const GuardedRun none = runGuarded(noneExe, L"-nosplash", elsewhere.path(),
                                       standinEnvironment(folder.path(), {L"VORNIC_TRACE=" + noneTrace, L"JAVA_HOME="}), 1);
    ASSERT_TRUE(none.finished) << none.still;
    EXPECT_EQ(none.exitCode, kMinusOne);
    EXPECT_TRUE(contains(readText(noneTrace), "registry pass 1 (own view): bounds any to any")) << readText(noneTrace);
    EXPECT_FALSE(contains(readText(noneTrace), "0.0.0.0")) << readText(noneTrace);

    // VORNIC_TRACE naming the program itself, or a file of other text: both stay as they were, and
    // the trace goes to a file beside them, which the next launch appends to.
    CopySettings runs;
    runs.privateRuntime = true;
    const WText exe = packageCopy(folder.path(), L"runs", runs);
    const WText notes = folder.path() + L"notes.txt";
    ASSERT_TRUE(writeFileBytes(notes, "my own notes\r\n"));
    std::string exeBefore;
    ASSERT_TRUE(readFileBytes(exe, exeBefore));
    for (const WText& named : {exe, exe, notes}) {
        const GuardedRun run = runGuarded(exe, L"-nosplash", elsewhere.path(),
                                          standinEnvironment(folder.path(), {L"VORNIC_TRACE=" + named}), 1);
        ASSERT_TRUE(run.finished) << run.still;
        EXPECT_EQ(run.exitCode, 0u) << joined(run.messages);
    }
    std::string exeAfter;
    ASSERT_TRUE(readFileBytes(exe, exeAfter));
    EXPECT_EQ(exeAfter.size(), exeBefore.size());
    EXPECT_TRUE(exeAfter == exeBefore);
    EXPECT_EQ(readText(notes), "my own notes\r\n");
    const std::string besideExe = readText(exe + L".trace.txt");
    EXPECT_EQ(countOf(besideExe, "launch: "), 2u) << besideExe;
    EXPECT_TRUE(contains(besideExe, "which is no trace file: tracing into " + utf8Of(exe) + ".trace.txt")) << besideExe;
    EXPECT_TRUE(contains(besideExe, "exit code 0")) << besideExe;
    EXPECT_EQ(countOf(readText(notes + L".trace.txt"), "launch: "), 1u) << readText(notes + L".trace.txt");
}

}  // namespace
