// Makes the stand-in jvm.dll import a library of the runtime's own (see needed_library.cpp), so that
// the loader must find it before the runtime loads.
#ifdef STANDIN_IMPORTS_NEEDING
extern "C" __declspec(dllimport) int standin_needing_value();
#define STANDIN_IMPORTED standin_needing_value
#else
extern "C" __declspec(dllimport) int standin_needed_value();
#define STANDIN_IMPORTED standin_needed_value
#endif

namespace {

// Read through a volatile pointer so that the linker keeps the import.
int (*volatile const imported)() = &STANDIN_IMPORTED;

}  // namespace

extern "C" __declspec(dllexport) int standin_imported_value() { return imported(); }
