#include "jvm/jvm_library.h"

#include "jvm/missing_library.h"
#include "support/procedure.h"
#include "texts/messages.h"

namespace {

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
        const Text missing = error == ERROR_MOD_NOT_FOUND ? missingRuntimeLibrary(path) : Text();
        if (!missing.empty()) {
            showMessageId(kMsgRuntimeLibraryMissing, {missing, path});
        } else {
            showMessageId(kMsgJvmLoadFailed, {path, error});
        }
        return false;
    }
    createJavaVM = procedureOf<CreateJavaVmFunction>(module, "JNI_CreateJavaVM");
    if (!createJavaVM) {
        showMissingEntryPoint(GetLastError());
        return false;
    }
    getDefaultInitArgs = procedureOf<GetDefaultInitArgsFunction>(module, "JNI_GetDefaultJavaVMInitArgs");
    if (!getDefaultInitArgs) {
        showMissingEntryPoint(GetLastError());
        createJavaVM = nullptr;
        return false;
    }
    findClassFromBootLoader = procedureOf<FindClassFromBootLoaderFunction>(module, "JVM_FindClassFromBootLoader");
    return true;
}
