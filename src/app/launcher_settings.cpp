#include "app/launcher_settings.h"

#include "settings/ini_store.h"
#include "support/trace.h"
#include "update/restart_guard.h"

void readJvmSource(SearchPreferences& search, const Text& value) {
    if (value.empty()) {
        search.jdkWanted = true;
        search.jreWanted = true;
        return;
    }
    // The value names the kind the search leans to, or the only kind it takes.
    search.favorMode = value == L"favor_JRE" || value == L"favor_JDK";
    search.jdkWanted = value == L"favor_JDK" || value == L"only_JDK";
    search.jreWanted = value == L"favor_JRE" || value == L"only_JRE";
}

void readVmProvider(SearchPreferences& search, const Text& value) {
    struct Row {
        const wchar_t* word;
        bool acceptJRockit, favorJRockit, acceptSun, favorSun, acceptIbm, favorIbm;
    };
    static const Row kRows[] = {
        {L"jrockit", true, true, false, false, false, false},
        {L"ibm", false, false, false, false, true, true},
        {L"favor_sun", true, false, true, true, true, false},
        {L"favor_jrockit", true, true, true, false, true, false},
        {L"favor_ibm", true, false, true, false, true, true},
        {L"any", true, false, true, false, true, false},
    };
    for (const Row& row : kRows) {
        if (!equalsNoCase(value, row.word)) continue;
        search.acceptJRockit = row.acceptJRockit;
        search.favorJRockit = row.favorJRockit;
        search.acceptSun = row.acceptSun;
        search.favorSun = row.favorSun;
        search.acceptIbm = row.acceptIbm;
        search.favorIbm = row.favorIbm;
        return;
    }
}

bool readLayeredSettings(LauncherSettings& settings, const IniStore& layered, const IniStore* userFile) {
    SearchPreferences& search = settings.search;
    const Text minimum = iniValue(layered, Setting::MinimumVersion);
    if (minimum == L"any") search.minimumVersion.set(0, 0, 0, 0);
    else search.minimumVersion.parse(minimum, 0);

    const Text maximum = iniValue(layered, Setting::MaximumVersion);
    const std::int32_t unbounded = JavaVersion::kUnbounded;
    if (maximum == L"any") search.maximumVersion.set(unbounded, unbounded, unbounded, unbounded);
    else search.maximumVersion.parse(maximum, unbounded);

    settings.isService = iniValue(layered, Setting::ApplicationType) == L"service";
    search.preferredVersions = splitText(iniValue(layered, Setting::PreferredVersions), L";");

    // A runtime the user once picked is final for a non-service application, even when empty.
    const IniStore& jrePathSource = (!settings.isService && userFile) ? *userFile : layered;
    settings.jrePathSetting = iniValue(jrePathSource, Setting::JrePath);

    const Text jvmType = iniValue(layered, Setting::JvmType);
    search.jvmType = jvmType == L"server"         ? JvmType::ServerOnly
                     : jvmType == L"favor_server" ? JvmType::ServerFirst
                                                  : JvmType::ClientFirst;

    readJvmSource(search, iniValue(layered, Setting::JvmSource));
    const Text provider = iniValue(layered, Setting::VmProvider);
    if (!provider.empty()) readVmProvider(search, provider);

    settings.mainClass = iniValue(layered, Setting::MainClass);
    if (settings.mainClass.empty()) return false;
    settings.mainClass = replaceChar(settings.mainClass, L'.', L'/');

    settings.failureCheck = equalsNoCase(iniValue(layered, Setting::FailureCheck), L"Yes");
    settings.overrideWorkingDir = equalsNoCase(iniValue(layered, Setting::OverrideWorkingDir), L"Yes");
    settings.systemPathSetting = iniValue(layered, Setting::SystemPath);
    settings.libraryPathSetting = iniValue(layered, Setting::LibraryPath);
    settings.pairProduct = iniValue(layered, Setting::PairProduct);
    settings.pairReturnCode = equalsNoCase(iniValue(layered, Setting::PairReturnCode), L"Yes");
    const Text restart = iniValue(layered, Setting::RestartExitCode);
    if (!parseRestartExitCode(restart, settings.restartExitCode) && !restart.empty())
        VORNIC_TRACE(L"Restart Exit Code \"" + restart + L"\" is no exit code the launcher takes (0, 1 and -1 are its own): no restart");
    search.vendorSearch = equalsNoCase(iniValue(layered, Setting::SearchVendorRegistrations), L"Yes");
    settings.download = readRuntimeDownload(layered, sizeof(void*) == 8 ? L"x64" : L"x86");
    settings.display.dpiAwareness = iniValue(layered, Setting::DpiAwareness);
    settings.display.appUserModelId = iniValue(layered, Setting::AppUserModelId);
    // Exactly "yes": the channel is a deliberate choice.
    settings.instance.singleInstance =
        !settings.isService && iniValue(layered, Setting::SingleInstance) == L"yes";
    settings.instance.mainClass = settings.mainClass;
    settings.instance.keepAttached = search.acceptIbm || search.favorIbm;
    VORNIC_TRACE(L"settings: Minimum Version \"" + minimum + L"\", Maximum Version \"" + maximum + L"\", JVM Type \"" +
                 jvmType + L"\", VM Provider \"" + provider + L"\", Pair Product \"" + settings.pairProduct + L"\"" +
                 (search.vendorSearch ? L", vendor registrations searched" : L""));
    return true;
}

SplashSettings readSplashSettings(const IniStore& besideExecutable) {
    SplashSettings splash;
    Text closeOnWindow;
    Text timeLimit;
    getSetting(besideExecutable, Setting::SplashScreen, splash.picture);
    getSetting(besideExecutable, Setting::SplashScreenShadow, splash.shadow);
    getSetting(besideExecutable, Setting::NativeSplashScreen, splash.native);
    getSetting(besideExecutable, Setting::SplashScreenCloseOnWindow, closeOnWindow);
    getSetting(besideExecutable, Setting::SplashScreenTimeLimit, timeLimit);
    splash.closing = splashClosingOf(closeOnWindow, timeLimit);
    return splash;
}
