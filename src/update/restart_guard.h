// The rules of "Restart Exit Code": which values it may hold, and the guard that stops an
// application that asks for a restart again and again. Portable; the times come from the caller.
//
//   int code = 0;
//   if (parseRestartExitCode(value, code)) ...            // "none" otherwise
//   Text next;
//   if (allowRestart(history, nowMs, next)) ...            // next goes to the new process
#pragma once

#include "support/text.h"

// At most this many restarts within kRestartWindowMilliseconds of each other.
inline constexpr int kMostRestarts = 3;
inline constexpr long long kRestartWindowMilliseconds = 60000;

// A whole decimal number of 32 bits other than 0 (a normal end), 1 (an exception escaped main) and
// -1 (the launcher's own failure), which an application cannot mean as a request: optional sign,
// digits only. False (and `code` 0) for anything else, also for an empty value.
bool parseRestartExitCode(const Text& value, int& code);

// `history` lists the times (milliseconds, any fixed origin) of the restarts that led to this
// process, separated by commas. True when one more is allowed at `now`; `next` is then the history
// for the new process. Times outside the window and unreadable parts are dropped.
bool allowRestart(const Text& history, long long now, Text& next);
