// Hand-over latency of a later start of a single-instance application, with a first instance
// running.
//
//   instance_handover_benchmark [RUNS]
//
// 1. The first instance's "secondaryMain" is the void variant: a later start, from its process start
//    to its end, against programs that do nothing. The launcher's figure includes its whole start
//    (settings, deciphering, the channel); the difference of the medians is what handing over costs
//    beyond starting a process. One program that does nothing imports kernel32 only; the other also
//    loads user32, as every program that posts a thread message must (under Wine, loading user32 and
//    gdi32 is most of a windowed program's start). Runs alternate so all see the same system state.
// 2. The first instance never answers and ends with 7 while a request waits: from its end to the
//    later start's end (a wait that polled every 100 ms would take 50 ms on average).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "package_resources.h"
#include "process_timing.h"

namespace {

const Text kUpgradeCode = L"{5A0C3E91-7B44-4C1D-8E2F-6D9A1B3C5E70}";

// Waits until `part` occurs `count` times in the record file.
bool waitForRecord(const WText& record, const std::string& part, size_t count) {
    for (int waited = 0; waited < 30000; waited += 5) {
        const std::string text = readText(record);
        size_t found = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++found;
        if (found >= count) return true;
        Sleep(5);
    }
    return false;
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

    const std::vector<WText> environment = standinEnvironment(folder.path());
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
    millisecondsToRun(exe, launcherLine, folder.path(), environment, 0);
    millisecondsToRun(nothing, L"\"" + nothing + L"\"", folder.path(), environment, 2);
    millisecondsToRun(nothingGui, L"\"" + nothingGui + L"\"", folder.path(), environment, 2);
    std::vector<double> handOver;
    std::vector<double> empty;
    std::vector<double> emptyGui;
    for (int i = 0; i < runs; ++i) {
        handOver.push_back(millisecondsToRun(exe, launcherLine, folder.path(), environment, 0));
        empty.push_back(millisecondsToRun(nothing, L"\"" + nothing + L"\"", folder.path(), environment, 2));
        emptyGui.push_back(millisecondsToRun(nothingGui, L"\"" + nothingGui + L"\"", folder.path(), environment, 2));
    }
    SetEvent(release.get());
    DWORD code = 0;
    first.waitForExit(30000, code);

    // Unanswered requests: each round a new first instance that ends with 7 once the request waits.
    const WText unansweredRecord = folder.path() + L"unanswered.txt";
    const WText endEventName = eventName + L"_end";
    UniqueHandle end(CreateEventW(nullptr, TRUE, FALSE, endEventName.c_str()));
    const std::vector<WText> unansweredEnvironment = {
        L"APPDATA=" + folder.path() + L"appdata", L"VORNIC_STANDIN_RECORD=" + unansweredRecord,
        L"VORNIC_STANDIN_SCRIPT=" + folder.path() + L"unanswered-script.txt"};
    if (!end || !writeFileBytes(folder.path() + L"unanswered-script.txt",
                                "main: wait-event " + utf8Of(endEventName) +
                                    "\nmain: exit 7\nsecondaryMain: returns int\nsecondaryMain: sleep 60000\n")) {
        std::fputs("cannot prepare the unanswered rounds\n", stderr);
        return 1;
    }
    const int rounds = std::max(1, runs / 3);
    std::vector<double> afterEnd;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int round = 1; round <= rounds; ++round) {
        ResetEvent(end.get());
        ChildProcess owner =
            ChildProcess::start(exe, L"\"" + exe + L"\" -nosplash", folder.path(), unansweredEnvironment);
        const bool ownerRuns = waitForRecord(unansweredRecord, "call: main", round);
        ChildProcess waiting =
            ChildProcess::start(exe, L"\"" + exe + L"\" unanswered", folder.path(), unansweredEnvironment);
        if (!ownerRuns || !waitForRecord(unansweredRecord, "secondary-arguments", round)) {
            std::fputs("the request did not reach secondaryMain\n", stderr);
            SetEvent(end.get());
            return 1;
        }
        SetEvent(end.get());
        LARGE_INTEGER ownerEnded;
        LARGE_INTEGER waitingEnded;
        WaitForSingleObject(owner.handle(), 30000);
        QueryPerformanceCounter(&ownerEnded);
        DWORD waitingCode = 0;
        if (!waiting.waitForExit(30000, waitingCode) || waitingCode != 7) {
            std::fprintf(stderr, "the waiting start ended with %lu, not 7\n", waitingCode);
            return 1;
        }
        QueryPerformanceCounter(&waitingEnded);
        afterEnd.push_back(1000.0 * static_cast<double>(waitingEnded.QuadPart - ownerEnded.QuadPart) /
                           static_cast<double>(frequency.QuadPart));
    }

    std::printf("runs: %d each, alternating\n", runs);
    std::printf("later start, void secondaryMain:  median %.1f ms\n", median(handOver));
    std::printf("program doing nothing:            median %.1f ms\n", median(empty));
    std::printf("program doing nothing, user32:    median %.1f ms (user32 costs %.1f ms)\n", median(emptyGui),
                median(emptyGui) - median(empty));
    std::printf("hand-over beyond process start:   %.1f ms (beyond a user32 program's start: %.1f ms; goal < 20)\n",
                median(handOver) - median(empty), median(handOver) - median(emptyGui));
    std::printf("unanswered, first instance ends:  the later start ends %.1f ms after it (median of %d, max %.1f; goal < 20)\n",
                median(afterEnd), rounds, *std::max_element(afterEnd.begin(), afterEnd.end()));
    return 0;
}
