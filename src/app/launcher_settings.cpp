#include "app/launcher_settings.h"

#include "settings/ini_store.h"
#include "support/trace.h"
#include "update/restart_guard.h"

namespace {

const Text kRuntime = L"Java Runtime Environment";
const Text kApplication = L"Application";
const Text kDisplay = L"Display";

}  // namespace

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
    const Text minimum = iniValue(layered, kRuntime, L"Minimum Version");
    if (minimum == L"any") search.minimumVersion.set(0, 0, 0, 0);
    else search.minimumVersion.parse(minimum, 0);

    const Text maximum = iniValue(layered, kRuntime, L"Maximum Version");
    const std::int32_t unbounded = JavaVersion::kUnbounded;
    if (maximum == L"any") search.maximumVersion.set(unbounded, unbounded, unbounded, unbounded);
    else search.maximumVersion.parse(maximum, unbounded);

    settings.isService = iniValue(layered, kApplication, L"Application Type") == L"service";
    search.preferredVersions = splitText(iniValue(layered, kRuntime, L"Preferred versions"), L";");

    // A runtime the user once picked is final for a non-service application, even when empty.
    const IniStore& jrePathSource = (!settings.isService && userFile) ? *userFile : layered;
    settings.jrePathSetting = iniValue(jrePathSource, kRuntime, L"JRE Path");

    const Text jvmType = iniValue(layered, kRuntime, L"JVM Type");
    search.jvmType = jvmType == L"server"         ? JvmType::ServerOnly
                     : jvmType == L"favor_server" ? JvmType::ServerFirst
                                                  : JvmType::ClientFirst;

    readJvmSource(search, iniValue(layered, kRuntime, L"JVM Source"));
    const Text provider = iniValue(layered, kRuntime, L"VM Provider");
    if (!provider.empty()) readVmProvider(search, provider);

    settings.mainClass = iniValue(layered, kRuntime, L"Main Class");
    if (settings.mainClass.empty()) return false;
    settings.mainClass = replaceChar(settings.mainClass, L'.', L'/');

    settings.failureCheck = equalsNoCase(iniValue(layered, kApplication, L"Failure Check"), L"Yes");
    settings.overrideWorkingDir = equalsNoCase(iniValue(layered, kApplication, L"Override WorkingDir"), L"Yes");
    settings.systemPathSetting = iniValue(layered, kRuntime, L"System Path");
    settings.libraryPathSetting = iniValue(layered, kRuntime, L"Library Path");
    settings.pairProduct = iniValue(layered, kApplication, L"Pair Product");
    settings.pairReturnCode = equalsNoCase(iniValue(layered, kApplication, L"Pair Return Code"), L"Yes");
    const Text restart = iniValue(layered, kApplication, L"Restart Exit Code");
    if (!parseRestartExitCode(restart, settings.restartExitCode) && !restart.empty())
        VORNIC_TRACE(L"Restart Exit Code \"" + restart + L"\" is no exit code the launcher takes (0, 1 and -1 are its own): no restart");
    search.vendorSearch = equalsNoCase(iniValue(layered, kRuntime, L"Search Vendor Registrations"), L"Yes");
    settings.download = readRuntimeDownload(layered, sizeof(void*) == 8 ? L"x64" : L"x86");
    settings.display.dpiAwareness = iniValue(layered, kDisplay, L"DPI Awareness");
    settings.display.appUserModelId = iniValue(layered, kApplication, L"App User Model ID");
    // Exactly "yes": the channel is a deliberate choice.
    settings.instance.singleInstance =
        !settings.isService && iniValue(layered, kApplication, L"Single Instance") == L"yes";
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
    besideExecutable.getValue(kDisplay, L"Splash Screen", splash.picture);
    besideExecutable.getValue(kDisplay, L"Splash Screen Shadow", splash.shadow);
    besideExecutable.getValue(kDisplay, L"Preffer Native Splash Screen", splash.native);
    besideExecutable.getValue(kDisplay, L"Splash Screen Close On Window", closeOnWindow);
    besideExecutable.getValue(kDisplay, L"Splash Screen Time Limit", timeLimit);
    splash.closing = splashClosingOf(closeOnWindow, timeLimit);
    return splash;
}
