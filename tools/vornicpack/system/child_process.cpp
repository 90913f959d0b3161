#include "system/child_process.h"

#ifdef _WIN32
#include "support/unique_handle.h"
#include "texts/text_codec.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;
#endif

#ifdef _WIN32

namespace {

using UniqueHandle = UniqueResource<HandleTraits>;

// The quoting CommandLineToArgvW and the C runtime undo: backslashes double only before a quote.
std::wstring quotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t unit : argument) {
        if (unit == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(unit == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += unit;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

bool runCommandLine(std::wstring commandLine, const std::string& input, int& exitCode, std::string& output,
                    std::string& error) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 65536)) {
        error = "cannot create a pipe";
        return false;
    }
    UniqueHandle childIn(inRead), ourIn(inWrite);
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) {
        error = "cannot create a pipe";
        return false;
    }
    UniqueHandle ourOut(outRead), childOut(outWrite);
    SetHandleInformation(ourIn.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(ourOut.get(), HANDLE_FLAG_INHERIT, 0);
    // The input fits the pipe's buffer, so it is written before the child runs and cannot block.
    DWORD written = 0;
    if (!input.empty() &&
        (!WriteFile(ourIn.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr) ||
         written != input.size())) {
        error = "cannot pass the input to the program";
        return false;
    }
    ourIn.reset();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn.get();
    startup.hStdOutput = childOut.get();
    startup.hStdError = childOut.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started)) {
        error = "cannot start it (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    UniqueHandle process(started.hProcess), thread(started.hThread);
    childIn.reset();
    childOut.reset();  // else the read below never sees the end
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(ourOut.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    exitCode = static_cast<int>(code);
    return true;
}

std::wstring wideOf(const std::string& text) {
    Text wide;
    decodeUtf8(text, wide);
    return wide;
}

}  // namespace

bool runProgram(const std::vector<std::string>& arguments, const std::string& input, int& exitCode,
                std::string& output, std::string& error) {
    exitCode = -1;
    output.clear();
    if (arguments.empty() || input.size() > kMaxChildInput) {
        error = "nothing to run, or too much input";
        return false;
    }
    std::wstring line;
    for (const std::string& argument : arguments) line += (line.empty() ? L"" : L" ") + quotedArgument(wideOf(argument));
    if (runCommandLine(line, input, exitCode, output, error)) return true;
    error = "cannot run " + arguments[0] + ": " + error;
    return false;
}

bool runShellCommand(const std::string& commandLine, int& exitCode, std::string& output, std::string& error) {
    exitCode = -1;
    output.clear();
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring shell = (length && length < MAX_PATH ? std::wstring(system, length) : L"C:\\Windows\\System32") +
                               L"\\cmd.exe";
    // /s: cmd.exe takes everything between the first and the last quote as the command, as written.
    if (runCommandLine(L"\"" + shell + L"\" /d /s /c \"" + wideOf(commandLine) + L"\"", std::string(), exitCode,
                       output, error))
        return true;
    error = "cannot run cmd.exe: " + error;
    return false;
}

std::string shellQuoted(const std::string& path) { return "\"" + path + "\""; }  // no file name holds a quote

#else

namespace {

struct Fd {
    int value = -1;
    Fd() = default;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    void reset() {
        if (value >= 0) close(value);
        value = -1;
    }
};

bool makePipe(Fd& read, Fd& write) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    read.value = ends[0];
    write.value = ends[1];
    return true;
}

}  // namespace

bool runProgram(const std::vector<std::string>& arguments, const std::string& input, int& exitCode,
                std::string& output, std::string& error) {
    exitCode = -1;
    output.clear();
    if (arguments.empty() || input.size() > kMaxChildInput) {
        error = "nothing to run, or too much input";
        return false;
    }
    Fd inRead, inWrite, outRead, outWrite;
    if (!makePipe(inRead, inWrite) || !makePipe(outRead, outWrite)) {
        error = "cannot run " + arguments[0] + ": " + std::strerror(errno);
        return false;
    }
    // The input fits the pipe's buffer: written and closed before the child exists, it can neither
    // block us nor raise SIGPIPE when the child does not read it.
    if (!input.empty() && write(inWrite.value, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
        error = "cannot pass the input to " + arguments[0];
        return false;
    }
    inWrite.reset();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inRead.value, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.value, 1);
    posix_spawn_file_actions_adddup2(&actions, outWrite.value, 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        error = "cannot run " + arguments[0] + ": " + std::strerror(started);
        return false;
    }
    inRead.reset();
    outWrite.reset();  // else the read below never sees the end
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(outRead.value, buffer, sizeof buffer);
        if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR) break;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return true;
}

bool runShellCommand(const std::string& commandLine, int& exitCode, std::string& output, std::string& error) {
    return runProgram({"/bin/sh", "-c", commandLine}, std::string(), exitCode, output, error);
}

std::string shellQuoted(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

#endif
