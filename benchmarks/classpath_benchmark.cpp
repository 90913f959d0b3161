// Class-path assembly time for many jars in one folder: prints the time for 1,000 and 10,000 jars
// and their ratio. Linear growth gives a ratio near 10.
#include <windows.h>

#include <cstdio>

#include "harness.h"
#include "jvm/class_path.h"
#include "jvm/vm_options.h"

namespace {

// The directory search alone, to tell the system's share from the assembly's.
double millisecondsToSearch(const WText& folder) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        TextList names;
        QueryPerformanceCounter(&start);
        SystemClassPath().findMatches(folder + L"lib\\*.jar", names);
        QueryPerformanceCounter(&end);
        const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        if (ms < best) best = ms;
    }
    return best;
}

double millisecondsToBuild(const WText& folder, size_t& entries) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&start);
        const Text classPath = buildClassPath(L"lib\\*.jar", folder, SystemClassPath());
        QueryPerformanceCounter(&end);
        entries = 0;
        for (wchar_t c : classPath) entries += c == L';';
        const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        if (ms < best) best = ms;
    }
    return best;
}

double measure(size_t jars) {
    TempFolder temp;
    makeFolders(temp.path() + L"lib");
    for (size_t i = 0; i < jars; ++i) {
        writeFileBytes(temp.path() + L"lib\\library-" + std::to_wstring(i) + L".jar", "");
    }
    size_t entries = 0;
    const double ms = millisecondsToBuild(temp.path(), entries);
    std::printf("%zu jars: %.2f ms (best of 5, %zu entries; the directory search alone %.2f ms)\n", jars, ms, entries,
                millisecondsToSearch(temp.path()));
    return ms;
}

}  // namespace

int wmain() {
    const double small = measure(1000);
    const double large = measure(10000);
    std::printf("ratio 10000/1000: %.2f\n", large / small);
    return 0;
}
