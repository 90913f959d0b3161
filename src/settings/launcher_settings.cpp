#include "settings/launcher_settings.h"

#include "app/launcher_app.h"
#include "settings/ini_file_store.h"
#include "settings/messages.h"
#include "settings/packaged_settings.h"
#include "settings/settings_paths.h"
#include "support/filesystem.h"
#include "support/trace.h"

namespace {

const Text kProduct = L"Product Information";
const Text kRuntime = L"Java Runtime Environment";
const Text kApplication = L"Application";

Text valueOf(const IniStore& store, const Text& section, const Text& key) {
    Text value;
    store.getValue(section, key, value);
    return value;
}

}  // namespace

void readJvmSource(LauncherApp& app, const Text& value) {
    if (value.empty()) {
        app.search.jdkWanted = true;
        app.search.jreWanted = true;
        return;
    }
    // The value names the kind the search leans to, or the only kind it takes.
    app.search.favorMode = value == L"favor_JRE" || value == L"favor_JDK";
    app.search.jdkWanted = value == L"favor_JDK" || value == L"only_JDK";
    app.search.jreWanted = value == L"favor_JRE" || value == L"only_JRE";
}

void readVmProvider(LauncherApp& app, const Text& value) {
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
        app.search.acceptJRockit = row.acceptJRockit;
        app.search.favorJRockit = row.favorJRockit;
        app.search.acceptSun = row.acceptSun;
        app.search.favorSun = row.favorSun;
        app.search.acceptIbm = row.acceptIbm;
        app.search.favorIbm = row.favorIbm;
        return;
    }
}

bool readLayeredSettings(LauncherApp& app, const IniStore& layered, const IniStore* userFile) {
    const Text minimum = valueOf(layered, kRuntime, L"Minimum Version");
    if (minimum == L"any") app.search.minimumVersion.set(0, 0, 0, 0);
    else app.search.minimumVersion.parse(minimum, 0);

    const Text maximum = valueOf(layered, kRuntime, L"Maximum Version");
    const std::int32_t unbounded = JavaVersion::kUnbounded;
    if (maximum == L"any") app.search.maximumVersion.set(unbounded, unbounded, unbounded, unbounded);
    else app.search.maximumVersion.parse(maximum, unbounded);

    app.isService = valueOf(layered, kApplication, L"Application Type") == L"service";
    app.search.preferredVersions = splitText(valueOf(layered, kRuntime, L"Preferred versions"), L";");

    // A runtime the user once picked is final for a non-service application, even when empty.
    const IniStore& jrePathSource = (!app.isService && userFile) ? *userFile : layered;
    app.jrePathSetting = valueOf(jrePathSource, kRuntime, L"JRE Path");

    const Text jvmType = valueOf(layered, kRuntime, L"JVM Type");
    app.search.jvmType = jvmType == L"server"         ? JvmType::ServerOnly
                  : jvmType == L"favor_server" ? JvmType::ServerFirst
                                               : JvmType::ClientFirst;

    readJvmSource(app, valueOf(layered, kRuntime, L"JVM Source"));
    const Text provider = valueOf(layered, kRuntime, L"VM Provider");
    if (!provider.empty()) readVmProvider(app, provider);

    app.mainClass = valueOf(layered, kRuntime, L"Main Class");
    if (app.mainClass.empty()) {
        showMessage(messageOwner(), kMsgMainClassMissing);
        return false;
    }
    app.mainClass = replaceChar(app.mainClass, L'.', L'/');

    app.failureCheck = equalsNoCase(valueOf(layered, kApplication, L"Failure Check"), L"Yes");
    app.overrideWorkingDir = equalsNoCase(valueOf(layered, kApplication, L"Override WorkingDir"), L"Yes");
    app.systemPathSetting = valueOf(layered, kRuntime, L"System Path");
    app.libraryPathSetting = valueOf(layered, kRuntime, L"Library Path");
    app.pairProduct = valueOf(layered, kApplication, L"Pair Product");
    app.pairReturnCode = equalsNoCase(valueOf(layered, kApplication, L"Pair Return Code"), L"Yes");
    app.search.vendorSearch = equalsNoCase(valueOf(layered, kRuntime, L"Search Vendor Registrations"), L"Yes");
    app.dpiAwarenessSetting = valueOf(layered, L"Display", L"DPI Awareness");
    app.appUserModelId = valueOf(layered, kApplication, L"App User Model ID");
    VORNIC_TRACE(L"settings: Minimum Version \"" + minimum + L"\", Maximum Version \"" + maximum + L"\", JVM Type \"" +
                 jvmType + L"\", VM Provider \"" + provider + L"\", Pair Product \"" + app.pairProduct + L"\"" +
                 (app.search.vendorSearch ? L", vendor registrations searched" : L""));
    return true;
}

bool loadLauncherSettings(LauncherApp& app) {
    Text iniPath;
    if (!settingsFilePath(iniPath)) return false;
    const IniFileStore exeFile(iniPath);
    app.productCode = valueOf(exeFile, kProduct, L"Product Code");
    app.upgradeCode = valueOf(exeFile, kProduct, L"Upgrade Code");
    app.productName = valueOf(exeFile, kProduct, L"Product Name");

    const LayeredIniStore layered = openLayeredStore(iniPath, app.upgradeCode);
    const bool service = valueOf(layered, kApplication, L"Application Type") == L"service";
    const IniFileStore userFile(service ? Text() : userSettingsFilePath(app.productFiles(), false));
    const bool useUserFile = !userFile.path().empty() && fileExists(userFile.path());
    VORNIC_TRACE(L"settings read from the packaged settings, " + iniPath + (fileExists(iniPath) ? L"" : L" (missing)") +
                 (useUserFile ? L" and the per-user file " + userFile.path() : Text(L", no per-user file")));
    return readLayeredSettings(app, layered, useUserFile ? &userFile : nullptr);
}
