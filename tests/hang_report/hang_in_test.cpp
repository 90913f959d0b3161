// Hangs inside a test, where the watchdog cannot see it (run with a watchdog far beyond wine-run's limit).
#include <gtest/gtest.h>

#include "hang_proof.h"

namespace {

TEST(HangProof, WaitsInATest) {
    say("hang proof: inside a test");
    showProofWindow(L"hang proof in a test");
    startWaitingChild();
    waitForever();
}

}  // namespace
