// Start-up cost of the launcher against a minimal host, both with the same stand-in jvm.dll.
//
//   startup_benchmark [RUNS [BASELINE_LAUNCHER]]
//
// The launcher is a packaged copy with its runtime beside it whose main calls System.exit(0) at
// once, so its time is the whole start up to the machine plus a main that does nothing. The host
// only loads jvm.dll and creates the machine. Runs alternate so all see the same system state.
// The launcher also runs with VORNIC_TRACE set (the cost of a trace), and, when BASELINE_LAUNCHER
// names an earlier build of vornicw.exe, that build packaged the same way: tracing off must not be
// slower than it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness.h"
#include "package_resources.h"

namespace {

const Text kUpgradeCode = L"{5A0C3E91-7B44-4C1D-8E2F-6D9A1B3C5E70}";

double millisecondsOf(const WText& application, const WText& commandLine, const WText& folder,
                      const std::vector<WText>& environment) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ChildProcess child = ChildProcess::start(application, commandLine, folder, environment);
    DWORD code = 0;
    if (!child.started() || !child.waitForExit(30000, code) || code != 0) {
        std::fwprintf(stderr, L"run failed: %ls (exit %lu)\n", commandLine.c_str(), code);
        std::exit(1);
    }
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values) sum += value;
    return sum / static_cast<double>(values.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 30;
    const WText baseline = argc > 2 ? argv[2] : L"";
    TempFolder folder;
    const WText exe = folder.path() + L"app.exe";
    const WText runtime = folder.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    const WText standin = WIDE_STANDIN_RUNTIME;
    bool ready = CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE) &&
                 makeFolders(runtime + L"bin\\server") &&
                 CopyFileW((standin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE) &&
                 CopyFileW((standin + L"bin\\server\\jvm.dll").c_str(), (runtime + L"bin\\server\\jvm.dll").c_str(),
                           FALSE) &&
                 writeFileBytes(folder.path() + L"app.jar", "PK") &&
                 writeFileBytes(folder.path() + L"script.txt", "main: exit 0\n") &&
                 writeUtf16File(folder.path() + L"app.ini",
                                L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n");
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second",
                       L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n");
    ready = ready && resources.writeInto(exe);
    const WText baselineExe = folder.path() + L"baseline.exe";
    if (!baseline.empty()) {
        ready = ready && CopyFileW(baseline.c_str(), baselineExe.c_str(), FALSE) && resources.writeInto(baselineExe) &&
                writeUtf16File(folder.path() + L"baseline.ini",
                               L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n");
    }
    if (!ready) {
        std::fputs("cannot prepare the packaged copy\n", stderr);
        return 1;
    }

    const std::vector<WText> environment = {L"APPDATA=" + folder.path() + L"appdata",
                                            L"VORNIC_STANDIN_RECORD=" + folder.path() + L"record.txt",
                                            L"VORNIC_STANDIN_SCRIPT=" + folder.path() + L"script.txt"};
    const WText host = besideThisProgram(L"startup_minimal_host.exe");
    const WText guiHost = besideThisProgram(L"startup_minimal_gui_host.exe");
    const WText hostArguments = L" \"" + runtime + L"bin\\server\\jvm.dll\" \"" + folder.path() + L"app.jar\"";
    const WText hostLine = L"\"" + host + L"\"" + hostArguments;
    const WText guiHostLine = L"\"" + guiHost + L"\"" + hostArguments;
    const WText launcherLine = L"\"" + exe + L"\" -nosplash";
    const WText baselineLine = L"\"" + baselineExe + L"\" -nosplash";
    std::vector<WText> tracingEnvironment = environment;
    tracingEnvironment.push_back(L"VORNIC_TRACE=" + folder.path() + L"trace.log");

    // One warm-up each: the first start of a program under Wine loads more than later ones.
    millisecondsOf(exe, launcherLine, folder.path(), environment);
    millisecondsOf(host, hostLine, folder.path(), environment);
    millisecondsOf(guiHost, guiHostLine, folder.path(), environment);
    if (!baseline.empty()) millisecondsOf(baselineExe, baselineLine, folder.path(), environment);
    std::vector<double> launcher;
    std::vector<double> tracing;
    std::vector<double> before;
    std::vector<double> minimal;
    std::vector<double> minimalGui;
    for (int i = 0; i < runs; ++i) {
        // The launcher's variants take turns at going first: the first start after the hosts is
        // slower, whichever program it is.
        for (int turn = 0; turn < 3; ++turn) {
            switch ((turn + i) % 3) {
                case 0:
                    launcher.push_back(millisecondsOf(exe, launcherLine, folder.path(), environment));
                    break;
                case 1:
                    tracing.push_back(millisecondsOf(exe, launcherLine, folder.path(), tracingEnvironment));
                    break;
                default:
                    if (!baseline.empty()) {
                        before.push_back(millisecondsOf(baselineExe, baselineLine, folder.path(), environment));
                    }
            }
        }
        minimal.push_back(millisecondsOf(host, hostLine, folder.path(), environment));
        minimalGui.push_back(millisecondsOf(guiHost, guiHostLine, folder.path(), environment));
    }
    std::printf("runs: %d each, alternating\n", runs);
    std::printf("launcher:                median %.1f ms, mean %.1f ms\n", median(launcher), mean(launcher));
    std::printf("launcher, tracing on:    median %.1f ms, mean %.1f ms\n", median(tracing), mean(tracing));
    if (!before.empty()) {
        std::printf("baseline launcher:       median %.1f ms, mean %.1f ms\n", median(before), mean(before));
        std::printf("tracing off against the baseline: ratio of medians %.3f (goal <= 1.0 within noise)\n",
                    median(launcher) / median(before));
    }
    std::printf("minimal host:            median %.1f ms, mean %.1f ms\n", median(minimal), mean(minimal));
    std::printf("minimal host with user32: median %.1f ms, mean %.1f ms\n", median(minimalGui), mean(minimalGui));
    std::printf("ratio of medians to the minimal host: %.3f (goal <= 1.05)\n", median(launcher) / median(minimal));
    std::printf("ratio of medians to the host with user32: %.3f\n", median(launcher) / median(minimalGui));
    return 0;
}
