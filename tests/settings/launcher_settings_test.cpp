// Launcher settings, the messages they lead to, and the settings file locations.
#include <gtest/gtest.h>

#include <memory>

#include "app/launcher_settings_files.h"
#include "harness.h"
#include "runtime/requirement_text.h"
#include "settings/ini_document.h"
#include "settings/layered_ini_store.h"
#include "settings/settings_paths.h"
#include "texts/messages.h"

namespace {

const Text kMainClassLine = L"[Java Runtime Environment]\r\nMain Class=com.example.app.Main\r\n";

// Reads the settings from packaged text and a file stand-in, answering any message box with OK.
struct Loaded {
    bool ok = false;
    std::vector<SeenWindow> boxes;
};

Loaded load(LauncherSettings& app, const Text& packaged, const Text& file = L"", const Text* userFile = nullptr) {
    auto fileStore = std::make_unique<IniDocument>();
    fileStore->parseIniText(file);
    IniDocument document;
    document.parseIniText(packaged);
    const LayeredIniStore layered(std::move(fileStore), std::move(document));
    IniDocument user;
    if (userFile) user.parseIniText(*userFile);
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    Loaded result;
    result.ok = loadLayeredSettings(app, layered, userFile ? &user : nullptr);
    result.boxes = answerer.seen();
    return result;
}

TEST(LauncherSettings, DefaultsWhenOnlyTheMainClassIsGiven) {
    LauncherSettings app;
    const Loaded loaded = load(app, kMainClassLine);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.boxes.empty());
    EXPECT_EQ(app.mainClass, L"com/example/app/Main");
    EXPECT_TRUE(app.search.minimumVersion.isUnset());
    EXPECT_EQ(app.search.minimumVersion.count, 0);
    EXPECT_EQ(app.search.maximumVersion.count, 0);
    EXPECT_FALSE(app.isService);
    EXPECT_TRUE(app.search.preferredVersions.empty());
    EXPECT_EQ(app.jrePathSetting, L"");
    EXPECT_EQ(app.search.jvmType, JvmType::ClientFirst);
    EXPECT_TRUE(app.search.favorMode && app.search.jdkWanted && app.search.jreWanted);
    EXPECT_TRUE(app.search.acceptSun && app.search.favorSun);
    EXPECT_FALSE(app.search.acceptJRockit || app.search.favorJRockit || app.search.acceptIbm || app.search.favorIbm);
    EXPECT_FALSE(app.failureCheck || app.overrideWorkingDir || app.pairReturnCode);
    EXPECT_EQ(app.systemPathSetting + app.libraryPathSetting + app.pairProduct, L"");
}

TEST(LauncherSettings, AMissingMainClassShowsMessage210AndFails) {
    const Text packagedTexts[] = {L"", L"[Java Runtime Environment]\r\nMain Class=\r\n",
                                  L"[java runtime environment]\r\nMain Class=a.Main\r\n",
                                  L"[Java Runtime Environment]\nMain Class=a.Main\n"};
    for (const Text& packaged : packagedTexts) {
        SCOPED_TRACE(testing::PrintToString(packaged));
        LauncherSettings app;
        const Loaded loaded = load(app, packaged);
        EXPECT_FALSE(loaded.ok);
        ASSERT_EQ(loaded.boxes.size(), 1u);
        EXPECT_EQ(loaded.boxes[0].text, L"The application names no main class.");
    }
    // An empty value in the file beside the executable never removes the packaged one.
    LauncherSettings app;
    EXPECT_TRUE(load(app, kMainClassLine, L"[Java Runtime Environment]\r\nMain Class=\r\n").ok);
    EXPECT_EQ(app.mainClass, L"com/example/app/Main");
}

TEST(LauncherSettings, VersionBoundsAndPreferredVersions) {
    struct Case {
        const wchar_t* minimum;
        const wchar_t* maximum;
        JavaVersion min;
        JavaVersion max;
    };
    const auto v = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t count) {
        JavaVersion version;
        version.set(a, b, c, d);
        version.count = count;
        return version;
    };
    const Case cases[] = {
        {L"any", L"any", v(0, 0, 0, 0, 4), v(65535, 65535, 65535, 65535, 4)},
        {L"ANY", L"Any", v(0, 0, 0, 0, 0), v(0, 0, 0, 0, 0)},
        {L"1.6", L"1.8", v(1, 6, 0, 0, 2), v(1, 8, 65535, 65535, 2)},
        {L"11", L"17.0.2", v(11, 0, 0, 0, 1), v(17, 0, 2, 65535, 3)},
        {L"1.8.0_151", L"", v(1, 8, 0, 151, 4), v(0, 0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.minimum)) + " " + testing::PrintToString(Text(c.maximum)));
        LauncherSettings app;
        ASSERT_TRUE(load(app, kMainClassLine + L"Minimum Version=" + c.minimum + L"\r\nMaximum Version=" +
                                  c.maximum + L"\r\n").ok);
        EXPECT_EQ(JavaVersion::compare(app.search.minimumVersion, c.min), 0);
        EXPECT_EQ(app.search.minimumVersion.count, c.min.count);
        EXPECT_EQ(JavaVersion::compare(app.search.maximumVersion, c.max), 0);
        EXPECT_EQ(app.search.maximumVersion.count, c.max.count);
    }

    LauncherSettings app;
    ASSERT_TRUE(load(app, kMainClassLine + L"Preferred versions=1.8;;1.7;\r\n").ok);
    EXPECT_EQ(app.search.preferredVersions, (TextList{L"1.8", L"", L"1.7"}));
}

