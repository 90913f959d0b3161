// The runtime selection dialog from the template the packer makes, driven by messages; the folder
// browser and the shell are replaced by functions that answer for the user.
#include <gtest/gtest.h>

#include <deque>
#include <mutex>

#include "resources/dialog_templates.h"
#include "harness.h"
#include "modal_dialog_thread.h"
#include "package_resources.h"
#include "runtime/runtime_selection_dialog.h"

namespace {

constexpr wchar_t kLinkTarget[] = L"https://example.com/get-java";

// A copy of an empty module that carries the packer's dialog 201.
class DialogModule {
public:
    DialogModule() {
        const WText file = folder_.path() + L"dialogs.dll";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"dialog_module.dll").c_str(), file.c_str(), FALSE));
        PackagedResources resources;
        resources.dialogs[201] = encodeDialog(runtimeSelectionDialog({L"Demo", kLinkTarget}));
        EXPECT_TRUE(resources.writeInto(file));
        module_.reset(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        EXPECT_TRUE(module_);
    }
    HINSTANCE get() const { return static_cast<HINSTANCE>(module_.get()); }

private:
    TempFolder folder_;
    UniqueModule module_;
};

// What the user does in the folder browser: each call takes the next answer (empty: cancelled).
struct Browser {
    std::mutex mutex;
    std::deque<Text> answers;
    Text title;
    HWND owner = nullptr;

    FolderBrowser function() {
        return [this](HWND ownerWindow, const Text& titleText, Text& folder) {
            std::lock_guard<std::mutex> lock(mutex);
            owner = ownerWindow;
            title = titleText;
            if (answers.empty()) return false;
            folder = answers.front();
            answers.pop_front();
            return !folder.empty();
        };
    }
};

// The runtime dialog on a thread of its own, found once it is visible; it records the links it opens.
class RunningDialog {
public:
    RunningDialog(HINSTANCE module, const Text& prompt, JvmType type, Browser& browser)
        : dialog_(prompt, type, browser.function(),
                  [this](const Text& target) {
                      opened_.push_back(target);
                      return true;
                  }),
          running_([this, module] { return dialog_.show(nullptr, module); }) {}

    HWND window() const { return running_.window(); }
    HWND item(int id) const { return GetDlgItem(window(), id); }
    const RuntimeDialog& dialog() const { return dialog_; }
    const std::vector<Text>& opened() const { return opened_; }
    bool done() const { return running_.done(); }

    void browse() { SendMessageW(window(), WM_COMMAND, MAKEWPARAM(RuntimeDialog::kBrowse, BN_CLICKED), 0); }
    INT_PTR finish() { return running_.finish(); }

private:
    RuntimeDialog dialog_;
    std::vector<Text> opened_;
    ModalDialogThread running_;  // last: the dialog and its record exist before the thread shows it
};

// A runtime home (ending with a backslash) holding the jvm.dll variants named.
WText makeRuntime(const TempFolder& root, const WText& name, std::initializer_list<const wchar_t*> variants) {
    const WText home = root.path() + name + L"\\";
    EXPECT_TRUE(makeFolders(home));
    for (const wchar_t* variant : variants) {
        EXPECT_TRUE(makeFolders(home + L"bin\\" + variant));
        EXPECT_TRUE(writeFileBytes(home + L"bin\\" + variant + L"\\jvm.dll", "x"));
    }
    return home;
}

JavaVersion version(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    JavaVersion v;
    v.set(a, b, c, d);
    return v;
}

TEST(RuntimeDialog, PromptQuotesTheVersionRangeInTheMessageOfTheJvmType) {
    const JavaVersion none = version(0, 0, 0, 0);
    const JavaVersion anyMaximum = version(65535, 65535, 65535, 65535);
    struct Case {
        JvmType type;
        JavaVersion minimum, maximum;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {JvmType::ClientFirst, none, anyMaximum, L"[207: <217 any>]"},
        {JvmType::ServerFirst, version(1, 8, 0, 0), anyMaximum, L"[207: <219 from 1.8>]"},
        {JvmType::ServerOnly, none, anyMaximum, L"[206 server: <217 any>]"},
        {JvmType::ServerOnly, version(1, 8, 0, 0), version(1, 8, 0, 0), L"[206 server: <220 exactly 1.8>]"},
    };
    const DialogModule module;
    for (const Case& c : cases) {
        const Text prompt = runtimeSelectionPrompt(c.type, c.minimum, c.maximum);
        EXPECT_EQ(prompt, c.expected);
        // The dialog shows it as it is given.
        Browser browser;
        RunningDialog dialog(module.get(), prompt, c.type, browser);
        ASSERT_TRUE(dialog.window());
        EXPECT_EQ(windowTextOf(dialog.item(RuntimeDialog::kMessage)), c.expected);
    }
}

