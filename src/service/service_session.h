// One run of the launcher as a service: the Win32 side of ServiceStatusMachine. It alone talks to
// the service control manager; every status goes out under one lock, in the order the machine gives.
#pragma once

#include <windows.h>

#include <jni.h>

#include <optional>
#include <string>

#include "service/service_dispatcher.h"
#include "service/service_settings.h"
#include "service/service_status.h"
#include "support/exclusive_lock.h"
#include "support/unique_handle.h"

class ServiceSession {
public:
    ServiceSession(const ServiceSettings& settings, Launch launch, FileNaming errorFileNaming);
    ~ServiceSession();
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    // The body of the service's main function: registers the control handler, reports START_PENDING,
    // runs the launch and reports STOPPED with its exit code.
    void serve(const wchar_t* serviceName);

    // Called once the manager's dispatcher has returned, which it does as soon as STOPPED is
    // reported: waits until the launch has ended, and gives its exit code. When the runtime reported
    // STOPPED on its way out of System.exit, its own exit ends the process while this waits.
    int waitForTheEnd();

    void mainEntered(JavaVM* vm, const Text& mainClass);
    void exiting(int exitCode);

private:
    static DWORD WINAPI handleControl(DWORD control, DWORD eventType, void* eventData, void* context);
    static DWORD WINAPI pulseLoop(void* session);
    static DWORD WINAPI askToStop(void* session);

    // Hands `status` to the manager; the caller holds the lock.
    void report(const std::optional<ServiceStatus>& status, const wchar_t* why);

    ServiceSettings settings_;
    Launch launch_;
    FileNaming errorFileNaming_;
    ServiceStatusMachine machine_;
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    ExclusiveLock lock_;
    UniqueHandle quitPulse_;
    UniqueHandle served_;  // set when serve() has nothing more to do
    bool runtimeEnds_ = false;  // the runtime reported STOPPED from its exit hook
    JavaVM* vm_ = nullptr;
    std::string mainClass_;  // slash form, in the code page FindClass takes
    int exitCode_ = -1;
};
