#include "script.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "process_identity.h"
#include "record.h"
#include "vm_state.h"

namespace standin {

namespace {

std::wstring scriptPath() {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(L"VORNIC_STANDIN_SCRIPT", buffer, 32768);
    if (length > 0 && length < 32768) return std::wstring(buffer, length);
    return besideModule(L"standin-script.txt");
}

std::string trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return std::string();
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

Script readScript() {
    Script parsed;
    const HANDLE file = CreateFileW(scriptPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return parsed;
    std::string content;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) content.append(chunk, read);
    CloseHandle(file);

    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) failLoudly("bad-script-line", line);
        const std::string method = trim(line.substr(0, colon));
        const std::string action = trim(line.substr(colon + 1));
        if (method == "main") {
            parsed.mainActions.push_back(action);
        } else if (method == "secondaryMain" && action.rfind("returns ", 0) == 0) {
            parsed.secondarySignature =
                action.substr(8) == "int" ? "([Ljava/lang/String;)I" : "([Ljava/lang/String;)V";
        } else if (method == "secondaryMain") {
            parsed.secondaryActions.push_back(action);
        } else if (method == "stop-method") {
            parsed.stopMethod = action;
        } else if (method == "stop") {
            parsed.stopActions.push_back(action);
        } else if (method == "class") {
            parsed.classes.push_back(action);
        } else if (method == "no-main") {
            parsed.classesWithoutMain.push_back(action);
        } else if (method == "after-exit-hook") {
            parsed.afterExitHookEvent = action;
        } else if (method == "load-delay") {
            parsed.loadDelayMilliseconds = static_cast<unsigned long>(std::atol(action.c_str()));
        } else {
            failLoudly("bad-script-line", line);
        }
    }
    return parsed;
}

std::string dotted(std::string name) {
    std::replace(name.begin(), name.end(), '/', '.');
    return name;
}

void println(Object* stream, const std::string& text) { writeTo(stream, text + "\r\n"); }

// One line of System.in without its line end; what is there at the end of the input.
std::string readInputLine() {
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &read, nullptr) && read == 1 && c != '\n') line += c;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

jint consoleEventExitCode = 0;

// What a runtime's own handler does with a console event: its shutdown (here the record line) runs,
// then the process ends through System.exit with the code Java gives that event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    record("console-event", event == CTRL_C_EVENT       ? "ctrl-c"
                            : event == CTRL_BREAK_EVENT ? "ctrl-break"
                            : event == CTRL_CLOSE_EVENT ? "close"
                                                        : std::to_string(event));
    systemExit(consoleEventExitCode);
    return TRUE;
}

// An application's first window: visible at once; it is not painted, since nothing pumps its messages.
void showApplicationWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"StandinWindow";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, L"StandinWindow", L"standin application", WS_OVERLAPPEDWINDOW, 40, 40,
                                        320, 240, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    record("window", window ? "shown" : "failed");
}

}  // namespace

const Script& script() {
    static const Script parsed = readScript();
    return parsed;
}

void waitForEvent(const std::string& name) {
    // Until the test sets it; a test that forgets it fails after fifteen minutes (long enough for
    // the longest test under emulation).
    const std::wstring wide(name.begin(), name.end());
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, wide.c_str());
    if (!event || WaitForSingleObject(event, 900000) != WAIT_OBJECT_0) failLoudly("wait-event-failed", name);
    CloseHandle(event);
}

