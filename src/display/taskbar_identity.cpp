#include "display/taskbar_identity.h"

#include <windows.h>

#include "support/procedure.h"
#include "support/system_libraries.h"
#include "support/trace.h"

namespace {

using SetAppIdFunction = HRESULT(WINAPI*)(PCWSTR);

}  // namespace

void applyAppUserModelId(const DisplaySettings& display) {
    if (display.appUserModelId.empty()) return;
    // Never freed, as an imported library would not be: the shell keeps the identity in it.
    const HMODULE shell = loadSystemLibrary(L"shell32.dll");
    const auto set = procedureOf<SetAppIdFunction>(shell, "SetCurrentProcessExplicitAppUserModelID");
    const HRESULT result = set ? set(display.appUserModelId.c_str()) : E_NOTIMPL;
    VORNIC_TRACE(L"App User Model ID \"" + display.appUserModelId + L"\": " +
                 (result == S_OK ? Text(L"set") : L"not set, result " + decimalText(static_cast<unsigned long>(result))));
}
