// The runtime's jvm.dll in this process and the three invocation entry points the launcher uses.
//
//   if (!session.jvmLibrary.load(session.jvmLibraryPath)) return -1;   // the failure was shown
//   session.jvmLibrary.createJavaVM(&vm, reinterpret_cast<void**>(&env), &initArgs);
#pragma once

#include <windows.h>

#include "jvm/jni_types.h"
#include "support/text.h"

class JvmLibrary {
public:
    // Loads `path` and resolves the entry points. A failure shows message 236 (a library it needs is
    // missing, named), 222 (it cannot be loaded otherwise) or 202 with the text of 212 (a required export
    // is missing) and returns false.
    bool load(const Text& path);

    // Deliberately not owned: a runtime cannot be unloaded, so the module stays for the process's
    // life, also after a failed look-up.
    HMODULE module = nullptr;
    CreateJavaVmFunction createJavaVM = nullptr;
    GetDefaultInitArgsFunction getDefaultInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;  // optional
};