jvalue runScriptedMethod(const std::string& method, const ClassInfo& owner, Call& call) {
    jvalue result{};
    const Object* arguments = call.args.empty() ? nullptr : reinterpret_cast<Object*>(call.args[0].l);
    if (method != "stop") record(method == "main" ? "main-class" : "secondary-class", owner.name);
    record("call", method == "stop" ? script().stopMethod : method);
    if (arguments) {
        for (const Object* argument : arguments->elements) record("arg", utf8Of(argument));
    }
    // After main's own lines: loading shell32 takes long enough under Wine that, before them, it let
    // a second start's call record itself ahead of main.
    if (method == "main") record("app-user-model-id", appUserModelIdOfProcess());
    // Calls may run at once: one line per call, each argument as "<UTF-8 bytes>:<text>", so that no
    // text can pass for a separator.
    if (method == "secondaryMain") {
        std::string line = std::to_string(arguments ? arguments->elements.size() : 0) + " ";
        if (arguments) {
            for (const Object* argument : arguments->elements) {
                const std::string text = utf8Of(argument);
                line += std::to_string(text.size()) + ":" + text;
            }
        }
        record("secondary-arguments", line);
    }
    const std::vector<std::string>& actions = method == "main"   ? script().mainActions
                                              : method == "stop" ? script().stopActions
                                                                 : script().secondaryActions;
    for (const std::string& action : actions) {
        const size_t space = action.find(' ');
        const std::string verb = action.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : action.substr(space + 1);
        if (verb == "out") {
            println(systemOut(), rest);
        } else if (verb == "err") {
            println(systemErr(), rest);
        } else if (verb == "args") {
            if (arguments) {
                for (const Object* argument : arguments->elements) println(systemOut(), utf8Of(argument));
            }
        } else if (verb == "env") {
            const std::wstring name(rest.begin(), rest.end());
            println(systemOut(), rest + "=" + environmentValue(name.c_str()));
        } else if (verb == "in") {
            println(systemOut(), "in " + readInputLine());
        } else if (verb == "console-handler") {
            consoleEventExitCode = static_cast<jint>(std::atol(rest.c_str()));
            record("console-handler", SetConsoleCtrlHandler(onConsoleEvent, TRUE) ? "installed" : "failed");
        } else if (verb == "sleep") {
            Sleep(static_cast<DWORD>(std::atol(rest.c_str())));
        } else if (verb == "thread") {
            const size_t cut = rest.find(' ');
            const DWORD milliseconds = static_cast<DWORD>(std::atol(rest.substr(0, cut).c_str()));
            const std::string text = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
            startNonDaemonThread([milliseconds, text] {
                Sleep(milliseconds);
                if (!text.empty()) println(systemOut(), text);
            });
        } else if (verb == "throw") {
            const size_t cut = rest.find(' ');
            const std::string where = dotted(owner.name) + "." + method + "(" + owner.name.substr(owner.name.rfind('/') + 1) + ".java)";
            throwNew(rest.substr(0, cut), cut == std::string::npos ? std::string() : rest.substr(cut + 1), where);
            return result;
        } else if (verb == "exit") {
            systemExit(static_cast<jint>(std::atol(rest.c_str())));
        } else if (verb == "stage-and-exit") {
            // What an updater does: the staged folder becomes the launcher's update folder, then
            // the application ends with the restart code. Nothing to stage: main goes on.
            const size_t cut = rest.find(' ');
            std::string from = rest.substr(0, cut);
            if (!from.empty() && from.back() == '\\') from.pop_back();
            std::string to = systemProperty("vornicw.update.folder");
            if (!to.empty() && to.back() == '\\') to.pop_back();
            if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
                record("stage", "nothing to stage");
            } else {
                record("stage", MoveFileA(from.c_str(), to.c_str()) ? to : "failed " + std::to_string(GetLastError()));
                systemExit(static_cast<jint>(std::atol(rest.substr(cut + 1).c_str())));
            }
        } else if (verb == "abort") {
            systemAbort();
        } else if (verb == "window") {
            showApplicationWindow();
        } else if (verb == "return") {
            result.i = static_cast<jint>(std::atol(rest.c_str()));
        } else if (verb == "return-argument") {
            const size_t index = static_cast<size_t>(std::atol(rest.c_str()));
            if (arguments && index < arguments->elements.size()) {
                result.i = static_cast<jint>(std::atol(utf8Of(arguments->elements[index]).c_str()));
            }
        } else if (verb == "wait-event") {
            waitForEvent(rest);
        } else if (verb == "set-event") {
            const std::wstring name(rest.begin(), rest.end());
            const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
            if (!event || !SetEvent(event)) failLoudly("set-event-failed", rest);
            CloseHandle(event);
        } else {
            failLoudly("bad-script-action", action);
        }
    }
    if (method == "secondaryMain") record("secondary-returned");
    return result;
}

}  // namespace standin
