// The trace file named by the environment variable VORNIC_TRACE.
#pragma once

// Appends this launch's trace to the file VORNIC_TRACE names (created when missing). Without the
// variable, or when the file cannot be opened, tracing stays off and nothing is written.
void startTraceFromEnvironment();
