#include "jvm/java_thread.h"

#include <atomic>
#include <climits>
#include <cstdint>

#include "jvm/exception_text.h"
#include "jvm/java_invocation.h"
#include "jni/local_refs.h"
#include "jvm/sharing_archive_folder.h"
#include "jvm/system_redirection_platform.h"
#include "jvm/vm_creation.h"
#include "support/filesystem.h"
#include "support/system_text.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "texts/frontend.h"
#include "texts/messages.h"

namespace {

// The texts of message 203: what failed (213) and the JNI error (225 for -1 ... 230 for -6).
void showCreationFailure(jint result) {
    Text code;
    if (result <= -1 && result >= -6) code = stringOf(kMsgJniErrorFirst + static_cast<unsigned>(-1 - result));
    showMessageId(kMsgVmCreationFailed, {stringOf(kMsgVmCreationText), code});
}

class LaunchHost : public InvocationHost {
public:
    LaunchHost(JavaVM* vm, JavaThreadObserver& observer) : vm_(vm), observer_(observer) {}
    void showMessage(unsigned id, const Text& argument) override {
        showMessageId(id, {argument});
    }
    void beforeMain() override { observer_.mainStarting(vm_); }

private:
    JavaVM* vm_;
    JavaThreadObserver& observer_;
};

// What the thread's entry hands on to javaThreadMain.
struct JavaThreadCall {
    JavaSession& session;
    const JavaRunSettings& settings;
    JavaThreadObserver& observer;
};

DWORD WINAPI javaThreadEntry(void* parameter) {
    const JavaThreadCall& call = *static_cast<const JavaThreadCall*>(parameter);
    return static_cast<DWORD>(javaThreadMain(call.session, call.settings, call.observer));
}

std::atomic<VmExitListener> g_exitListener{nullptr};

}  // namespace

void JNICALL vmExitHook(jint code) {
    VORNIC_TRACE(L"exit code " + decimalText(code) + L" (System.exit)");
    finishClassDataSharing();  // System.exit has written the archive by now
    if (VmExitListener listener = g_exitListener.load()) listener(code);
}

void listenForVmExit(VmExitListener listener) { g_exitListener.store(listener); }
void JNICALL vmAbortHook() {}

unsigned long long defaultStackSize(const JvmLibrary& library) {
    if (!library.getDefaultInitArgs) return 0;
    JDK1_1InitArgs args{};
    args.version = JNI_VERSION_1_1;
    library.getDefaultInitArgs(&args);  // the result code says nothing the size does not
    return args.javaStackSize > 0 ? static_cast<unsigned long long>(args.javaStackSize) : 0;
}

JavaEnd startJavaThread(JavaSession& session, const JavaRunSettings& settings, JavaThreadObserver& observer) {
    if (session.javaThreadStackSize == 0) session.javaThreadStackSize = defaultStackSize(session.jvmLibrary);
    // A size the address space cannot hold would be cut silently; the thread creation refuses it instead.
    const SIZE_T stackSize =
        session.javaThreadStackSize > SIZE_MAX ? SIZE_MAX : static_cast<SIZE_T>(session.javaThreadStackSize);
    JavaThreadCall call{session, settings, observer};
    UniqueHandle thread(CreateThread(nullptr, stackSize, javaThreadEntry, &call, 0, nullptr));
    if (!thread) return javaThreadMain(session, settings, observer);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = static_cast<DWORD>(JavaEnd::Failed);
    GetExitCodeThread(thread.get(), &code);
    switch (code) {
    case static_cast<DWORD>(JavaEnd::MainReturned): return JavaEnd::MainReturned;
    case static_cast<DWORD>(JavaEnd::MainThrew): return JavaEnd::MainThrew;
    default: return JavaEnd::Failed;
    }
}

JavaEnd javaThreadMain(JavaSession& session, const JavaRunSettings& settings, JavaThreadObserver& observer) {
    if (!createVm(session)) return JavaEnd::Failed;
    const JavaEnd end = invokeMain(session, settings, observer);
    if (end == JavaEnd::Failed) return end;
    destroyVm(session);  // waits for the program's other threads, also after main threw
    return end;
}

namespace {

jint createWithOptions(JavaSession& session, JavaVM*& vm, JNIEnv*& env) {
    for (const std::string& option : session.vmOptions) VORNIC_TRACE(L"VM option: " + fromAnsiText(option));
    return createJavaVm(session.jvmLibrary.createJavaVM, session.vmOptions, &vmExitHook, &vmAbortHook, vm, env);
}

}  // namespace

bool createVm(JavaSession& session) {
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    jint result = createWithOptions(session, vm, env);
    if (result != JNI_OK && dropClassDataSharing(session)) {
        VORNIC_TRACE(L"class data sharing: refused by the runtime (error " + decimalText(result) + L"), retried without");
        result = createWithOptions(session, vm, env);
        if (result == JNI_OK) rememberSharingRefused();
    }
    if (result != JNI_OK) {
        showCreationFailure(result);
        return false;
    }
    session.vm = vm;
    session.env = env;

    SystemRedirectionPlatform platform;
    redirectOutput(env, session.outputFile, session.outputAppend, session.errorFile, session.errorAppend, platform);
    return true;
}

JavaEnd invokeMain(JavaSession& session, const JavaRunSettings& settings, JavaThreadObserver& observer) {
    JNIEnv* env = session.env;
    LaunchHost host(session.vm, observer);
    if (!runMain(env, session.jvmLibrary.findClassFromBootLoader, settings.mainClass, session.mainArguments, host)) {
        // Detached, so that destroying the machine later does not wait for this thread.
        session.vm->DetachCurrentThread();
        session.env = nullptr;
        return JavaEnd::Failed;
    }

    JavaEnd end = JavaEnd::MainReturned;
    if (jthrowable thrown = env->ExceptionOccurred()) {
        LocalRefs refs(env);  // gone before the detach
        refs.keep(thrown);
        end = JavaEnd::MainThrew;
        VORNIC_TRACE(L"main ended by an exception");
        observer.mainThrew();
        env->ExceptionClear();
        if (settings.failureCheck) {
            if (showExceptionDialog(env, thrown)) requestSystemExit(env);
        } else {
            // Told here rather than left pending for the detach: not every runtime prints it there,
            // and the program's own uncaught-exception handler hears of it as on any other thread.
            reportUncaughtException(env, thrown);
        }
    }

    // IBM runtimes end the process only through the program itself; this thread stays attached.
    if (settings.keepAttached) {
        for (;;) Sleep(INFINITE);
    }

    const bool detached = session.vm->DetachCurrentThread() == JNI_OK;
    session.env = nullptr;
    return detached ? end : JavaEnd::Failed;
}

void destroyVm(JavaSession& session) {
    if (JavaVM* vm = session.vm) {
        session.vm = nullptr;
        vm->DestroyJavaVM();
        finishClassDataSharing();
    }
}

bool showExceptionDialog(JNIEnv* env, jthrowable throwable) {
    const Text text = exceptionText(env, throwable);
    if (text.empty()) return false;
    return presentException(text);
}
