// A stand-in for a runtime's "splashscreen.dll": records every call in the stand-in's record file
// (VORNIC_STANDIN_RECORD), so tests see whether and how the launcher used it:
//   splash-library-loaded
//   splash-init
//   splash-load-file: <narrow path as given>   then "splash-file-opens: yes|no"
//   splash-set-file-jar-name: <path> | <jar name>
//   splash-close
// Built with STANDIN_SPLASH_WITHOUT_LOAD_FILE it lacks "SplashLoadFile", as a broken runtime might.
#include <windows.h>

#include <string>

namespace {

void record(const std::string& line) {
    wchar_t path[32768];
    const DWORD length = GetEnvironmentVariableW(L"VORNIC_STANDIN_RECORD", path, 32768);
    if (length == 0 || length >= 32768) return;
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) record("splash-library-loaded");
    return TRUE;
}

extern "C" __declspec(dllexport) void SplashInit() { record("splash-init"); }

#ifndef STANDIN_SPLASH_WITHOUT_LOAD_FILE
extern "C" __declspec(dllexport) int SplashLoadFile(const char* path) {
    record(std::string("splash-load-file: ") + path);
    // Opened as the runtime would open it: through the narrow file functions.
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    record(std::string("splash-file-opens: ") + (file != INVALID_HANDLE_VALUE ? "yes" : "no"));
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return 1;
}
#endif

extern "C" __declspec(dllexport) void SplashSetFileJarName(const char* path, const char* jarName) {
    record(std::string("splash-set-file-jar-name: ") + path + " | " + jarName);
}

extern "C" __declspec(dllexport) void SplashClose() { record("splash-close"); }
