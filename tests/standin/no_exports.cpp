// A jvm.dll that loads but exports none of the runtime's entry points.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
