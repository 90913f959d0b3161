// A packaged copy with "Application Type" "service", registered with Wine's service control manager
// through sc.exe and started, stopped and queried there: the states it reports, its exit codes, its
// stop method, its stop limit, and what it logs when no runtime is found. Wine's sc has no
// "queryex", so the status is read with QueryServiceStatusEx, which is what "sc queryex" prints.
#include <gtest/gtest.h>

#include "harness.h"
#include "installed_service.h"
#include "package_resources.h"

namespace {

const Text kUpgradeCode = L"{2E7D4A10-93C5-4F6B-A1D8-5B0C7E3F9A24}";
// Far above a start or a stop that works: a status that never comes is what reaches it.
constexpr DWORD kStateTimeout = 30000;
constexpr DWORD kMinusOne = 0xFFFFFFFF;

// A packaged copy "app.exe" configured as a service, with the stand-in runtime as its private
// runtime unless told otherwise. A service runs in the services manager's environment, not in this
// test's: the stand-in reads its script and writes its record beside its jvm.dll.
class ServiceApp {
public:
    ServiceApp(const Text& applicationSection, const std::string& script, bool withRuntime = true) {
        exe_ = folder_.path() + L"app.exe";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe_.c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Class Path]\r\nClass Path=app.jar\r\n"
                           L"[Application]\r\nApplication Type=service\r\n" +
                               applicationSection);
        // 206 and 207 as shipped: what is needed, then how to choose it in the dialog, which a service has not.
        resources.strings = {{206, L"[206] server runtime %s\n\n[206] choose the folder"},
                             {207, L"[207] runtime %s\n\n[207] choose the folder"},
                             {235, L"[235] JRE Path in %s"},
                             {241, L"[241] not downloaded from %s: %s"},
                             {250, L"[250] a service downloads nothing"}};
        EXPECT_TRUE(resources.writeInto(exe_));
        EXPECT_TRUE(writeUtf16File(folder_.path() + L"app.ini", L"[Product Information]\r\nUpgrade Code=" +
                                                                    kUpgradeCode + L"\r\nProduct Name=Vornic Test\r\n"));
        EXPECT_TRUE(writeFileBytes(folder_.path() + L"app.jar", "PK"));
        runtime_ = folder_.path() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        if (!withRuntime) return;
        const WText server = runtime_ + L"bin\\server\\";
        EXPECT_TRUE(makeFolders(server));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime_ + L"bin\\java.dll").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(), (server + L"jvm.dll").c_str(), FALSE));
        EXPECT_TRUE(writeFileBytes(server + L"standin-script.txt", script));
    }

    const WText& exe() const { return exe_; }
    const WText& folder() const { return folder_.path(); }
    std::string record() const { return readText(runtime_ + L"bin\\server\\standin-record.txt"); }

    // Waits until the stand-in's record holds `part`.
    bool waitForRecord(const std::string& part) const {
        WaitingFor marker(L"the record line " + WText(part.begin(), part.end()));
        return waitUntil([&] { return contains(record(), part); }, scaledMilliseconds(kStateTimeout), 50);
    }

private:
    static inline const WText kStandin = WIDE_STANDIN_RUNTIME;
    TempFolder folder_;
    WText exe_;
    WText runtime_;
};

// An event name of this test program's own, for main and the stop method to meet on.
std::string eventName(const char* what) { return "vornic-service-" + std::to_string(GetCurrentProcessId()) + what; }

// True when the process `id` has ended (or never was), within the time.
bool processEnds(DWORD id) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return !process || WaitForSingleObject(process.get(), scaledMilliseconds(kStateTimeout)) == WAIT_OBJECT_0;
}

