// Typed look-up of a library's exports. GetProcAddress answers with one generic function pointer
// type; the cast through void (*)() says that the export's real signature is the one asked for.
//
//   const auto imageNtHeader = procedureOf<ImageNtHeaderFunction>(dbghelp.get(), "ImageNtHeader");
//   if (!findProcedure(module, "GdipDrawImageRectRect", drawImage)) ...
#pragma once

#include <windows.h>

// Null when the module is null or has no such export.
template <typename Function>
Function procedureOf(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Sets `function` (null when missing) and says whether it was found.
template <typename Function>
bool findProcedure(HMODULE module, const char* name, Function& function) {
    function = procedureOf<Function>(module, name);
    return function != nullptr;
}
