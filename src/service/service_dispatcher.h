// Running a launch as a Windows service when the service control manager started this process.
//
//   int WINAPI wWinMain(...) { return runLaunch(launch, expandedRedirectionFile); }
//   // launch: initialize, run, shut down; expandedRedirectionFile: jvm/system_redirection_platform.h
#pragma once

#include "service/service_frontend.h"

// A whole launch: its exit code.
using Launch = int (*)();

// With "Application Type" "service" and a start by the service control manager, `launch` runs as
// that service: the manager is told each state, messages go to the event log, and STOP, SHUTDOWN and
// PRESHUTDOWN ask the application to stop. Started any other way, `launch` simply runs. The service's
// "Error File" is named by `errorFileNaming`.
int runLaunch(Launch launch, FileNaming errorFileNaming);

// True when the service control manager started this process (its parent is the manager's
// services.exe): then the process is the service, and its start cannot go on in another process.
bool startedByServiceManager();
