// The exports of jvm.dll, the invocation interface and the machine's state.
#include <windows.h>

#include <cstdio>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "jni_table.h"
#include "objects.h"
#include "process_identity.h"
#include "record.h"
#include "script.h"
#include "vm_state.h"

namespace standin {

namespace {

using ExitHook = void(JNICALL*)(jint code);
using AbortHook = void(JNICALL*)(void);

ExitHook exitHook = nullptr;
AbortHook abortHook = nullptr;
bool created = false;
std::atomic<bool> shutdownBegun{false};

std::mutex threadsMutex;
std::vector<HANDLE> nonDaemonThreads;

JNIEnv_ envValue;
JavaVM_ vmValue;

// The JDK 1.1 init arguments up to the field the launcher reads, declared here from the published
// layout rather than shared with the launcher, so that a wrong layout on either side shows.
struct InitArgs11Prefix {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
};

std::string hex(jint value) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%lx", static_cast<unsigned long>(value));
    return buffer;
}

bool environmentNumber(const wchar_t* name, long& value) {
    wchar_t buffer[64];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 64);
    if (length == 0 || length >= 64) return false;
    value = std::wcstol(buffer, nullptr, 10);
    return true;
}

// The machine shuts down: shutdown hooks and the archive written at exit take their time.
void beginShutdown() {
    shutdownBegun.store(true);
    long delay = 0;
    if (environmentNumber(L"VORNIC_STANDIN_END_DELAY", delay) && delay > 0) {
        record("ending", std::to_string(delay));
        Sleep(static_cast<DWORD>(delay));
    }
}

// Waits (10 s at most) until this process shows a window of the class the variable names, if any:
// a runtime that is slow exactly until, say, the launcher's splash is up.
void waitForOwnWindowOfClass(const wchar_t* variable) {
    wchar_t className[256];
    const DWORD length = GetEnvironmentVariableW(variable, className, 256);
    if (length == 0 || length >= 256) return;
    for (int waited = 0; waited < 10000; waited += 10) {
        for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
             window = FindWindowExW(nullptr, window, className, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window)) return;
        }
        Sleep(10);
    }
    record("window-never-shown", toUtf8(std::wstring(className)));
}

// The stack the calling thread reserved: the regions of the one reservation that holds this frame.
// (The thread block's StackLimit covers only the committed part.)
size_t reservedStackOfThisThread() {
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(&region, &region, sizeof region)) return 0;
    const void* const reservation = region.AllocationBase;
    size_t size = 0;
    const char* next = static_cast<const char*>(reservation);
    while (VirtualQuery(next, &region, sizeof region) && region.AllocationBase == reservation) {
        size += region.RegionSize;
        next += region.RegionSize;
    }
    return size;
}

// -XX:ArchiveClassesAtExit's file, written as the runtime does when the machine ends: the dynamic
// archive's magic number first, so that the launcher takes it for a complete archive.
std::string archiveAtExit;

void writeArchiveAtExit() {
    if (archiveAtExit.empty()) return;
    const std::string path = std::move(archiveAtExit);
    archiveAtExit.clear();
    const char content[] = "\xa8\xab\x0b\xf0 the classes this run loaded";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool wrote = file != INVALID_HANDLE_VALUE && WriteFile(file, content, sizeof content - 1, &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    record("archive-written", wrote ? path : "failed " + std::to_string(GetLastError()));
}

DWORD WINAPI threadStart(void* parameter) {
    auto* work = static_cast<std::function<void()>*>(parameter);
    (*work)();
    delete work;
    return 0;
}

jint JNICALL destroyJavaVm(JavaVM*) {
    record("destroy-vm");
    // As a real machine does: until every other non-daemon thread has ended, those it started and
    // those attached to it (an attached thread counts until it detaches or ends).
    for (;;) {
        HANDLE next = nullptr;
        {
            std::lock_guard<std::mutex> lock(threadsMutex);
            if (nonDaemonThreads.empty()) break;
            next = nonDaemonThreads.back();
            nonDaemonThreads.pop_back();
        }
        if (GetThreadId(next) != GetCurrentThreadId()) WaitForSingleObject(next, INFINITE);
        CloseHandle(next);
    }
    beginShutdown();
    writeArchiveAtExit();
    record("destroy-vm-done");
    return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM*, void** env, void*) {
    record("attach");
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self,
                         SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0))
        failLoudly("attach-failed", std::to_string(GetLastError()));
    {
        std::lock_guard<std::mutex> lock(threadsMutex);
        nonDaemonThreads.push_back(self);
    }
    *env = theEnv();
    return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM*) {
    record("detach");
    std::lock_guard<std::mutex> lock(threadsMutex);
    std::erase_if(nonDaemonThreads, [](HANDLE thread) {
        if (GetThreadId(thread) != GetCurrentThreadId()) return false;
        CloseHandle(thread);
        return true;
    });
    return JNI_OK;
}

jint JNICALL getEnv(JavaVM*, void** env, jint) {
    *env = theEnv();
    return JNI_OK;
}

const JNIInvokeInterface_* invokeInterface() {
    static const JNIInvokeInterface_ table = {nullptr,        nullptr,        nullptr, destroyJavaVm,
                                              attachCurrentThread, detachCurrentThread, getEnv,
                                              attachCurrentThread};
    return &table;
}

}  // namespace

JNIEnv* theEnv() {
    envValue.functions = nativeInterface();
    return &envValue;
}

