// Libraries planted beside the program and in the current folder, with Wine told to prefer native
// ones: on every path through the launcher (settings, the runtime's machine check, the Java run,
// the exception dialog, a message box, the runtime selection dialog and its folder browser) none of
// them may run. Each plant records its path from
// DllMain; a careless bare-name load in the same set-up proves that the plant would be found.
#include <gtest/gtest.h>

#include <cstdio>

#include "resources/dialog_templates.h"
#include "packaged_copy.h"
#include "resources/string_table.h"

namespace {

// Every library that the launcher or the system loads by name on those paths after the entry point
// (Wine's +loaddll). The static imports (kernel32, user32, gdi32, advapi32, msvcrt) and what Wine's
// own user32 imports (version, imm32) are resolved by the system loader before the launcher's first
// instruction, so no code of the launcher can choose where they come from; they are not planted.
const wchar_t* const kLibraries[] = {
    L"dbghelp.dll",  L"rsaenh.dll", L"bcrypt.dll",  L"crypt32.dll", L"uxtheme.dll", L"msimg32.dll",
    L"combase.dll",  L"ole32.dll",  L"rpcrt4.dll",  L"comctl32.dll", L"winex11.drv", L"shell32.dll",
    L"shlwapi.dll",  L"shcore.dll", L"oleaut32.dll", L"actxprxy.dll",
};

const WText kProgram = L"hostile_planted.exe";
const WText kProbe = L"hostile_plant_probe.exe";

// Native libraries first for one program name, as Windows loads them. Wine takes the override for
// a started process from its registry, not from the environment the parent hands it.
class NativeFirst {
public:
    explicit NativeFirst(const WText& programName) : key_(L"Software\\Wine\\AppDefaults\\" + programName) {
        HKEY raw = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &raw, nullptr) != ERROR_SUCCESS) {
            return;
        }
        const UniqueKey overrides(raw);
        const wchar_t order[] = L"native,builtin";
        for (const wchar_t* library : kLibraries) {
            WText name = library;
            name.resize(name.rfind(L'.'));
            RegSetValueExW(overrides.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
        }
    }
    ~NativeFirst() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

private:
    WText key_;
};

// The paths the plants recorded (each writes its own path in UTF-16), one a line.
std::string plantsThatRan(const WText& record) {
    const std::string bytes = readText(record);
    return utf8Of(WText(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t)));
}

bool plantEverywhere(const std::vector<WText>& folders) {
    const WText planted = WText(WIDE_STANDIN_PLANTED) + L"dbghelp.dll";
    for (const WText& folder : folders) {
        for (const wchar_t* library : kLibraries) {
            if (!CopyFileW(planted.c_str(), (folder + library).c_str(), FALSE)) return false;
        }
    }
    return true;
}

// A scratch folder, a current folder to plant into, the plants' record file, and native libraries
// first for the packaged program.
class PlantedLibraries : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(makeFolders(current)); }

    const TempFolder base;
    const WText current = base.path() + L"current\\";
    const WText record = base.path() + L"planted.txt";
    const std::vector<WText> environment = {L"VORNIC_PLANTED_RECORD=" + record};
    const NativeFirst nativeFirst{kProgram};
};

