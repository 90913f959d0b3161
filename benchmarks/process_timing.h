// What the process benchmarks share: the time a program takes from its start to its end, and the
// median of such times.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness.h"

// Milliseconds from starting `application` to its end. A start that fails, hangs for 30 s or ends
// with another code than `expectedCode` ends the benchmark: its figures would mean nothing.
inline double millisecondsToRun(const WText& application, const WText& commandLine, const WText& folder,
                                const std::vector<WText>& environment, DWORD expectedCode = 0) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ChildProcess child = ChildProcess::start(application, commandLine, folder, environment);
    DWORD code = 0;
    if (!child.started() || !child.waitForExit(30000, code) || code != expectedCode) {
        std::fwprintf(stderr, L"run failed: %ls (exit %lu)\n", commandLine.c_str(), code);
        std::exit(1);
    }
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
