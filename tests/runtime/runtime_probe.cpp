// runtime_probe private <result file>   writes the private runtime's home; exit 0 found, 2 none
// runtime_probe machine <jvm.dll>       exit 1 when the paired build must run it, else 0
// runtime_probe bare                    loads "dbghelp.dll" by its bare name (the careless way)
#include <windows.h>

#include "runtime/runtime_folder.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 100;
    const Text mode = argv[1];
    if (mode == L"private" && argc == 3) {
        Text home;
        if (!findPrivateRuntime(home)) return 2;
        const HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 101;
        DWORD written = 0;
        WriteFile(file, home.data(), static_cast<DWORD>(home.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
        return 0;
    }
    if (mode == L"machine" && argc == 3) {
        return pairRunsRuntime(argv[2], L"paired.exe") ? 1 : 0;
    }
    if (mode == L"bare") {
        const HMODULE module = LoadLibraryW(L"dbghelp.dll");
        return module ? 0 : 102;
    }
    return 100;
}
