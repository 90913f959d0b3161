#include "update/staged_update.h"

#include <windows.h>

#include "support/environment.h"
#include "support/resource_module.h"
#include "support/trace.h"
#include "support/trace_file.h"
#include "support/unique_handle.h"
#include "texts/frontend.h"
#include "texts/messages.h"
#include "update/folder_processes.h"
#include "update/successor.h"
#include "update/update_apply.h"

namespace {

// Set in a process that runs the trial of the version it (or its predecessor) applied.
const wchar_t kTrialVariable[] = L"VORNIC_UPDATE_TRIAL";

// During a trial nothing reaches the user: a failure is answered by putting the previous version
// back, and the user hears of that once. What would have been shown goes to the trace.
class TrialFrontend : public FrontendOverride {
public:
    int presentMessage(const Text& text, const Text*) override {
        VORNIC_TRACE(L"update trial: " + text);
        return IDOK;
    }
    INT_PTR askForRuntimeFolder(const Text& prompt) override {
        VORNIC_TRACE(L"update trial: no runtime fits the new version: " + prompt);
        return IDCANCEL;
    }
    bool presentException(const Text& text) override {
        VORNIC_TRACE(L"update trial: " + text);
        return true;
    }
};

struct UpdateRun {
    UpdatePlace place;
    Text folder;  // the current folder at start
    EnvironmentCopy environment;
    bool trial = false;
    bool reached = false;
    bool tellUndone = false;
    // A service: the service control manager knows this process alone, so the start goes on here.
    bool inProcess = false;
    TrialFrontend frontend;
};

UpdateRun g_run;

// Serialises the starts that find an update folder, so that two never apply at once.
class UpdateLock {
public:
    explicit UpdateLock(const Text& folder) {
        Text name = L"Local\\vornicw-update-" + replaceChar(pathKey(folder), L'\\', L'_');
        mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
        const DWORD waited = mutex_ ? WaitForSingleObject(mutex_.get(), 60000) : WAIT_FAILED;
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~UpdateLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;
    bool held() const { return held_; }

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

bool takeTrialMark() {
    Text value;
    if (!readEnvironment(kTrialVariable, value)) return false;
    SetEnvironmentVariableW(kTrialVariable, nullptr);
    return true;
}

void beginTrial() {
    g_run.trial = true;
    alsoTraceInto(g_run.place.trace());
    VORNIC_TRACE(L"update: this launch tries the new version; until main runs, a failure puts the previous one back");
    overrideFrontend(&g_run.frontend);
}

// A service goes on with the settings and strings of the executable now in place; the code that
// runs is the one it started with until its next start.
bool goOnInThisProcess(bool trial) {
    const Text exe = g_run.place.installed(g_run.place.exeName);
    if (useResourcesOf(exe)) {
        VORNIC_TRACE(L"update: the service goes on in this process with the settings of " + exe);
    } else {
        VORNIC_TRACE(L"update: " + exe + L" cannot be read (error " + decimalText(GetLastError()) +
                     L"): the service goes on with the settings it started with");
    }
    if (trial) beginTrial();
    return true;
}

// The start goes on through the executable now in place, which waits for this process to end.
bool handOn(bool trial, int& exitCode) {
    if (g_run.inProcess) return goOnInThisProcess(trial);
    DWORD error = 0;
    const TextList extra = trial ? TextList{Text(kTrialVariable) + L"=1"} : TextList{};
    exitCode = startSuccessor(g_run.folder, g_run.environment, extra, error) ? 0 : -1;
    return false;
}

bool goOnWithTrial(const UpdateJournal& journal, int& exitCode) {
    if (journalChanges(journal, g_run.place.exeName)) return handOn(true, exitCode);
    beginTrial();
    return true;
}

bool undoAndGoOn(UpdateJournal& journal, bool& again, int& exitCode) {
    again = false;
    if (!undoApply(g_run.place, journal)) {
        // A mixed folder never runs; the next start tries the undo again.
        VORNIC_TRACE(L"update: the previous version cannot be put back now; the launch ends");
        exitCode = -1;
        return false;
    }
    // The journal now says Undone: the user is told next, here or in the process handed on to.
    again = true;
    if (journalChanges(journal, g_run.place.exeName)) return handOn(false, exitCode);
    return true;
}

// One state of the journal; `again` when the next state is to be looked at in this same start.
bool stepJournal(UpdateJournal& journal, bool continuing, bool& again, int& exitCode) {
    again = false;
    switch (actionAtStart(journal.state, continuing)) {
    case StartAction::Complete:
        if (completeApply(g_run.place, journal)) return goOnWithTrial(journal, exitCode);
        return undoAndGoOn(journal, again, exitCode);
    case StartAction::RunTrial: beginTrial(); return true;
    case StartAction::Undo:
        VORNIC_TRACE(L"update: the new version never reached main: putting the previous one back");
        return undoAndGoOn(journal, again, exitCode);
    case StartAction::RemoveBackup:
        removeBackup(g_run.place, false);
        removeJournal(g_run.place);
        VORNIC_TRACE(L"update: the new version reached main before; its backup is removed");
        again = true;
        return true;
    case StartAction::ReportUndone:
        // The journal stays until the user has been told: a start cut short before tells again.
        g_run.tellUndone = true;
        removeBackup(g_run.place, true);
        return true;
    }
    return true;
}

bool runUpdate(bool continuing, int& exitCode) {
    for (int round = 0; round < 4; ++round) {
        UpdateJournal journal;
        bool again = false;
        if (readJournal(g_run.place, journal)) {
            if (!stepJournal(journal, continuing, again, exitCode)) return false;
        } else if (isFile(g_run.place.journal())) {
            VORNIC_TRACE(L"update: " + g_run.place.journal() + L" is no journal: nothing is changed");
        } else if (isFile(g_run.place.manifest()) && planStage(g_run.place, journal)) {
            if (!stepJournal(journal, continuing, again, exitCode)) return false;
        } else if (!isFile(g_run.place.manifest()) && hasStagedFiles(g_run.place)) {
            VORNIC_TRACE(L"update: the staged files in " + g_run.place.updateFolder +
                         L" have no manifest: they are ignored and removed");
            removeStagedFiles(g_run.place);
        }
        if (!again) return true;
    }
    return true;
}

}  // namespace

bool updateAtStart(int& exitCode, bool (*startedByServiceManager)()) {
    UpdatePlace place;
    if (!locateUpdate(place)) return true;
    const bool continuing = takeTrialMark();
    if (!isFile(place.journal()) && !isFile(place.manifest()) && !hasStagedFiles(place)) return true;
    const UpdateLock lock(place.appFolder);
    Text other;
    if (!lock.held() || (!continuing && otherProcessInFolder(place.appFolder, place.exeName, other))) {
        VORNIC_TRACE(L"update: " + (other.empty() ? Text(L"another start holds the update") : other + L" runs") +
                     L": the update waits for a start of its own");
        return true;
    }
    g_run.place = place;
    g_run.inProcess = startedByServiceManager();
    g_run.environment = currentEnvironment();
    g_run.folder = currentFolder();
    return runUpdate(continuing, exitCode);
}

void updateReachedMain() {
    if (!g_run.trial || g_run.reached) return;
    g_run.reached = true;
    restoreFrontend(&g_run.frontend);
    UpdateJournal journal;
    if (!readJournal(g_run.place, journal) || journal.state != JournalState::Trial) return;
    journal.state = JournalState::Reached;
    writeJournal(g_run.place, journal);
    VORNIC_TRACE(L"update: the new version reached main; the next start removes the previous one");
}

int endOfLaunch(int exitCode) {
    if (!g_run.trial || g_run.reached) return exitCode;
    const Text ended = L"update: the new version ended before main (exit code " + decimalText(exitCode) + L")";
    if (!g_run.inProcess) {
        VORNIC_TRACE(ended + L": a new start puts the previous one back");
        DWORD error = 0;
        startSuccessor(g_run.folder, g_run.environment, {}, error);
        return exitCode;
    }
    // A service cannot start a second runtime in its process: it puts the previous version back for
    // the service's next start, says so, and ends with the failed start's code.
    VORNIC_TRACE(ended + L": the service puts the previous one back for its next start");
    g_run.trial = false;
    restoreFrontend(&g_run.frontend);
    useResourcesOf(Text());
    const UpdateLock lock(g_run.place.appFolder);
    int unused = 0;
    if (lock.held()) runUpdate(false, unused);
    reportUndoneUpdate();
    return exitCode;
}

void reportUndoneUpdate() {
    if (!g_run.tellUndone) return;
    g_run.tellUndone = false;
    showMessageId(kMsgUpdateUndone, {g_run.place.trace()});
    removeJournal(g_run.place);
}
