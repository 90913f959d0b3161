// What the single-instance channel takes from the settings.
#pragma once

#include "support/text.h"

struct InstanceSettings {
    // "Single Instance" is exactly "yes" and the application is no service.
    bool singleInstance = false;
    Text mainClass;             // slash form: the class whose "secondaryMain" takes the requests
    bool keepAttached = false;  // "VM Provider" admits IBM runtimes, whose threads stay attached
};
