// Hangs in a static initializer, before main and so before the watchdog of the test main starts.
#include <gtest/gtest.h>

#include "hang_proof.h"

namespace {

struct HangsBeforeMain {
    HangsBeforeMain() {
        say("hang proof: in a static initializer, before main");
        showProofWindow(L"hang proof before main");
        startWaitingChild();
        waitForever();
    }
} hangs;

TEST(HangProof, NeverRuns) { FAIL() << "main was reached"; }

}  // namespace
