// Reads through a null pointer: must end with EXCEPTION_ACCESS_VIOLATION.
#include "crash_filter.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    installFilterWhenAsked(arguments);
    // volatile: the compiler may not prove the pointer null and drop or replace the read.
    int* volatile pointer = nullptr;
    return *pointer;
}
