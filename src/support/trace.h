// A trace of the launcher's decisions, one line each, for a user to send when a launch picks the
// wrong runtime or none. Off unless a sink is set; then every line carries the milliseconds since
// the trace began.
//
//   VORNIC_TRACE(L"JRE Path: " + home + L" has no jvm.dll");   // builds the text only when tracing
#pragma once

#include <chrono>
#include <string>

#include "support/format.h"
#include "support/text.h"

class TraceSink {
public:
    virtual ~TraceSink() = default;
    // One finished line, UTF-8, ending with CR LF.
    virtual void write(const std::string& line) = 0;
};

namespace trace_detail {
extern TraceSink* sink;
}

// Milliseconds since any fixed point, for the stamps.
using TraceClock = long long (*)();

inline long long steadyClockMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Starts the clock; null turns tracing off. The sink must outlive every trace call. The launcher
// passes the system's own clock: the standard one would bring in the POSIX thread library.
void setTraceSink(TraceSink* sink, TraceClock clock = steadyClockMilliseconds);

// Hands the lines to `sink` from now on, keeping the clock when a trace already runs; the sink
// must outlive every trace call.
void switchTraceSink(TraceSink* sink, TraceClock clock);

inline bool tracing() { return trace_detail::sink != nullptr; }

void traceLine(const Text& text);

// One line formatted as formatText does; out of line, so that a call site stays small.
void traceFormatted(const wchar_t* format, std::initializer_list<FormatArg> args);

// The condition comes first so that a launch without a trace never builds the text.
#define VORNIC_TRACE(text)                   \
    do {                                     \
        if (tracing()) traceLine(text);      \
    } while (0)
