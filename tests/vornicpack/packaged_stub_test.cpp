// The real stub packaged by the real vornicpack.exe, checked through the system's own loaders.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "harness.h"
#include "settings/packaged_settings.h"
#include "settings/settings_cipher.h"

namespace {

const WText kProductName = L"D\u00e9mo \u4e2d\u6587 App";
const WText kCmd = L"--user=Zo\u00eb \u4e2d\u6587 \"quoted\"";

std::string utf8(const WText& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The settings as the user writes them: UTF-8 with LF line ends.
std::string settingsFile() {
    return utf8(L"[Product Information]\nProduct Name=" + kProductName +
                L"\nProduct Code={5D1C6E5A-0000-4000-8000-000000000001}\n\n[Java Runtime Environment]\n"
                L"Main Class=com.example.Main\nMinimum Version=1.8\n\n[Application]\nCmd=" +
                kCmd + L"\n\n[Display]\nSplash Screen=splash.png\n");
}

// One 16x16, 32-bit image whose contents do not matter to the loader's resource look-up.
std::string iconFile() {
    std::string ico = {0, 0, 1, 0, 1, 0};
    const unsigned size = 40 + 16 * 16 * 4 + 16 * 4;
    const unsigned char entry[16] = {16, 16, 0, 0, 1, 0, 32, 0, static_cast<unsigned char>(size & 0xFF),
                                     static_cast<unsigned char>(size >> 8), 0, 0, 22, 0, 0, 0};
    ico.append(reinterpret_cast<const char*>(entry), 16);
    std::string image(size, '\0');
    const unsigned char header[16] = {40, 0, 0, 0, 16, 0, 0, 0, 32, 0, 0, 0, 1, 0, 32, 0};
    image.replace(0, 16, reinterpret_cast<const char*>(header), 16);
    for (unsigned i = 40; i < 40 + 16 * 16 * 4; i += 4) image[i + 2] = static_cast<char>(0xC0), image[i + 3] = static_cast<char>(0xFF);
    return ico + image;
}

struct Packaged {
    DWORD exitCode = 0;
    bool ran = false;
};

Packaged runPacker(const WText& arguments, const WText& folder) {
    const WText packer = besideThisProgram(L"vornicpack.exe");
    ChildProcess child = ChildProcess::start(packer, L"\"" + packer + L"\" " + arguments, folder);
    Packaged result;
    result.ran = child.started() && child.waitForExit(60000, result.exitCode);
    return result;
}

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

using IdsByType = std::map<WORD, std::vector<WORD>>;

BOOL CALLBACK addName(HMODULE, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    if (IS_INTRESOURCE(name))
        (*reinterpret_cast<IdsByType*>(context))[LOWORD(reinterpret_cast<ULONG_PTR>(type))].push_back(
            LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK addType(HMODULE module, LPWSTR type, LONG_PTR context) {
    if (IS_INTRESOURCE(type)) EnumResourceNamesW(module, type, addName, context);
    return TRUE;
}

// Integer types and names, as the system enumerates them.
IdsByType enumerateIds(HMODULE module) {
    IdsByType found;
    EnumResourceTypesW(module, addType, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

class PackagedStub : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeFileBytes(folder_.path() + L"app.ini", settingsFile()));
        ASSERT_TRUE(writeFileBytes(folder_.path() + L"texts.ini",
                                   utf8(L"[Strings]\n207=Installez Java (%s), s'il vous pla\u00eet.\\nMerci.\n")));
        ASSERT_TRUE(writeFileBytes(folder_.path() + L"app.ico", iconFile()));
        const Packaged packaged = runPacker(L"--stub \"" + besideThisProgram(L"stub.exe") +
                                                L"\" --settings app.ini --strings texts.ini --icon app.ico "
                                                L"--version 2.3.4.5 --out Demo.exe",
                                            folder_.path());
        ASSERT_TRUE(packaged.ran);
        ASSERT_EQ(packaged.exitCode, 0u);
        exe_ = folder_.path() + L"Demo.exe";
    }

    TempFolder folder_;
    WText exe_;
};

TEST_F(PackagedStub, StartsAsAProcess) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    WText line = L"\"" + exe_ + L"\"";
    // Suspended: the loader has mapped and checked the image; what the launcher does next is not this test's matter.
    ASSERT_TRUE(CreateProcessW(exe_.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               folder_.path().c_str(), &startup, &info))
        << GetLastError();
    UniqueHandle process(info.hProcess), thread(info.hThread);
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
}

TEST_F(PackagedStub, EveryResourceIsFoundByTheSystem) {
    UniqueModule module(LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module) << GetLastError();
    const HMODULE m = module.get();
    const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    for (int id : {8000, 9000}) EXPECT_TRUE(FindResourceExW(m, RT_RCDATA, MAKEINTRESOURCEW(id), neutral)) << id;
    for (int id : {201, 231}) EXPECT_TRUE(FindResourceW(m, MAKEINTRESOURCEW(id), RT_DIALOG)) << id;
    EXPECT_TRUE(FindResourceW(m, MAKEINTRESOURCEW(1), RT_MANIFEST));
    EXPECT_TRUE(FindResourceW(m, MAKEINTRESOURCEW(1), RT_GROUP_ICON));
    EXPECT_TRUE(FindResourceW(m, MAKEINTRESOURCEW(1), RT_VERSION));

    for (UINT id : {202u, 203u, 206u, 208u, 209u, 210u, 211u, 212u, 213u, 214u, 215u, 216u, 217u, 218u, 219u, 220u,
                    221u, 222u, 225u, 226u, 227u, 228u, 229u, 230u, 232u, 233u, 234u}) {
        const wchar_t* text = nullptr;
        EXPECT_GT(LoadStringW(m, id, reinterpret_cast<LPWSTR>(&text), 0), 0) << id;
    }
    const wchar_t* replaced = nullptr;
    const int length = LoadStringW(m, 207, reinterpret_cast<LPWSTR>(&replaced), 0);
    ASSERT_GT(length, 0);
    EXPECT_EQ(WText(replaced, static_cast<size_t>(length)), L"Installez Java (%s), s'il vous pla\u00eet.\nMerci.");

    // Shared: the system keeps the icon, nothing to free.
    EXPECT_TRUE(LoadImageW(m, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_SHARED)) << GetLastError();
}

TEST_F(PackagedStub, DialogsHaveEveryControlTheLauncherUses) {
    UniqueModule module(LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    const struct {
        int dialog;
        std::vector<int> controls;
    } cases[] = {{201, {201, 202, 203, 205, IDOK, IDCANCEL}}, {231, {208, 209, 210, 211, 212, IDOK, IDCANCEL}}};
    for (const auto& c : cases) {
        UniqueWindow window(CreateDialogParamW(module.get(), MAKEINTRESOURCEW(c.dialog), nullptr, quietDialog, 0));
        ASSERT_TRUE(window) << c.dialog << " " << GetLastError();
        HWND dialog = window.get();
        for (int id : c.controls) EXPECT_TRUE(GetDlgItem(dialog, id)) << c.dialog << "/" << id;
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        if (c.dialog == 231) {
            EXPECT_TRUE(style & WS_THICKFRAME);
            const LONG edit = GetWindowLongW(GetDlgItem(dialog, 208), GWL_STYLE);
            EXPECT_TRUE(edit & ES_MULTILINE);
            EXPECT_TRUE(edit & ES_READONLY);
            EXPECT_EQ(windowClassOf(GetDlgItem(dialog, 208)), L"Edit");
        } else {
            EXPECT_EQ(windowTextOf(GetDlgItem(dialog, 205)), L"https://adoptium.net/");
        }
    }
}

TEST_F(PackagedStub, TheLauncherDeciphersTheExactSettings) {
    wchar_t code[100] = {};
    const WText ini = folder_.path() + L"Demo.ini";
    GetPrivateProfileStringW(L"Product Information", L"Upgrade Code", L"", code, 100, ini.c_str());
    ASSERT_EQ(wcslen(code), 38u);
    UniqueModule module(LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    const Text settings = loadPackagedSettings(code, module.get());
    EXPECT_EQ(settings, L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\nMinimum Version=1.8\r\n\r\n"
                        L"[Application]\r\nCmd=" + kCmd + L"\r\n");
    // Another Upgrade Code gives something else.
    EXPECT_NE(loadPackagedSettings(L"{00000000-0000-0000-0000-000000000000}", module.get()), settings);
}

TEST_F(PackagedStub, TheIniBesideReadsBackThroughTheProfileFunctions) {
    const WText ini = folder_.path() + L"Demo.ini";
    wchar_t value[200] = {};
    GetPrivateProfileStringW(L"Product Information", L"Product Name", L"", value, 200, ini.c_str());
    EXPECT_EQ(WText(value), kProductName);
    GetPrivateProfileStringW(L"Display", L"Splash Screen", L"", value, 200, ini.c_str());
    EXPECT_EQ(WText(value), L"splash.png");
    GetPrivateProfileStringW(L"Java Runtime Environment", L"Main Class", L"", value, 200, ini.c_str());
    EXPECT_EQ(WText(value), L"") << "packaged settings must not be in the INI beside";
}

TEST_F(PackagedStub, VersionInformationNamesTheApplication) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe_.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe_.c_str(), 0, size, data.data()));
    wchar_t* name = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductName", reinterpret_cast<void**>(&name), &length));
    EXPECT_EQ(WText(name), kProductName);
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020003u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00040005u);
}