TEST(RuntimeDialog, OkIsEnabledOnlyWhileThePickedFolderHoldsAFittingJvm) {
    const TempFolder root;
    const WText clientOnly = makeRuntime(root, L"client", {L"client"});
    const WText server = makeRuntime(root, L"server", {L"server"});
    const WText empty = makeRuntime(root, L"empty", {});
    const DialogModule module;
    Browser browser;
    RunningDialog running(module.get(), L"prompt", JvmType::ServerOnly, browser);
    HWND dialog = running.window();
    ASSERT_TRUE(dialog);
    HWND ok = running.item(IDOK);
    EXPECT_FALSE(IsWindowEnabled(ok));
    EXPECT_EQ(browser.owner, nullptr);

    struct Step {
        const char* what;
        Text answer;     // what the browser gives; empty: the user cancels it
        Text shown;      // control 201 afterwards
        Text home;
        Text library;
    };
    const Text serverLibrary = server + L"bin\\server\\jvm.dll";
    const Step steps[] = {
        {"only a client JVM for a server-only application", clientOnly.substr(0, clientOnly.size() - 1),
         clientOnly.substr(0, clientOnly.size() - 1), clientOnly, L""},
        {"a server JVM", server.substr(0, server.size() - 1), server.substr(0, server.size() - 1), server,
         serverLibrary},
        {"the browser cancelled: nothing changes", L"", server.substr(0, server.size() - 1), server, serverLibrary},
        {"then a folder without any JVM", empty, empty, empty, L""},
        {"a drive root keeps its one backslash", L"Z:\\", L"Z:\\", L"Z:\\", L""},
    };
    for (const Step& step : steps) {
        {
            std::lock_guard<std::mutex> lock(browser.mutex);
            browser.answers = {step.answer};
        }
        running.browse();
        EXPECT_EQ(windowTextOf(running.item(RuntimeDialog::kPath)), step.shown) << step.what;
        EXPECT_EQ(running.dialog().home(), step.home) << step.what;
        EXPECT_EQ(running.dialog().jvmLibraryPath(), step.library) << step.what;
        EXPECT_EQ(IsWindowEnabled(ok) != FALSE, !step.library.empty()) << step.what;
    }
    EXPECT_EQ(browser.owner, dialog);
    EXPECT_EQ(browser.title, L"[214 pick a runtime]");

    // OK while disabled (Enter, or a stray command) does not end the dialog.
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(running.done());
    {
        std::lock_guard<std::mutex> lock(browser.mutex);
        browser.answers = {server};  // given with its backslash: none is added
    }
    running.browse();
    EXPECT_EQ(running.dialog().home(), server);
    ASSERT_TRUE(IsWindowEnabled(ok));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(running.finish(), IDOK);
    EXPECT_EQ(running.dialog().jvmLibraryPath(), serverLibrary);
}

TEST(RuntimeDialog, CancelTheCloseBoxAndAMissingTemplateAllCountAsNoChoice) {
    const DialogModule module;
    struct Way {
        const char* what;
        UINT message;
        WPARAM wParam;
    };
    const Way ways[] = {
        {"Cancel", WM_COMMAND, IDCANCEL},
        {"close box", WM_SYSCOMMAND, SC_CLOSE},
        {"WM_CLOSE", WM_CLOSE, 0},
    };
    for (const Way& way : ways) {
        Browser browser;
        RunningDialog running(module.get(), L"prompt", JvmType::ClientFirst, browser);
        ASSERT_TRUE(running.window()) << way.what;
        PostMessageW(running.window(), way.message, way.wParam, 0);
        EXPECT_EQ(running.finish(), IDCANCEL) << way.what;
    }
    RuntimeDialog missing(L"prompt", JvmType::ClientFirst);
    EXPECT_NE(missing.show(nullptr, GetModuleHandleW(L"kernel32.dll")), IDOK);
}

TEST(RuntimeDialog, IsCentredAndItsLinkOpensTheTemplatesTarget) {
    const DialogModule module;
    Browser browser;
    RunningDialog running(module.get(), L"prompt", JvmType::ClientFirst, browser);
    HWND dialog = running.window();
    ASSERT_TRUE(dialog);

    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &info);
    RECT rect{};
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.left, (info.rcWork.left + info.rcWork.right) / 2 - (rect.right - rect.left) / 2);
    EXPECT_EQ(rect.top, (info.rcWork.top + info.rcWork.bottom) / 2 - (rect.bottom - rect.top) / 2);

    // Browse has the focus: OK cannot be used yet. The focus comes with the activation, which may
    // follow the showing by a moment on a loaded machine.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    const auto focused = [&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus;
    };
    EXPECT_TRUE(waitUntil(focused, scaledMilliseconds(10000)));
    EXPECT_EQ(thread.hwndFocus, running.item(RuntimeDialog::kBrowse));

    HWND link = running.item(RuntimeDialog::kLink);
    EXPECT_EQ(SendMessageW(link, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
    SendMessageW(link, WM_CHAR, L' ', 0);
    ASSERT_EQ(running.opened().size(), 1u);
    EXPECT_EQ(running.opened()[0], kLinkTarget);
}

}  // namespace
