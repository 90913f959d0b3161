// Whole launches on a machine without any Java runtime: the launcher asks for one with the dialog
// its packaging added, starts the one the user points to in the system's folder browser, and
// remembers it for the next start.
#include <gtest/gtest.h>

#include "resources/dialog_templates.h"
#include "harness.h"
#include "package_resources.h"
#include "resources/string_table.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{6E2B9C41-0D57-4F83-A1C6-58B7E3F90D12}";
const Text kProductName = L"Runtime: Dialog";  // the ":" is left out of the per-user folder's name
const Text kProductCode = L"{93A5D7E1-4C28-4B06-9E3F-D1C07B2A8E64}";
const WText kStandin = WIDE_STANDIN_RUNTIME;

// A folder under Z:\tmp (the host's /tmp in a Wine prefix), removed with its content. A user's
// folder on drive C: would not do: Wine's folder browser fills drive C: only along the path to its
// first selection, so other folders there never appear in its tree.
class RootFolder {
public:
    RootFolder() {
        static int counter = 0;
        // On the prefix's own drive, whose top holds a handful of folders: the folder browser reads
        // every entry of each level it opens on the way down.
        path_ = L"C:\\vornic-runtimes-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) +
                L"\\";
        EXPECT_TRUE(makeFolders(path_));
    }
    ~RootFolder() { removeTree(path_); }
    RootFolder(const RootFolder&) = delete;
    RootFolder& operator=(const RootFolder&) = delete;
    const WText& path() const { return path_; }

private:
    WText path_;
};

// The stand-in runtime in `home` (ending with a backslash).
bool placeStandin(const WText& home) {
    return makeFolders(home + L"bin\\server") &&
           CopyFileW((kStandin + L"bin\\java.dll").c_str(), (home + L"bin\\java.dll").c_str(), FALSE) &&
           CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(), (home + L"bin\\server\\jvm.dll").c_str(), FALSE);
}

Text iniValue(const WText& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"", value, 1024, file.c_str());
    return value;
}

