// Windows-side support for tests that start programs, watch the windows they show and answer them.
//
//   ChildProcess child = ChildProcess::start(exe, L"\"" + exe + L"\" a b");
//   WindowAnswerer answerer(child.id(), IDOK);          // reads and answers every box it shows
//   DWORD code = 0;
//   ASSERT_TRUE(child.waitForExit(10000, code));         // a hung program fails the test, then is ended
//   EXPECT_EQ(answerer.seen().size(), 1u);
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/unique_handle.h"
#include "waits.h"

using WText = std::wstring;

// A folder under the system's temporary folder, removed with everything in it at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends with a backslash.
    const WText& path() const { return path_; }

private:
    WText path_;
};

bool removeTree(const WText& folder);
bool writeFileBytes(const WText& path, const std::string& bytes);
bool readFileBytes(const WText& path, std::string& bytes);
// UTF-16LE with a byte-order mark, as the launcher's INI files are written.
bool writeUtf16File(const WText& path, const WText& text);

// What a packaged copy in `folder` (ending with a backslash) runs with: its own APPDATA, the stand-in
// runtime's record and script files there, then `more`.
std::vector<WText> standinEnvironment(const WText& folder, const std::vector<WText>& more = {});
// The full path of this test program and of a file beside it.
WText thisProgramPath();
WText besideThisProgram(const WText& name);

// `name` in the system folder, such as sc.exe or cmd.exe.
WText systemProgram(const wchar_t* name);
// A folder of the build tree, given relative to this program's folder, as a full path that keeps
// its closing backslash. The build names its folders this way (vornic_build_folder_definition).
WText buildTreePath(const WText& relative);
// Makes a folder and the folders above it.
bool makeFolders(const WText& path);

// How a child starts beyond its command line: the standard handles it gets (inheritable ones; all
// null: what the system gives it) and more creation flags, such as CREATE_NEW_CONSOLE.
struct StartOptions {
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    HANDLE error = nullptr;
    DWORD flags = 0;
};

class ChildProcess {
public:
    ChildProcess() = default;
    // A process still running when its owner goes (a test that failed before its wait) is ended.
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    // Starts `application` with exactly `commandLine` (its first token is the caller's choice).
    // `environment` is a list of "NAME=value" entries that replace or add to this process's own; a
    // bare "NAME" removes that variable.
    static ChildProcess start(const WText& application, const WText& commandLine, const WText& currentFolder = L"",
                              const std::vector<WText>& environment = {}, const StartOptions& options = {});

    bool started() const { return static_cast<bool>(process_); }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }

    // True with the whole 32-bit exit code when the process ended within the time; otherwise the
    // process is ended so that no test ever leaves it behind, and the result is false.
    bool waitForExit(DWORD milliseconds, DWORD& exitCode);
    // Ends the process if it still runs, and waits a bounded time for its end.
    void terminate();

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

struct SeenWindow {
    WText className;
    WText caption;
    WText text;  // a message box's message, or the window's own text
    DWORD shownAfter = 0;  // milliseconds from the answerer's start to the first sight of it
};

// The visible top-level windows of process `processId`.
std::vector<HWND> topLevelWindowsOf(DWORD processId);
WText windowTextOf(HWND window);
// A control's text, also in another process, where GetWindowText does not ask the control (an edit
// control keeps its text where only WM_GETTEXT reads it); bounded, should the window not answer.
WText controlTextOf(HWND control);
WText windowClassOf(HWND window);
// The message of a message box (its static control 0xFFFF); empty for other windows.
WText messageBoxText(HWND box);
// Presses the button `commandId` of a dialog or message box.
void pressButton(HWND dialog, int commandId);

// Selects `folder` (a drive-letter path) in a folder browser (the system's SHBrowseForFolder dialog)
// that another process shows, the way a user does: in its folder tree, find the drive, then open
// one folder after the other down to `folder` and select it. Item texts are read through memory
// placed in that process. OK is not pressed. False when a step finds nothing; `why` then says which.
bool selectInFolderBrowser(HWND browser, const WText& folder, std::string* why = nullptr);
// Waits until a folder browser of another process has filled its tree (it does so after it shows);
// false after `milliseconds`.
bool waitForFolderTree(HWND browser, DWORD milliseconds);

// Watches a process on a thread of its own and answers every visible top-level window it shows by
// pressing `answerId`, after noting what the window said. Stops at destruction.
class WindowAnswerer {
public:
    WindowAnswerer(DWORD processId, int answerId);
    ~WindowAnswerer();
    WindowAnswerer(const WindowAnswerer&) = delete;
    WindowAnswerer& operator=(const WindowAnswerer&) = delete;

    std::vector<SeenWindow> seen() const;

private:
    void watch();

    DWORD processId_;
    int answerId_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenWindow> seen_;
    std::vector<HWND> answered_;
    DWORD started_ = GetTickCount();  // before the thread that reads it
    std::thread thread_;
};

// True when no running process has the image file `path`.
bool noProcessRuns(const WText& path);
// As noProcessRuns, by the whole path (case aside) of each image this user can query, so that a
// program of the same name in another test's folder does not count.
bool noProcessRunsFrom(const WText& path);

// What a whole run of a program showed and how it ended.
struct Launch {
    bool finished = false;  // false: it hung and was ended
    DWORD exitCode = 0;
    DWORD milliseconds = 0;
    std::vector<SeenWindow> windows;
};

// Starts `application` with exactly `commandLine`, answers every window it shows with `answerId`,
// and waits up to `timeout` for its end.
Launch runAnswering(const WText& application, const WText& commandLine, int answerId, DWORD timeout,
                    const WText& currentFolder = L"", const std::vector<WText>& environment = {});

// A file's bytes, empty when it cannot be read (records and logs are read this way).
std::string readText(const WText& path);
bool contains(const std::string& text, const std::string& part);

// Writes dialog 231 (the exception dialog) from this test program's own resources into `exe`, as the
// packaging writes it.
bool copyExceptionTemplate(const WText& exe);
