// Loads every library named on its command line by its bare name, the careless way, so a test can
// prove that a library it plants would be found and run.
#include <windows.h>

int wmain(int count, wchar_t** arguments) {
    for (int i = 1; i < count; ++i) {
        if (HMODULE module = LoadLibraryW(arguments[i])) FreeLibrary(module);
    }
    return 0;
}
