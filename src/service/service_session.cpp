#include "service/service_session.h"

#include <atomic>

#include "service/service_frontend.h"
#include "service/service_hooks.h"
#include "service/stop_request.h"
#include "support/system_text.h"
#include "support/trace.h"
#include "texts/frontend.h"

namespace {

std::atomic<ServiceSession*> g_session{nullptr};

const wchar_t* controlName(DWORD control) {
    switch (control) {
        case SERVICE_CONTROL_STOP: return L"STOP";
        case SERVICE_CONTROL_SHUTDOWN: return L"SHUTDOWN";
        case SERVICE_CONTROL_PRESHUTDOWN: return L"PRESHUTDOWN";
        case SERVICE_CONTROL_INTERROGATE: return L"INTERROGATE";
        default: return L"another";
    }
}

const wchar_t* actionName(ControlAction action) {
    switch (action) {
        case ControlAction::AskToStop: return L": asking the application to stop";
        case ControlAction::NotAccepted: return L": not taken";
        default: return L"";
    }
}

const wchar_t* outcomeName(StopOutcome outcome) {
    switch (outcome) {
        case StopOutcome::StopMethodReturned: return L"the stop method returned";
        case StopOutcome::SystemExitReturned: return L"System.exit returned";
        default: return L"nothing could be called";
    }
}

}  // namespace

ServiceSession::ServiceSession(const ServiceSettings& settings, Launch launch, FileNaming errorFileNaming)
    : settings_(settings),
      launch_(launch),
      errorFileNaming_(errorFileNaming),
      machine_(settings.stopTimeoutMilliseconds),
      served_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    g_session.store(this);
}

ServiceSession::~ServiceSession() { g_session.store(nullptr); }

void ServiceSession::report(const std::optional<ServiceStatus>& status, const wchar_t* why) {
    if (!status || !statusHandle_) return;
    SERVICE_STATUS out{};
    out.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    out.dwCurrentState = status->state;
    out.dwControlsAccepted = status->controlsAccepted;
    out.dwWin32ExitCode = status->win32ExitCode;
    out.dwServiceSpecificExitCode = status->serviceSpecificExitCode;
    out.dwCheckPoint = status->checkPoint;
    out.dwWaitHint = status->waitHint;
    const bool told = SetServiceStatus(statusHandle_, &out) != FALSE;
    // Pending pulses would fill the trace: their first checkpoint and every other state are enough.
    if (status->checkPoint > 1 && told) return;
    const Text state = widenAscii(serviceStateName(status->state));
    traceFormatted(L"service status %s (exit code %u, service-specific %d, checkpoint %u, wait hint %u ms), %s%s",
                   {state, status->win32ExitCode, status->serviceSpecificExitCode, status->checkPoint,
                    status->waitHint, why, told ? L"" : L": not taken"});
}

void ServiceSession::serve(const wchar_t* serviceName) {
    statusHandle_ = RegisterServiceCtrlHandlerExW(serviceName, handleControl, this);
    if (!statusHandle_) {
        // Nothing can be reported; the launch still runs, and the manager sees the process end.
        traceFormatted(L"service control handler not registered: error %u", {GetLastError()});
        exitCode_ = launch_();
        SetEvent(served_.get());
        return;
    }
    {
        const ExclusiveLock::Held held(lock_);
        report(machine_.starting(), L"starting");
    }

    quitPulse_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle pulse(quitPulse_ ? CreateThread(nullptr, 0, pulseLoop, this, 0, nullptr) : nullptr);

    SystemEventLog eventLog;
    ServiceFrontend frontend(eventLog, settings_.eventSource, settings_.errorFile, errorFileNaming_);
    overrideFrontend(&frontend);
    exitCode_ = launch_();
    overrideFrontend(nullptr);

    if (pulse) {
        SetEvent(quitPulse_.get());
        WaitForSingleObject(pulse.get(), INFINITE);
    }
    {
        const ExclusiveLock::Held held(lock_);
        traceFormatted(L"service launch ended with exit code %d%s",
                       {exitCode_, machine_.stopRequested() ? L" after the stop request" : L""});
        report(machine_.ended(exitCode_), L"the launch ended");
    }
    SetEvent(served_.get());
}

