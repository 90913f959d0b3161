// The settings read as values from in-memory stores: the layering, the per-user "JRE Path", and the
// values each subsystem takes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/launcher_settings.h"
#include "settings/ini_document.h"
#include "settings/layered_ini_store.h"

namespace {

IniDocument documentOf(const Text& text) {
    IniDocument document;
    document.parseIniText(text);
    return document;
}

const Text kRuntime = L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n";

TEST(LayeredSettings, FillsEachSubsystemsValuesFromTheLayers) {
    struct Case {
        const char* what;
        Text packaged;
        Text file;  // beside the executable
        const wchar_t* user;  // the per-user file; null when there is none
        bool ok;
        std::function<void(const LauncherSettings&)> check;
    };
    const Case cases[] = {
        {"no main class in either layer", L"[Application]\r\nSingle Instance=yes\r\n", L"", nullptr, false,
         [](const LauncherSettings& s) { EXPECT_FALSE(s.instance.singleInstance); }},
        {"the file's value replaces the packaged one, a \"+\" section appends to it",
         kRuntime + L"System Path=C:\\packaged\r\nLibrary Path=lib\r\n",
         L"[Java Runtime Environment]\r\nSystem Path=C:\\beside\r\n[Java Runtime Environment+]\r\nLibrary Path=more\r\n",
         nullptr, true,
         [](const LauncherSettings& s) {
             EXPECT_EQ(s.systemPathSetting, L"C:\\beside");
             EXPECT_EQ(s.libraryPathSetting, L"lib more");
             EXPECT_EQ(s.mainClass, L"com/example/Main");
         }},
        {"single instance only for exactly \"yes\", with the main class and an IBM runtime's attachment",
         kRuntime + L"VM Provider=favor_ibm\r\n[Application]\r\nSingle Instance=yes\r\n", L"", nullptr, true,
         [](const LauncherSettings& s) {
             EXPECT_TRUE(s.instance.singleInstance);
             EXPECT_EQ(s.instance.mainClass, L"com/example/Main");
             EXPECT_TRUE(s.instance.keepAttached);
         }},
        {"\"Yes\" is no single instance, and a Sun runtime detaches", kRuntime + L"[Application]\r\nSingle Instance=Yes\r\n",
         L"", nullptr, true,
         [](const LauncherSettings& s) { EXPECT_FALSE(s.instance.singleInstance || s.instance.keepAttached); }},
        {"a service is never a single instance and never reads the user file",
         kRuntime + L"JRE Path=C:\\packaged\r\n[Application]\r\nSingle Instance=yes\r\nApplication Type=service\r\n", L"",
         L"[Java Runtime Environment]\r\nJRE Path=C:\\chosen\r\n", true,
         [](const LauncherSettings& s) {
             EXPECT_TRUE(s.isService);
             EXPECT_FALSE(s.instance.singleInstance);
             EXPECT_EQ(s.jrePathSetting, L"C:\\packaged");
         }},
        {"the user file's empty JRE Path is final", kRuntime + L"JRE Path=C:\\packaged\r\n", L"",
         L"[Java Runtime Environment]\r\nJRE Path=\r\n", true,
         [](const LauncherSettings& s) { EXPECT_EQ(s.jrePathSetting, L""); }},
        {"the display values", kRuntime + L"[Display]\r\nDPI Awareness=per-monitor\r\n",
         L"[Application]\r\nApp User Model ID=Example.App\r\n", nullptr, true,
         [](const LauncherSettings& s) {
             EXPECT_EQ(s.display.dpiAwareness, L"per-monitor");
             EXPECT_EQ(s.display.appUserModelId, L"Example.App");
         }},
        {"the search values", kRuntime + L"JVM Source=only_JDK\r\nVM Provider=jrockit\r\nJVM Type=server\r\n"
                                         L"Minimum Version=1.8\r\nSearch Vendor Registrations=yes\r\n",
         L"", nullptr, true,
         [](const LauncherSettings& s) {
             EXPECT_TRUE(s.search.jdkWanted && !s.search.jreWanted && !s.search.favorMode);
             EXPECT_TRUE(s.search.acceptJRockit && s.search.favorJRockit && !s.search.acceptSun);
             EXPECT_EQ(s.search.jvmType, JvmType::ServerOnly);
             EXPECT_EQ(s.search.minimumVersion.parts[1], 8);
             EXPECT_TRUE(s.search.vendorSearch);
             EXPECT_FALSE(s.search.pairProductSet) << "decided once Pair Product is resolved";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LayeredIniStore layered(std::make_unique<IniDocument>(documentOf(c.file)), documentOf(c.packaged));
        const IniDocument user = documentOf(c.user ? c.user : L"");
        LauncherSettings settings;
        EXPECT_EQ(readLayeredSettings(settings, layered, c.user ? &user : nullptr), c.ok);
        c.check(settings);
    }

    // The splash reads the file beside the executable alone.
    const SplashSettings splash = readSplashSettings(
        documentOf(L"[Display]\r\nSplash Screen=splash.png\r\nSplash Screen Shadow=true\r\n"
                   L"Preffer Native Splash Screen=Yes\r\nSplash Screen Close On Window=yes\r\n"
                   L"Splash Screen Time Limit= 2500 \r\n"));
    EXPECT_EQ(splash.picture + L"|" + splash.shadow + L"|" + splash.native, L"splash.png|true|Yes");
    EXPECT_TRUE(splash.closing.onFirstWindow);
    EXPECT_EQ(splash.closing.timeLimitMs, 2500u);
}

}  // namespace
