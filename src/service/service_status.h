// What a launcher run as a Windows service tells the service control manager, and when. The Win32
// side (service_session.cpp) feeds the events in and hands each status that comes out to
// SetServiceStatus, in order; nothing here calls the system, so the rules run in every build.
//
//   ServiceStatusMachine machine(20000);
//   report(*machine.starting());             // START_PENDING, checkpoint 1
//   report(*machine.mainEntered());          // RUNNING: stop and shut-down accepted
#pragma once

#include <cstdint>
#include <optional>

// The values of winsvc.h and winerror.h, so that the Win32 side passes them on unchanged.
namespace service_code {
constexpr std::uint32_t kStopped = 1;
constexpr std::uint32_t kStartPending = 2;
constexpr std::uint32_t kStopPending = 3;
constexpr std::uint32_t kRunning = 4;

constexpr std::uint32_t kControlStop = 1;
constexpr std::uint32_t kControlInterrogate = 4;
constexpr std::uint32_t kControlShutdown = 5;
constexpr std::uint32_t kControlPreshutdown = 15;

constexpr std::uint32_t kAcceptStop = 0x1;
constexpr std::uint32_t kAcceptShutdown = 0x4;
constexpr std::uint32_t kAcceptPreshutdown = 0x100;

constexpr std::uint32_t kServiceSpecificError = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR
constexpr std::uint32_t kRequestTimeout = 1053;        // ERROR_SERVICE_REQUEST_TIMEOUT
}  // namespace service_code

// The fields of SERVICE_STATUS that change; the service type is always "own process".
struct ServiceStatus {
    std::uint32_t state = service_code::kStopped;
    std::uint32_t controlsAccepted = 0;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceSpecificExitCode = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;
};

// A pending state is reported again at least this often, each time with the next checkpoint; the
// wait hint leaves the manager room for a loaded machine.
constexpr std::uint32_t kPulseMilliseconds = 1000;
constexpr std::uint32_t kPendingWaitHint = 5000;

// The launcher's exit code as the manager shows it: 0 stays 0; any other code becomes the
// service-specific error with the code itself (-1 as 0xFFFFFFFF).
void setExitCodes(ServiceStatus& status, int exitCode);

// What a control asks of the Win32 side besides reporting `status`.
enum class ControlAction {
    None,         // report the status, nothing more
    AskToStop,    // report the status, then ask the application to stop
    NotAccepted,  // a control this service does not take: answer ERROR_CALL_NOT_IMPLEMENTED
};

struct ControlAnswer {
    ControlAction action = ControlAction::NotAccepted;
    std::optional<ServiceStatus> status;
};

// What a pulse found: nothing to report, a pending state again, or the stop limit passed (report
// `status`, STOPPED, and end the process).
enum class PulseOutcome { Nothing, Pending, StopLimitReached };

struct PulseAnswer {
    PulseOutcome outcome = PulseOutcome::Nothing;
    std::optional<ServiceStatus> status;
};

// Every operation gives the status to report, or none once STOPPED was given: after that the
// manager may end the process at any moment, and no later status may contradict it. Times are
// milliseconds on any steady clock.
class ServiceStatusMachine {
public:
    explicit ServiceStatusMachine(std::uint32_t stopTimeoutMilliseconds) : stopTimeout_(stopTimeoutMilliseconds) {}

    // Settings, runtime and machine are still ahead: START_PENDING.
    std::optional<ServiceStatus> starting();
    // main is entered: RUNNING, and from now on STOP, SHUTDOWN and PRESHUTDOWN are taken.
    std::optional<ServiceStatus> mainEntered();
    // A control from the manager at `now`. The first STOP, SHUTDOWN or PRESHUTDOWN of a running
    // service asks the application to stop (STOP_PENDING); a repeated one only reports again.
    ControlAnswer control(std::uint32_t code, std::uint64_t now);
    // Called every kPulseMilliseconds.
    PulseAnswer pulse(std::uint64_t now);
    // The launch ended with `exitCode` (main returned, the runtime ended, or the launch failed).
    std::optional<ServiceStatus> ended(int exitCode);

    bool stopRequested() const { return stopRequested_; }
    const ServiceStatus& current() const { return status_; }

private:
    std::optional<ServiceStatus> give();

    std::uint32_t stopTimeout_;
    ServiceStatus status_;
    bool begun_ = false;
    bool stopped_ = false;
    bool stopRequested_ = false;
    std::uint64_t stopRequestedAt_ = 0;
};

// "RUNNING", "STOP_PENDING", ... for the trace; "unknown" for any other state.
const char* serviceStateName(std::uint32_t state);
