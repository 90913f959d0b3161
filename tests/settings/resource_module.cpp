// A module that only carries resources: tests write packaged settings into copies of it.
extern "C" __declspec(dllexport) int settingsResourceModule() { return 1; }
