// Installs a packaged launcher under a path over MAX_PATH, for long_path_launch.sh:
//
//   long_path_install FOLDER      (FOLDER a Windows path; prints nothing, exit code 0 on success)
//
// FOLDER\<150 a>\<150 b>\app.exe with its private runtime (the stand-in) and an INI file beside it
// (UTF-8 with its mark, as an editor may save it) that holds the pass phrase of the packaged settings
// and extends them with a VM parameter.
#include <string>

#include "harness.h"
#include "package_resources.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const Text upgradeCode = L"{5A0C3E91-7B44-4C1D-8E2F-6D9A1B3C5E70}";
    const WText home = L"\\\\?\\" + WText(argv[1]) + L"\\" + Text(150, L'a') + L"\\" + Text(150, L'b') + L"\\";
    const WText exe = home + L"app.exe";
    const WText runtime = home + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    const WText standin = WIDE_STANDIN_RUNTIME;
    PackagedResources resources;
    resources.settings(upgradeCode, L"second",
                       L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n");
    for (unsigned id = 200; id < 260; ++id) resources.strings[id] = L"[" + decimalText(id) + L"] %s %s";
    const bool installed =
        exe.size() > 300 && makeFolders(runtime + L"bin\\server") &&
        CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE) &&
        CopyFileW((standin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE) &&
        CopyFileW((standin + L"bin\\server\\jvm.dll").c_str(), (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE) &&
        resources.writeInto(exe) && writeFileBytes(home + L"app.jar", "PK") &&
        writeFileBytes(home + L"app.ini", "\xEF\xBB\xBF[Product Information]\r\nUpgrade Code=" + utf8Of(upgradeCode) +
                                              "\r\n[Java Runtime Environment+]\r\n"
                                              "Virtual Machine Parameters=-Dfrom.ini=yes\r\n");
    return installed ? 0 : 1;
}
