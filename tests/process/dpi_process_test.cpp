// Whole launches that show which DPI awareness the launcher asks for and whether it sets the
// taskbar identity, with what the stand-in runtime saw of both inside the process. Wine 8 starts
// every process per-monitor aware and refuses any later process-wide change (the v2 context with
// error 87, the others with 5), while its SetProcessDPIAware answers TRUE without effect, and it does
// not implement GetCurrentProcessExplicitAppUserModelID. So the launch's trace, which names each
// attempt, shows the decision; the stand-in's record must agree with it wherever the system says
// the change was made.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
const Text kUpgradeCode = L"{6D2A91C4-0E37-4B85-A1F6-93C0E7D25B18}";
const WText kStandin = WIDE_STANDIN_RUNTIME;

struct Attempt {
    std::string context;  // "per-monitor v2", "system", ...
    std::string reason;   // "runtime 17.0", "DPI Awareness \"Unaware\"", ...
    std::string how;      // the call that made it, or "refused, error N"
};

// The trace's "DPI awareness <context> (<reason>): <how>" lines, in order.
std::vector<Attempt> attemptsIn(const std::string& trace) {
    std::vector<Attempt> attempts;
    std::istringstream lines(trace);
    std::string line;
    const std::string mark = "DPI awareness ";
    while (std::getline(lines, line)) {
        const std::size_t at = line.find(mark);
        const std::size_t open = line.find(" (", at);
        const std::size_t close = line.find("): ", open);
        if (at == std::string::npos || open == std::string::npos || close == std::string::npos) continue;
        std::string how = line.substr(close + 3);
        if (!how.empty() && how.back() == '\r') how.pop_back();
        attempts.push_back({line.substr(at + mark.size(), open - at - mark.size()), line.substr(open + 2, close - open - 2), how});
    }
    return attempts;
}

// The value of the record's "<what>: " line, or "<missing>".
std::string recorded(const std::string& record, const std::string& what) {
    const std::size_t at = record.find(what + ": ");
    if (at == std::string::npos) return "<missing>";
    const std::size_t begin = at + what.size() + 2;
    return record.substr(begin, record.find('\n', begin) - begin);
}