bool exists(const WText& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// How the user answers the dialog.
enum class Answer { Cancel, CloseBox, Pick };

struct DialogLaunch {
    bool finished = false;
    DWORD exitCode = 0;
    bool dialogShown = false;
    WText message;        // control 203
    WText shownPath;      // control 201 after the pick
    bool okEnabledAfterPick = false;
    int otherWindows = 0;  // windows that were neither the dialog nor the browser
    std::string trace;     // how far the pick went, for failure messages
    int awareness = -2;    // the dialog's DPI awareness (1: system), -1 where the system cannot say
};

// The DPI awareness a window of another process was made with, through calls resolved at run time
// (newer Windows only): 0 unaware, 1 system, 2 per-monitor, -1 where the system offers no query.
int dpiAwarenessOfWindow(HWND window) {
    using WindowContextFunction = HANDLE(WINAPI*)(HWND);
    using AwarenessFunction = int(WINAPI*)(HANDLE);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto contextOf = reinterpret_cast<WindowContextFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    const auto awarenessOf = reinterpret_cast<AwarenessFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (!contextOf || !awarenessOf) return -1;
    return awarenessOf(contextOf(window));
}

// The window of `child` other than `except` that is (or is not) the runtime dialog; null after the
// time or once the child has ended (a start that takes a remembered runtime shows nothing).
HWND findWindowOf(const ChildProcess& child, HWND except, bool wantRuntimeDialog, DWORD milliseconds) {
    WaitingFor marker(wantRuntimeDialog ? L"the runtime dialog" : L"the folder browser");
    const DWORD processId = child.id();
    HWND found = nullptr;
    waitUntil(
        [&] {
            if (WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0) return true;
            for (HWND window : topLevelWindowsOf(processId)) {
                if (window == except) continue;
                const bool isRuntimeDialog = GetDlgItem(window, 203) && GetDlgItem(window, 205);
                if (isRuntimeDialog == wantRuntimeDialog) found = window;
                if (found) return true;
            }
            return false;
        },
        milliseconds, 20);
    return found;
}

// A packaged copy "app.exe" with the packer's dialog 201 and texts, its own APPDATA, no runtime.
class PackagedCopy {
public:
    explicit PackagedCopy(const Text& runtimeSettings, const Text& applicationSettings = L"", bool withDialog = true) {
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe().c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + runtimeSettings +
                               L"[Class Path]\r\nClass Path=app.jar\r\n[Application]\r\n" + applicationSettings);
        resources.strings = defaultMessageTexts();
        if (withDialog) resources.dialogs[201] = encodeDialog(runtimeSelectionDialog({kProductName, L"https://example.com/java"}));
        EXPECT_TRUE(resources.writeInto(exe()));
        EXPECT_TRUE(writeUtf16File(folder() + L"app.ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                              L"\r\nProduct Name=" + kProductName +
                                                              L"\r\nProduct Code=" + kProductCode + L"\r\n"));
        EXPECT_TRUE(writeFileBytes(folder() + L"app.jar", "PK"));
        EXPECT_TRUE(makeFolders(appData()));  // as on every Windows account
    }

    const WText& folder() const { return folder_.path(); }
    WText exe() const { return folder() + L"app.exe"; }
    WText appData() const { return folder() + L"appdata"; }
    WText productFolder() const { return appData() + L"\\Runtime Dialog"; }
    WText userFolder() const { return productFolder() + L"\\" + kProductCode + L"\\"; }

    // Starts the copy; if it shows the runtime dialog, answers it as told.
    DialogLaunch run(Answer answer, const WText& pick = L"") const {
        DialogLaunch result;
        ChildProcess child = ChildProcess::start(
            exe(), L"\"" + exe() + L"\" -nosplash", folder(),
            {L"APPDATA=" + appData(), L"VORNIC_STANDIN_RECORD=", L"VORNIC_STANDIN_SCRIPT="});
        if (!child.started()) return result;
        if (HWND dialog = findWindowOf(child, nullptr, true, scaledMilliseconds(kWindowWaitMilliseconds))) {
            result.dialogShown = true;
            result.message = controlTextOf(GetDlgItem(dialog, 203));
            result.awareness = dpiAwarenessOfWindow(dialog);
            if (answer == Answer::Cancel) pressButton(dialog, IDCANCEL);
            if (answer == Answer::CloseBox) PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (answer == Answer::Pick) pickFolder(dialog, child, pick, result);
        }
        result.finished = child.waitForExit(kLaunchTimeout, result.exitCode);
        return result;
    }

private:
    static void pickFolder(HWND dialog, const ChildProcess& child, const WText& folder, DialogLaunch& result) {
        const DWORD processId = child.id();
        pressButton(dialog, 202);
        HWND browser = findWindowOf(child, dialog, false, scaledMilliseconds(kWindowWaitMilliseconds));
        if (!browser) {
            result.trace = "no folder browser";
            return;
        }
        if (!selectInFolderBrowser(browser, folder, &result.trace)) {
            // Give up the way a user would, so that the launch ends.
            pressButton(browser, IDCANCEL);
            waitUntil([browser] { return !IsWindow(browser); }, scaledMilliseconds(kWindowWaitMilliseconds));
            pressButton(dialog, IDCANCEL);
            return;
        }
        result.trace = "browser " + utf8Of(windowTextOf(browser)) + " took " + utf8Of(folder);
        pressButton(browser, IDOK);
        HWND ok = GetDlgItem(dialog, IDOK);
        waitUntil([ok] { return IsWindowEnabled(ok) != FALSE; }, scaledMilliseconds(20000), 20);
        result.okEnabledAfterPick = IsWindowEnabled(ok) != FALSE;
        result.shownPath = controlTextOf(GetDlgItem(dialog, 201));
        result.trace += "; the dialog shows " + utf8Of(result.shownPath);
        for (HWND window : topLevelWindowsOf(processId)) result.otherWindows += window != dialog;
        pressButton(dialog, result.okEnabledAfterPick ? IDOK : IDCANCEL);
    }

    TempFolder folder_;
};

const wchar_t kSection[] = L"Java Runtime Environment";

TEST(RuntimeDialogProcess, WithoutARuntimeTheDialogExplainsWhatIsNeededAndGivingUpWritesNothing) {
    struct Case {
        const char* what;
        Text settings;
        Answer answer;
        const wchar_t* expected;  // the texts of 206/207 with 217/219, as the packer writes them
    };
    const Case cases[] = {
        {"client or server, 1.8 or newer; Cancel", L"Minimum Version=1.8\r\n", Answer::Cancel,
         L"This application needs a Java runtime, of version 1.8 or newer, and none was found"},
        {"server only, any version; close box", L"JVM Type=server\r\nMinimum Version=any\r\nMaximum Version=any\r\n",
         Answer::CloseBox, L"This application needs a Java runtime with the server virtual machine, of any version,"},
    };
    for (const Case& c : cases) {
        const PackagedCopy copy(c.settings);
        const DialogLaunch launch = copy.run(c.answer);
        ASSERT_TRUE(launch.finished) << c.what;
        EXPECT_TRUE(launch.dialogShown) << c.what;
        EXPECT_EQ(launch.message.rfind(c.expected, 0), 0u) << c.what << ": " << utf8Of(launch.message);
        // The dialog's thread is system-aware, whatever the process's awareness becomes later.
        EXPECT_EQ(launch.awareness, 1) << c.what;
        EXPECT_EQ(launch.exitCode, kMinusOne) << c.what;
        EXPECT_FALSE(exists(copy.productFolder())) << c.what;
        EXPECT_EQ(iniValue(copy.folder() + L"app.ini", kSection, L"JRE Path"), L"") << c.what;
    }

    // A copy packaged without the dialog cannot ask: that counts as cancelled, and nothing shows.
    const PackagedCopy bare(L"", L"", false);
    const Launch launch = runAnswering(bare.exe(), L"\"" + bare.exe() + L"\"", IDCANCEL, kLaunchTimeout, bare.folder(),
                                       {L"APPDATA=" + bare.appData()});
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, kMinusOne);
    EXPECT_TRUE(launch.windows.empty());
    EXPECT_FALSE(exists(bare.productFolder()));
}

