// The launcher speaks the user's UI language: a copy packaged with German and Japanese beside
// English shows its runtime dialog and its message boxes in the language Wine gives the process,
// and in English for French, which the copy leaves out. Wine takes the language from the locale of
// the Unix environment the test program was started in (a child gets its parent's, whatever its
// Windows environment says), so CTest runs this program once per locale, naming in
// VORNIC_SHOWN_LANGUAGE the language whose texts should show.
#include <gtest/gtest.h>

#include "harness.h"
#include "texts/language_texts.h"
#include "package/packager.h"
#include "resources/string_table.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
const Text kProductName = L"Words";

// "app.exe" in `folder`, packaged by the packer with English, German and Japanese.
bool packageCopy(const WText& folder, const Text& runtimeSettings) {
    std::string stub;
    if (!readFileBytes(besideThisProgram(L"vornicw.exe"), stub)) return false;
    PackageInputs in;
    in.stub.assign(stub.begin(), stub.end());
    in.settingsText = L"[Product Information]\r\nProduct Name=" + kProductName +
                      L"\r\nUpgrade Code={5A1C7E22-93B4-4D0F-8E61-2C9F04B7A3D5}\r\n[Java Runtime Environment]\r\n"
                      L"Main Class=app.Main\r\nMinimum Version=1.8\r\n" + runtimeSettings;
    in.languages = {"de", "ja"};
    in.outputFileName = L"app.exe";
    PackageOutput out;
    std::string error;
    if (!buildPackage(in, out, error)) {
        ADD_FAILURE() << error;
        return false;
    }
    return writeFileBytes(folder + L"app.exe", std::string(out.executable.begin(), out.executable.end())) &&
           writeFileBytes(folder + L"app.ini", std::string(out.besideIni.begin(), out.besideIni.end())) &&
           writeFileBytes(folder + L"app.jar", "PK");
}

struct Shown {
    bool seen = false;
    WText caption, firstLabel, message, browse;
};

// Starts the copy and reads the first window it shows (the runtime dialog or a message
// box), then answers it with Cancel (OK for a message box).
Shown firstWindow(const WText& exe, const WText& folder) {
    Shown shown;
    ChildProcess child = ChildProcess::start(exe, L"\"" + exe + L"\" -nosplash", folder,
                                             {L"APPDATA=" + folder,
                                              L"VORNIC_STANDIN_RECORD=", L"VORNIC_STANDIN_SCRIPT="});
    if (!child.started()) return shown;
    HWND window = nullptr;
    {
        WaitingFor marker(L"the launcher's first window");
        waitUntil(
            [&] {
                if (WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0) return true;
                for (HWND each : topLevelWindowsOf(child.id()))
                    if (windowClassOf(each) == L"#32770") window = each;
                return window != nullptr;
            },
            scaledMilliseconds(kWindowWaitMilliseconds), 20);
    }
    if (window) {
        shown.seen = true;
        shown.caption = windowTextOf(window);
        shown.firstLabel = messageBoxText(window);  // a box's message
        if (HWND browse = GetDlgItem(window, kRuntimeDialogBrowse)) shown.browse = controlTextOf(browse);
        if (HWND message = GetDlgItem(window, kRuntimeDialogMessage)) shown.message = controlTextOf(message);
        pressButton(window, GetDlgItem(window, IDCANCEL) ? IDCANCEL : IDOK);
    }
    DWORD exitCode = 0;
    EXPECT_TRUE(child.waitForExit(kLaunchTimeout, exitCode));
    return shown;
}

Text without(const wchar_t* text, wchar_t drop) {
    Text out;
    for (const wchar_t* at = text; *at; ++at)
        if (*at != drop) out += *at;
    return out;
}

TEST(LanguageProcess, DialogAndMessageBoxFollowTheUiLanguageAndFallBackToEnglish) {
    const TempFolder noRuntime, badRuntime;
    ASSERT_TRUE(packageCopy(noRuntime.path(), L""));
    // A runtime folder whose jvm.dll is no library: the launcher says so in a message box.
    const WText badJvm = badRuntime.path() + L"jre\\bin\\server\\jvm.dll";
    ASSERT_TRUE(makeFolders(badRuntime.path() + L"jre\\bin\\server"));
    ASSERT_TRUE(writeFileBytes(badJvm, "this is no library"));
    ASSERT_TRUE(writeFileBytes(badRuntime.path() + L"jre\\bin\\java.dll", "nor is this"));
    ASSERT_TRUE(packageCopy(badRuntime.path(), L"JRE Path=" + badRuntime.path() + L"jre\r\n"));

    wchar_t shownLanguage[16] = {};
    GetEnvironmentVariableW(L"VORNIC_SHOWN_LANGUAGE", shownLanguage, 16);
    const LanguageTexts* shown = findLanguage(utf8Of(shownLanguage));
    ASSERT_TRUE(shown) << "VORNIC_SHOWN_LANGUAGE names no language: \"" << utf8Of(shownLanguage) << "\"";
    {
        const LanguageTexts& texts = *shown;
        const std::map<unsigned, Text> messages = defaultMessageTexts(texts);

        const Shown dialog = firstWindow(noRuntime.path() + L"app.exe", noRuntime.path());
        ASSERT_TRUE(dialog.seen);
        EXPECT_EQ(dialog.caption, kProductName + L" - " + texts.dialog.runtimeTitle);
        EXPECT_EQ(dialog.browse, texts.dialog.browse);
        // Message 207 around the requirement 219, both from the language's table.
        Text requirement = messages.at(219);
        requirement.replace(requirement.find(L"%s"), 2, L"1.8");
        Text prompt = messages.at(207);
        prompt.replace(prompt.find(L"%s"), 2, requirement);
        EXPECT_EQ(without(dialog.message.c_str(), L'\r'), prompt);

        const Shown box = firstWindow(badRuntime.path() + L"app.exe", badRuntime.path());
        ASSERT_TRUE(box.seen);
        Text expected = messages.at(222);
        expected.replace(expected.find(L"%s"), 2, badJvm);
        EXPECT_EQ(box.firstLabel.substr(0, expected.find(L"%d")), expected.substr(0, expected.find(L"%d")));
    }
}

}  // namespace
