// Time of the registry walk over one key with 1,000 version subkeys, through the system registry
// (under Wine: the prefix's). The key is a test-owned one, never a key runtimes are registered in.
//
//   registry_walk_benchmark [RUNS]
//
// Three cases: every subkey out of bounds (names only), every subkey naming a folder of its own that
// is not there, and every subkey leading to the same runtime folder holding the stand-in (as family
// subkeys do). Tracing is off, as in a launch without VORNIC_TRACE.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "harness.h"
#include "runtime/registry_walk.h"
#include "runtime/system_registry.h"

namespace {

const Text kBenchKey = L"Software\\VornicRegistryBenchmark-" + std::to_wstring(GetCurrentProcessId()) + L"\\";

// `distinct`: each subkey names a folder of its own (javaHome followed by its number).
bool writeSubkeys(const Text& base, bool distinct) {
    for (int i = 0; i < 1000; ++i) {
        const Text key = kBenchKey + L"1.8.0_" + std::to_wstring(i);
        const Text javaHome = distinct ? base + std::to_wstring(i) : base;
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        UniqueKey owner(handle);
        if (RegSetValueExW(handle, L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(javaHome.c_str()),
                           static_cast<DWORD>((javaHome.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
            return false;
        }
    }
    return true;
}

void removeSubkeys() {
    HKEY software = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS, &software) != ERROR_SUCCESS) return;
    UniqueKey owner(software);
    const Text name = kBenchKey.substr(9, kBenchKey.size() - 10);  // without "Software\" and the last "\"
    RegDeleteTreeW(software, name.c_str());
}

double millisecondsOfWalk(const SearchPreferences& preferences, std::size_t& kept) {
    const RuntimeKey key{4, kBenchKey.c_str(), RuntimeKind::Jre, RuntimeProvider::Sun, false, true, true};
    SystemRegistryReader registry(0);
    SystemRuntimeFiles files;
    const SearchPass pass{registry, files, preferences, false};
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    CandidateList candidates;
    collectCandidates(key, pass, candidates);
    rankCandidates(candidates, true, JvmType::ClientFirst);
    QueryPerformanceCounter(&end);
    kept = candidates.size();
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The registry's own cost of what the walk must do at least: enumerate the names, and open each
// subkey, read its "JavaHome" and close it. Each call is a round trip to the Wine server.
double millisecondsOfBareCalls() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HKEY parent = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBenchKey.c_str(), 0, KEY_READ, &parent) == ERROR_SUCCESS) {
        UniqueKey owner(parent);
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(parent, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY child = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kBenchKey + name).c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) {
                continue;
            }
            UniqueKey childOwner(child);
            BYTE data[520];
            DWORD size = sizeof data;
            RegQueryValueExW(child, L"JavaHome", nullptr, nullptr, data, &size);
        }
    }
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void report(const char* what, const SearchPreferences& preferences, int runs) {
    std::vector<double> times;
    std::size_t kept = 0;
    millisecondsOfWalk(preferences, kept);  // warm-up
    for (int i = 0; i < runs; ++i) times.push_back(millisecondsOfWalk(preferences, kept));
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.2f ms, worst %7.2f ms, %zu kept (goal < 50 ms)\n", what, times[times.size() / 2],
                times.back(), kept);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 20;
    const TempFolder folder;
    const WText runtime = folder.path() + L"runtime\\";
    const WText standin = WIDE_STANDIN_RUNTIME;
    if (!makeFolders(runtime + L"bin\\server") ||
        !CopyFileW((standin + L"bin\\server\\jvm.dll").c_str(), (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE)) {
        std::fputs("cannot prepare the runtime folder\n", stderr);
        return 1;
    }
    SearchPreferences unbounded;
    unbounded.jdkWanted = unbounded.jreWanted = true;
    unbounded.maximumVersion.set(65535, 65535, 65535, 65535);
    SearchPreferences outOfBounds = unbounded;
    outOfBounds.minimumVersion.set(9, 0, 0, 0);

    std::printf("1,000 version subkeys, %d runs each\n", runs);
    removeSubkeys();
    if (!writeSubkeys(folder.path() + L"missing", true)) {
        std::fputs("cannot write the keys\n", stderr);
        removeSubkeys();
        return 1;
    }
    report("all out of bounds (names only):", outOfBounds, runs);
    report("all probed, 1,000 folders that are not there:", unbounded, runs);
    removeSubkeys();
    if (!writeSubkeys(runtime, false)) {
        std::fputs("cannot write the keys\n", stderr);
        removeSubkeys();
        return 1;
    }
    report("all probed, each finds the stand-in:", unbounded, runs);
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) bare.push_back(millisecondsOfBareCalls());
    std::sort(bare.begin(), bare.end());
    std::printf("%-44s median %7.2f ms (the registry's own floor)\n", "bare enumerate + open/read/close each:",
                bare[bare.size() / 2]);
    removeSubkeys();
    return 0;
}
