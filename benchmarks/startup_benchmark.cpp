// Start-up cost of the launcher against the least a host can do, both with the same stand-in jvm.dll.
//
//   startup_benchmark [RUNS [BASELINE_LAUNCHER]]
//
// Two stand-in runtimes: one that imports the system libraries a real runtime's jvm.dll imports
// (user32, advapi32, wsock32, winmm, version, psapi), so that both sides pay what every real launch
// pays, and the plain one that imports kernel32 only. For each, a packaged copy of the launcher with
// that runtime beside it (its main calls System.exit(0) at once) runs against the minimal host, which
// only loads jvm.dll and creates the machine. Runs alternate so that both sides see the same system
// state; the ratio is the median of the ratios of each launcher run to the host run beside it.
// With the realistic runtime the launcher also runs with VORNIC_TRACE set (what a trace costs) and,
// when BASELINE_LAUNCHER names an earlier build of vornicw.exe, that build packaged the same way:
// tracing off must not make the launcher slower than it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "package_resources.h"
#include "process_timing.h"

namespace {

const Text kUpgradeCode = L"{5A0C3E91-7B44-4C1D-8E2F-6D9A1B3C5E70}";

// A packaged launcher in `folder` with the stand-in runtime `variant` as its private runtime.
struct Setup {
    WText folder;
    WText launcherLine;
    WText hostLine;
    std::vector<WText> environment;
};

bool prepare(const WText& folder, const WText& variant, Setup& setup, const WText& launcher = WText()) {
    const WText exe = folder + L"app.exe";
    const WText runtime = folder + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    const WText standin = WText(WIDE_STANDIN_FOLDER) + variant + L"\\";
    bool ready = makeFolders(folder) && CopyFileW((launcher.empty() ? besideThisProgram(L"vornicw.exe") : launcher).c_str(), exe.c_str(), FALSE) &&
                 makeFolders(runtime + L"bin\\server") &&
                 CopyFileW((standin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE) &&
                 CopyFileW((standin + L"bin\\server\\jvm.dll").c_str(), (runtime + L"bin\\server\\jvm.dll").c_str(),
                           FALSE) &&
                 writeFileBytes(folder + L"app.jar", "PK") && writeFileBytes(folder + L"script.txt", "main: exit 0\n") &&
                 writeUtf16File(folder + L"app.ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n");
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second",
                       L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n");
    if (!ready || !resources.writeInto(exe)) return false;
    setup.folder = folder;
    setup.launcherLine = L"\"" + exe + L"\" -nosplash";
    setup.hostLine = L"\"" + besideThisProgram(L"startup_minimal_host.exe") + L"\" \"" + runtime +
                     L"bin\\server\\jvm.dll\" \"" + folder + L"app.jar\"";
    setup.environment = standinEnvironment(folder);
    return true;
}

struct Timings {
    std::vector<double> launcher;
    std::vector<double> host;
};

double launcherRun(const Setup& setup) {
    return millisecondsToRun(setup.folder + L"app.exe", setup.launcherLine, setup.folder, setup.environment);
}

void runPair(const Setup& setup, Timings& timings) {
    const WText host = besideThisProgram(L"startup_minimal_host.exe");
    timings.launcher.push_back(launcherRun(setup));
    timings.host.push_back(millisecondsToRun(host, setup.hostLine, setup.folder, setup.environment));
}

void report(const char* what, const Timings& timings) {
    std::vector<double> ratios;
    for (size_t i = 0; i < timings.launcher.size(); ++i) ratios.push_back(timings.launcher[i] / timings.host[i]);
    std::printf("%s: ratio %.3f (median of %zu pairwise ratios), launcher median %.1f ms, host median %.1f ms\n",
                what, median(ratios), ratios.size(), median(timings.launcher), median(timings.host));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 30;
    const WText baselineLauncher = argc > 2 ? argv[2] : L"";
    TempFolder folder;
    Setup realistic;
    Setup plain;
    Setup baseline;
    if (!prepare(folder.path() + L"realistic\\", L"system-imports", realistic) ||
        !prepare(folder.path() + L"plain\\", L"runtime", plain) ||
        (!baselineLauncher.empty() &&
         !prepare(folder.path() + L"baseline\\", L"system-imports", baseline, baselineLauncher))) {
        std::fputs("cannot prepare the packaged copies\n", stderr);
        return 1;
    }
    Setup tracing = realistic;
    tracing.environment.push_back(L"VORNIC_TRACE=" + realistic.folder + L"trace.log");
    // One warm-up pair each: the first start of a program under Wine loads more than later ones.
    Timings warmUp;
    runPair(realistic, warmUp);
    runPair(plain, warmUp);
    Timings withSystemImports;
    Timings kernel32Only;
    std::vector<double> traced;
    std::vector<double> before;
    for (int i = 0; i < runs; ++i) {
        runPair(realistic, withSystemImports);
        runPair(plain, kernel32Only);
        traced.push_back(launcherRun(tracing));
        if (!baselineLauncher.empty()) before.push_back(launcherRun(baseline));
    }
    std::printf("runs: %d pairs each, alternating launcher and host\n", runs);
    report("runtime with a real jvm.dll's imports (goal <= 1.05)", withSystemImports);
    report("runtime importing kernel32 only                     ", kernel32Only);
    std::printf("launcher with VORNIC_TRACE set: median %.1f ms (tracing off: %.1f ms)\n", median(traced),
                median(withSystemImports.launcher));
    if (!before.empty()) {
        std::printf("baseline launcher: median %.1f ms; tracing off against it: ratio of medians %.3f\n",
                    median(before), median(withSystemImports.launcher) / median(before));
    }
    return 0;
}