TEST(LauncherSettings, JvmSourceWords) {
    struct Case {
        const wchar_t* value;
        bool favorMode, jdkWanted, jreWanted;
    } const cases[] = {
        {L"", true, true, true},           {L"favor_JRE", true, false, true}, {L"favor_JDK", true, true, false},
        {L"only_JDK", false, true, false}, {L"only_JRE", false, false, true}, {L"favor_jre", false, false, false},
        {L"anything", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.value)));
        LauncherSettings app;
        ASSERT_TRUE(load(app, kMainClassLine + L"JVM Source=" + c.value + L"\r\n").ok);
        EXPECT_EQ(app.search.favorMode, c.favorMode);
        EXPECT_EQ(app.search.jdkWanted, c.jdkWanted);
        EXPECT_EQ(app.search.jreWanted, c.jreWanted);
    }
}

TEST(LauncherSettings, VmProviderWordsIgnoreCase) {
    struct Case {
        const wchar_t* value;
        bool acceptJRockit, favorJRockit, acceptSun, favorSun, acceptIbm, favorIbm;
    } const cases[] = {
        {L"", 0, 0, 1, 1, 0, 0},          {L"sun", 0, 0, 1, 1, 0, 0},       {L"jrockit", 1, 1, 0, 0, 0, 0},
        {L"IBM", 0, 0, 0, 0, 1, 1},       {L"Favor_Sun", 1, 0, 1, 1, 1, 0}, {L"favor_jrockit", 1, 1, 1, 0, 1, 0},
        {L"favor_ibm", 1, 0, 1, 0, 1, 1}, {L"ANY", 1, 0, 1, 0, 1, 0},       {L" any", 0, 0, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.value)));
        LauncherSettings app;
        // The parser trims, so a value with a leading space comes from the file stand-in's own setter.
        readVmProvider(app.search, c.value);
        EXPECT_EQ(app.search.acceptJRockit, c.acceptJRockit);
        EXPECT_EQ(app.search.favorJRockit, c.favorJRockit);
        EXPECT_EQ(app.search.acceptSun, c.acceptSun);
        EXPECT_EQ(app.search.favorSun, c.favorSun);
        EXPECT_EQ(app.search.acceptIbm, c.acceptIbm);
        EXPECT_EQ(app.search.favorIbm, c.favorIbm);
    }
    LauncherSettings app;
    ASSERT_TRUE(load(app, kMainClassLine + L"VM Provider=IBM\r\n").ok);
    EXPECT_TRUE(app.search.acceptIbm && app.search.favorIbm && !app.search.acceptSun);
    EXPECT_TRUE(app.javaRunSettings().keepAttached);
}

