// How a service reaches its user: nobody sees a window on a service's desktop, and a message box
// there would wait for ever. Every message becomes an entry in the Windows event log and a line in
// the "Error File" when one is set; the runtime selection dialog is never shown.
//
//   SystemEventLog eventLog;
//   ServiceFrontend frontend(eventLog, settings.eventSource, settings.errorFile, errorFileNaming);
//   overrideFrontend(&frontend);
#pragma once

#include <windows.h>

#include "texts/frontend.h"

// The seam to the event log, so that a test sees what would be written.
class EventLog {
public:
    virtual ~EventLog() = default;
    // One entry of `type` (EVENTLOG_ERROR_TYPE, ...) from the source `source`.
    virtual void report(const Text& source, WORD type, const Text& text) = 0;
};

// RegisterEventSourceW and ReportEventW. An unregistered source is allowed: the viewer then shows
// the text as the entry's only insertion string.
class SystemEventLog : public EventLog {
public:
    void report(const Text& source, WORD type, const Text& text) override;
};

// How the runtime names the file of a redirected stream: environment variables and the date pattern
// expanded, a relative name taken from the current folder. A service's "Error File" is named so.
using FileNaming = Text (*)(const Text& written);

class ServiceFrontend : public FrontendOverride {
public:
    // `source` empty: the executable's file name. `errorFile` as the settings wrote it, named by
    // `naming` as the runtime names its stream files.
    ServiceFrontend(EventLog& log, const Text& source, const Text& errorFile, FileNaming naming);

    int presentMessage(const Text& text, const Text* caption) override;
    // Logs the prompt (which says what runtime is needed) and gives IDCANCEL: the service ends with -1.
    INT_PTR askForRuntimeFolder(const Text& prompt) override;
    // Logs the exception's text; the application goes on, as after OK in the dialog.
    bool presentException(const Text& text) override;

private:
    void log(const Text& text);

    EventLog& log_;
    Text source_;
    Text errorFile_;
    FileNaming naming_;
    bool errorFileExpanded_ = false;
    SRWLOCK lock_ = SRWLOCK_INIT;
};
