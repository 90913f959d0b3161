// The few functions of the shell, COM and common-controls libraries that only the runtime dialog and
// its link need. Importing them would load those libraries at every start, which costs more than
// anything else the launcher does before the runtime; they are loaded from the system folder on first
// use instead. A function the system lacks is null, and its caller fails softly.
//
//   const ShellFunctions& shell = shellFunctions();
//   if (shell.shellExecute) shell.shellExecute(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

struct ShellFunctions {
    // ole32.dll
    HRESULT(WINAPI* coInitializeEx)(LPVOID reserved, DWORD model) = nullptr;
    void(WINAPI* coUninitialize)() = nullptr;
    void(WINAPI* coTaskMemFree)(LPVOID memory) = nullptr;
    // shell32.dll
    PIDLIST_ABSOLUTE(WINAPI* shBrowseForFolder)(LPBROWSEINFOW info) = nullptr;
    BOOL(WINAPI* shGetPathFromIdList)(PCIDLIST_ABSOLUTE list, PWSTR path, DWORD size, GPFIDL_FLAGS flags) = nullptr;
    HINSTANCE(WINAPI* shellExecute)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                                    INT show) = nullptr;
    // comctl32.dll (version 6 through the manifest's side-by-side redirection, as an import would be)
    BOOL(WINAPI* initCommonControls)(const INITCOMMONCONTROLSEX* classes) = nullptr;
    HRESULT(WINAPI* taskDialogIndirect)(const TASKDIALOGCONFIG* config, int* button, int* radioButton,
                                        BOOL* verified) = nullptr;
};

// Loaded on the first call (from any thread), then the same answer; the libraries stay loaded.
const ShellFunctions& shellFunctions();
