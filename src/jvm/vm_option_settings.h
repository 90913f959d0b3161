// The settings the VM options and the runtime's environment are made from, as values; filled by
// LauncherSettings::vmOptionSettings (app/launcher_settings.h).
//
//   prepareJvmEnvironment(settings, session);   // jvm_environment.h
//   assembleVmOptions(settings, session);       // vm_options.h
#pragma once

#include "support/text.h"

struct VmOptionSettings {
    Text productName;  // "Product Name": the folder of the class-data-sharing archive
    Text upgradeCode;  // "Upgrade Code": deciphers the packaged settings
    Text libraryPath;  // "Library Path", as written
    Text systemPath;   // "System Path", as written
};