TEST(Service, RunsMainUntilStopCallsItsStopMethod) {
    const std::string released = eventName("-released");
    const ServiceApp app(L"Stop Method=halt\r\n",
                         "main: wait-event " + released + "\nstop-method: halt\nstop: set-event " + released + "\n");
    const InstalledService service(app.exe());
    ASSERT_TRUE(service.created());
    ASSERT_EQ(runSc(L"start " + service.name()), 0u);

    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status)) << status.dwCurrentState;
    EXPECT_TRUE(app.waitForRecord("call: main")) << app.record();
    EXPECT_EQ(status.dwControlsAccepted & (SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN),
              DWORD{SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN});
    const DWORD process = status.dwProcessId;
    EXPECT_NE(process, 0u);

    EXPECT_EQ(runSc(L"stop " + service.name()), 0u);
    ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << status.dwCurrentState;
    // main returned once the stop method released it: an orderly end, well inside the 20 s limit.
    EXPECT_EQ(status.dwWin32ExitCode, 0u);
    EXPECT_TRUE(contains(app.record(), "call: halt")) << app.record();
    EXPECT_TRUE(contains(app.record(), "destroy-vm")) << app.record();
    EXPECT_FALSE(contains(app.record(), "exit:")) << app.record();
    EXPECT_TRUE(processEnds(process));
}

TEST(Service, EndsWithTheApplicationsExitCode) {
    struct Case {
        const wchar_t* settings;
        std::string script;
        bool stop;  // ask for the stop once main runs
        DWORD win32ExitCode;
        DWORD specificExitCode;
        const char* recorded;
    };
    const Case cases[] = {
        // System.exit inside the service: its code is the service-specific one.
        {L"", "main: exit 3\n", false, ERROR_SERVICE_SPECIFIC_ERROR, 3, "exit: 3"},
        // main ended by an exception: a failure, told in the service's own way, not a success.
        {L"", "main: throw java/lang/IllegalStateException broken\n", false, ERROR_SERVICE_SPECIFIC_ERROR, 1,
         "exception-describe: java.lang.IllegalStateException: broken"},
        // A stop method of another name than the main class has: the stop is System.exit(0), as
        // without one (the real machine's test shows its shutdown hooks run).
        {L"Stop Method=missing\r\n", "main: wait-event " + eventName("-never-b") + "\n", true, 0, 0, "exit: 0"},
    };
    for (const Case& c : cases) {
        const ServiceApp app(c.settings, c.script);
        const InstalledService service(app.exe());
        ASSERT_TRUE(service.created());
        ASSERT_EQ(runSc(L"start " + service.name()), 0u);
        SERVICE_STATUS_PROCESS status{};
        if (c.stop) {
            ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status)) << c.script;
            EXPECT_EQ(runSc(L"stop " + service.name()), 0u);
        }
        ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << c.script << status.dwCurrentState;
        EXPECT_EQ(status.dwWin32ExitCode, c.win32ExitCode) << c.script;
        EXPECT_EQ(status.dwServiceSpecificExitCode, c.specificExitCode) << c.script;
        EXPECT_TRUE(contains(app.record(), c.recorded)) << c.script << app.record();
    }
}

