// The sentence that says which Java versions the application accepts.
#pragma once

#include "support/text.h"

class LauncherApp;

Text requirementText(const LauncherApp& app);
