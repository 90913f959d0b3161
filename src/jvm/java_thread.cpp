#include "jvm/java_thread.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "app/launcher_app.h"
#include "frontend/frontend.h"
#include "jvm/exception_text.h"
#include "jvm/java_invocation.h"
#include "jvm/java_launch.h"
#include "jvm/sharing_archive_folder.h"
#include "jvm/system_redirection_platform.h"
#include "jvm/system_text.h"
#include "service/service_hooks.h"
#include "settings/messages.h"
#include "splash/splash_controller.h"
#include "support/filesystem.h"
#include "support/trace.h"

namespace {

// The texts of message 203: what failed (213) and the JNI error (225 for -1 ... 230 for -6).
void showCreationFailure(jint result) {
    Text code;
    if (result <= -1 && result >= -6) code = stringOf(kMsgJniErrorFirst + static_cast<unsigned>(-1 - result));
    showMessageId(kMsgVmCreationFailed, {stringOf(kMsgVmCreationText), code});
}

class LaunchHost : public InvocationHost {
public:
    explicit LaunchHost(LauncherApp& app) : app_(app) {}
    void showMessage(unsigned id, const Text& argument) override {
        showMessageId(id, {argument});
    }
    // Later starts waiting for the application are served from here on; a service is running.
    void beforeMain() override {
        app_.instanceChannel.signalReady(app_.vm);
        serviceMainEntered(app_.vm, app_.mainClass);
    }

private:
    LauncherApp& app_;
};

DWORD WINAPI javaThreadEntry(void* app) { return static_cast<DWORD>(javaThreadMain(*static_cast<LauncherApp*>(app))); }

}  // namespace

void JNICALL vmExitHook(jint code) {
    VORNIC_TRACE(L"exit code " + decimalText(code) + L" (System.exit)");
    finishClassDataSharing();  // System.exit has written the archive by now
    serviceExiting(code);
}
void JNICALL vmAbortHook() {}

unsigned long long defaultStackSize(LauncherApp& app) {
    if (!app.jvmLibrary.getDefaultInitArgs) return 0;
    JDK1_1InitArgs args{};
    args.version = JNI_VERSION_1_1;
    app.jvmLibrary.getDefaultInitArgs(&args);  // the result code says nothing the size does not
    return args.javaStackSize > 0 ? static_cast<unsigned long long>(args.javaStackSize) : 0;
}

int startJavaThread(LauncherApp& app) {
    if (app.javaThreadStackSize == 0) app.javaThreadStackSize = defaultStackSize(app);
    // A size the address space cannot hold would be cut silently; the thread creation refuses it instead.
    const SIZE_T stackSize = app.javaThreadStackSize > SIZE_MAX ? SIZE_MAX : static_cast<SIZE_T>(app.javaThreadStackSize);
    UniqueHandle thread(CreateThread(nullptr, stackSize, javaThreadEntry, &app, 0, nullptr));
    if (!thread) return javaThreadMain(app);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 1;
    GetExitCodeThread(thread.get(), &code);
    return static_cast<int>(code);
}

int javaThreadMain(LauncherApp& app) {
    if (!createVm(app)) return 1;
    if (!invokeMain(app)) return 1;
    destroyVm(app);
    return 0;
}

bool createVm(LauncherApp& app) {
    std::vector<JavaVMOption> options;
    options.reserve(app.vmOptions.size() + 2);
    for (const std::string& option : app.vmOptions) {
        options.push_back({const_cast<char*>(option.c_str()), nullptr});
        VORNIC_TRACE(L"VM option: " + fromAnsiText(option));
    }
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&vmAbortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&vmExitHook)});

    JavaVMInitArgs initArgs{};
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = static_cast<jint>(options.size());
    initArgs.options = options.data();
    initArgs.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    const jint result = app.jvmLibrary.createJavaVM(&vm, reinterpret_cast<void**>(&env), &initArgs);
    if (result != JNI_OK) {
        showCreationFailure(result);
        return false;
    }
    app.vm = vm;
    app.env = env;

    SystemRedirectionPlatform platform;
    redirectOutput(env, app.outputFile, app.outputAppend, app.errorFile, app.errorAppend, platform);
    return true;
}

bool invokeMain(LauncherApp& app) {
    JNIEnv* env = app.env;
    LaunchHost host(app);
    if (!runMain(env, app.jvmLibrary.findClassFromBootLoader, app.mainClass, app.commandArguments, host)) {
        // Detached, so that destroying the machine later does not wait for this thread.
        app.vm->DetachCurrentThread();
        app.env = nullptr;
        return false;
    }

    if (jthrowable thrown = env->ExceptionOccurred()) {
        closeSplashWindow(app);
        if (app.failureCheck) {
            env->ExceptionClear();
            if (showExceptionDialog(env, thrown)) requestSystemExit(env);
        }
        env->DeleteLocalRef(thrown);
    }

    // IBM runtimes end the process only through the program itself; this thread stays attached.
    if (app.search.acceptIbm || app.search.favorIbm) {
        for (;;) Sleep(INFINITE);
    }

    const bool detached = app.vm->DetachCurrentThread() == JNI_OK;
    app.env = nullptr;
    return detached;
}

void destroyVm(LauncherApp& app) {
    if (JavaVM* vm = app.vm) {
        app.vm = nullptr;
        vm->DestroyJavaVM();
        finishClassDataSharing();
    }
}

bool showExceptionDialog(JNIEnv* env, jthrowable throwable) {
    const Text text = exceptionText(env, throwable);
    if (text.empty()) return false;
    return presentException(text);
}