TEST(LauncherSettings, FlagsTypesAndTexts) {
    LauncherSettings app;
    ASSERT_TRUE(load(app,
                     kMainClassLine + L"JVM Type=favor_server\r\nSystem Path=C:\\bin\r\nLibrary Path=lib\r\n"
                                      L"[Application]\r\nFailure Check=YES\r\nOverride WorkingDir=yes\r\n"
                                      L"Pair Product=..\\x86\\demo.exe\r\nPair Return Code=Yes\r\n"
                                      L"Application Type=service\r\n")
                    .ok);
    EXPECT_EQ(app.search.jvmType, JvmType::ServerFirst);
    EXPECT_TRUE(app.failureCheck && app.overrideWorkingDir && app.pairReturnCode && app.isService);
    EXPECT_EQ(app.systemPathSetting, L"C:\\bin");
    EXPECT_EQ(app.libraryPathSetting, L"lib");
    EXPECT_EQ(app.pairProduct, L"..\\x86\\demo.exe");
    // The JVM phase's values: four texts and three flags, where a swapped pair would still compile.
    app.productName = L"Demo";
    app.upgradeCode = L"{upgrade}";
    const VmOptionSettings vm = app.vmOptionSettings();
    EXPECT_EQ((TextList{vm.productName, vm.upgradeCode, vm.libraryPath, vm.systemPath}),
              (TextList{L"Demo", L"{upgrade}", L"lib", L"C:\\bin"}));
    const JavaRunSettings run = app.javaRunSettings();
    EXPECT_EQ(run.mainClass, L"com/example/app/Main");
    EXPECT_TRUE(run.failureCheck);
    EXPECT_FALSE(run.keepAttached);

    struct Case {
        const wchar_t* text;
        JvmType type;
        bool flag;
        bool service;
    } const cases[] = {
        {L"server", JvmType::ServerOnly, true, false},    {L"Server", JvmType::ClientFirst, true, false},
        {L"client", JvmType::ClientFirst, false, false},  {L"favor_server ", JvmType::ServerFirst, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.text)));
        LauncherSettings other;
        const Text flag = c.flag ? L"yEs" : L"true";
        const Text service = c.service ? L"service" : L"Service";
        ASSERT_TRUE(load(other, kMainClassLine + L"JVM Type=" + c.text + L"\r\n[Application]\r\nFailure Check=" +
                                    flag + L"\r\nApplication Type=" + service + L"\r\n")
                        .ok);
        EXPECT_EQ(other.search.jvmType, c.type);
        EXPECT_EQ(other.failureCheck, c.flag);
        EXPECT_EQ(other.isService, c.service);
    }
}

TEST(LauncherSettings, JrePathFromTheUserFileForNonServicesOnly) {
    const Text packaged = kMainClassLine + L"JRE Path=C:\\Packaged\r\n";
    const Text file = L"[Java Runtime Environment]\r\nJRE Path=C:\\Beside\r\n";
    const Text user = L"[Java Runtime Environment]\r\nJRE Path=C:\\Chosen\r\n";
    const Text emptyUser = L"[Java Runtime Environment]\r\nJRE Path=\r\n";
    struct Case {
        const char* what;
        bool service;
        const Text* userFile;
        const wchar_t* jrePath;
    } const cases[] = {
        {"user file wins", false, &user, L"C:\\Chosen"},
        {"an empty value in the user file is final", false, &emptyUser, L""},
        {"no user file: the layered value", false, nullptr, L"C:\\Beside"},
        {"a service never reads the user file", true, &user, L"C:\\Beside"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LauncherSettings app;
        const Text withType = packaged + (c.service ? L"[Application]\r\nApplication Type=service\r\n" : L"");
        ASSERT_TRUE(load(app, withType, file, c.userFile).ok);
        EXPECT_EQ(app.jrePathSetting, c.jrePath);
    }
}

TEST(Messages, PercentSMeansWideTextUnderThisRuntime) {
    // The C runtime's own wide printf reads "%s" as narrow text in C99 mode; the launcher's formats never do.
    const Text wide = L"\x4E2D\x6587 \x00E9t\x00E9 abcdef";
    EXPECT_EQ(formatMessageId(4002, {wide, -7, L"ab", 12}), L"[" + wide + L"|-7|   ab|12  |%]");
    EXPECT_EQ(formatMessageId(4003, {wide}), L"");

    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    showFormattedMessage(nullptr, L"%s: %s (%d)", {L"C:\\Program Files\\\x00C5\\jvm.dll", wide, 193});
    showFormattedMessage(nullptr, L"plain", {});
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, L"C:\\Program Files\\\x00C5\\jvm.dll: " + wide + L" (193)");
    EXPECT_EQ(seen[1].text, L"plain");
}

