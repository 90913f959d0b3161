// The stand-in runtime's bin\java.dll: its presence is what marks a runtime folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
