// What the splash costs and how quickly it reacts.
//
//   splash_benchmark [RUNS]
//
// 1. One search for an application window (what the splash thread does every 15 ms when it is to
//    give way), over this desktop's top-level windows, then with 300 more that this program makes.
// 2. A packaged launcher with the stand-in runtime and a 300 x 200 picture: milliseconds from the
//    process start to the splash being visible, and from the application's first window being
//    visible to the splash being gone ("Splash Screen Close On Window"), as an outside observer
//    polling every millisecond sees them. Median, minimum and maximum of RUNS launches.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness.h"
#include "package_resources.h"
#include "splash/splash_watch.h"

namespace {

const Text kUpgradeCode = L"{0F6B2D1A-3C57-4E89-A1B2-7D4E5F6A8B90}";

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void measureSearch() {
    int windows = 0;
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&windows));
    const int searches = 2000;
    const double start = nowMs();
    int found = 0;
    // A process id no window has: every search walks the whole list, the worst case.
    for (int i = 0; i < searches; ++i) found += applicationShowsWindow(0xFFFFFFF0u, nullptr) ? 1 : 0;
    const double perSearch = (nowMs() - start) / searches * 1000.0;
    std::printf("window search: %d top-level windows, %.1f us per search (%d found), %.2f%% of a 15 ms period\n",
                windows, perSearch, found, perSearch / 150.0);
}

void searchCost() {
    measureSearch();
    std::vector<HWND> extra;
    for (int i = 0; i < 300; ++i) {
        extra.push_back(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    }
    measureSearch();
    for (HWND window : extra) DestroyWindow(window);
}

struct Figures {
    double untilShown = -1;
    double untilGone = -1;
};

HWND windowOfClass(DWORD process, const wchar_t* className) {
    for (HWND window : topLevelWindowsOf(process)) {
        if (windowClassOf(window) == className) return window;
    }
    return nullptr;
}

bool oneLaunch(const TempFolder& folder, Figures& figures) {
    const WText exe = folder.path() + L"app.exe";
    const double start = nowMs();
    ChildProcess child = ChildProcess::start(exe, L"\"" + exe + L"\"", folder.path(),
                                             standinEnvironment(folder.path()));
    if (!child.started()) return false;
    HWND splash = nullptr;
    double windowAt = -1;
    while (WaitForSingleObject(child.handle(), 1) == WAIT_TIMEOUT && nowMs() - start < 20000) {
        if (!splash && (splash = windowOfClass(child.id(), L"SplashScreenWindow"))) figures.untilShown = nowMs() - start;
        if (splash && windowAt < 0 && windowOfClass(child.id(), L"StandinWindow")) windowAt = nowMs();
        if (windowAt >= 0 && figures.untilGone < 0 && !IsWindowVisible(splash)) figures.untilGone = nowMs() - windowAt;
    }
    DWORD code = 1;
    const bool ended = child.waitForExit(5000, code);
    if (ended && code == 0 && figures.untilShown >= 0 && figures.untilGone >= 0) return true;
    std::fprintf(stderr, "ended %d, exit code %lu, shown after %.1f ms, gone %.1f ms after the window\n", ended ? 1 : 0,
                 code, figures.untilShown, figures.untilGone);
    return false;
}

void print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%s: median %.1f ms, min %.1f, max %.1f (%zu runs)\n", what, values[values.size() / 2], values.front(),
                values.back(), values.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
    searchCost();

    TempFolder folder;
    const WText exe = folder.path() + L"app.exe";
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second",
                       L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n");
    const WText runtime = folder.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    const WText standin = WIDE_STANDIN_FOLDER;
    if (!CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE) || !resources.writeInto(exe) ||
        !writeUtf16File(folder.path() + L"app.ini",
                        L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                            L"\r\n[Display]\r\nSplash Screen=splash.png\r\nSplash Screen Close On Window=Yes\r\n") ||
        !CopyFileW(besideThisProgram(L"splash.png").c_str(), (folder.path() + L"splash.png").c_str(), FALSE) ||
        !writeFileBytes(folder.path() + L"app.jar", "PK") ||
        !writeFileBytes(folder.path() + L"script.txt", "main: sleep 300\nmain: window\nmain: sleep 1000\n") ||
        !makeFolders(runtime + L"bin\\server") ||
        !CopyFileW((standin + L"runtime\\bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE) ||
        !CopyFileW((standin + L"runtime\\bin\\server\\jvm.dll").c_str(), (runtime + L"bin\\server\\jvm.dll").c_str(),
                   FALSE)) {
        std::fprintf(stderr, "cannot prepare the packaged launcher\n");
        return 1;
    }
    std::vector<double> shown;
    std::vector<double> gone;
    for (int i = 0; i < runs; ++i) {
        Figures figures;
        if (!oneLaunch(folder, figures)) {
            std::fprintf(stderr, "launch %d failed\n", i);
            return 1;
        }
        shown.push_back(figures.untilShown);
        gone.push_back(figures.untilGone);
    }
    print("process start to splash visible", shown);
    print("application window visible to splash gone", gone);
    return 0;
}
