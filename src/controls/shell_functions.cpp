#include "controls/shell_functions.h"

#include <type_traits>

#include "support/procedure.h"
#include "support/run_once.h"
#include "support/system_libraries.h"

namespace {

// The declared types must be the system headers' own, calling convention included: on x86 a
// mismatch would compile and then unbalance the stack.
static_assert(std::is_same_v<decltype(ShellFunctions::coInitializeEx), decltype(&CoInitializeEx)>);
static_assert(std::is_same_v<decltype(ShellFunctions::coUninitialize), decltype(&CoUninitialize)>);
static_assert(std::is_same_v<decltype(ShellFunctions::coTaskMemFree), decltype(&CoTaskMemFree)>);
static_assert(std::is_same_v<decltype(ShellFunctions::shBrowseForFolder), decltype(&SHBrowseForFolderW)>);
static_assert(std::is_same_v<decltype(ShellFunctions::shGetPathFromIdList), decltype(&SHGetPathFromIDListEx)>);
static_assert(std::is_same_v<decltype(ShellFunctions::shellExecute), decltype(&ShellExecuteW)>);
static_assert(std::is_same_v<decltype(ShellFunctions::initCommonControls), decltype(&InitCommonControlsEx)>);
static_assert(std::is_same_v<decltype(ShellFunctions::taskDialogIndirect), decltype(&TaskDialogIndirect)>);

ShellFunctions functions;
INIT_ONCE loaded = INIT_ONCE_STATIC_INIT;

void load() {
    const HMODULE ole = loadSystemLibrary(L"ole32.dll");
    findProcedure(ole, "CoInitializeEx", functions.coInitializeEx);
    findProcedure(ole, "CoUninitialize", functions.coUninitialize);
    findProcedure(ole, "CoTaskMemFree", functions.coTaskMemFree);
    const HMODULE shell = loadSystemLibrary(L"shell32.dll");
    findProcedure(shell, "SHBrowseForFolderW", functions.shBrowseForFolder);
    findProcedure(shell, "SHGetPathFromIDListEx", functions.shGetPathFromIdList);
    findProcedure(shell, "ShellExecuteW", functions.shellExecute);
    const HMODULE controls = loadSystemLibrary(L"comctl32.dll");
    findProcedure(controls, "InitCommonControlsEx", functions.initCommonControls);
    findProcedure(controls, "TaskDialogIndirect", functions.taskDialogIndirect);
}

}  // namespace

const ShellFunctions& shellFunctions() {
    runOnce(loaded, load);
    return functions;
}
