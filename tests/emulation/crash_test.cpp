// A fault in a program is reported as the Windows exception it is, and ends the program: no debugger
// waits and nothing hangs. Under the x86 emulation this depends on the signal-context fix.
#include <gtest/gtest.h>

#include "crash_filter.h"
#include "harness.h"

namespace {

// Generous for the first program of an emulated session; a program waiting in a debugger exceeds it.
constexpr DWORD kCrashTimeout = 30000 * VORNIC_TIME_FACTOR;

struct CrashCase {
    const wchar_t* program;
    DWORD exceptionCode;
};

void PrintTo(const CrashCase& crash, std::ostream* out) {
    *out << testing::PrintToString(WText(crash.program)) << " 0x" << std::hex << crash.exceptionCode;
}

const CrashCase kCases[] = {
    {L"crash_null.exe", EXCEPTION_ACCESS_VIOLATION},
    {L"crash_divide.exe", EXCEPTION_INT_DIVIDE_BY_ZERO},
};

struct Ending {
    bool finished = false;
    DWORD exitCode = 0;
    std::vector<SeenWindow> windows;
};

Ending run(const wchar_t* program, const WText& argument) {
    Ending ending;
    const WText exe = besideThisProgram(program);
    ChildProcess child = ChildProcess::start(exe, L"\"" + exe + L"\"" + argument);
    EXPECT_TRUE(child.started()) << "cannot start " << testing::PrintToString(exe);
    if (!child.started()) return ending;
    // A crash dialog would be answered here, so that it shows up as a failure rather than a hang.
    WindowAnswerer answerer(child.id(), IDCANCEL);
    ending.finished = child.waitForExit(kCrashTimeout, ending.exitCode);
    ending.windows = answerer.seen();
    return ending;
}

class Crash : public testing::TestWithParam<CrashCase> {};

TEST_P(Crash, EndsTheProgramWithTheExceptionCodeAndShowsNothing) {
    const Ending ending = run(GetParam().program, L"");
    ASSERT_TRUE(ending.finished) << "the crashed program did not end";
    EXPECT_EQ(ending.exitCode, GetParam().exceptionCode) << std::hex << ending.exitCode;
    for (const SeenWindow& window : ending.windows) {
        ADD_FAILURE() << "unexpected window " << testing::PrintToString(window.caption) << ": "
                      << testing::PrintToString(window.text);
    }
}

TEST_P(Crash, ReachesTheProgramsOwnFilterWithTheSameCode) {
    const Ending ending = run(GetParam().program, L" filter");
    ASSERT_TRUE(ending.finished) << "the crashed program did not end";
    EXPECT_EQ(ending.exitCode, kFilteredBase + (GetParam().exceptionCode & 0xFFFF)) << std::hex << ending.exitCode;
}

INSTANTIATE_TEST_SUITE_P(Faults, Crash, testing::ValuesIn(kCases), [](const auto& info) {
    return info.param.exceptionCode == EXCEPTION_ACCESS_VIOLATION ? std::string("NullDereference")
                                                                   : std::string("IntegerDivisionByZero");
});

}  // namespace