TEST(DpiAwareness, FollowsTheRuntimesReleaseOrTheSettingAndTheTaskbarIdentityIsSetOnlyWhenGiven) {
    const std::vector<std::string> perMonitorChain = {"per-monitor v2", "per-monitor", "system"};
    struct Case {
        const char* release;                // JAVA_VERSION of the runtime's release file; empty: no file
        const wchar_t* settings;            // more packaged settings
        std::vector<std::string> contexts;  // what the launcher may try, in order, until one is taken
        const char* reason;                 // why, as the trace gives it
        const char* identity;               // the configured App User Model ID, or empty
        bool splash = false;                // the launcher's own splash shows while the runtime starts
    };
    const Case cases[] = {
        {"17.0.5", L"", perMonitorChain, "runtime 17.0", "", true},
        {"1.8.0_392", L"[Application]\r\nApp User Model ID=Vornic.Test.Dpi\r\n", {"system"}, "runtime 1.8",
         "Vornic.Test.Dpi"},
        {"", L"", perMonitorChain, "runtime version unknown", ""},
        {"17.0.5", L"[Display]\r\nDPI Awareness=Unaware\r\n", {"unaware"}, "DPI Awareness \"Unaware\"", ""},
        {"1.8.0_392", L"[Display]\r\nDPI Awareness=per-monitor\r\n", perMonitorChain,
         "DPI Awareness \"per-monitor\"", ""},
    };
    for (const Case& c : cases) {
        const std::string what = std::string("release [") + c.release + "] " + utf8Of(c.settings) + (c.splash ? " splash" : "");
        const TempFolder folder;
        const WText exe = folder.path() + L"app.exe";
        ASSERT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n" +
                               Text(c.settings));
        ASSERT_TRUE(resources.writeInto(exe));
        ASSERT_TRUE(writeUtf16File(folder.path() + L"app.ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n" +
                                                              (c.splash ? L"[Display]\r\nSplash Screen=splash.png\r\n" : L"")));
        ASSERT_TRUE(writeFileBytes(folder.path() + L"app.jar", "PK"));
        const WText home = folder.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        ASSERT_TRUE(makeFolders(home + L"bin\\server"));
        ASSERT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (home + L"bin\\java.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(), (home + L"bin\\server\\jvm.dll").c_str(), FALSE));
        if (*c.release) {
            ASSERT_TRUE(writeFileBytes(home + L"release", std::string("JAVA_VERSION=\"") + c.release + "\"\n"));
        }

        // With a splash the runtime waits at its creation until the splash shows, and records it.
        if (c.splash) {
            ASSERT_TRUE(CopyFileW(besideThisProgram(L"splash.png").c_str(), (folder.path() + L"splash.png").c_str(), FALSE));
        }

        const WText trace = folder.path() + L"trace.log";
        const Launch launch = runAnswering(exe, L"\"" + exe + L"\"", IDOK, kLaunchTimeout, folder.path(),
                                           {L"APPDATA=" + folder.path() + L"appdata", L"VORNIC_STANDIN_RECORD=",
                                            L"VORNIC_STANDIN_SCRIPT=", L"VORNIC_TRACE=" + trace,
                                            L"VORNIC_STANDIN_CREATE_AFTER_WINDOW=" + WText(c.splash ? L"SplashScreenWindow" : L"")});
        ASSERT_TRUE(launch.finished) << what;
        EXPECT_EQ(launch.exitCode, 0u) << what;
        const std::string text = readText(trace);
        const std::string record = readText(home + L"bin\\server\\standin-record.txt");
        const std::string context = what + "\n" + text + record;

        // The launcher tries the plan's contexts in order and stops at the first the system takes.
        const std::vector<Attempt> attempts = attemptsIn(text);
        ASSERT_FALSE(attempts.empty()) << context;
        ASSERT_LE(attempts.size(), c.contexts.size()) << context;
        for (std::size_t i = 0; i < attempts.size(); ++i) {
            EXPECT_EQ(attempts[i].context, c.contexts[i]) << context;
            EXPECT_EQ(attempts[i].reason, c.reason) << context;
            const bool refused = attempts[i].how.rfind("refused", 0) == 0;
            if (i + 1 < attempts.size()) {
                EXPECT_TRUE(refused) << "went on after a taken context\n" << context;
            } else if (refused) {
                EXPECT_EQ(attempts.size(), c.contexts.size()) << "stopped before the plan's end\n" << context;
            }
        }
        // The awareness is settled before the runtime is set up, and the runtime sees a real one:
        // the one asked for wherever the system confirms the process took it.
        EXPECT_LT(text.find("DPI awareness"), text.find("VM option")) << context;
        const std::string seen = recorded(record, "dpi-awareness");
        EXPECT_TRUE(seen == "unaware" || seen == "system" || seen == "per-monitor" || seen == "per-monitor v2") << context;
        if (attempts.back().how == "SetProcessDpiAwarenessContext") {
            EXPECT_EQ(seen, attempts.back().context) << context;
        }
        // The splash, made before the runtime, has the process's settled awareness too, not one of
        // its own thread's.
        if (c.splash) {
            EXPECT_FALSE(contains(record, "window-never-shown")) << context;
            EXPECT_EQ(recorded(record, "splash-dpi-awareness"), seen) << context;
        } else {
            EXPECT_EQ(recorded(record, "splash-dpi-awareness"), "<missing>") << context;
        }

        // The identity is set only when configured; the runtime's main sees it wherever the shell can say.
        const std::string id = recorded(record, "app-user-model-id");
        if (*c.identity) {
            EXPECT_TRUE(contains(text, "App User Model ID \"" + std::string(c.identity) + "\": set")) << context;
            EXPECT_TRUE(id == c.identity || id == "unavailable") << context;
        } else {
            EXPECT_FALSE(contains(text, "App User Model ID")) << context;
            EXPECT_TRUE(id == "none" || id == "unavailable") << context;
        }
    }
}

}  // namespace
