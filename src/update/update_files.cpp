#include "update/update_files.h"

#include <vector>

#include "support/environment.h"
#include "support/filesystem.h"
#include "support/path.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "support/sha256.h"

const wchar_t kUpdateFolderName[] = L"update";

namespace {

constexpr UINT kStoppedExitCode = 86;

Text longPath(const Text& path) { return withLongPathPrefix(path); }

}  // namespace

bool locateUpdate(UpdatePlace& place) {
    Text exe;
    if (!getModulePath(nullptr, exe)) return false;
    place.appFolder = folderOf(exe);
    place.exeName = exe.substr(place.appFolder.size());
    place.updateFolder = place.appFolder + kUpdateFolderName + L"\\";
    const DWORD attributes = GetFileAttributesW(longPath(place.updateFolder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFile(const Text& path) {
    const DWORD attributes = GetFileAttributesW(longPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool readWholeFile(const Text& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[16384];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr)) {
        if (read == 0) return true;
        bytes.append(chunk, read);
    }
    bytes.clear();
    return false;
}

bool replaceFileWhole(const Text& path, const std::string& bytes) {
    const Text temporary = path + L".new";
    {
        UniqueFile file(CreateFileW(longPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.get()))
            return false;
    }
    const bool moved = MoveFileExW(longPath(temporary).c_str(), longPath(path).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (moved) stepDone();
    return moved;
}

bool moveStep(const Text& from, const Text& to, bool replace) {
    createParentFolders(to);
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(longPath(from).c_str(), longPath(to).c_str(), flags)) {
        VORNIC_TRACE(L"update: moving " + from + L" to " + to + L" failed: error " + decimalText(GetLastError()));
        return false;
    }
    stepDone();
    return true;
}

bool deleteStep(const Text& path) {
    if (!DeleteFileW(longPath(path).c_str())) return false;
    stepDone();
    return true;
}

bool removeTreeStep(const Text& folder) {
    const DWORD attributes = GetFileAttributesW(longPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    bool whole = true;
    // A link or junction is removed as itself; its target is none of the update's business.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW entry;
        UniqueFind search(FindFirstFileW(longPath(ensureTrailingBackslash(folder) + L"*").c_str(), &entry));
        for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.get(), &entry) != FALSE) {
            const Text name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const Text path = ensureTrailingBackslash(folder) + name;
            const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder) whole = removeTreeStep(path) && whole;
            else whole = DeleteFileW(longPath(path).c_str()) && whole;
        }
    }
    whole = RemoveDirectoryW(longPath(folder).c_str()) && whole;
    stepDone();
    return whole;
}

bool hashFile(const Text& path, std::string& sha256, unsigned long long& size) {
    UniqueFile file(CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    Sha256 hash;
    std::vector<char> chunk(1 << 16);
    size = 0;
    DWORD read = 0;
    while (ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
        if (read == 0) {
            sha256 = hash.finishHex();
            return true;
        }
        hash.update(chunk.data(), read);
        size += read;
    }
    return false;
}

namespace {

// Read at the first step; a plain global, as every step runs on the main thread.
bool g_stepsRead = false;
long long g_stepsLeft = -1;

void readStopSteps() {
    if (!g_stepsRead) {
        g_stepsRead = true;
        Text value;
        if (readEnvironment(L"VORNIC_UPDATE_STOP_AFTER", value) && !value.empty()) {
            g_stepsLeft = 0;
            for (const wchar_t c : value)
                if (c >= L'0' && c <= L'9') g_stepsLeft = g_stepsLeft * 10 + (c - L'0');
        }
    }
}

}  // namespace

bool stepsBeforeStop(long long& left) {
    readStopSteps();
    left = g_stepsLeft;
    return left > 0;
}

void stepDone() {
    readStopSteps();
    long long& remaining = g_stepsLeft;
    if (remaining < 0) return;
    if (--remaining == 0) {
        VORNIC_TRACE(L"update: stopped here (VORNIC_UPDATE_STOP_AFTER)");
        TerminateProcess(GetCurrentProcess(), kStoppedExitCode);
    }
}
