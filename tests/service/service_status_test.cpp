// Which status a service reports when: whole runs through ServiceStatusMachine, as the Win32 side
// drives it, and the settings that shape them.
#include <gtest/gtest.h>

#include "service/service_settings.h"
#include "service/service_status.h"
#include "settings/ini_document.h"

using namespace service_code;

namespace {

constexpr std::uint32_t kLimit = 20000;
constexpr std::uint32_t kAllStops = kAcceptStop | kAcceptShutdown | kAcceptPreshutdown;

TEST(ServiceStatusMachine, ReportsStartPendingThenRunningThenStoppedWithTheExitCode) {
    struct Case {
        int exitCode;
        std::uint32_t win32;
        std::uint32_t specific;
    };
    const Case cases[] = {{0, 0, 0}, {3, kServiceSpecificError, 3}, {-1, kServiceSpecificError, 0xFFFFFFFF}};
    for (const Case& c : cases) {
        ServiceStatusMachine machine(kLimit);
        const auto starting = machine.starting();
        ASSERT_TRUE(starting);
        EXPECT_EQ(starting->state, kStartPending);
        EXPECT_EQ(starting->controlsAccepted, 0u);  // nothing can be asked of a machine not yet made
        EXPECT_EQ(starting->checkPoint, 1u);
        EXPECT_GT(starting->waitHint, kPulseMilliseconds);

        // Every pulse while starting advances the checkpoint, so the manager sees progress.
        EXPECT_EQ(machine.pulse(100).status->checkPoint, 2u);
        EXPECT_EQ(machine.pulse(200).status->checkPoint, 3u);

        const auto running = machine.mainEntered();
        ASSERT_TRUE(running);
        EXPECT_EQ(running->state, kRunning);
        EXPECT_EQ(running->controlsAccepted, kAllStops);
        EXPECT_EQ(running->checkPoint, 0u);
        EXPECT_EQ(running->waitHint, 0u);
        EXPECT_EQ(machine.pulse(300).outcome, PulseOutcome::Nothing);  // RUNNING is not pending

        const auto stopped = machine.ended(c.exitCode);
        ASSERT_TRUE(stopped);
        EXPECT_EQ(stopped->state, kStopped);
        EXPECT_EQ(stopped->win32ExitCode, c.win32) << c.exitCode;
        EXPECT_EQ(stopped->serviceSpecificExitCode, c.specific) << c.exitCode;
        EXPECT_EQ(stopped->controlsAccepted, 0u);

        // After STOPPED the manager may end the process: nothing may follow that contradicts it.
        EXPECT_FALSE(machine.ended(0));
        EXPECT_FALSE(machine.mainEntered());
        EXPECT_FALSE(machine.pulse(400).status);
        EXPECT_FALSE(machine.control(kControlInterrogate, 500).status);
    }
}

TEST(ServiceStatusMachine, FailedLaunchStopsWithoutEverRunning) {
    ServiceStatusMachine machine(kLimit);
    machine.starting();
    // The manager offers no stop before RUNNING; one that came anyway asks nothing of anybody.
    EXPECT_EQ(machine.control(kControlStop, 10).action, ControlAction::NotAccepted);
    const auto stopped = machine.ended(-1);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->state, kStopped);
    EXPECT_EQ(stopped->serviceSpecificExitCode, 0xFFFFFFFF);
    EXPECT_FALSE(machine.mainEntered());
}

TEST(ServiceStatusMachine, EachStopControlAsksOnceAndTheLimitEndsTheWait) {
    for (std::uint32_t control : {kControlStop, kControlShutdown, kControlPreshutdown}) {
        ServiceStatusMachine machine(kLimit);
        machine.starting();
        machine.mainEntered();

        EXPECT_EQ(machine.control(kControlInterrogate, 900).action, ControlAction::None);
        EXPECT_EQ(machine.control(0x80, 950).action, ControlAction::NotAccepted);  // a user-defined code

        const ControlAnswer first = machine.control(control, 1000);
        EXPECT_EQ(first.action, ControlAction::AskToStop) << control;
        ASSERT_TRUE(first.status);
        EXPECT_EQ(first.status->state, kStopPending);
        EXPECT_EQ(first.status->controlsAccepted, 0u);
        EXPECT_EQ(first.status->checkPoint, 1u);
        EXPECT_GT(first.status->waitHint, kPulseMilliseconds);

        // A second stop (or the shut-down after a stop) reports again but asks nothing more.
        const ControlAnswer again = machine.control(kControlShutdown, 1500);
        EXPECT_EQ(again.action, ControlAction::None);
        EXPECT_EQ(again.status->state, kStopPending);

        const PulseAnswer pending = machine.pulse(1000 + kLimit - 1);
        EXPECT_EQ(pending.outcome, PulseOutcome::Pending);
        EXPECT_EQ(pending.status->checkPoint, 2u);

        const PulseAnswer limit = machine.pulse(1000 + kLimit);
        EXPECT_EQ(limit.outcome, PulseOutcome::StopLimitReached);
        ASSERT_TRUE(limit.status);
        EXPECT_EQ(limit.status->state, kStopped);
        EXPECT_EQ(limit.status->win32ExitCode, kRequestTimeout);
        EXPECT_FALSE(machine.ended(0));  // the launch that ends late changes nothing
    }
}

TEST(ServiceStatusMachine, ApplicationThatEndsInTimeStopsWithItsOwnCode) {
    ServiceStatusMachine machine(kLimit);
    machine.starting();
    machine.mainEntered();
    machine.control(kControlStop, 0);
    const auto stopped = machine.ended(0);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->win32ExitCode, 0u);
    EXPECT_EQ(machine.pulse(kLimit).outcome, PulseOutcome::Nothing);
}

TEST(ServiceSettings, AreReadFromTheirKeysWithTheirDefaults) {
    struct Case {
        const wchar_t* application;
        bool isService;
        const wchar_t* stopMethod;
        std::uint32_t stopTimeout;
    };
    const Case cases[] = {
        {L"", false, L"", 20000},
        {L"Application Type=service\r\nStop Method=shutdown\r\nStop Timeout=45\r\n", true, L"shutdown", 45000},
        {L"Application Type=Service\r\nStop Timeout=86400\r\n", false, L"", 86400000},  // the word is exact
        {L"Stop Timeout=86401\r\n", false, L"", 20000},  // more than a day
        {L"Stop Timeout=0\r\n", false, L"", 20000},
        {L"Stop Timeout=-5\r\n", false, L"", 20000},
        {L"Stop Timeout=2.5\r\n", false, L"", 20000},
        {L"Stop Timeout=7s\r\n", false, L"", 20000},
        {L"Stop Timeout=4294967297\r\n", false, L"", 20000},  // would wrap a 32-bit count
    };
    for (const Case& c : cases) {
        IniDocument layered;
        layered.parseIniText(Text(L"[Application]\r\nError File=err.txt\r\n") + c.application);
        IniDocument exeIni;
        exeIni.parseIniText(L"[Product Information]\r\nProduct Name=Shop Server\r\n");
        const ServiceSettings settings = readServiceSettings(layered, exeIni);
        EXPECT_EQ(settings.isService, c.isService) << c.application;
        EXPECT_EQ(settings.stopMethod, c.stopMethod) << c.application;
        EXPECT_EQ(settings.stopTimeoutMilliseconds, c.stopTimeout) << c.application;
        EXPECT_EQ(settings.eventSource, L"Shop Server");
        EXPECT_EQ(settings.errorFile, L"err.txt");
    }
}

}  // namespace
