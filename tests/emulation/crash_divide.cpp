// Divides an integer by zero: must end with EXCEPTION_INT_DIVIDE_BY_ZERO.
#include "crash_filter.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    installFilterWhenAsked(arguments);
    // volatile: the divisor is read at run time, so the division is a real idiv, not a folded constant.
    volatile int divisor = 0;
    volatile int dividend = 1000;
    return dividend / divisor;
}
