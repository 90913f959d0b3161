// The least a host can do to start Java: load jvm.dll, create the machine, end. The start-up
// benchmark compares the launcher's whole start with this; the host itself imports kernel32 only, so
// what else loads is what the runtime's jvm.dll imports. Built a second time with
// MINIMAL_HOST_WITH_USER32, a host that can at least show a message box, so that the system loads and
// initialises user32 as it does for every windowed program (the hand-over benchmark's floor).
//
//   startup_minimal_host PATH\jvm.dll CLASS_PATH
#include <windows.h>

#include <jni.h>

#include <string>

#include "jvm/jni_types.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HMODULE jvm = LoadLibraryW(argv[1]);
    if (!jvm) return 3;
    auto create = reinterpret_cast<CreateJavaVmFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(jvm, "JNI_CreateJavaVM")));
    if (!create) return 4;
    std::string classPath = "-Djava.class.path=";
    for (const wchar_t* c = argv[2]; *c; ++c) classPath += static_cast<char>(*c);
    JavaVMOption option{classPath.data(), nullptr};
    JavaVMInitArgs initArgs{};
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = 1;
    initArgs.options = &option;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (create(&vm, reinterpret_cast<void**>(&env), &initArgs) != JNI_OK) {
#ifdef MINIMAL_HOST_WITH_USER32
        MessageBoxW(nullptr, L"The Java virtual machine cannot be created.", nullptr, MB_ICONERROR);
#endif
        return 5;
    }
    return 0;
}
