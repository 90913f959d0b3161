#include "download/runtime_download.h"

#include <windows.h>

#include "download/download_progress.h"
#include "download/http_download.h"
#include "download/runtime_unpack.h"
#include "runtime/requirement_text.h"
#include "runtime/runtime_folder.h"
#include "runtime/system_registry.h"
#include "settings/settings_paths.h"
#include "support/environment.h"
#include "support/filesystem.h"
#include "support/path.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "texts/frontend.h"
#include "texts/messages.h"

namespace {

struct Places {
    Text product;  // %LOCALAPPDATA%\<Product Name>\ .
    Text runtime;  // ...\runtimes\<hash prefix>\ .
    Text download;   // the temporary file of this process
    Text unpacking;  // the temporary folder of this process
};

// The product's name, else the program's file name without its extension.
Text productOf(const DownloadRequest& request) {
    if (!request.productName.empty()) return request.productName;
    Text exe;
    getModulePath(nullptr, exe);
    const std::size_t start = exe.find_last_of(L'\\') + 1;
    return exe.substr(start, exe.rfind(L'.') - start);
}

// Names carry the process id, so that two launchers downloading at once never share a file.
bool placesOf(const DownloadRequest& request, Places& places) {
    Text localAppData;
    readEnvironment(L"LOCALAPPDATA", localAppData);
    const Text folder = folderNameOf(productOf(request));
    if (!isAbsolutePath(localAppData) || folder.empty()) return false;
    const Text name = runtimeFolderNameOf(request.download.digest);
    const DWORD process = GetCurrentProcessId();
    places.product = formatText(L"%s%s\\", {ensureTrailingBackslash(localAppData), folder});
    places.runtime = formatText(L"%sruntimes\\%s\\", {places.product, name});
    places.download = formatText(L"%sdownload-%s-%u.tmp", {places.product, name, process});
    places.unpacking = formatText(L"%sunpack-%s-%u\\", {places.product, name, process});
    return true;
}


// The runtime under `home` as any other is checked: the jvm.dll "JVM Type" takes, of this build's
// width, and a version within the bounds where its release file names one.
bool runtimeFits(const DownloadRequest& request, const Text& home, Text& jvmLibrary) {
    jvmLibrary = findJvmLibrary(home, request.jvmType);
    if (jvmLibrary.empty()) return false;
    if (isOtherWidthMachine(jvmLibraryMachine(jvmLibrary), sizeof(void*) == 8)) return false;
    const JavaVersion version = runtimeVersionOf(jvmLibrary);
    if (version.count == 0) return true;
    // A maximum without digits is no bound, as for every other runtime.
    return JavaVersion::compare(version, request.minimumVersion) >= 0 &&
           (request.maximumVersion.count == 0 || JavaVersion::compare(version, request.maximumVersion) <= 0);
}

// What failed: one of messages 242 to 249 and what it names.
struct Failure {
    unsigned id = 0;
    Text text;         // a path, an entry's name, or the bytes received
    Text expected;     // the bytes the settings name
    DWORD number = 0;  // a system error code or an HTTP status
};

Text reasonOf(const Failure& failure) {
    // Each message takes its own arguments (texts/resource_ids.h); the others take none.
    if (failure.id == kMsgDownloadUnreachable || failure.id == kMsgDownloadHttpStatus)
        return formatMessageId(failure.id, {failure.number});
    if (failure.id == kMsgDownloadNotWritten) return formatMessageId(failure.id, {failure.text, failure.number});
    return formatMessageId(failure.id, {failure.text, failure.expected});
}

void showFailure(const DownloadRequest& request, const Failure& failure) {
    const Text reason = reasonOf(failure);
    traceFormatted(L"runtime download failed: %s", {reason});
    showMessageId(kMsgDownloadFailed, {request.download.urlText, reason});
}

// The archive into `file`; false with what failed when it is not exactly the one the settings name.
bool fetch(const DownloadRequest& request, const Places& places, HANDLE file, bool& cancelled, Failure& failure) {
    const RuntimeDownload& d = request.download;
    HttpDownload download(d.url, file, d.size);
    if (download.start()) followDownload(download, formatMessageId(kMsgDownloadTitle, {productOf(request)}), d.size);
    const HttpResult& result = download.result();
    cancelled = result.outcome == HttpOutcome::Cancelled;
    failure.number = result.outcome == HttpOutcome::HttpStatus ? result.status : result.error;
    failure.text = decimalText(result.received);
    failure.expected = decimalText(d.size);
    switch (result.outcome) {
        case HttpOutcome::Received: break;
        case HttpOutcome::Unreachable: failure.id = kMsgDownloadUnreachable; return false;
        case HttpOutcome::HttpStatus: failure.id = kMsgDownloadHttpStatus; return false;
        case HttpOutcome::WriteFailed: failure = {kMsgDownloadNotWritten, places.download, Text(), result.error}; return false;
        default: failure.id = kMsgDownloadWrongSize; return false;
    }
    const DownloadVerdict verdict = verdictOf(result.received, d.size, result.digest, d.digest);
    if (verdict == DownloadVerdict::Complete) return true;
    failure.id = verdict == DownloadVerdict::WrongHash ? kMsgDownloadWrongHash : kMsgDownloadWrongSize;
    return false;
}

Failure failureOfUnpack(const UnpackResult& unpacked) {
    switch (unpacked.problem) {
        case UnpackProblem::UnsafeEntry: return {kMsgDownloadUnsafeEntry, unpacked.detail, Text(), 0};
        case UnpackProblem::WriteFailed: return {kMsgDownloadNotWritten, unpacked.detail, Text(), unpacked.error};
        default: return {kMsgDownloadNotArchive, Text(), Text(), 0};
    }
}

// Unpacks, checks and renames into place; false with what failed, and nothing left behind.
bool place(const DownloadRequest& request, const Places& places, HANDLE file, Failure& failure) {
    const Text unpacking = places.unpacking.substr(0, places.unpacking.size() - 1);
    if (!CreateDirectoryW(withLongPathPrefix(unpacking).c_str(), nullptr)) {
        failure = {kMsgDownloadNotWritten, unpacking, Text(), GetLastError()};
        return false;
    }
    const UnpackResult unpacked = unpackArchive(file, request.download.size, places.unpacking);
    Text jvmLibrary;
    if (unpacked.problem != UnpackProblem::None) failure = failureOfUnpack(unpacked);
    else if (!runtimeFits(request, places.unpacking, jvmLibrary)) failure.id = kMsgDownloadNoRuntime;
    if (failure.id == 0) {
        const Text finalFolder = places.runtime.substr(0, places.runtime.size() - 1);
        createParentFolders(finalFolder);
        if (MoveFileExW(withLongPathPrefix(unpacking).c_str(), withLongPathPrefix(finalFolder).c_str(), 0)) return true;
        failure = {kMsgDownloadNotWritten, finalFolder, Text(), GetLastError()};
    }
    removeFolderTree(places.unpacking);
    // Another launcher placed the same runtime first: its folder is as good as this one would be.
    return failure.id == kMsgDownloadNotWritten && runtimeFits(request, places.runtime, jvmLibrary);
}

bool chosen(const DownloadRequest& request, const Text& home, RuntimeChoice& choice) {
    Text jvmLibrary;
    if (!runtimeFits(request, home, jvmLibrary)) return false;
    choice.home = home;
    choice.jvmLibraryPath = jvmLibrary;
    return true;
}

bool userAgrees(const DownloadRequest& request) {
    if (request.download.consent == DownloadConsent::Yes) return true;
    const Text requirement = requirementText(request.minimumVersion, request.maximumVersion);
    const Text question = formatMessageId(kMsgDownloadQuestion, {productOf(request), requirement,
                                                                 wholeMegabytesText(request.download.size)});
    const bool agreed = agreesToDownload(question, productOf(request));
    return agreed;
}

}  // namespace

bool provideDownloadedRuntime(const DownloadRequest& request, RuntimeChoice& choice) {
    Places places;
    if (!placesOf(request, places)) return false;
    if (chosen(request, places.runtime, choice)) {
        traceFormatted(L"runtime download: taken from an earlier download, %s", {places.runtime});
        return true;
    }
    if (!userAgrees(request)) return false;
    traceFormatted(L"runtime download: %s into %s", {request.download.urlText, places.download});
    Failure failure;
    const DWORD created = createParentFolders(places.download);
    // Deleted by the system when the handle closes: on every path out of here, and when the process
    // is ended in the middle.
    UniqueFile file(created == 0 ? CreateFileW(withLongPathPrefix(places.download).c_str(),
                                               GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                                 : INVALID_HANDLE_VALUE);
    bool cancelled = false;
    if (!file) failure = {kMsgDownloadNotWritten, places.download, Text(), created ? created : GetLastError()};
    const bool placed = file && fetch(request, places, file.get(), cancelled, failure) &&
                        place(request, places, file.get(), failure);
    if (!placed) {
        if (!cancelled) showFailure(request, failure);
        return false;
    }
    traceFormatted(L"runtime download: placed in %s", {places.runtime});
    return chosen(request, places.runtime, choice);
}
