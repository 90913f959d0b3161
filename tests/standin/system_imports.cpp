// Makes the stand-in jvm.dll import the system libraries a real runtime's jvm.dll imports (user32,
// advapi32, wsock32, winmm, version, psapi), so that a start-up measured with it pays for loading and
// starting them as every real launch does. One function of each is referenced; nothing is called.
#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>
#include <winsock.h>

namespace {

struct SystemImports {
    SystemImports() {
        // Read through a volatile table so that neither the compiler nor the linker drops an import.
        static void* volatile const table[] = {
            reinterpret_cast<void*>(&GetSystemMetrics),        // user32
            reinterpret_cast<void*>(&RegCloseKey),             // advapi32
            reinterpret_cast<void*>(&WSAGetLastError),         // wsock32
            reinterpret_cast<void*>(&timeGetTime),             // winmm
            reinterpret_cast<void*>(&GetFileVersionInfoSizeW), // version
            reinterpret_cast<void*>(&GetProcessMemoryInfo),    // psapi
        };
        int count = 0;
        for (void* volatile const& entry : table) count += entry != nullptr;
        referenced = count;
    }
    volatile int referenced = 0;
};

const SystemImports imports;

}  // namespace
