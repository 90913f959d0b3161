#include "support/run_once.h"

namespace {

BOOL CALLBACK callInitialiser(PINIT_ONCE, PVOID initialise, PVOID*) {
    reinterpret_cast<void (*)()>(initialise)();
    return TRUE;
}

}  // namespace

void runOnce(INIT_ONCE& once, void (*initialise)()) {
    InitOnceExecuteOnce(&once, callInitialiser, reinterpret_cast<PVOID>(initialise), nullptr);
}
