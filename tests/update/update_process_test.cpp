// Whole launches of a packaged copy with the stand-in runtime: version 1 stages version 2 and asks
// for a restart; the new version runs whole in a new process (also when the launcher itself is
// replaced); an apply cut short at any step ends whole at the next start; a version that cannot
// reach main is undone; bad stages are removed; a restart loop stops with its message.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "harness.h"

#include <winioctl.h>

#include "package_resources.h"
#include "update/sha256.h"
#include "update/update_manifest.h"

namespace {

constexpr DWORD kChainTimeout = 90000 * VORNIC_TIME_FACTOR;
constexpr DWORD kStoppedExitCode = 86;
const Text kUpgradeCode = L"{2E7B9C41-58A3-4F0D-9B6E-1C4A7D3F8E25}";
const WText kExeName = L"updated-app.exe";
const std::map<unsigned, Text> kStrings = {
    {211, L"[211] cannot name %s"}, {215, L"[215] no class %s"}, {237, L"[237] %d %d"}, {238, L"[238] %s"}};

// A version of the application folder: each file's path and bytes.
using Version = std::map<WText, std::string>;
using Hashes = std::map<WText, std::string>;

std::string sha256Of(const std::string& bytes) {
    Sha256 hash;
    hash.add(bytes.data(), bytes.size());
    return hash.finishHex();
}

std::string utf16Bytes(const WText& text) {
    std::string bytes("\xFF\xFE", 2);
    for (const wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool isFile(const WText& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFolder(const WText& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Hashes hashesOf(const Version& version) {
    Hashes hashes;
    for (const auto& [path, bytes] : version) hashes[path] = sha256Of(bytes);
    return hashes;
}

void hashFolder(const WText& root, const WText& relative, Hashes& hashes) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const WText name = entry.cFileName;
        if (name == L"." || name == L".." || (relative.empty() && name == L"update")) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) hashFolder(root, relative + name + L"\\", hashes);
        else hashes[relative + name] = sha256Of(readText(root + relative + name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// A junction `link` (a new folder) to `target`, as mklink /J makes one.
bool makeJunction(const WText& link, const WText& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    const HANDLE folder = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const WText substitute = L"\\??\\" + target;
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    // REPARSE_DATA_BUFFER for a mount point: tag, data length, reserved, then the two names' offsets
    // and lengths, then the substitute name and an empty print name, each ending with a NUL.
    std::vector<WORD> buffer(8 + substitute.size() + 2, 0);
    DWORD* tag = reinterpret_cast<DWORD*>(buffer.data());
    *tag = IO_REPARSE_TAG_MOUNT_POINT;
    buffer[2] = static_cast<WORD>(8 + substituteBytes + 4);
    buffer[4] = 0;
    buffer[5] = substituteBytes;
    buffer[6] = static_cast<WORD>(substituteBytes + 2);
    buffer[7] = 0;
    std::copy(substitute.begin(), substitute.end(), reinterpret_cast<wchar_t*>(buffer.data() + 8));
    DWORD returned = 0;
    const BOOL made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(), 8 + buffer[2], nullptr, 0,
                                      &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(folder);
    if (!made) RemoveDirectoryW(link.c_str());
    SetLastError(error);
    return made != FALSE;
}

// Answers every message box that a program of `folder` shows, whichever process of a chain it is.
class BoxAnswerer {
public:
    explicit BoxAnswerer(WText folder) : folder_(std::move(folder)), thread_([this] { watch(); }) {}
    ~BoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<WText> texts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

private:
    static BOOL CALLBACK visit(HWND window, LPARAM self) {
        reinterpret_cast<BoxAnswerer*>(self)->answer(window);
        return TRUE;
    }
    void answer(HWND window) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        wchar_t image[MAX_PATH * 2] = {};
        DWORD length = MAX_PATH * 2;
        const bool known = process && QueryFullProcessImageNameW(process, 0, image, &length);
        if (process) CloseHandle(process);
        if (!known || _wcsnicmp(image, folder_.c_str(), folder_.size()) != 0 || !IsWindowVisible(window)) return;
        const WText text = messageBoxText(window);
        if (text.empty()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (std::find(answered_.begin(), answered_.end(), window) != answered_.end()) return;
            answered_.push_back(window);
            texts_.push_back(text);
        }
        pressButton(window, IDOK);
    }
    void watch() {
        while (!stop_) {
            EnumWindows(visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    WText folder_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<WText> texts_;
    std::vector<HWND> answered_;
    std::thread thread_;
};

// An application folder "app\" in a temporary folder, with the stand-in runtime outside it.
class UpdateScenario {
public:
    UpdateScenario() {
        const WText runtime = root() + L"runtime\\";
        EXPECT_TRUE(makeFolders(runtime + L"bin\\server"));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                              (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
        EXPECT_TRUE(makeFolders(app()));
    }

    const WText& root() const { return folder_.path(); }
    WText app() const { return root() + L"app\\"; }
    WText exe() const { return app() + kExeName; }
    WText stageFolder() const { return root() + L"stage\\"; }
    std::string record() const { return readText(root() + L"record.txt"); }
    std::string trace() const { return readText(root() + L"trace.txt"); }

    // A launcher packaged with `application` settings (after "Restart Exit Code=42").
    std::string launcher(const Text& application = Text(), const Text& mainClass = L"app.Main") const {
        const WText packaging = root() + L"packaging.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), packaging.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=" + mainClass +
                               L"\r\n[Class Path]\r\nClass Path=app.jar\r\n[Application]\r\nRestart Exit Code=42\r\n" +
                               application);
        resources.strings = kStrings;
        EXPECT_TRUE(resources.writeInto(packaging));
        const std::string bytes = readText(packaging);
        DeleteFileW(packaging.c_str());
        return bytes;
    }

    // The folder's files; "JRE Path" beside the executable names the runtime, or a missing one.
    Version version(const std::string& script, const std::string& jar, bool runtimeThere = true) const {
        const WText runtime = root() + (runtimeThere ? L"runtime\\" : L"no-runtime\\");
        return {{kExeName, launcher()},
                {L"updated-app.ini", utf16Bytes(L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                L"\r\n[Java Runtime Environment]\r\nJRE Path=" + runtime + L"\r\n")},
                {L"app.jar", jar},
                {L"script.txt", script}};
    }

    void install(const Version& version) const { writeInto(app(), version); }

    // What an updater writes: every file, then the manifest.
    void stage(const Version& version, const WText& folder, const TextList& removed = {}) const {
        writeInto(folder, version);
        UpdateManifest manifest;
        for (const auto& [path, bytes] : version) manifest.files.push_back({path, bytes.size(), sha256Of(bytes)});
        manifest.removed = removed;
        EXPECT_TRUE(writeFileBytes(folder + L"vornicw-update.manifest", manifestText(manifest)));
    }

    Hashes hashes() const {
        Hashes all;
        hashFolder(app(), L"", all);
        return all;
    }

    ChildProcess start(const WText& arguments, const std::vector<WText>& more = {}) const {
        std::vector<WText> environment = {L"APPDATA=" + root() + L"appdata", L"VORNIC_STANDIN_RECORD=" + root() + L"record.txt",
                                          L"VORNIC_STANDIN_SCRIPT=" + app() + L"script.txt",
                                          L"VORNIC_TRACE=" + root() + L"trace.txt"};
        environment.insert(environment.end(), more.begin(), more.end());
        return ChildProcess::start(exe(), L"\"" + exe() + L"\" " + arguments, root(), environment);
    }

    // Starts the launcher and waits for it and every process it hands on to; its own exit code.
    DWORD runChain(const WText& arguments, const std::vector<WText>& more = {}) const {
        ChildProcess first = start(arguments, more);
        DWORD code = 0;
        EXPECT_TRUE(first.waitForExit(kChainTimeout, code));
        WaitingFor marker(L"the processes started after " + exe());
        EXPECT_TRUE(waitUntil([&] { return noProcessRunsFrom(exe()); }, kChainTimeout, 50));
        return code;
    }

private:
    static void writeInto(const WText& folder, const Version& version) {
        for (const auto& [path, bytes] : version) {
            const WText file = folder + path;
            EXPECT_TRUE(makeFolders(file.substr(0, file.rfind(L'\\') + 1)));
            EXPECT_TRUE(writeFileBytes(file, bytes));
        }
    }

    static inline const WText kStandin = WIDE_STANDIN_RUNTIME;
    TempFolder folder_;
};

const std::string kCallWithArguments = "call: main\narg: a\narg: b c\n";

TEST(Update, VersionOneStagesVersionTwoWhichRunsWholeInANewProcessWithTheSameArguments) {
    for (const bool launcherReplaced : {false, true}) {
        SCOPED_TRACE(launcherReplaced ? "the launcher replaced" : "the launcher kept");
        UpdateScenario s;
        Version one = s.version("main: stage-and-exit " + utf8Of(s.stageFolder()) + " 42\n", "PK one");
        one[L"old.txt"] = "only in version one";
        s.install(one);
        Version two = s.version("main: exit 5\n", "PK two");
        two[L"lib\\extra.jar"] = "PK extra";
        if (launcherReplaced) two[kExeName] = s.launcher(L"Cmd=from-two\r\n");
        s.stage(two, s.stageFolder(), {L"old.txt"});
        const BoxAnswerer boxes(s.app());

        EXPECT_EQ(s.runChain(L"a \"b c\""), 42u);
        const std::string record = s.record();
        EXPECT_EQ(countOf(record, kCallWithArguments), 2u) << record;
        EXPECT_TRUE(contains(record, "stage: " + utf8Of(s.app()) + "update\n")) << record;
        EXPECT_TRUE(contains(record, "exit: 42\n")) << record;
        EXPECT_TRUE(contains(record, "exit: 5\n")) << record;
        EXPECT_EQ(contains(record, "arg: from-two\n"), launcherReplaced) << record;
        EXPECT_TRUE(contains(record, "option: -Dvornicw.launcher=" + utf8Of(s.exe()) + "\n")) << record;
        EXPECT_EQ(s.hashes(), hashesOf(two));
        EXPECT_TRUE(isFolder(s.app() + L"update\\vornicw-update.backup")) << s.trace();

        // Version two reached main: the next start removes version one's backup and the folder.
        EXPECT_EQ(s.runChain(L""), 5u);
        EXPECT_FALSE(isFolder(s.app() + L"update")) << s.trace();
        EXPECT_EQ(s.hashes(), hashesOf(two));
        EXPECT_TRUE(boxes.texts().empty());
    }
}

// Each start is stopped after one more step than the last (also in the processes it hands on to);
// the start after it must leave one whole version, for a version that runs and one that is undone.
TEST(Update, AnApplyOrUndoCutShortAtAnyStepEndsWholeAtTheNextStart) {
    for (const bool good : {true, false}) {
        int steps = 0;
        for (int stop = 1; stop < 80; ++stop) {
            SCOPED_TRACE((good ? "a good version, stopped after step " : "a failing version, stopped after step ") +
                         std::to_string(stop));
            UpdateScenario s;
            const Version one = s.version("main: exit 0\n", "PK one");
            s.install(one);
            Version two = s.version(good ? "main: exit 5\n" : "class: app/Other\n", "PK two");
            two[L"lib\\extra.jar"] = "PK extra";
            // The same launcher: moving a running launcher leaves its path empty between two renames.
            two[kExeName] = one.at(kExeName);
            s.stage(two, s.app() + L"update\\");
            const BoxAnswerer boxes(s.app());
            s.runChain(L"", {L"VORNIC_UPDATE_STOP_AFTER=" + std::to_wstring(stop)});
            const bool stopped = contains(s.trace(), "stopped here");
            s.runChain(L"");
            // A trial cut short before main is undone too: a good version may end as version one.
            const Hashes now = s.hashes();
            const bool isOne = now == hashesOf(one);
            EXPECT_TRUE(isOne || (good && now == hashesOf(two))) << s.trace();
            // Nothing half done is left: at most the note that version two reached main.
            const std::string journal = readText(s.app() + L"update\\vornicw-update.journal");
            EXPECT_TRUE(journal.empty() || contains(journal, "\nstate reached\n")) << journal << s.trace();
            EXPECT_EQ(boxes.texts().size(), isOne ? 1u : 0u) << s.trace();
            if (!stopped) break;
            steps = stop;
        }
        EXPECT_GT(steps, 8) << "the apply has fewer steps than its files";
        EXPECT_LT(steps, 79);
    }
}

TEST(Update, AVersionThatCannotReachMainIsUndoneAndTheUserToldOnce) {
    struct Case {
        const char* name;
        std::string script;
        bool runtimeThere;
        Text mainClass;  // in a replaced launcher; empty: the launcher is kept
        const char* traced;
    };
    const Case cases[] = {
        {"main class missing", "class: app/Other\n", true, L"", "update trial: [215] no class app/Main"},
        {"runtime missing", "main: exit 5\n", false, L"", "update trial: no runtime fits the new version"},
        {"launcher replaced, its main class missing", "class: app/Main\nmain: exit 5\n", true, L"app.Gone",
         "update trial: [215] no class app/Gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateScenario s;
        const Version one = s.version("main: stage-and-exit " + utf8Of(s.stageFolder()) + " 42\n", "PK one");
        s.install(one);
        Version two = s.version(c.script, "PK two", c.runtimeThere);
        if (!c.mainClass.empty()) two[kExeName] = s.launcher(Text(), c.mainClass);
        s.stage(two, s.stageFolder());
        const BoxAnswerer boxes(s.app());

        EXPECT_EQ(s.runChain(L"a \"b c\""), 42u);
        EXPECT_EQ(s.hashes(), hashesOf(one)) << s.trace();
        // Version one ran twice: it staged, and it ran again after the undo, with nothing to stage.
        EXPECT_EQ(countOf(s.record(), kCallWithArguments), 2u) << s.record();
        EXPECT_TRUE(contains(s.record(), "stage: nothing to stage\n")) << s.record();
        const WText kept = s.app() + L"update\\vornicw-update.trace.txt";
        const std::vector<WText> texts = boxes.texts();
        ASSERT_EQ(texts.size(), 1u) << s.trace();
        EXPECT_EQ(texts[0], L"[238] " + kept);
        EXPECT_TRUE(contains(readText(kept), c.traced)) << readText(kept);
        // Told once: the next start says nothing.
        EXPECT_EQ(s.runChain(L""), 0u);
        EXPECT_EQ(boxes.texts().size(), 1u);
    }
}

TEST(Update, BadStagesAreIgnoredAndRemovedAndVersionOneRuns) {
    struct Case {
        const char* name;
        const char* traced;
    };
    const Case cases[] = {{"no manifest", "have no manifest"},
                          {"wrong hash", "app.jar differs from the manifest"},
                          {"a .. path", "has a \".\" or \"..\" part"},
                          {"a junction", "is a link or junction"},
                          {"an unlisted file", "is staged but not listed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateScenario s;
        const Version one = s.version("main: exit 3\n", "PK one");
        s.install(one);
        const WText update = s.app() + L"update\\";
        const Version two = s.version("main: exit 5\n", "PK two");
        s.stage(two, update);
        const std::string name = c.name;
        if (name == "no manifest") DeleteFileW((update + L"vornicw-update.manifest").c_str());
        if (name == "wrong hash") writeFileBytes(update + L"app.jar", "PK tWo");
        if (name == "an unlisted file") {
            makeFolders(update + L"lib\\");
            writeFileBytes(update + L"lib\\stray.dll", "MZ");
        }
        if (name == "a .. path") {
            std::string manifest = readText(update + L"vornicw-update.manifest");
            manifest += "file " + sha256Of("x") + " 1 lib\\..\\..\\outside.txt\n";
            writeFileBytes(update + L"vornicw-update.manifest", manifest);
        }
        if (name == "a junction") {
            const WText target = s.root() + L"elsewhere\\";
            makeFolders(target);
            writeFileBytes(target + L"keep.txt", "not the update's");
            if (!makeJunction(update + L"lib", target)) {
                // Wine 8 refuses FSCTL_SET_REPARSE_POINT (error 50): the case runs on Windows only.
                std::cout << "[ SKIPPED  ] a junction: this system makes none (error " << GetLastError() << ")\n";
                continue;
            }
        }
        EXPECT_EQ(s.runChain(L""), 3u) << s.trace();
        EXPECT_EQ(s.hashes(), hashesOf(one));
        EXPECT_TRUE(contains(s.trace(), c.traced)) << s.trace();
        EXPECT_FALSE(isFile(update + L"app.jar")) << s.trace();
        EXPECT_FALSE(isFile(update + L"vornicw-update.manifest")) << s.trace();
        if (name == "a junction") {
            EXPECT_EQ(readText(s.root() + L"elsewhere\\keep.txt"), "not the update's");
        }
    }
}

TEST(Restart, AnApplicationThatAlwaysAsksStopsAfterAFewRestartsWithItsMessage) {
    UpdateScenario s;
    s.install(s.version("main: exit 42\n", "PK one"));
    const BoxAnswerer boxes(s.app());
    EXPECT_EQ(s.runChain(L"a \"b c\""), 42u);
    // The first start and three restarts, each with the same arguments; then the message.
    EXPECT_EQ(countOf(s.record(), kCallWithArguments), 4u) << s.record();
    WaitingFor marker(L"message 237");
    EXPECT_TRUE(waitUntil([&] { return !boxes.texts().empty(); }, scaledMilliseconds(kWindowWaitMilliseconds)));
    const std::vector<WText> texts = boxes.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], L"[237] 3 60");
    EXPECT_TRUE(contains(s.trace(), "restart refused")) << s.trace();
}

}  // namespace
