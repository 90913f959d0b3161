// Whole launches that find their runtime in the registry: keys written into the test prefix's
// registry (both views), runtime folders holding the stand-in runtime, which records the jvm.dll
// that ran. Every key written here is removed when the test ends, also when it fails.
#include <gtest/gtest.h>

#include "harness.h"
#include "package_resources.h"
#include "runtime/registry_search.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
const Text kUpgradeCode = L"{6E2B9A41-0C73-4F58-9D1E-27A4C5B8F013}";
const WText kStandin = WIDE_STANDIN_RUNTIME;

// The keys the launcher reads runtimes from, removed in both views and for the user at
// construction (a crashed earlier run must not leak into this one) and at destruction (other tests
// of the prefix expect no runtime registered).
class RegisteredRuntimes {
public:
    RegisteredRuntimes() { removeAll(); }
    ~RegisteredRuntimes() { removeAll(); }
    RegisteredRuntimes(const RegisteredRuntimes&) = delete;
    RegisteredRuntimes& operator=(const RegisteredRuntimes&) = delete;

    // `view`: 0 for the test's own view, KEY_WOW64_32KEY or KEY_WOW64_64KEY.
    static bool set(HKEY root, REGSAM view, const WText& key, const wchar_t* name, const WText& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        UniqueKey owner(handle);
        return RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    static bool javaHome(REGSAM view, const WText& key, const WText& version, const WText& home) {
        return set(HKEY_LOCAL_MACHINE, view, L"Software\\JavaSoft\\" + key + L"\\" + version, L"JavaHome", home);
    }

private:
    static void removeAll() {
        struct Tree {
            HKEY root;
            const wchar_t* parent;
            const wchar_t* name;
        };
        const Tree trees[] = {
            {HKEY_LOCAL_MACHINE, L"Software", L"JavaSoft"},      {HKEY_LOCAL_MACHINE, L"Software", L"JRockit"},
            {HKEY_LOCAL_MACHINE, L"Software", L"IBM"},           {HKEY_LOCAL_MACHINE, L"Software", L"Eclipse Adoptium"},
            {HKEY_LOCAL_MACHINE, L"Software\\Microsoft", L"JDK"}, {HKEY_CURRENT_USER, L"Software", L"Azul Systems"},
            {HKEY_CURRENT_USER, L"Software", L"Eclipse Adoptium"},
        };
        for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
            for (const Tree& tree : trees) {
                HKEY parent = nullptr;
                if (RegOpenKeyExW(tree.root, tree.parent, 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS) continue;
                UniqueKey owner(parent);
                RegDeleteTreeW(parent, tree.name);
            }
        }
    }
};

// The stand-in runtime in `home` (ending with a backslash), from `standin` (a runtime folder).
bool placeStandin(const WText& home, const WText& standin = kStandin) {
    return makeFolders(home + L"bin\\server") &&
           CopyFileW((standin + L"bin\\java.dll").c_str(), (home + L"bin\\java.dll").c_str(), FALSE) &&
           CopyFileW((standin + L"bin\\server\\jvm.dll").c_str(), (home + L"bin\\server\\jvm.dll").c_str(), FALSE);
}

// A packaged copy without a runtime beside it; its packaged [Java Runtime Environment] section ends
// with `runtimeSettings`.
class PackagedCopy {
public:
    PackagedCopy(const WText& runtimeSettings, const WText& applicationSettings = L"") {
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe().c_str(), FALSE));
        PackagedResources resources;
        resources.settings(kUpgradeCode, L"registry",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + runtimeSettings +
                               L"[Application]\r\n" + applicationSettings + L"[Class Path]\r\nClass Path=app.jar\r\n");
        EXPECT_TRUE(resources.writeInto(exe()));
        EXPECT_TRUE(writeUtf16File(folder() + L"app.ini",
                                   L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode + L"\r\n"));
        EXPECT_TRUE(writeFileBytes(folder() + L"app.jar", "PK"));
    }

    const WText& folder() const { return folder_.path(); }
    WText exe() const { return folder() + L"app.exe"; }

    Launch run(const std::vector<WText>& environment = {}) const {
        std::vector<WText> all = {L"APPDATA=" + folder() + L"appdata", L"VORNIC_STANDIN_RECORD=",
                                  L"VORNIC_STANDIN_SCRIPT=", L"JAVA_HOME=", L"VORNIC_TRACE="};
        all.insert(all.end(), environment.begin(), environment.end());
        return runAnswering(exe(), L"\"" + exe() + L"\" -nosplash", IDOK, kLaunchTimeout, folder(), all);
    }

private:
    TempFolder folder_;
};

