// The trace file named by the environment variable VORNIC_TRACE.
#pragma once

#include "support/text.h"

// Appends this launch's trace to the file VORNIC_TRACE names (created when missing). A file that holds
// something else (a program, other text) is never written: the trace goes to "<name>.trace.txt"
// beside it instead. Without the variable, or when no file can be opened, tracing stays off.
void startTraceFromEnvironment();

// From now on every trace line also goes to `path` (appended), with or without VORNIC_TRACE: the
// trial of an update keeps its lines there.
void alsoTraceInto(const Text& path);
