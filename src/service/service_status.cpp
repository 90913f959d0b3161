#include "service/service_status.h"

using namespace service_code;

void setExitCodes(ServiceStatus& status, int exitCode) {
    status.win32ExitCode = exitCode == 0 ? 0 : kServiceSpecificError;
    status.serviceSpecificExitCode = static_cast<std::uint32_t>(exitCode);
}

std::optional<ServiceStatus> ServiceStatusMachine::give() {
    if (stopped_) return std::nullopt;
    if (status_.state == kStopped) stopped_ = true;
    return status_;
}

std::optional<ServiceStatus> ServiceStatusMachine::starting() {
    if (begun_ || stopped_) return std::nullopt;
    begun_ = true;
    status_ = ServiceStatus{};
    status_.state = kStartPending;
    status_.checkPoint = 1;
    status_.waitHint = kPendingWaitHint;
    return give();
}

std::optional<ServiceStatus> ServiceStatusMachine::mainEntered() {
    if (status_.state != kStartPending) return std::nullopt;
    status_.state = kRunning;
    status_.controlsAccepted = kAcceptStop | kAcceptShutdown | kAcceptPreshutdown;
    status_.checkPoint = 0;
    status_.waitHint = 0;
    return give();
}

ControlAnswer ServiceStatusMachine::control(std::uint32_t code, std::uint64_t now) {
    ControlAnswer answer;
    if (stopped_) return answer;
    const bool stopping = code == kControlStop || code == kControlShutdown || code == kControlPreshutdown;
    if (code == kControlInterrogate || (stopping && stopRequested_)) {
        answer.action = ControlAction::None;
        answer.status = status_;
        return answer;
    }
    // Before main the application cannot be asked anything; the manager sends no stop then either,
    // since none is accepted yet.
    if (!stopping || status_.state != kRunning) return answer;
    stopRequested_ = true;
    stopRequestedAt_ = now;
    status_.state = kStopPending;
    status_.controlsAccepted = 0;
    status_.checkPoint = 1;
    status_.waitHint = kPendingWaitHint;
    answer.action = ControlAction::AskToStop;
    answer.status = give();
    return answer;
}

PulseAnswer ServiceStatusMachine::pulse(std::uint64_t now) {
    PulseAnswer answer;
    if (stopped_) return answer;
    if (stopRequested_ && now - stopRequestedAt_ >= stopTimeout_) {
        status_.state = kStopped;
        status_.controlsAccepted = 0;
        status_.win32ExitCode = kRequestTimeout;
        status_.serviceSpecificExitCode = 0;
        status_.checkPoint = 0;
        status_.waitHint = 0;
        answer.outcome = PulseOutcome::StopLimitReached;
        answer.status = give();
        return answer;
    }
    if (status_.state != kStartPending && status_.state != kStopPending) return answer;
    ++status_.checkPoint;
    answer.outcome = PulseOutcome::Pending;
    answer.status = give();
    return answer;
}

std::optional<ServiceStatus> ServiceStatusMachine::ended(int exitCode) {
    if (stopped_) return std::nullopt;
    status_.state = kStopped;
    status_.controlsAccepted = 0;
    setExitCodes(status_, exitCode);
    status_.checkPoint = 0;
    status_.waitHint = 0;
    return give();
}

const char* serviceStateName(std::uint32_t state) {
    switch (state) {
        case kStopped: return "STOPPED";
        case kStartPending: return "START_PENDING";
        case kStopPending: return "STOP_PENDING";
        case kRunning: return "RUNNING";
        default: return "unknown";
    }
}