int ServiceSession::waitForTheEnd() {
    bool runtimeEnds = false;
    {
        const ExclusiveLock::Held held(lock_);
        runtimeEnds = runtimeEnds_;
    }
    // Returning from main beside the runtime's exit would run a second exit at the same time, and
    // take this session from the threads that still use it. The runtime's exit has the stop limit;
    // past it, the process ends here as the pulse would end it.
    const DWORD limit = runtimeEnds ? settings_.stopTimeoutMilliseconds : INFINITE;
    if (WaitForSingleObject(served_.get(), limit) == WAIT_TIMEOUT) {
        traceFormatted(L"service: the runtime did not end the process within %u ms: the process is ended", {limit});
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode_));
    }
    return exitCode_;
}

void ServiceSession::mainEntered(JavaVM* vm, const Text& mainClass) {
    const ExclusiveLock::Held held(lock_);
    vm_ = vm;
    mainClass_ = toAnsiText(mainClass);
    report(machine_.mainEntered(), L"main entered");
}

void ServiceSession::exiting(int exitCode) {
    const ExclusiveLock::Held held(lock_);
    exitCode_ = exitCode;
    runtimeEnds_ = true;
    report(machine_.ended(exitCode), L"the runtime ends the process (System.exit)");
}

DWORD WINAPI ServiceSession::handleControl(DWORD control, DWORD, void*, void* context) {
    auto& session = *static_cast<ServiceSession*>(context);
    ControlAnswer answer;
    {
        const ExclusiveLock::Held held(session.lock_);
        answer = session.machine_.control(control, GetTickCount64());
        traceFormatted(L"service control %s (%u) received%s",
                       {controlName(control), control, actionName(answer.action)});
        session.report(answer.status, L"control answered");
    }
    if (answer.action == ControlAction::NotAccepted) return ERROR_CALL_NOT_IMPLEMENTED;
    if (answer.action == ControlAction::AskToStop) {
        // The handler runs on the dispatcher's thread and must return at once; the application's
        // stop may take as long as it likes, up to the limit that the pulse watches. Nobody waits for
        // this thread: a stop method that never returns ends with the process.
        UniqueHandle stopper(CreateThread(nullptr, 0, askToStop, &session, 0, nullptr));
        if (!stopper) traceFormatted(L"service stop thread not started: error %u", {GetLastError()});
    }
    return NO_ERROR;
}

DWORD WINAPI ServiceSession::askToStop(void* context) {
    auto& session = *static_cast<ServiceSession*>(context);
    JavaVM* vm = nullptr;
    std::string mainClass;
    {
        const ExclusiveLock::Held held(session.lock_);
        vm = session.vm_;
        mainClass = session.mainClass_;
    }
    JNIEnv* env = nullptr;
    if (!vm || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        traceFormatted(L"service stop: the runtime takes no thread, it is ending already", {});
        return 1;
    }
    const Text& method = session.settings_.stopMethod;
    traceFormatted(L"service stop: calling %s%s", {method.empty() ? L"System.exit(0)" : method.c_str(),
                                                   method.empty() ? L"" : L"()"});
    const StopOutcome outcome = requestApplicationStop(env, mainClass, toAnsiText(method));
    traceFormatted(L"service stop: %s", {outcomeName(outcome)});
    vm->DetachCurrentThread();
    return 0;
}

DWORD WINAPI ServiceSession::pulseLoop(void* context) {
    auto& session = *static_cast<ServiceSession*>(context);
    while (WaitForSingleObject(session.quitPulse_.get(), kPulseMilliseconds) == WAIT_TIMEOUT) {
        const ExclusiveLock::Held held(session.lock_);
        const PulseAnswer answer = session.machine_.pulse(GetTickCount64());
        if (answer.outcome == PulseOutcome::StopLimitReached) {
            traceFormatted(L"service stop limit of %u ms reached: the process is ended",
                           {session.settings_.stopTimeoutMilliseconds});
            session.report(answer.status, L"stop limit reached");
            // Ended outright: an orderly exit would run the runtime's own shut-down, which is what
            // did not finish in time.
            TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
        }
        session.report(answer.status, L"still pending");
    }
    return 0;
}

bool runningAsService() { return g_session.load() != nullptr; }

void serviceMainEntered(JavaVM* vm, const Text& mainClass) {
    if (ServiceSession* session = g_session.load()) session->mainEntered(vm, mainClass);
}

void serviceExiting(int exitCode) {
    if (ServiceSession* session = g_session.load()) session->exiting(exitCode);
}
