#include "jvm/vm_creation.h"

jint createJavaVm(CreateJavaVmFunction create, const std::vector<std::string>& options, VmExitHook exitHook,
                  VmAbortHook abortHook, JavaVM*& vm, JNIEnv*& env) {
    std::vector<JavaVMOption> vmOptions;
    vmOptions.reserve(options.size() + 2);
    for (const std::string& option : options) vmOptions.push_back({const_cast<char*>(option.c_str()), nullptr});
    vmOptions.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(abortHook)});
    vmOptions.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(exitHook)});

    JavaVMInitArgs initArgs{};
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = static_cast<jint>(vmOptions.size());
    initArgs.options = vmOptions.data();
    initArgs.ignoreUnrecognized = JNI_FALSE;
    return create(&vm, reinterpret_cast<void**>(&env), &initArgs);
}
