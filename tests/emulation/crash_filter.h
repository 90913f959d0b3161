// Shared by the crashing test programs: with the argument "filter" the program catches its own fault
// in an unhandled-exception filter and ends with kFilteredBase plus the exception code's low 16 bits,
// which proves the code reached the program itself and not only the system's last-chance report.
#pragma once

#include <windows.h>

#include <cwchar>

constexpr DWORD kFilteredBase = 0x10000;

inline LONG WINAPI endWithFilteredCode(EXCEPTION_POINTERS* pointers) {
    ExitProcess(kFilteredBase + (pointers->ExceptionRecord->ExceptionCode & 0xFFFF));
}

// `arguments` is what follows the program's name, as wWinMain receives it.
inline void installFilterWhenAsked(const wchar_t* arguments) {
    if (arguments && std::wcscmp(arguments, L"filter") == 0) {
        SetUnhandledExceptionFilter(endWithFilteredCode);
    }
}
