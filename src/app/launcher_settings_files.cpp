#include "app/launcher_settings_files.h"

#include "settings/executable_path.h"
#include "settings/ini_file_store.h"
#include "settings/packaged_settings.h"
#include "settings/settings_paths.h"
#include "support/filesystem.h"
#include "support/path.h"
#include "support/trace.h"
#include "texts/messages.h"

bool loadLayeredSettings(LauncherSettings& settings, const IniStore& layered, const IniStore* userFile) {
    if (readLayeredSettings(settings, layered, userFile)) return true;
    showMessage(messageOwner(), kMsgMainClassMissing);
    return false;
}

bool loadLauncherSettings(LauncherSettings& settings) {
    Text exePath;
    if (!getExePath(exePath)) return false;  // which has said so
    Text iniPath;
    // A launcher named as a device (CON.exe) has a device as its INI file, or under Wine no usable
    // path at all: it cannot have its settings, and says so rather than end without a word.
    if (!settingsFilePath(iniPath) || namesDevice(iniPath)) {
        VORNIC_TRACE(L"settings: the executable's name is a device's: " + exePath);
        showMessageId(kMsgEntryPointOrPathFailed, {stringOf(kMsgExePathText), DWORD{ERROR_INVALID_NAME}});
        return false;
    }
    const IniFileStore exeFile(iniPath);
    settings.productCode = iniValue(exeFile, Setting::ProductCode);
    settings.upgradeCode = iniValue(exeFile, Setting::UpgradeCode);
    settings.productName = iniValue(exeFile, Setting::ProductName);

    const LayeredIniStore layered = openLayeredStore(iniPath, settings.upgradeCode);
    const bool service = iniValue(layered, Setting::ApplicationType) == L"service";
    const IniFileStore userFile(service ? Text() : userSettingsFilePath(settings.productFiles(), false));
    const bool useUserFile = !userFile.path().empty() && fileExists(userFile.path());
    VORNIC_TRACE(L"settings read from the packaged settings, " + iniPath + (fileExists(iniPath) ? L"" : L" (missing)") +
                 (useUserFile ? L" and the per-user file " + userFile.path() : Text(L", no per-user file")));
    return loadLayeredSettings(settings, layered, useUserFile ? &userFile : nullptr);
}

bool loadSplashSettings(SplashSettings& splash) {
    Text settingsPath;
    if (!settingsFilePath(settingsPath)) return false;
    splash = readSplashSettings(IniFileStore(settingsPath));
    return true;
}