// The one home whose jvm.dll wrote a record (removed for the next launch); empty when none or more.
WText runtimeThatRan(const std::vector<WText>& homes) {
    WText found;
    for (const WText& home : homes) {
        const WText file = home + L"bin\\server\\standin-record.txt";
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (!found.empty()) return L"(more than one)";
        found = home;
        // The launcher has ended, but on a loaded machine its runtime's record may still be open for
        // a moment: a record left behind would count for the next launch too.
        WaitingFor marker(L"the record of " + home + L" to be deleted");
        EXPECT_TRUE(waitUntil([&] { return DeleteFileW(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
                              scaledMilliseconds(10000), 20))
            << utf8Of(file);
    }
    return found;
}

TEST(RegistryLaunch, StartsTheRegisteredRuntimeTheSettingsChoose) {
    const RegisteredRuntimes keys;
    const TempFolder runtimes;
    const WText jdk17 = runtimes.path() + L"jdk17\\";    // key 1, the newest
    const WText jdk8 = runtimes.path() + L"jdk8\\";      // key 3: its runtime is jdk8\jre\.
    const WText jre8 = runtimes.path() + L"jre8\\";      // key 4, with its family subkey
    const WText adoptium = runtimes.path() + L"temurin21\\";  // only under its vendor's key
    const WText zulu = runtimes.path() + L"zulu11\\";         // only under its vendor's key, per user
    for (const WText& home : {jdk17, jdk8 + L"jre\\", jre8, adoptium, zulu}) ASSERT_TRUE(placeStandin(home));
    ASSERT_TRUE(writeFileBytes(zulu + L"release", "JAVA_VERSION=\"11.0.21\"\r\n"));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"JDK", L"17", jdk17));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"Java Development Kit", L"1.8.0_151", jdk8));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"Java Runtime Environment", L"1.8", jre8));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"Java Runtime Environment", L"1.8.0_202", jre8));
    ASSERT_TRUE(RegisteredRuntimes::set(HKEY_LOCAL_MACHINE, 0, L"Software\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI",
                                        L"Path", adoptium));
    ASSERT_TRUE(RegisteredRuntimes::set(HKEY_CURRENT_USER, 0, L"Software\\Azul Systems\\Zulu\\zulu-11",
                                        L"InstallationPath", zulu));
    const std::vector<WText> homes = {jdk17, jdk8 + L"jre\\", jre8, adoptium, zulu};

    struct Step {
        const char* what;
        WText settings;
        WText expected;
    };
    const Step steps[] = {
        {"defaults: key 4's newest, favoured over a newer key-1 runtime", L"", jre8},
        {"key 3's runtime lies in jre\\", L"Preferred versions=1.8.0_151\r\n", jdk8 + L"jre\\"},
        {"only_JDK ignores favour", L"JVM Source=only_JDK\r\n", jdk17},
        {"bounds", L"Minimum Version=1.8.0_160\r\nMaximum Version=1.8\r\n", jre8},
        {"vendor keys off: same choice as without them", L"Preferred versions=21\r\n", jre8},
        {"vendor keys on", L"Preferred versions=21\r\nSearch Vendor Registrations=yes\r\n", adoptium},
        {"vendor keys on, per user, version from the release file",
         L"Preferred versions=11.0.21\r\nSearch Vendor Registrations=Yes\r\n", zulu},
    };
    for (const Step& step : steps) {
        const PackagedCopy copy(step.settings);
        const Launch launch = copy.run();
        ASSERT_TRUE(launch.finished) << step.what;
        EXPECT_EQ(launch.exitCode, 0u) << step.what;
        for (const SeenWindow& window : launch.windows) {
            ADD_FAILURE() << step.what << ": a window " << utf8Of(window.caption) << ": " << utf8Of(window.text);
        }
        EXPECT_EQ(utf8Of(runtimeThatRan(homes)), utf8Of(step.expected)) << step.what;
    }
}

