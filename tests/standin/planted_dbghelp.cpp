// A dbghelp.dll planted where only a careless load would find it. Loading it appends the path it
// was loaded from to the file named by VORNIC_PLANTED_RECORD, so a test can prove it never ran.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t recordPath[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"VORNIC_PLANTED_RECORD", recordPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    wchar_t modulePath[MAX_PATH];
    const DWORD moduleLength = GetModuleFileNameW(instance, modulePath, MAX_PATH);
    const HANDLE file = CreateFileW(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    WriteFile(file, modulePath, moduleLength * sizeof(wchar_t), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return TRUE;
}

// Looks like the real export, so a careless caller would go on to use it.
extern "C" __declspec(dllexport) void* WINAPI ImageNtHeader(void*) { return nullptr; }
