// Shows dialogs 201 and 231 of a packaged executable, filled as the launcher fills them, for
// screenshots: show_dialogs PACKAGED.exe [seconds]. Used by dialog_screenshots.sh.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/unique_handle.h"

namespace {

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring loadString(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 20;
    UniqueModule module(LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return 1;

    UniqueWindow runtime(CreateDialogParamW(module.get(), MAKEINTRESOURCEW(201), nullptr, quietDialog, 0));
    UniqueWindow failure(CreateDialogParamW(module.get(), MAKEINTRESOURCEW(231), nullptr, quietDialog, 0));
    if (!runtime || !failure) return 1;

    // The prompt as the launcher formats it: message 207 with the text of 219.
    std::wstring requirement = loadString(module.get(), 219);
    requirement.replace(requirement.find(L"%s"), 2, L"1.8");
    std::wstring prompt = loadString(module.get(), 207);
    prompt.replace(prompt.find(L"%s"), 2, requirement);
    SetDlgItemTextW(runtime.get(), 203, prompt.c_str());
    SetDlgItemTextW(runtime.get(), 201, L"C:\\Program Files\\Java\\jdk-17");
    SetDlgItemTextW(failure.get(), 208,
                    L"java.lang.IllegalStateException: the configuration file is missing\r\n"
                    L"\tat com.example.app.Settings.load(Settings.java:42)\r\n"
                    L"\tat com.example.app.Main.start(Main.java:17)\r\n"
                    L"\tat com.example.app.Main.main(Main.java:9)\r\n"
                    L"Caused by: java.io.FileNotFoundException: C:\\Users\\demo\\AppData\\Roaming\\Demo\\app.conf\r\n"
                    L"\tat java.base/java.io.FileInputStream.open0(Native Method)\r\n"
                    L"\t... 3 more");

    RECT area;
    GetWindowRect(runtime.get(), &area);
    SetWindowPos(runtime.get(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(failure.get(), nullptr, 10, 30 + (area.bottom - area.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(runtime.get(), SW_SHOW);
    ShowWindow(failure.get(), SW_SHOW);

    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    MSG message;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
    return 0;
}
