// Hand-over latency of a later start: from its process start to its end, against programs that do
// nothing, with a first instance running whose "secondaryMain" is the void variant.
//
//   instance_handover_benchmark [RUNS]
//
// The launcher's figure includes its whole start (settings, deciphering, the channel); the
// difference of the medians is what handing over costs beyond starting a process. Runs alternate
// so all programs see the same system state.
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
                      const std::vector<WText>& environment, DWORD expectedCode) {
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 30;
    TempFolder folder;
    const WText exe = folder.path() + L"app.exe";
    const WText runtime = folder.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    const WText standin = WIDE_STANDIN_RUNTIME;
    const WText eventName = L"vornic_handover_benchmark_" + std::to_wstring(GetCurrentProcessId());
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    bool ready = CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE) &&
                 makeFolders(runtime + L"bin\\server") &&
                 CopyFileW((standin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE) &&
                 CopyFileW((standin + L"bin\\server\\jvm.dll").c_str(), (runtime + L"bin\\server\\jvm.dll").c_str(),
                           FALSE) &&
                 writeFileBytes(folder.path() + L"app.jar", "PK") &&
                 writeFileBytes(folder.path() + L"script.txt",
                                "main: wait-event " + utf8Of(eventName) + "\nsecondaryMain: returns void\n") &&
                 writeUtf16File(folder.path() + L"app.ini",
                                L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n");
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second",
                       L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n"
                       L"[Application]\r\nSingle Instance=yes\r\n");
    ready = ready && release && resources.writeInto(exe);
    if (!ready) {
        std::fputs("cannot prepare the packaged copy\n", stderr);
        return 1;
    }

    const std::vector<WText> environment = {L"APPDATA=" + folder.path() + L"appdata",
                                            L"VORNIC_STANDIN_RECORD=" + folder.path() + L"record.txt",
                                            L"VORNIC_STANDIN_SCRIPT=" + folder.path() + L"script.txt"};
    ChildProcess first = ChildProcess::start(exe, L"\"" + exe + L"\" -nosplash", folder.path(), environment);
    for (int waited = 0; !contains(readText(folder.path() + L"record.txt"), "call: main"); waited += 10) {
        if (waited > 30000) {
            std::fputs("the first instance did not reach main\n", stderr);
            return 1;
        }
        Sleep(10);
    }

    // Programs that do nothing: the minimal host returns at once without arguments; the second one
    // loads user32 as the launcher does.
    const WText nothing = besideThisProgram(L"startup_minimal_host.exe");
    const WText nothingGui = besideThisProgram(L"startup_minimal_gui_host.exe");
    const WText launcherLine = L"\"" + exe + L"\" document.txt";
    millisecondsOf(exe, launcherLine, folder.path(), environment, 0);
    millisecondsOf(nothing, L"\"" + nothing + L"\"", folder.path(), environment, 2);
    millisecondsOf(nothingGui, L"\"" + nothingGui + L"\"", folder.path(), environment, 2);
    std::vector<double> handOver;
    std::vector<double> empty;
    std::vector<double> emptyGui;
    for (int i = 0; i < runs; ++i) {
        handOver.push_back(millisecondsOf(exe, launcherLine, folder.path(), environment, 0));
        empty.push_back(millisecondsOf(nothing, L"\"" + nothing + L"\"", folder.path(), environment, 2));
        emptyGui.push_back(millisecondsOf(nothingGui, L"\"" + nothingGui + L"\"", folder.path(), environment, 2));
    }
    SetEvent(release.get());
    DWORD code = 0;
    first.waitForExit(30000, code);

    std::printf("runs: %d each, alternating\n", runs);
    std::printf("later start, void secondaryMain:  median %.1f ms\n", median(handOver));
    std::printf("program doing nothing:            median %.1f ms\n", median(empty));
    std::printf("program doing nothing, user32:    median %.1f ms\n", median(emptyGui));
    std::printf("hand-over beyond process start:   %.1f ms (against user32: %.1f ms; goal < 20)\n",
                median(handOver) - median(empty), median(handOver) - median(emptyGui));
    return 0;
}