TEST_F(PackagedStub, PackagingTheCopyAgainGivesOneSet) {
    UniqueModule first(LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(first);
    const auto before = enumerateIds(first.get());
    first.reset();
    // Over the same name: the output replaces the file it was read from.
    const Packaged again = runPacker(L"--stub Demo.exe --settings app.ini --out Demo.exe", folder_.path());
    ASSERT_TRUE(again.ran);
    ASSERT_EQ(again.exitCode, 0u);
    UniqueModule second(LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(second);
    auto after = enumerateIds(second.get());
    EXPECT_EQ(after.count(3), 0u) << "no --icon this time: the old icon is gone";
    EXPECT_EQ(after[6], before.at(6));
    EXPECT_EQ(after[5], (std::vector<WORD>{201, 231}));
    EXPECT_EQ(after[10], (std::vector<WORD>{8000, 9000}));
    EXPECT_EQ(after[24], (std::vector<WORD>{1}));
    // No temporary file is left beside it.
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW((folder_.path() + L"*.tmp").c_str(), &found));
    EXPECT_FALSE(search);
}

TEST_F(PackagedStub, FailuresLeaveNothingBehind) {
    const struct {
        WText arguments;
    } cases[] = {
        {L"--stub missing.exe --settings app.ini --out Bad.exe"},
        {L"--stub app.ini --settings app.ini --out Bad.exe"},
        {L"--stub Demo.exe --settings missing.ini --out Bad.exe"},
        {L"--stub Demo.exe --settings app.ini --out no\\such\\folder\\Bad.exe"},
    };
    for (const auto& c : cases) {
        const Packaged result = runPacker(c.arguments, folder_.path());
        ASSERT_TRUE(result.ran);
        EXPECT_EQ(result.exitCode, 1u) << utf8(c.arguments);
        EXPECT_EQ(GetFileAttributesW((folder_.path() + L"Bad.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
