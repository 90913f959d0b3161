#include "update/folder_processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include "support/unique_handle.h"

namespace {

bool imagePathOf(DWORD processId, Text& path) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    wchar_t buffer[32768];
    DWORD length = static_cast<DWORD>(std::size(buffer));
    if (!QueryFullProcessImageNameW(process.get(), 0, buffer, &length)) return false;
    path.assign(buffer, length);
    return true;
}

bool startsWithNoCase(const Text& text, const Text& prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

bool otherProcessInFolder(const Text& folder, const Text& exeName, Text& found) {
    found.clear();
    // A failed snapshot is INVALID_HANDLE_VALUE, as a failed CreateFile is.
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        found = L"(the process list cannot be read)";
        return true;
    }
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
        Text image;
        const bool known = imagePathOf(entry.th32ProcessID, image);
        if ((known && startsWithNoCase(image, folder)) || (!known && equalsNoCase(entry.szExeFile, exeName))) {
            found = (known ? image : Text(entry.szExeFile)) + L" (process " + decimalText(entry.th32ProcessID) + L")";
            return true;
        }
    }
    return false;
}
