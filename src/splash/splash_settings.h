// The splash's [Display] settings, from the settings file beside the executable only: the packaged
// settings do not carry the splash.
#pragma once

#include "splash/splash_rules.h"
#include "support/text.h"

struct SplashSettings {
    Text picture;  // "Splash Screen", as written: the controller resolves it against the executable's folder
    Text shadow;   // "Splash Screen Shadow"
    Text native;   // "Preffer Native Splash Screen"
    SplashClosing closing;  // "Splash Screen Close On Window" and "Splash Screen Time Limit"
};
