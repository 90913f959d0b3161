// A module that only carries resources: the tests write dialog templates into copies of it.
extern "C" __declspec(dllexport) int dialogModule() { return 1; }
