// Creates a real virtual machine from the machine's libjvm.so and runs one scenario of the launcher's
// JNI logic in it. A process can create only one machine, so the tests start one probe per scenario.
//
//   jvm_probe CLASS_PATH [-VM_OPTION...] SCENARIO ARGS...
//
// Everything the test checks is printed on stdout as UTF-8 lines; the runtime's own reports go to
// stderr.
#include <dlfcn.h>
#include <jni.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "jvm/date_time_pattern.h"
#include "jvm/exception_text.h"
#include "jvm/java_invocation.h"
#include "jvm/java_strings.h"
#include "jvm/output_redirection.h"
#include "jvm/vm_creation.h"

#include <filesystem>

namespace {

std::string utf8(const Text& text) {
    std::string out;
    for (wchar_t c : text) {
        const auto point = static_cast<char32_t>(c);
        if (point < 0x80) {
            out += static_cast<char>(point);
        } else if (point < 0x800) {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return out;
}

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void JNICALL vmExitHook(jint) {}
void JNICALL vmAbortHook() {}

class ProbeHost : public InvocationHost {
public:
    void showMessage(unsigned id, const Text& argument) override {
        say("message " + std::to_string(id) + " [" + utf8(argument) + "]");
    }
    void beforeMain() override { say("before main"); }
};

// Numeric pictures only, enough to see which instant and which order the rules use.
class ProbePlatform : public RedirectionPlatform {
public:
    LocalTime localTime() override {
        ++timeReads;
        LocalTime time;
        time.year = 2024;
        time.month = 3;
        time.day = 5;
        time.hour = 14;
        time.minute = 7;
        time.second = 9;
        time.milliseconds = 45;
        return time;
    }
    bool formatTime(const Text& picture, const LocalTime& time, Text& out) override {
        out = replaceAll(replaceAll(replaceAll(picture, L"HH", two(time.hour)), L"mm", two(time.minute)), L"ss",
                         two(time.second));
        return true;
    }
    bool formatDate(const Text& picture, const LocalTime& time, Text& out) override {
        out = replaceAll(replaceAll(replaceAll(picture, L"yyyy", std::to_wstring(time.year)), L"MM", two(time.month)),
                         L"dd", two(time.day));
        return true;
    }
    // The probe's names hold no environment variables.
    bool environmentVariableSet(const Text&) override { return false; }
    Text expandEnvironment(const Text& text) override { return text; }
    bool fullPath(const Text& name, Text& full) override {
        std::error_code failed;
        const std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(utf8(name)), failed);
        if (failed) return false;
        full = path.lexically_normal().wstring();  // as GetFullPathNameW drops "." and ".."
        return true;
    }
    // As on Windows, a file in the way counts as a folder made: opening the file then fails.
    unsigned long createParentFolders(const Text& file) override {
        std::error_code failed;
        const std::filesystem::path parent = std::filesystem::path(utf8(file)).parent_path();
        std::filesystem::create_directories(parent, failed);
        return failed && !std::filesystem::exists(parent) ? static_cast<unsigned long>(failed.value()) : 0;
    }
    int timeReads = 0;

private:
    static Text two(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }
    static Text replaceAll(Text text, const Text& from, const Text& to) {
        for (size_t at = text.find(from); at != Text::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    }
};

// FindClass calls are logged, so a test can tell which way the main class was found.
jclass(JNICALL* originalFindClass)(JNIEnv*, const char*) = nullptr;
jclass JNICALL loggingFindClass(JNIEnv* env, const char* name) {
    say(std::string("FindClass ") + name);
    return originalFindClass(env, name);
}

BootClassFinder bootFinderOf(void* library) {
    return reinterpret_cast<BootClassFinder>(dlsym(library, "JVM_FindClassFromBootLoader"));
}

Text textOf(const char* argument) { return fromModifiedUtf8(argument); }

TextList textsOf(int count, char** arguments) {
    TextList list;
    for (int i = 0; i < count; ++i) list.push_back(textOf(arguments[i]));
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    // Options between the class path and the scenario go to the machine as they are.
    int scenarioAt = 2;
    while (scenarioAt < argc && argv[scenarioAt][0] == '-') ++scenarioAt;
    if (scenarioAt >= argc) {
        std::fputs("usage: jvm_probe CLASS_PATH [-VM_OPTION...] SCENARIO ARGS...\n", stderr);
        return 2;
    }
    const std::string scenario = argv[scenarioAt];
    // Another runtime's library, for the tests of what differs between releases.
    const char* libraryPath = std::getenv("VORNIC_PROBE_LIBJVM");
    if (!libraryPath || !*libraryPath) libraryPath = VORNIC_LIBJVM;
    void* library = dlopen(libraryPath, RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", libraryPath, dlerror());
        return 3;
    }
    auto create = reinterpret_cast<CreateJavaVmFunction>(dlsym(library, "JNI_CreateJavaVM"));

    std::vector<std::string> options{std::string("-Djava.class.path=") + argv[1]};
    for (int at = 2; at < scenarioAt; ++at) options.emplace_back(argv[at]);
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    const jint created = createJavaVm(create, options, &vmExitHook, &vmAbortHook, vm, env);
    if (created != JNI_OK) {
        say("create failed " + std::to_string(created));
        return 4;
    }

    // The runtime's function table is writable (it patches it itself); only FindClass is wrapped.
    auto* table = const_cast<JNINativeInterface_*>(env->functions);
    originalFindClass = table->FindClass;
    table->FindClass = loggingFindClass;

    ProbeHost host;
    ProbePlatform platform;
    char** rest = argv + scenarioAt + 1;
    const int restCount = argc - scenarioAt - 1;
    bool ran = false;

    if (scenario == "main-boot" || scenario == "main-findclass") {
        // main-boot|main-findclass CLASS ARGS...
        const BootClassFinder finder = scenario == "main-boot" ? bootFinderOf(library) : nullptr;
        if (scenario == "main-boot" && !finder) say("no boot finder");
        ran = runMain(env, finder, replaceChar(textOf(rest[0]), L'.', L'/'), textsOf(restCount - 1, rest + 1), host);
    } else if (scenario == "exit-after-main") {
        ran = runMain(env, nullptr, textOf(rest[0]), {}, host);
        say(requestSystemExit(env) ? "exit returned true" : "exit returned false");
    } else if (scenario == "redirect") {
        // redirect OUT OUT_APPEND ERR ERR_APPEND CLASS ARG
        Text out = textOf(rest[0]);
        Text err = textOf(rest[2]);
        redirectOutput(env, out, std::strcmp(rest[1], "1") == 0, err, std::strcmp(rest[3], "1") == 0, platform);
        say("names [" + utf8(out) + "] [" + utf8(err) + "] time read " + std::to_string(platform.timeReads));
        ran = runMain(env, nullptr, textOf(rest[4]), textsOf(restCount - 5, rest + 5), host);
    } else if (scenario == "exception-text") {
        ran = runMain(env, nullptr, textOf(rest[0]), {}, host);
        jthrowable thrown = env->ExceptionOccurred();
        env->ExceptionClear();
        say("text-begin\n" + utf8(exceptionText(env, thrown)) + "text-end");
    } else if (scenario == "uncaught") {
        // uncaught CLASS: main's exception told as the Java thread tells it without "Failure Check"
        ran = runMain(env, nullptr, textOf(rest[0]), {}, host);
        if (jthrowable thrown = env->ExceptionOccurred()) {
            env->ExceptionClear();
            reportUncaughtException(env, thrown);
            say("reported");
        }
    } else if (scenario == "secondary") {
        // secondary CLASS ARGS...: served as the single-instance channel serves a later start
        const std::string mainClass = rest[0];
        const auto sayReply = [](void*, jint code) { say("reply " + std::to_string(code)); };
        ran = serveSecondaryRequest(env, mainClass.c_str(), textsOf(restCount - 1, rest + 1), sayReply, nullptr);
    } else {
        say("unknown scenario " + scenario);
    }

    jthrowable pending = env->ExceptionOccurred();
    say(std::string(ran ? "ran" : "not ran") + (pending ? " with exception" : ""));
    if (pending) env->ExceptionDescribe();
    vm->DestroyJavaVM();
    return ran ? 0 : 1;
}
