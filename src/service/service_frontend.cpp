#include "service/service_frontend.h"

#include "runtime/runtime_selection_prompt.h"
#include "support/filesystem.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "support/utf8.h"

namespace {

// The part of the executable's path after its last backslash.
Text exeFileName() {
    Text path;
    if (!getModulePath(nullptr, path)) return L"vornicw";
    const size_t slash = path.find_last_of(L'\\');
    return slash == Text::npos ? path : path.substr(slash + 1);
}

// Appends one line in UTF-8. The runtime may hold the same file open for System.err: both append,
// and both share it for reading and writing.
void appendLine(const Text& file, const Text& text) {
    if (createParentFolders(file) != 0) return;
    UniqueFile out(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        traceFormatted(L"Error File %s cannot be opened: error %u", {file, GetLastError()});
        return;
    }
    const bool ended = !text.empty() && text.back() == L'\n';
    const std::string line = encodeUtf8(ended ? text : text + L"\r\n");
    DWORD written = 0;
    WriteFile(out.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

void SystemEventLog::report(const Text& source, WORD type, const Text& text) {
    const UniqueEventSource log(RegisterEventSourceW(nullptr, source.c_str()));
    if (!log) {
        traceFormatted(L"event log source %s cannot be registered: error %u", {source, GetLastError()});
        return;
    }
    const wchar_t* strings[] = {text.c_str()};
    if (!ReportEventW(log.get(), type, 0, 0, nullptr, 1, 0, strings, nullptr))
        traceFormatted(L"event log entry not written: error %u", {GetLastError()});
}

ServiceFrontend::ServiceFrontend(EventLog& log, const Text& source, const Text& errorFile, FileNaming naming)
    : log_(log), source_(source.empty() ? exeFileName() : source), errorFile_(errorFile), naming_(naming) {}

void ServiceFrontend::log(const Text& text) {
    // One message at a time, from whichever thread; the name is expanded on first use, once the
    // launch has made its working folder current ("Override WorkingDir"), as the runtime finds it.
    AcquireSRWLockExclusive(&lock_);
    if (!errorFileExpanded_) {
        errorFile_ = naming_(errorFile_);
        errorFileExpanded_ = true;
    }
    traceFormatted(L"service message to the event log%s%s: %s",
                   {errorFile_.empty() ? L"" : L" and ", errorFile_, text});
    log_.report(source_, EVENTLOG_ERROR_TYPE, text);
    if (!errorFile_.empty()) appendLine(errorFile_, text);
    ReleaseSRWLockExclusive(&lock_);
}

int ServiceFrontend::presentMessage(const Text& text, const Text* caption) {
    log(caption && !caption->empty() ? *caption + L": " + text : text);
    return IDOK;
}

INT_PTR ServiceFrontend::askForRuntimeFolder(const Text& prompt) {
    log(promptWithoutDialog(prompt));
    return IDCANCEL;
}

bool ServiceFrontend::presentException(const Text& text) {
    log(text);
    return false;
}