TEST(RuntimeDialogProcess, ThePickedRuntimeStartsAndIsRememberedWhereTheNextStartLooks) {
    struct Case {
        const char* what;
        bool service;
        bool pair;
    };
    const Case cases[] = {
        {"an application: the per-user file", false, false},
        {"a service: the file beside the executable", true, false},
        {"with a paired launcher: both per-user files", false, true},
        {"a service with a paired launcher: both files beside the executables", true, true},
    };
    for (const Case& c : cases) {
        const RootFolder runtimes;
        // A name outside the ANSI code page must survive the round trip through the file.
        const WText home = runtimes.path() + L"jre \x0416\x4E2D\\";
        ASSERT_TRUE(placeStandin(home)) << c.what;
        // The paired launcher is only named; it is never started, as the runtime has this width.
        const WText pairExe = runtimes.path() + L"pair.exe";
        Text application;
        if (c.service) application += L"Application Type=service\r\n";
        if (c.pair) application += L"Pair Product=" + pairExe + L"\r\n";
        const PackagedCopy copy(L"", application);
        const WText record = home + L"bin\\server\\standin-record.txt";

        const DialogLaunch first = copy.run(Answer::Pick, home.substr(0, home.size() - 1));
        ASSERT_TRUE(first.finished) << c.what << ": " << first.trace;
        ASSERT_TRUE(first.dialogShown) << c.what;
        EXPECT_TRUE(first.okEnabledAfterPick) << c.what << ": " << first.trace;
        EXPECT_EQ(utf8Of(first.shownPath), utf8Of(home.substr(0, home.size() - 1))) << c.what;
        EXPECT_EQ(first.otherWindows, 0) << c.what;
        EXPECT_EQ(first.exitCode, 0u) << c.what;
        EXPECT_TRUE(contains(readText(record), "call: main")) << c.what;
        DeleteFileW(record.c_str());

        const WText userFile = copy.userFolder() + L"app.ini";
        const WText besideFile = copy.folder() + L"app.ini";
        EXPECT_EQ(utf8Of(iniValue(c.service ? besideFile : userFile, kSection, L"JRE Path")), utf8Of(home)) << c.what;
        if (c.service) {
            EXPECT_FALSE(exists(userFile)) << c.what;
        } else {
            EXPECT_EQ(iniValue(besideFile, kSection, L"JRE Path"), L"") << c.what;
        }
        const WText pairFile = c.service ? runtimes.path() + L"pair.ini" : copy.userFolder() + L"pair.ini";
        EXPECT_EQ(utf8Of(iniValue(pairFile, kSection, L"JRE Path")), c.pair ? utf8Of(home) : "") << c.what;

        // The next start takes the remembered runtime without asking.
        const DialogLaunch second = copy.run(Answer::Cancel);
        ASSERT_TRUE(second.finished) << c.what;
        EXPECT_FALSE(second.dialogShown) << c.what;
        EXPECT_EQ(second.exitCode, 0u) << c.what;
        EXPECT_TRUE(contains(readText(record), "call: main")) << c.what;
    }
}

TEST(RuntimeDialogProcess, AChoiceThatCannotBeWrittenStillStartsAndIsAskedForAgain) {
    const RootFolder runtimes;
    const WText home = runtimes.path() + L"jre\\";
    ASSERT_TRUE(placeStandin(home));
    const PackagedCopy copy(L"");
    // A file where the per-user folder should be: neither the folders nor the file can be made.
    ASSERT_TRUE(writeFileBytes(copy.productFolder(), "in the way"));
    const WText record = home + L"bin\\server\\standin-record.txt";

    const DialogLaunch first = copy.run(Answer::Pick, home.substr(0, home.size() - 1));
    ASSERT_TRUE(first.finished) << first.trace;
    EXPECT_TRUE(first.okEnabledAfterPick) << first.trace;
    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_TRUE(contains(readText(record), "call: main"));
    EXPECT_FALSE(exists(copy.userFolder() + L"app.ini"));

    const DialogLaunch second = copy.run(Answer::Cancel);
    ASSERT_TRUE(second.finished);
    EXPECT_TRUE(second.dialogShown);
    EXPECT_EQ(second.exitCode, kMinusOne);
}

}  // namespace
