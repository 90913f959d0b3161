// The trace file named by the environment variable VORNIC_TRACE.
#pragma once

// Appends this launch's trace to the file VORNIC_TRACE names (created when missing). A file that holds
// something else (a program, other text) is never written: the trace goes to "<name>.trace.txt"
// beside it instead. Without the variable, or when no file can be opened, tracing stays off.
void startTraceFromEnvironment();
