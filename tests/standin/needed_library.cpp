// A library of a runtime's own that its jvm.dll imports (vornicneeded.dll, and vornicabsent.dll, which
// is never installed), or, with STANDIN_IMPORTS_NEEDED, one that itself imports vornicabsent.dll.
#ifdef STANDIN_IMPORTS_NEEDED
extern "C" __declspec(dllimport) int standin_needed_value();
extern "C" __declspec(dllexport) int standin_needing_value() { return standin_needed_value() + 1; }
#else
extern "C" __declspec(dllexport) int standin_needed_value() { return 42; }
#endif