TEST(Messages, TheOwnerIsTheSplashWindowOnceThereIsOne) {
    EXPECT_EQ(messageOwner(), nullptr);
    const HWND window = CreateWindowExW(0, L"STATIC", L"splash stand-in", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    setMessageOwner(window);
    EXPECT_EQ(messageOwner(), window);
    setMessageOwner(nullptr);
    DestroyWindow(window);
}

TEST(RequirementText, PicksTheMessageByBounds) {
    struct Case {
        const wchar_t* minimum;
        const wchar_t* maximum;
        const wchar_t* text;
    } const cases[] = {
        {L"any", L"any", L"any version"},      {L"", L"", L"any version"},
        {L"1.6", L"any", L"at least 1.6"},     {L"any", L"11", L"at most 11"},
        {L"1.8", L"1.8", L"from 1.8 to 1.8"},  {L"1.8.0.0", L"1.8.0.0", L"exactly 1.8"},
        {L"1.8.0_151", L"17.0.1", L"from 1.8.0.151 to 17.0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(Text(c.minimum)) + " " + testing::PrintToString(Text(c.maximum)));
        LauncherSettings app;
        ASSERT_TRUE(load(app, kMainClassLine + L"Minimum Version=" + c.minimum + L"\r\nMaximum Version=" +
                                  c.maximum + L"\r\n").ok);
        EXPECT_EQ(requirementText(app.search.minimumVersion, app.search.maximumVersion), c.text);
    }
}

TEST(SettingsPaths, PerUserPathRule) {
    struct Case {
        const wchar_t* appData;
        const wchar_t* name;
        const wchar_t* code;
        const wchar_t* source;
        const wchar_t* path;
    } const cases[] = {
        {L"C:\\Users\\u\\AppData\\Roaming", L"Demo: Suite", L"{P}", L"C:\\Apps\\Demo\\demo.exe",
         L"C:\\Users\\u\\AppData\\Roaming\\Demo Suite\\{P}\\demo.ini"},
        {L"R", L"A/B: C", L"c", L"C:\\x\\a.b.exe", L"R\\AB C\\c\\a.b.ini"},
        {L"R", L"\\?\"|><:/*x. ", L"c", L"demo", L"R\\x. \\c\\demo.ini"},
        {L"", L"", L"", L"C:\\Apps.Old\\demo", L"\\\\\\demo.ini"},
    };
    for (const Case& c : cases) EXPECT_EQ(userSettingsPathFor(c.appData, c.name, c.code, c.source), c.path);
}

// Restores an environment variable at the end of a test.
class SavedVariable {
public:
    explicit SavedVariable(const wchar_t* name) : name_(name) {
        wchar_t buffer[32768];
        const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
        had_ = length > 0 && length < 32768;
        if (had_) value_.assign(buffer, length);
    }
    ~SavedVariable() { SetEnvironmentVariableW(name_, had_ ? value_.c_str() : nullptr); }

private:
    const wchar_t* name_;
    bool had_ = false;
    Text value_;
};

TEST(SettingsPaths, FilesOfThisProgram) {
    Text beside;
    ASSERT_TRUE(settingsFilePath(beside));
    Text expected = thisProgramPath();
    expected = expected.substr(0, expected.rfind(L'.')) + L".ini";
    EXPECT_EQ(beside, expected);

    SavedVariable saved(L"APPDATA");
    TempFolder folder;
    // Longer than the classic 260 units: read whole.
    const Text appData = folder.path() + Text(150, L'a') + L"\\" + Text(150, L'b');
    ASSERT_TRUE(makeFolders(appData));
    ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", appData.c_str()));
    ProductFiles product{L"Demo: Suite", L"{P}", L""};
    const Text programName = expected.substr(expected.rfind(L'\\') + 1);
    const Text userFile = appData + L"\\Demo Suite\\{P}\\" + programName;
    const Text userFolder = appData + L"\\Demo Suite\\{P}";

    EXPECT_EQ(userSettingsFilePath(product, false), userFile);
    EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + userFolder).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(userSettingsFilePath(product, true), userFile);
    EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + userFolder).c_str()), INVALID_FILE_ATTRIBUTES);

    product.pairProduct = L"C:\\Apps\\x86\\demo32.exe";
    Text pairFile;
    ASSERT_TRUE(pairSettingsFilePath(product, pairFile));
    EXPECT_EQ(pairFile, L"C:\\Apps\\x86\\demo32.ini");
    EXPECT_EQ(pairUserSettingsFilePath(product), appData + L"\\Demo Suite\\{P}\\demo32.ini");
    product.pairProduct = L"C:\\Apps\\x86\\demo32";
    EXPECT_FALSE(pairSettingsFilePath(product, pairFile));
    EXPECT_EQ(pairFile, L"");
    product.pairProduct.clear();
    EXPECT_FALSE(pairSettingsFilePath(product, pairFile));
    EXPECT_EQ(pairUserSettingsFilePath(product), L"");

    // Without a usable APPDATA there is no per-user file, never one on the drive's root or in the
    // current folder.
    for (const wchar_t* value : {static_cast<const wchar_t*>(nullptr), L"", L"relative\\folder", L"\\rooted"}) {
        ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", value));
        EXPECT_EQ(userSettingsFilePath(product, true), L"");
        product.pairProduct = L"C:\\Apps\\x86\\demo32.exe";
        EXPECT_EQ(pairUserSettingsFilePath(product), L"");
        product.pairProduct.clear();
    }
}

TEST(SettingsPaths, WorkingDirOverrideMovesToTheProgramsFolder) {
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    TempFolder folder;
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
    applyWorkingDirOverride();
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    SetCurrentDirectoryW(before);
    const Text program = thisProgramPath();
    EXPECT_TRUE(equalsNoCase(after, program.substr(0, program.rfind(L'\\'))));
}

}  // namespace
