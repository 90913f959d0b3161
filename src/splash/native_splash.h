// The Java runtime's own splash library ("splashscreen.dll" in its bin folder), used instead of the
// launcher's window when the settings prefer it.
//
//   const Text library = NativeSplash::locate(app.jvmLibraryPath);
//   if (!library.empty() && NativeSplash::start(library, picture, app.exitHook)) ...  // it shows now
#pragma once

#include "support/text.h"

class NativeSplash {
public:
    using CloseFunction = void (*)();

    // The library beside the runtime's bin folder when it exists; empty otherwise.
    static Text locate(const Text& jvmLibraryPath);

    // Loads the library by its full path (it stays loaded) and hands it the picture. True when it
    // now shows it; then `close` is the library's "SplashClose" (null when it has none). A library
    // that lacks an entry point is never initialised, so `close` stays untouched: closing it would
    // call into a library that was never started.
    static bool start(const Text& libraryPath, const Text& picturePath, CloseFunction& close);
};
