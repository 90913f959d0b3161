// Started by a hanging program: waits until something ends it.
#include <windows.h>

int main() {
    WaitForSingleObject(GetCurrentProcess(), INFINITE);
    return 0;
}
