// Packaged copies of the launcher: the settings come from the enciphered resources, deciphered with
// the "Upgrade Code" of the INI file beside the copy.
#include <gtest/gtest.h>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
const Text kUpgradeCode = L"{0D7E5F8A-1B2C-4D3E-9F40-A1B2C3D4E5F6}";
const Text kMissingMainClass = L"Packaged text 210: no main class.";

// A copy of the launcher with packaged settings `ini` and string 210, and `besideIni` next to it.
class PackagedCopy {
public:
    PackagedCopy(const Text& ini, const Text& besideIni) {
        exe_ = folder_.path() + L"demo.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe_.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second stage \x00E9", ini);
        resources.strings[210] = kMissingMainClass;
        EXPECT_TRUE(resources.writeInto(exe_));
        EXPECT_TRUE(writeUtf16File(folder_.path() + L"demo.ini", besideIni));
    }

    Launch run() const {
        return runAnswering(exe_, L"\"" + exe_ + L"\" -nosplash", IDCANCEL, kLaunchTimeout, folder_.path(),
                            {L"APPDATA=" + folder_.path() + L"appdata"});
    }

private:
    TempFolder folder_;
    WText exe_;
};

bool showedMissingMainClass(const Launch& launch) {
    for (const SeenWindow& window : launch.windows) {
        if (window.text == kMissingMainClass) return true;
    }
    return false;
}

const Text kProductInformation = L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n";

TEST(SettingsProcess, PackagedSettingsWithoutMainClassShowMessage210AndEndWithMinusOne) {
    const PackagedCopy copy(L"[Java Runtime Environment]\r\nMinimum Version=1.8\r\n[Application]\r\nCmd=x\r\n",
                            kProductInformation);
    const Launch result = copy.run();
    ASSERT_TRUE(result.finished) << "the launcher hung";
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
    ASSERT_EQ(result.windows.size(), 1u);
    EXPECT_EQ(result.windows[0].text, kMissingMainClass);
}

TEST(SettingsProcess, TheMainClassIsFoundOnlyWithTheRightUpgradeCode) {
    const Text packaged = L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n";
    {
        SCOPED_TRACE("right upgrade code");
        const PackagedCopy copy(packaged, kProductInformation);
        const Launch result = copy.run();
        ASSERT_TRUE(result.finished) << "the launcher hung";
        EXPECT_FALSE(showedMissingMainClass(result));
    }
    {
        SCOPED_TRACE("wrong upgrade code: the settings read as garbage");
        const PackagedCopy copy(packaged, L"[Product Information]\r\nUpgrade Code={wrong}\r\n");
        const Launch result = copy.run();
        ASSERT_TRUE(result.finished) << "the launcher hung";
        EXPECT_TRUE(showedMissingMainClass(result));
        EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
    }
    {
        SCOPED_TRACE("the INI beside the copy supplies the main class");
        const PackagedCopy copy(L"[Application]\r\n", L"[Java Runtime Environment]\r\nMain Class=a.Main\r\n");
        const Launch result = copy.run();
        ASSERT_TRUE(result.finished) << "the launcher hung";
        EXPECT_FALSE(showedMissingMainClass(result));
    }
}

}  // namespace

namespace {

// A copy named as a Windows device (CON, NUL, COM1, LPT1 ...) cannot read the INI beside it, which
// names the same device (under Wine even its own path reads as the bare device name): it says so
// instead of ending silently.
TEST(SettingsProcess, CopyNamedAsADeviceSaysItCannotReadItsSettings) {
    const TempFolder folder;
    for (const wchar_t* name : {L"CON", L"nul", L"COM1", L"Lpt1.app"}) {
        SCOPED_TRACE(utf8Of(name));
        // The long-path form names a file where the short one names the device.
        const WText exe = L"\\\\?\\" + folder.path() + name + L".exe";
        ASSERT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second", L"[Java Runtime Environment]\r\nMain Class=a.Main\r\n");
        resources.strings = {{202, L"[202] %s | %d"}, {208, L"[208] no path"}, {210, kMissingMainClass}};
        ASSERT_TRUE(resources.writeInto(exe));
        const Launch result = runAnswering(exe, L"\"" + exe + L"\" -nosplash", IDOK, kLaunchTimeout, folder.path(),
                                           {L"APPDATA=" + folder.path() + L"appdata"});
        EXPECT_TRUE(DeleteFileW(exe.c_str()));
        ASSERT_TRUE(result.finished) << "the launcher hung";
        EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
        ASSERT_EQ(result.windows.size(), 1u);
        EXPECT_EQ(result.windows[0].text, L"[202] [208] no path | 123");
    }
}

}  // namespace