JavaVM* theVm() {
    vmValue.functions = invokeInterface();
    return &vmValue;
}

bool shuttingDown() { return shutdownBegun.load(); }

void systemExit(jint code) {
    record("exit", std::to_string(code));
    beginShutdown();
    writeArchiveAtExit();
    if (exitHook) exitHook(code);
    if (!script().afterExitHookEvent.empty()) waitForEvent(script().afterExitHookEvent);
    ExitProcess(static_cast<UINT>(code));
}

void systemAbort() {
    record("abort");
    if (abortHook) abortHook();
    std::abort();
}

namespace {
std::vector<std::string> g_options;  // written once, in JNI_CreateJavaVM
}  // namespace

std::string systemProperty(const std::string& name) {
    const std::string prefix = "-D" + name + "=";
    for (const std::string& option : g_options)
        if (option.rfind(prefix, 0) == 0) return option.substr(prefix.size());
    return std::string();
}

void startNonDaemonThread(std::function<void()> work) {
    auto* copy = new std::function<void()>(std::move(work));
    const HANDLE thread = CreateThread(nullptr, 0, threadStart, copy, 0, nullptr);
    if (!thread) failLoudly("thread-failed", std::to_string(GetLastError()));
    std::lock_guard<std::mutex> lock(threadsMutex);
    nonDaemonThreads.push_back(thread);
}

}  // namespace standin

using namespace standin;

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* arguments) {
    const auto* init = static_cast<const JavaVMInitArgs*>(arguments);
    const std::string refusedOption = environmentValue(L"VORNIC_STANDIN_REFUSE_OPTION");
    std::string refused;
    record("create-vm", "version=" + hex(init->version) + " options=" + std::to_string(init->nOptions) +
                            " ignore-unrecognized=" + std::to_string(init->ignoreUnrecognized));
    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        const std::string text = option.optionString ? option.optionString : "<null>";
        if (text == "exit" && option.extraInfo) {
            exitHook = reinterpret_cast<ExitHook>(option.extraInfo);
            record("option-hook", "exit");
        } else if (text == "abort" && option.extraInfo) {
            abortHook = reinterpret_cast<AbortHook>(option.extraInfo);
            record("option-hook", "abort");
        } else {
            record("option", text);
            g_options.push_back(text);
            if (refused.empty() && refusedOption != "<unset>" && text == refusedOption) refused = text;
            const std::string archiveOption = "-XX:ArchiveClassesAtExit=";
            if (text.rfind(archiveOption, 0) == 0) archiveAtExit = text.substr(archiveOption.size());
        }
    }
    record("env VORNIC_JVM_PATH", environmentValue(L"VORNIC_JVM_PATH"));
    record("env VORNIC_JVM_HOME", environmentValue(L"VORNIC_JVM_HOME"));
    record("env Path", environmentValue(L"Path"));
    record("thread-stack", "reserved=" + std::to_string(reservedStackOfThisThread()));
    record("dpi-awareness", dpiAwarenessOfThisThread());

    waitForOwnWindowOfClass(L"VORNIC_STANDIN_CREATE_AFTER_WINDOW");
    // The launcher's splash, which a test may have this wait for above, shows in the awareness the
    // launcher settled for the runtime. Only then: walking the windows makes Wine load uxtheme.dll by
    // name, which the planted-library tests would see as a careless load of the runtime's.
    if (GetEnvironmentVariableW(L"VORNIC_STANDIN_CREATE_AFTER_WINDOW", nullptr, 0) != 0) {
        const std::string splash = dpiAwarenessOfOwnWindow(L"SplashScreenWindow");
        if (!splash.empty()) record("splash-dpi-awareness", splash);
    }

    // As a runtime refuses an option it does not know: while parsing, before anything of the machine
    // exists, so that the process may create one later.
    if (!refused.empty()) {
        archiveAtExit.clear();
        record("create-vm-result", std::to_string(JNI_ERR) + " refused " + refused);
        return JNI_ERR;
    }

    long forced = 0;
#ifdef STANDIN_CREATE_RESULT
    forced = STANDIN_CREATE_RESULT;
#endif
    environmentNumber(L"VORNIC_STANDIN_CREATE_RESULT", forced);
    if (forced != 0) {
        record("create-vm-result", std::to_string(forced));
        return static_cast<jint>(forced);
    }
    if (created) {
        record("create-vm-result", std::to_string(JNI_EEXIST));
        return JNI_EEXIST;
    }
    created = true;
    *vm = theVm();
    *env = theEnv();
    record("create-vm-result", "0");
    return JNI_OK;
}

extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* arguments) {
    auto* init = static_cast<InitArgs11Prefix*>(arguments);
    record("get-default-init-args", "version=" + hex(init->version));
    if (init->version != JNI_VERSION_1_1) return JNI_OK;
    long stackSize = 1048576;
    environmentNumber(L"VORNIC_STANDIN_STACK_SIZE", stackSize);
    init->javaStackSize = static_cast<jint>(stackSize);
    return JNI_OK;
}

#ifndef STANDIN_WITHOUT_BOOT_LOADER
extern "C" JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv*, const char* name) {
    record("find-class-from-boot-loader", name ? name : "<null>");
    ClassInfo* info = name ? findBootClassInfo(name) : nullptr;
    return info ? reinterpret_cast<jclass>(info->classObject) : nullptr;
}
#endif
