// The awareness a launch asks for: the runtime's own launcher's, or the one "DPI Awareness" forces.
#include <gtest/gtest.h>

#include "display/dpi_awareness.h"

namespace {

using C = DpiContext;
const std::vector<C> kPerMonitorChain = {C::PerMonitorV2, C::PerMonitor, C::System};

TEST(DpiAwareness, FollowsTheRuntimeVersionUnlessTheSettingForcesAMode) {
    struct Case {
        const wchar_t* version;  // as a release file or registry subkey gives it; empty: unknown
        const wchar_t* setting;
        std::vector<C> attempts;
        bool forced;
    };
    const Case cases[] = {
        {L"17.0.5", L"", kPerMonitorChain, false},
        {L"9", L"", kPerMonitorChain, false},
        {L"1.8.0_392", L"", {C::System}, false},
        {L"1.6.0_45", L"", {C::System}, false},
        {L"", L"", kPerMonitorChain, false},                   // unknown counts as new
        {L"1.8.0_392", L"per-monitor", kPerMonitorChain, true},
        {L"17", L"System", {C::System}, true},                  // any case
        {L"17", L"UNAWARE", {C::Unaware}, true},
        {L"1.8", L"unaware", {C::Unaware}, true},
        {L"1.8", L"permonitor", {C::System}, false},            // not a word: no override
        {L"17", L" system", kPerMonitorChain, false},           // untrimmed
    };
    for (const Case& c : cases) {
        JavaVersion version;
        version.parse(c.version, 0);
        const DpiPlan plan = dpiPlanFor(version, c.setting);
        std::string what = "version [";
        for (const wchar_t* p = c.version; *p; ++p) what += static_cast<char>(*p);
        what += "] setting [";
        for (const wchar_t* p = c.setting; *p; ++p) what += static_cast<char>(*p);
        what += "]";
        EXPECT_EQ(plan.attempts, c.attempts) << what;
        EXPECT_EQ(plan.forced, c.forced) << what;
    }
}

}  // namespace