TEST_F(PlantedLibraries, NoneRunsOnAnyPathThroughTheLauncher) {
    const NativeFirst probeNativeFirst(kProbe);

    struct Path {
        const char* what;
        Text packaged;
        std::string script;
        DWORD exitCode;
        const wchar_t* message;  // the start of the one message it shows, or none
    };
    const Path paths[] = {
        {"settings, machine check and a Java run",
         PackagedCopy::plainSettings(
             L"JRE Path=" + base.path() + L"app1\\" + (sizeof(void*) == 8 ? L"jre64" : L"jre") + L"\r\n",
             // A paired build makes the launcher read the runtime's machine from its headers.
             L"[Application]\r\nPair Product=" + base.path() + L"pair.exe\r\n"),
         "main: out hello\n", 0, nullptr},
        {"exception dialog", PackagedCopy::plainSettings(L"", L"[Application]\r\nFailure Check=Yes\r\n"),
         // The dialog is answered by going on; main's exception still ends the launch with 1.
         "main: throw java/lang/IllegalStateException planted\n", 1, nullptr},
        {"message box", L"[Class Path]\r\nClass Path=app.jar\r\n", "", 0xFFFFFFFF, L"[210]"},
    };
    int number = 0;
    for (const Path& path : paths) {
        const PackagedCopy copy(base.path() + L"app" + std::to_wstring(++number) + L"\\", kProgram, PackagedCopy::resourcesFor(path.packaged), path.script);
        ASSERT_TRUE(copy.ready()) << path.what;
        ASSERT_TRUE(copyExceptionTemplate(copy.exe())) << path.what;
        ASSERT_TRUE(plantEverywhere({copy.folder(), current})) << path.what;
        const Launch launch = copy.run(environment, current);
        ASSERT_TRUE(launch.finished) << path.what << ": " << describe(launch);
        EXPECT_EQ(launch.exitCode, path.exitCode) << path.what << ": " << describe(launch);
        if (path.message) {
            ASSERT_EQ(launch.windows.size(), 1u) << path.what << ": " << describe(launch);
            EXPECT_EQ(launch.windows[0].text.rfind(path.message, 0), 0u) << path.what << ": " << describe(launch);
        } else {
            EXPECT_TRUE(copy.mainRan()) << path.what << "\n" << copy.record();
        }
        if (std::string(path.what) == "exception dialog") {
            EXPECT_EQ(launch.windows.size(), 1u) << "the dialog was shown: " << describe(launch);
        }
        EXPECT_EQ(plantsThatRan(record), "") << path.what << ": planted libraries ran";
        DeleteFileW(record.c_str());
    }

    // The control: a bare-name load from the same folders runs each plant.
    const WText probe = base.path() + L"app1\\" + kProbe;
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"plant_probe.exe").c_str(), probe.c_str(), FALSE));
    std::printf("-- planted libraries (%s)\n", sizeof(void*) == 8 ? "x64" : "x86");
    for (const wchar_t* library : kLibraries) {
        DeleteFileW(record.c_str());
        ChildProcess careless = ChildProcess::start(probe, L"probe " + WText(library), current, environment);
        DWORD code = 0;
        ASSERT_TRUE(careless.waitForExit(20000 * VORNIC_TIME_FACTOR, code)) << utf8Of(library);
        const std::string loaded = plantsThatRan(record);
        std::printf("   %-16s %s\n", utf8Of(library).c_str(),
                    contains(loaded, "\\app1\\") ? "a careless load runs the plant"
                                                : "Wine never loads a plant of this name");
    }
    std::fflush(stdout);
}

// The top-level window of `processId` other than `except` that is (or is not) the runtime dialog.
HWND windowOf(DWORD processId, HWND except, bool runtimeDialog) {
    WaitingFor marker(runtimeDialog ? L"the runtime dialog" : L"the folder browser");
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND window : topLevelWindowsOf(processId)) {
                if (window != except && (GetDlgItem(window, 203) && GetDlgItem(window, 205)) == runtimeDialog)
                    found = window;
                if (found) return true;
            }
            return false;
        },
        scaledMilliseconds(kWindowWaitMilliseconds), 20);
    return found;
}

// No runtime anywhere: the launcher asks with its dialog (themed controls) and the user browses for
// a folder (the system's shell), then gives up. Needs a registry without Java runtimes.
TEST_F(PlantedLibraries, NoneRunsWhenTheUserIsAskedForARuntime) {
    PackagedResources resources = PackagedCopy::resourcesFor(PackagedCopy::plainSettings());
    resources.strings = defaultMessageTexts();
    resources.dialogs[201] =
        encodeDialog(runtimeSelectionDialog({PackagedCopy::kProductName, L"https://example.com/java"}));
    const PackagedCopy copy(base.path() + L"asks\\", kProgram, resources);
    ASSERT_TRUE(copy.ready());
    ASSERT_TRUE(removeTree(copy.folder() + (sizeof(void*) == 8 ? L"jre64" : L"jre")));
    ASSERT_TRUE(plantEverywhere({copy.folder(), current}));

    std::vector<WText> all = environment;
    all.push_back(L"APPDATA=" + copy.scratch() + L"appdata");
    ChildProcess child = ChildProcess::start(copy.exe(), L"\"" + copy.exe() + L"\"", current, all);
    ASSERT_TRUE(child.started());
    const HWND dialog = windowOf(child.id(), nullptr, true);
    std::string steps = dialog ? "dialog" : "no dialog";
    if (dialog) {
        pressButton(dialog, 202);
        if (const HWND browser = windowOf(child.id(), dialog, false)) {
            steps += ", folder browser";
            EXPECT_TRUE(waitForFolderTree(browser, scaledMilliseconds(kWindowWaitMilliseconds)));
            pressButton(browser, IDCANCEL);
        }
        pressButton(dialog, IDCANCEL);
    }
    DWORD code = 0;
    ASSERT_TRUE(child.waitForExit(30000 * VORNIC_TIME_FACTOR, code)) << steps;
    EXPECT_EQ(steps, "dialog, folder browser");
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_EQ(plantsThatRan(record), "") << "planted libraries ran";
}

}  // namespace
