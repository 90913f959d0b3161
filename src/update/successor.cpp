#include "update/successor.h"

#include "support/environment.h"
#include "support/filesystem.h"
#include "support/growing_buffer.h"
#include "support/standard_handles_for_child.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "update/update_files.h"

namespace {

// "<process id>:<creation time>", so that a reused process id is never taken for the predecessor.
const wchar_t kPredecessorVariable[] = L"VORNIC_RESTART_OF";
const wchar_t kStopVariable[] = L"VORNIC_UPDATE_STOP_AFTER";
const wchar_t* const kMarks[] = {kPredecessorVariable, L"VORNIC_RESTARTS", L"VORNIC_UPDATE_TRIAL", kStopVariable};
constexpr DWORD kPredecessorWaitMilliseconds = 60000;

unsigned long long creationTimeOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return static_cast<unsigned long long>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

bool isMark(const Text& entry) {
    for (const wchar_t* mark : kMarks) {
        const Text prefix = Text(mark) + L"=";
        if (entry.size() >= prefix.size() && equalsNoCase(entry.substr(0, prefix.size()), prefix)) return true;
    }
    return false;
}

unsigned long long numberOf(const Text& text) {
    unsigned long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        value = value * 10 + static_cast<unsigned long long>(c - L'0');
    }
    return value;
}

}  // namespace

Text currentFolder() {
    Text folder;
    readGrowing(folder, [](wchar_t* buffer, size_t capacity) -> size_t {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(capacity), buffer);
        if (length == 0) return kReadFailed;
        return length;  // too small: the size it needs, with the NUL
    });
    return folder;
}

EnvironmentCopy currentEnvironment() {
    EnvironmentCopy copy;
    wchar_t* block = GetEnvironmentStringsW();
    if (!block) return copy;
    for (const wchar_t* at = block; *at; at += wcslen(at) + 1) {
        if (!isMark(at)) copy.emplace_back(at);
    }
    FreeEnvironmentStringsW(block);
    return copy;
}

bool startSuccessor(const Text& folder, const EnvironmentCopy& environment, const TextList& extra, DWORD& error) {
    error = 0;
    Text exe;
    if (!getModulePath(nullptr, exe)) {
        error = GetLastError();
        return false;
    }
    Text block;
    for (const Text& entry : environment) block += entry + L'\0';
    block += Text(kPredecessorVariable) + L"=" + decimalText(GetCurrentProcessId()) + L":" +
             decimalText(creationTimeOf(GetCurrentProcess())) + L'\0';
    for (const Text& entry : extra) block += entry + L'\0';
    long long steps = 0;
    if (stepsBeforeStop(steps)) block += Text(kStopVariable) + L"=" + decimalText(steps) + L'\0';
    block += L'\0';
    Text commandLine = GetCommandLineW();  // CreateProcessW may write into it
    StandardHandlesForChild handles;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, handles.inherit(),
                        handles.creationFlags() | CREATE_UNICODE_ENVIRONMENT, block.data(),
                        folder.empty() ? nullptr : folder.c_str(), handles.startupInfo(), &started)) {
        error = GetLastError();
        VORNIC_TRACE(L"starting " + exe + L" again failed: error " + decimalText(error));
        return false;
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    VORNIC_TRACE(L"started " + exe + L" again as process " + decimalText(started.dwProcessId));
    return true;
}

void awaitPredecessor() {
    Text mark;
    if (!readEnvironment(kPredecessorVariable, mark)) return;
    SetEnvironmentVariableW(kPredecessorVariable, nullptr);
    const std::size_t colon = mark.find(L':');
    if (colon == Text::npos) return;
    const DWORD id = static_cast<DWORD>(numberOf(mark.substr(0, colon)));
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    // Gone already, or its id now names another process: nothing to wait for.
    if (!process || creationTimeOf(process.get()) != numberOf(mark.substr(colon + 1))) return;
    const bool ended = WaitForSingleObject(process.get(), kPredecessorWaitMilliseconds) == WAIT_OBJECT_0;
    VORNIC_TRACE(L"started again by process " + decimalText(id) +
                 (ended ? Text(L", which has ended") : Text(L", which still runs after a minute: going on")));
}
