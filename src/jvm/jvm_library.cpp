#include "jvm/jvm_library.h"

#include "app/launcher_app.h"
#include "jvm/java_launch.h"
#include "settings/messages.h"

namespace {

// GetProcAddress returns FARPROC; the casts go through a generic function pointer type to say
// that the real signature is the one the export was built with.
template <typename Function>
Function resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void showMissingEntryPoint(DWORD error) {
    showMessageId(kMsgEntryPointOrPathFailed, {stringOf(kMsgEntryPointText), error});
}

}  // namespace

bool JvmLibrary::load(const Text& path) {
    createJavaVM = nullptr;
    getDefaultInitArgs = nullptr;
    findClassFromBootLoader = nullptr;
    module = LoadLibraryW(path.c_str());
    if (!module) {
        const DWORD error = GetLastError();
        showMessageId(kMsgJvmLoadFailed, {path, error});
        return false;
    }
    createJavaVM = resolve<CreateJavaVmFunction>(module, "JNI_CreateJavaVM");
    if (!createJavaVM) {
        showMissingEntryPoint(GetLastError());
        return false;
    }
    getDefaultInitArgs = resolve<GetDefaultInitArgsFunction>(module, "JNI_GetDefaultJavaVMInitArgs");
    if (!getDefaultInitArgs) {
        showMissingEntryPoint(GetLastError());
        createJavaVM = nullptr;
        return false;
    }
    findClassFromBootLoader = resolve<FindClassFromBootLoaderFunction>(module, "JVM_FindClassFromBootLoader");
    return true;
}

bool loadJvmLibrary(LauncherApp& app) { return app.jvmLibrary.load(app.jvmLibraryPath); }
