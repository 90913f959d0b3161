// "Restart Exit Code": an application that ends with that code (System.exit) is started again in a
// new process with the same command line, folder and environment, once this one has ended.
//
//   armRestart(settings.restartExitCode);    // in initialize, before the launch changes folder or environment
//   restartIfAsked(code, runningAsService()); // from the runtime's exit hook
#pragma once

// Remembers the code (0: none), this process's current folder and environment, and the restarts
// that led to this process. Called once, before the working folder or the environment change.
void armRestart(int restartExitCode);

// When `exitCode` is the restart code: starts the new process, unless the loop guard refuses (then
// message 252 with the count and the seconds) or this process runs as a service (`asService`), whose
// restart is the service manager's. True when a new process was started.
bool restartIfAsked(int exitCode, bool asService);
