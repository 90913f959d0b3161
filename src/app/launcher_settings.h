// Every launcher setting as values, read from stores: portable, so the reading is tested on any
// host. The Windows side opens the stores (app/launcher_settings_files.h).
//
//   LauncherSettings settings;
//   if (!readLayeredSettings(settings, layered, userFile)) ...   // no "Main Class": message 210
//   channel.open(settings.instance, arguments);
#pragma once

#include "display/display_settings.h"
#include "download/download_settings.h"
#include "instance/instance_settings.h"
#include "jvm/java_run_settings.h"
#include "jvm/vm_option_settings.h"
#include "runtime/runtime_candidates.h"
#include "settings/settings_paths.h"
#include "splash/splash_settings.h"
#include "support/text.h"

class IniStore;

struct LauncherSettings {
    // "Product Information", from the file beside the executable only.
    Text productName;
    Text productCode;
    Text upgradeCode;
    // What a registered runtime must be; "Pair Product" decides pairProductSet once it is resolved.
    SearchPreferences search;
    InstanceSettings instance;
    DisplaySettings display;
    bool isService = false;
    Text jrePathSetting;
    Text mainClass;  // slash form: "com/example/Main"
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    bool pairReturnCode = false;
    Text systemPathSetting;
    Text libraryPathSetting;
    Text pairProduct;
    int restartExitCode = 0;  // "Restart Exit Code"; 0: none
    // [Runtime Download], the keys of this build's width.
    RuntimeDownloadSettings download;

    // The product's settings files, and those of the paired launcher.
    ProductFiles productFiles() const { return {productName, productCode, pairProduct}; }
    // What the VM options and the runtime's environment are made from.
    VmOptionSettings vmOptionSettings() const {
        return {productName, upgradeCode, libraryPathSetting, systemPathSetting};
    }
    // What the Java thread runs the application with; an IBM runtime keeps that thread attached.
    JavaRunSettings javaRunSettings() const { return {mainClass, failureCheck, instance.keepAttached}; }
};

// The settings after "Product Information", from the layered store. "JRE Path" comes from
// `userFile` when it is given (a non-service application whose per-user file exists). False when
// there is no "Main Class"; the caller says so (message 210).
bool readLayeredSettings(LauncherSettings& settings, const IniStore& layered, const IniStore* userFile);

// "JVM Source" and "VM Provider" words into their flags.
void readJvmSource(SearchPreferences& search, const Text& value);
void readVmProvider(SearchPreferences& search, const Text& value);

// The splash settings of the file beside the executable.
SplashSettings readSplashSettings(const IniStore& besideExecutable);
