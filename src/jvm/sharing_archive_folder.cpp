#include "jvm/sharing_archive_folder.h"

#include <windows.h>

#include "jvm/class_data_sharing.h"
#include "runtime/system_registry.h"
#include "settings/ini_store.h"
#include "settings/settings_paths.h"
#include "support/environment.h"
#include "support/filesystem.h"
#include "support/path.h"
#include "support/system_text.h"
#include "support/trace.h"
#include "support/unique_handle.h"

namespace {

// The archive being written at exit and its final name without the size. Process-wide, because the
// runtime's exit hook that finishes it receives nothing but the exit code.
Text writingArchive;
Text finalStemPath;
// Where the sharing options stand in the runtime's options (one after another), for a second
// creation without them, and the marker that would record their refusal.
std::size_t sharingFirst = 0;
std::size_t sharingCount = 0;
Text refusalMarker;

std::uint64_t fileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A missing entry keeps size and time 0: it still takes part in the name, as the class path does.
FileStamp stampOf(const Text& path) {
    FileStamp stamp;
    stamp.path = path;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(withLongPathPrefix(path).c_str(), GetFileExInfoStandard, &data)) {
        stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.modified = fileTimeValue(data.ftLastWriteTime);
    }
    return stamp;
}

// The runtime writes the archive only at exit, and then says nothing if it cannot: whether the folder
// takes a file is asked now, with a file that is gone again when its handle closes.
bool folderTakesFiles(const Text& folder) {
    const Text probe = folder + L"write-check." + decimalText(GetCurrentProcessId()) + L".tmp";
    UniqueFile file(CreateFileW(withLongPathPrefix(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

// A dynamic archive extends the runtime's base archive, which a trimmed runtime image may lack; Java
// 17 told to write one without it does not start at all.
Text baseArchiveOf(const Text& jvmLibraryPath) { return folderOf(jvmLibraryPath) + L"classes.jsa"; }

bool fileStartsAsDynamicArchive(const Text& path) {
    UniqueFile file(CreateFileW(withLongPathPrefix(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    unsigned char bytes[4] = {};
    DWORD read = 0;
    return file && ReadFile(file.get(), bytes, sizeof(bytes), &read, nullptr) && startsAsDynamicArchive(bytes, read);
}

// Finds the complete archive of `stem` and removes every other archive the launcher named for the
// product: those of an earlier application or runtime, leftovers of a write that never finished, a
// cut-short copy. Other files stay, whatever their names begin with.
// `keep` is the name the runtime manages itself (Java 19 and later). A file still open elsewhere
// cannot be deleted, so a concurrent launch's archive survives.
Text sweepArchives(const Text& folder, const Text& productPrefix, const Text& stem, const Text& keep) {
    Text complete;
    FileSearch search;
    if (!search.findFirst(folder + productPrefix + L"*")) return complete;
    do {
        const WIN32_FIND_DATAW& entry = search.entry();
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const Text name = entry.cFileName;
        if (!isLauncherArchiveName(name, productPrefix)) continue;
        const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        const bool archive = fileStartsAsDynamicArchive(folder + name);
        if (complete.empty() && archive && isCompleteArchive(name, stem, size)) {
            complete = name;
        } else if (!(archive && equalsNoCase(name, keep)) && DeleteFileW(withLongPathPrefix(folder + name).c_str())) {
            VORNIC_TRACE(L"class data sharing: removed " + folder + name);
        }
    } while (search.findNext());
    return complete;
}

}  // namespace

void addClassDataSharing(const Text& productName, const IniStore& store, const Text& classPath, JavaSession& session) {
    if (!equalsNoCase(iniValue(store, Setting::ClassDataSharing), L"Yes")) return;

    SharingInputs inputs;
    inputs.productName = productName;
    inputs.runtimeVersion = runtimeVersionOf(session.jvmLibraryPath);
    const int release = featureRelease(inputs.runtimeVersion);
    if (release < 13) {
        VORNIC_TRACE(release == 0 ? Text(L"class data sharing: off (runtime version unknown)")
                                  : L"class data sharing: off (Java " + decimalText(release) + L" has no dynamic archive)");
        return;
    }
    const Text baseArchive = baseArchiveOf(session.jvmLibraryPath);
    if (!fileExists(baseArchive)) {
        VORNIC_TRACE(L"class data sharing: off (the runtime has no base archive " + baseArchive + L")");
        return;
    }
    Text localAppData;
    readEnvironment(L"LOCALAPPDATA", localAppData);
    if (!isAbsolutePath(localAppData) || folderNameOf(productName).empty()) {
        VORNIC_TRACE(L"class data sharing: off (no LOCALAPPDATA folder or no product name)");
        return;
    }
    const Text folder = ensureTrailingBackslash(localAppData + L"\\" + folderNameOf(productName));
    const DWORD created = createParentFolders(folder + L"archive");
    if (created != 0 || !folderTakesFiles(folder)) {
        VORNIC_TRACE(L"class data sharing: off (" + folder + L" cannot be written, error " +
                     decimalText(created != 0 ? created : GetLastError()) + L")");
        return;
    }

    inputs.jvmLibrary = stampOf(session.jvmLibraryPath);
    const Text marker = folder + sharingRefusedMarkerName(productName, inputs.runtimeVersion, inputs.jvmLibrary);
    if (fileExists(marker)) {
        VORNIC_TRACE(L"class data sharing: off (refused before: " + marker + L")");
        return;
    }
    for (const Text& entry : splitText(classPath, L";")) {
        if (!entry.empty()) inputs.classPath.push_back(stampOf(entry));
    }
    const Text stem = sharingArchiveStem(inputs);
    const Text keep = release >= 19 ? stem + L".jsa" : Text();
    const Text complete = sweepArchives(folder, sharingProductPrefix(productName), stem, keep);
    const SharingPlan plan =
        planClassDataSharing(inputs.runtimeVersion, folder, stem, complete, decimalText(GetCurrentProcessId()));
    sharingFirst = session.vmOptions.size();
    sharingCount = plan.options.size();
    refusalMarker = marker;
    for (const Text& option : plan.options) session.vmOptions.push_back(toAnsiText(option));
    if (plan.mode == SharingMode::writeAtExit) {
        writingArchive = plan.writing;
        finalStemPath = folder + stem;
    }
    VORNIC_TRACE(L"class data sharing: " +
                 Text(plan.mode == SharingMode::use           ? L"uses "
                      : plan.mode == SharingMode::writeAtExit ? L"writes at exit "
                                                              : L"the runtime keeps ") +
                 plan.archive);
}

void finishClassDataSharing() {
    if (writingArchive.empty()) return;
    const Text written = std::move(writingArchive);
    writingArchive.clear();
    const FileStamp stamp = stampOf(written);
    if (stamp.size == 0) {
        VORNIC_TRACE(L"class data sharing: the runtime wrote no archive " + written);
        DeleteFileW(withLongPathPrefix(written).c_str());
        return;
    }
    const Text stemPath = finalStemPath;
    const Text finalPath = folderOf(stemPath) + completeArchiveName(stemPath.substr(folderOf(stemPath).size()), stamp.size);
    if (MoveFileExW(withLongPathPrefix(written).c_str(), withLongPathPrefix(finalPath).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        VORNIC_TRACE(L"class data sharing: wrote " + finalPath);
    } else {
        VORNIC_TRACE(L"class data sharing: " + written + L" could not be renamed, error " + decimalText(GetLastError()));
        DeleteFileW(withLongPathPrefix(written).c_str());
    }
}

bool dropClassDataSharing(JavaSession& session) {
    if (sharingCount == 0) return false;
    const auto first = session.vmOptions.begin() + static_cast<std::ptrdiff_t>(sharingFirst);
    session.vmOptions.erase(first, first + static_cast<std::ptrdiff_t>(sharingCount));
    sharingCount = 0;
    // The refused machine wrote nothing, and the next one writes no archive.
    writingArchive.clear();
    return true;
}

void rememberSharingRefused() {
    if (refusalMarker.empty()) return;
    const Text marker = std::move(refusalMarker);
    refusalMarker.clear();
    UniqueFile file(CreateFileW(withLongPathPrefix(marker).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) VORNIC_TRACE(L"class data sharing: off for this runtime from now on: " + marker);
}
