// The splash's rules that need no system: where the window goes, what the [Display] settings mean,
// and where a runtime keeps its splash library.
//
//   SplashPoint at = splashPosition(1920, 1080, 300, 200);   // (810, 440)
//   if (wantsShadow(shadowSetting)) ...
#pragma once

#include <cstdint>
#include <functional>

#include "support/text.h"

struct SplashPoint {
    int x = 0;
    int y = 0;
};

// Centred on the full screen; the division truncates toward zero, so a picture larger than the
// screen gets negative coordinates (its middle still on the screen's middle).
SplashPoint splashPosition(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight);

// Exactly "true": the shadow is a deliberate choice, so "True" or "yes" give none.
bool wantsShadow(const Text& setting);

// "Yes" in any letter case asks for the runtime's splash library.
bool prefersNativeSplash(const Text& setting);

// When the own window closes before the launcher ends. Both parts are off by default: the window
// then stays until the Java side is done.
struct SplashClosing {
    bool onFirstWindow = false;       // when the application shows its first visible top-level window
    std::uint32_t timeLimitMs = 0;    // after this long at the latest; 0 means no limit
};

// "Splash Screen Close On Window" ("Yes" in any case) and "Splash Screen Time Limit" (whole
// milliseconds, digits only, blanks around them allowed). A limit that is not a number, or is 0,
// means none; limits beyond a day are held at a day.
SplashClosing splashClosingOf(const Text& onWindowSetting, const Text& timeLimitSetting);

// The picture file a "Splash Screen" setting names. A relative path is looked for in the current
// folder first, where earlier launchers looked and existing installations keep it, then in the
// executable's folder (`exeFolder`), where an application folder ships it whatever folder a
// shortcut starts it in. `exists` says whether a file is there (a relative path is taken from the
// current folder). An absolute or rooted path, or one found in neither place, stays as written.
Text splashPicturePath(const Text& setting, const Text& exeFolder, const std::function<bool(const Text&)>& exists);

// "splashscreen.dll" in the folder two components above the runtime's jvm.dll
// (C:\rt\bin\server\jvm.dll gives C:\rt\bin\splashscreen.dll); empty when nothing is left.
Text nativeSplashCandidate(const Text& jvmLibraryPath);