// The runtime reports STOPPED from its exit hook and only then ends the process: the launcher's
// main thread, whose dispatcher returns at STOPPED, must leave that end to the runtime, so the
// process ends when the runtime lets it, with System.exit's code.
TEST(Service, SystemExitEndsTheProcessAfterStoppedWithItsCode) {
    const std::string exit = eventName("-exit");
    const std::string linger = eventName("-linger");
    const ServiceApp app(L"", "main: wait-event " + exit + "\nmain: exit 3\nafter-exit-hook: " + linger + "\n");
    const InstalledService service(app.exe());
    ASSERT_TRUE(service.created());
    ASSERT_EQ(runSc(L"start " + service.name()), 0u);
    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status)) << status.dwCurrentState;
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, status.dwProcessId));
    ASSERT_TRUE(process);
    const UniqueHandle exitEvent(CreateEventA(nullptr, TRUE, FALSE, exit.c_str()));
    const UniqueHandle lingerEvent(CreateEventA(nullptr, TRUE, FALSE, linger.c_str()));
    ASSERT_TRUE(SetEvent(exitEvent.get()));

    ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << status.dwCurrentState;
    EXPECT_EQ(status.dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
    EXPECT_EQ(status.dwServiceSpecificExitCode, 3u);
    EXPECT_EQ(WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(SetEvent(lingerEvent.get()));
    ASSERT_EQ(WaitForSingleObject(process.get(), scaledMilliseconds(kStateTimeout)), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(process.get(), &code));
    EXPECT_EQ(code, 3u) << app.record();
}

TEST(Service, StopMethodThatNeverReturnsEndsAtTheStopTimeout) {
    const ServiceApp app(L"Stop Method=hang\r\nStop Timeout=2\r\n",
                         "main: wait-event " + eventName("-never-c") + "\nstop-method: hang\nstop: wait-event " +
                             eventName("-never-d") + "\n");
    const InstalledService service(app.exe());
    ASSERT_TRUE(service.created());
    ASSERT_EQ(runSc(L"start " + service.name()), 0u);
    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status));
    const DWORD process = status.dwProcessId;

    const ULONGLONG asked = GetTickCount64();
    EXPECT_EQ(runSc(L"stop " + service.name()), 0u);
    EXPECT_TRUE(app.waitForRecord("call: hang")) << app.record();
    ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << status.dwCurrentState;
    const ULONGLONG took = GetTickCount64() - asked;
    // Not before the limit: the stop pending until then is what gives the application its time.
    EXPECT_GE(took, 1800u);
    EXPECT_EQ(status.dwWin32ExitCode, DWORD{ERROR_SERVICE_REQUEST_TIMEOUT});
    EXPECT_TRUE(processEnds(process));
    EXPECT_FALSE(contains(app.record(), "destroy-vm")) << app.record();
}

// Needs a registry without Java runtimes, as the dialog's process tests do. The runtime the
// application names for download is not fetched: a service says so instead.
TEST(Service, WithoutARuntimeStopsWithMinusOneAndLogsWhereToNameOne) {
    const TempFolder logs;
    const WText errors = logs.path() + L"logs\\errors.txt";
    const Text width = sizeof(void*) == 8 ? L"x64" : L"x86";
    const ServiceApp app(L"Error File=" + errors + L"\r\n[Runtime Download]\r\nRuntime Download=Yes\r\n" + width +
                             L" URL=http://127.0.0.1:9/jre.zip\r\n" + width + L" SHA-256=" + Text(64, L'a') + L"\r\n" +
                             width + L" Size=1000\r\n",
                         "", false);
    const InstalledService service(app.exe());
    ASSERT_TRUE(service.created());
    runSc(L"start " + service.name());  // may tell of the failure already
    SERVICE_STATUS_PROCESS status{};
    ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status));
    EXPECT_EQ(status.dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
    EXPECT_EQ(status.dwServiceSpecificExitCode, kMinusOne);
    const std::string logged = readText(errors);
    EXPECT_TRUE(contains(logged, "[207] runtime ")) << logged;
    // Instead of the dialog's part: where to name a runtime, the INI beside the service's executable.
    EXPECT_TRUE(contains(logged, "\n\n[235] JRE Path in " + utf8Of(app.folder()) + "app.ini")) << logged;
    EXPECT_FALSE(contains(logged, "choose the folder")) << logged;
    EXPECT_TRUE(contains(logged, "[250] a service downloads nothing")) << logged;
    EXPECT_FALSE(contains(logged, "[241]")) << logged;
    // STOPPED comes just before the process ends.
    EXPECT_TRUE(waitUntil([&] { return noProcessRuns(app.exe()); }, scaledMilliseconds(kStateTimeout), 50));
}

TEST(Service, StartedAsAProgramRunsAsAnyProgram) {
    const ServiceApp app(L"Stop Method=halt\r\n", "main: args\n");
    const Launch launch = runAnswering(app.exe(), L"\"" + app.exe() + L"\" a", IDOK, scaledMilliseconds(kStateTimeout),
                                       app.folder());
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 0u);
    EXPECT_TRUE(launch.windows.empty());
    EXPECT_TRUE(contains(app.record(), "call: main\narg: a\n")) << app.record();
}

}  // namespace
