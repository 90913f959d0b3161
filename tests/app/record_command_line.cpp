// Stands in for a paired launcher: writes the command line it was given (UTF-16) to the file named by
// VORNIC_RECORD_FILE and ends with the exit code in VORNIC_EXIT_CODE.
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t recordFile[4096];
    if (GetEnvironmentVariableW(L"VORNIC_RECORD_FILE", recordFile, 4096) - 1 < 4095) {
        const wchar_t* line = GetCommandLineW();
        HANDLE file = CreateFileW(recordFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
            CloseHandle(file);
        }
    }
    wchar_t code[32];
    if (GetEnvironmentVariableW(L"VORNIC_EXIT_CODE", code, 32) - 1 < 31) {
        return static_cast<int>(std::wcstol(code, nullptr, 10));
    }
    return 0;
}
