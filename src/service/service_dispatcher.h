// Running a launch as a Windows service when the service control manager started this process.
//
//   int WINAPI wWinMain(...) { return runLaunch(launch, expandedRedirectionFile); }   // launch: initialize, run, shut down
#pragma once

#include "support/text.h"

// A whole launch: its exit code.
using Launch = int (*)();

// How the runtime names the file of a redirected stream: environment variables and the date pattern
// expanded, a relative name taken from the current folder. A service's "Error File" is named so.
using FileNaming = Text (*)(const Text& written);

// With "Application Type" "service" and a start by the service control manager, `launch` runs as
// that service: the manager is told each state, messages go to the event log, and STOP, SHUTDOWN and
// PRESHUTDOWN ask the application to stop. Started any other way, `launch` simply runs.
int runLaunch(Launch launch, FileNaming errorFileNaming);