TEST(RegistryLaunch, TheTraceShowsEverySourceTriedAndWhy) {
    const RegisteredRuntimes keys;
    const TempFolder runtimes;
    const WText jre8 = runtimes.path() + L"jre8\\";
    ASSERT_TRUE(placeStandin(jre8));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"Java Runtime Environment", L"1.8.0_202", jre8));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"Java Runtime Environment", L"1.9", jre8));
    ASSERT_TRUE(RegisteredRuntimes::javaHome(0, L"Java Runtime Environment", L"1.8.0_1", runtimes.path() + L"gone"));

    // "JRE Path" names a folder without a runtime, and nothing lies beside the executable: the
    // registry is the third source tried.
    const PackagedCopy copy(L"JRE Path=" + runtimes.path() + L"empty\r\nMaximum Version=1.8\r\n"
                            L"Virtual Machine Parameters=-Xmx64m\r\n");
    const WText trace = copy.folder() + L"trace.log";
    const Launch launch = copy.run({L"VORNIC_TRACE=" + trace});
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 0u);
    EXPECT_EQ(utf8Of(runtimeThatRan({jre8})), utf8Of(jre8));

    const std::string text = readText(trace);
    const std::string jre8Text = utf8Of(jre8);
    const std::string expected[] = {
        "launch: " + utf8Of(copy.exe()),
        "settings read from the packaged settings, " + utf8Of(copy.folder()) + "app.ini, no per-user file",
        "JRE Path " + utf8Of(runtimes.path()) + "empty\\: no jvm.dll",
        "runtime beside the executable: none",
        "registry pass 1 (own view): bounds any to 1.8.65535.65535",
        "  1.9: dropped, version 1.9.0.0 is out of bounds",
        "  1.8.0_1: dropped, no jvm.dll under " + utf8Of(runtimes.path()) + "gone\\",
        "  1.8.0_202: kept 1.8.0.202 " + jre8Text,
        "chosen: 1.8.0.202 " + jre8Text,
        "registry runtime: " + jre8Text + "bin\\server\\jvm.dll",
        "VM option: -Xmx64m",
        "VM option: -Djava.class.path=",
        "exit code 0",
    };
    for (const std::string& line : expected) EXPECT_TRUE(contains(text, line)) << line << "\n" << text;

    // Without the variable nothing is written.
    DeleteFileW(trace.c_str());
    ASSERT_TRUE(copy.run().finished);
    EXPECT_EQ(GetFileAttributesW(trace.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The two passes in this process, on either width: the second reads the other view (the 32-bit one
// for x64, the 64-bit one for x86) and marks the runtime for the paired build. A 32-bit prefix has
// one view, which both flags read: there the first pass finds the runtime already.
TEST(RegistrySearch, TheSecondPassReadsTheOtherViewAndMarksTheHandOver) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool twoViews = sizeof(void*) == 8 || wow64;
    const RegisteredRuntimes keys;
    const TempFolder runtimes;
    const WText home = runtimes.path() + L"other\\";
    ASSERT_TRUE(placeStandin(home));
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    ASSERT_TRUE(RegisteredRuntimes::javaHome(otherView, L"JRE", L"11", home));

    SearchPreferences search;
    search.jdkWanted = search.jreWanted = true;
    search.maximumVersion.set(65535, 65535, 65535, 65535);
    Text found;
    bool runPairProduct = false;
    EXPECT_FALSE(searchRegistry(search, RegistryView::Other, found, runPairProduct))
        << "no Pair Product: no second pass";
    EXPECT_EQ(searchRegistry(search, RegistryView::Own, found, runPairProduct), !twoViews);
    search.pairProductSet = true;  // "Pair Product" is set
    ASSERT_TRUE(searchRegistry(search, RegistryView::Other, found, runPairProduct));
    EXPECT_EQ(utf8Of(found), utf8Of(home));
    EXPECT_TRUE(runPairProduct);
}

TEST(RegistryLaunch, ARuntimeOnlyInTheOtherViewGoesToThePairedBuild) {
#ifndef WIDE_STANDIN_OTHER_WIDTH
    // The x86 tests run in a 32-bit prefix: it has no 64-bit view to register a runtime in (the
    // flag KEY_WOW64_64KEY reads the one view there), and no 64-bit stand-in is built for them.
    GTEST_SKIP() << "no 64-bit registry view and no 64-bit stand-in runtime in this prefix";
#else

    const RegisteredRuntimes keys;
    const TempFolder runtimes;
    const WText other = runtimes.path() + L"other\\";
    ASSERT_TRUE(placeStandin(other, WIDE_STANDIN_OTHER_WIDTH));
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    ASSERT_TRUE(RegisteredRuntimes::javaHome(otherView, L"JRE", L"11", other));

    const WText pair = besideThisProgram(L"record_command_line.exe");
    const PackagedCopy copy(L"", L"Pair Product=" + pair + L"\r\nPair Return Code=Yes\r\n");
    const WText record = copy.folder() + L"pair.txt";
    const Launch launch = copy.run({L"VORNIC_RECORD_FILE=" + record, L"VORNIC_EXIT_CODE=7"});
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 7u);
    std::string bytes;
    ASSERT_TRUE(readFileBytes(record, bytes));
    const WText line(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(utf8Of(line), utf8Of(L"\"" + copy.exe() + L"\" -nosplash"));
    EXPECT_EQ(utf8Of(runtimeThatRan({other})), "");  // the launcher did not load it itself
#endif
}

}  // namespace
