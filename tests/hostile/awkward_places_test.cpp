// Whole launches from awkward places: folders named in other scripts and with the characters that
// command lines, class paths and environment expansion treat specially, a read-only folder, every
// kind of broken APPDATA, an INI beside the program that is locked, huge or full of keys, broken
// packaged resources and a path over 260 characters. Each either starts the application with a class
// path that names the jar, or shows the message that says what is wrong and ends with -1; none
// crashes, hangs or takes a setting from anywhere else. The time of each case is printed.
#include <gtest/gtest.h>

#include <cstdio>

#include "packaged_copy.h"

namespace {

constexpr DWORD kMinusOne = 0xFFFFFFFF;

struct Timing {
    std::string what;
    DWORD milliseconds;
    DWORD messageAfter;  // 0 without a message
};

// Prints how long each case took when the test ends.
class Timings {
public:
    explicit Timings(const char* title) : title_(title) {}
    ~Timings() {
        std::printf("-- %s (%s)\n", title_, sizeof(void*) == 8 ? "x64" : "x86");
        for (const Timing& timing : timings_) {
            if (timing.messageAfter == 0) {
                std::printf("   %6lu ms                %s\n", timing.milliseconds, timing.what.c_str());
            } else {
                std::printf("   %6lu ms (message %4lu)  %s\n", timing.milliseconds, timing.messageAfter,
                            timing.what.c_str());
            }
        }
        std::fflush(stdout);
    }
    // With a message box, also when it appeared: closing a window costs Wine's X11 driver up to 2 s
    // of waiting for a window manager that the test display does not have.
    void add(const std::string& what, const Launch& launch) {
        timings_.push_back({what, launch.milliseconds, launch.windows.empty() ? 0 : launch.windows[0].shownAfter});
    }

private:
    const char* title_;
    std::vector<Timing> timings_;
};

// The option "-D<name>=" the machine was created with, its value read back in the ANSI code page.
WText propertyOption(const std::string& record, const std::string& name) {
    const std::string marker = "option: -D" + name + "=";
    const size_t at = record.find(marker);
    if (at == std::string::npos) return WText();
    const size_t start = at + marker.size();
    const std::string narrow = record.substr(start, record.find('\n', start) - start);
    WText wide(narrow.size(), L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

// The application started, and the class path it got names the copy's jar in a form that opens.
void expectStartedWithItsJar(const PackagedCopy& copy, const Launch& launch, const std::string& what) {
    ASSERT_TRUE(launch.finished) << what << ": " << describe(launch);
    EXPECT_EQ(launch.exitCode, 0u) << what << ": " << describe(launch);
    EXPECT_TRUE(launch.windows.empty()) << what << ": " << describe(launch);
    EXPECT_TRUE(copy.mainRan()) << what << "\n" << copy.record();
    WText classPath = propertyOption(copy.record(), "java.class.path");
    ASSERT_FALSE(classPath.empty()) << what << "\n" << copy.record();
    ASSERT_EQ(classPath.back(), L';') << what;
    // The runtime cuts the list at every ";": the jar must come out whole as the first entry.
    classPath.resize(classPath.find(L';'));
    WText longPath(4096, L'\0');
    longPath.resize(GetLongPathNameW(longForm(classPath).c_str(), longPath.data(), static_cast<DWORD>(longPath.size())));
    EXPECT_FALSE(longPath.empty()) << what << ": the class path names no file: " << utf8Of(classPath);
    const WText jar = longForm(copy.folder() + L"app.jar");
    EXPECT_EQ(CompareStringOrdinal(longPath.c_str(), -1, jar.c_str(), -1, TRUE), CSTR_EQUAL)
        << what << ": " << utf8Of(longPath) << " is not " << utf8Of(jar);
    // The library path's second folder is the program's own ("Library Path" comes first).
    const WText libraryPath = propertyOption(copy.record(), "java.library.path");
    const size_t first = libraryPath.find(L';');
    ASSERT_NE(first, WText::npos) << what << "\n" << copy.record();
    const WText folder = libraryPath.substr(first + 1, libraryPath.find(L';', first + 1) - first - 1);
    WText longFolder(4096, L'\0');
    longFolder.resize(GetLongPathNameW(longForm(folder).c_str(), longFolder.data(), static_cast<DWORD>(longFolder.size())));
    EXPECT_EQ(CompareStringOrdinal(longFolder.c_str(), -1, longForm(copy.folder()).c_str(), -1, TRUE), CSTR_EQUAL)
        << what << ": the library path names " << utf8Of(folder);
}

void expectMessageAndMinusOne(const Launch& launch, const wchar_t* messageStart, const std::string& what) {
    ASSERT_TRUE(launch.finished) << what << ": " << describe(launch);
    EXPECT_EQ(launch.exitCode, kMinusOne) << what << ": " << describe(launch);
    ASSERT_EQ(launch.windows.size(), 1u) << what << ": " << describe(launch);
    EXPECT_EQ(launch.windows[0].text.rfind(messageStart, 0), 0u) << what << ": " << describe(launch);
}

PackagedResources plainResources() {
    return PackagedCopy::resourcesFor(PackagedCopy::plainSettings(L"Library Path=native\r\n"));
}

TEST(AwkwardPlaces, FoldersNamedInOtherScriptsAndWithSpecialCharacters) {
    Timings timings("folders");
    const wchar_t* const names[] = {
        L"Кириллица папка", L"Ελληνικός φάκελος", L"中文文件夹", L"日本語のフォルダ", L"emoji 😀🚀",
        L"with  two  spaces", L"semi;colon", L"per%cent", L"100% & 50%", L"x%SystemRoot%y", L"amp&ersand",
        L"quo'te", L"ca^ret", L"all ;%&'^ at once",
    };
    for (const wchar_t* name : names) {
        const TempFolder base;
        const PackagedCopy copy(base.path() + name + L"\\", L"app.exe", plainResources());
        ASSERT_TRUE(copy.ready()) << utf8Of(name);
        // Started from the awkward folder, and from another folder.
        const Launch inside = copy.run();
        timings.add(utf8Of(name), inside);
        expectStartedWithItsJar(copy, inside, utf8Of(name));
        const Launch outside = copy.run({}, copy.scratch());
        timings.add(utf8Of(name) + ", started from elsewhere", outside);
        expectStartedWithItsJar(copy, outside, utf8Of(name) + " from elsewhere");
    }
}

TEST(AwkwardPlaces, ReadOnlyFolder) {
    Timings timings("read-only folder");
    const TempFolder base;
    const PackagedCopy copy(base.path() + L"locked down\\", L"app.exe", plainResources());
    ASSERT_TRUE(copy.ready());
    for (const WText& file : {copy.exe(), copy.iniFile(), copy.folder() + L"app.jar"}) {
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    ASSERT_TRUE(SetFileAttributesW(copy.folder().c_str(), FILE_ATTRIBUTE_READONLY));
    const Launch launch = copy.run();
    timings.add("read-only folder and files", launch);
    SetFileAttributesW(copy.folder().c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const WText& file : {copy.exe(), copy.iniFile(), copy.folder() + L"app.jar"}) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    expectStartedWithItsJar(copy, launch, "read-only");
}

// A per-user INI naming another runtime, left where a careless reading of APPDATA would find it.
class DecoyUserFile {
public:
    DecoyUserFile(const WText& appDataAsRead, const WText& decoyRuntime) {
        if (appDataAsRead.empty()) return;  // nowhere to leave one
        folder_ = appDataAsRead + L"\\" + PackagedCopy::kProductName;
        EXPECT_TRUE(makeFolders(folder_ + L"\\" + PackagedCopy::kProductCode));
        EXPECT_TRUE(writeUtf16File(folder_ + L"\\" + PackagedCopy::kProductCode + L"\\app.ini",
                                   L"[Java Runtime Environment]\r\nJRE Path=" + decoyRuntime + L"\r\n"));
    }
    ~DecoyUserFile() {
        if (!folder_.empty()) removeTree(folder_);
    }

private:
    WText folder_;
};

TEST(AwkwardPlaces, BrokenAppDataNeverLeadsToAnotherUsersSettings) {
    Timings timings("APPDATA");
    const TempFolder base;
    const PackagedCopy copy(base.path() + L"app\\", L"app.exe", plainResources());
    ASSERT_TRUE(copy.ready());
    // A second runtime that only a decoy per-user file names; it must never be the one that runs.
    const WText decoy = copy.scratch() + L"decoy\\";
    ASSERT_TRUE(makeFolders(decoy + L"bin\\server"));
    ASSERT_TRUE(CopyFileW((WText(WIDE_STANDIN_RUNTIME) + L"bin\\server\\jvm.dll").c_str(),
                          (decoy + L"bin\\server\\jvm.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((WText(WIDE_STANDIN_RUNTIME) + L"bin\\java.dll").c_str(), (decoy + L"bin\\java.dll").c_str(),
                          FALSE));
    const WText drive = copy.folder().substr(0, 2);  // the current folder's drive, as "C:"
    const WText aFile = copy.scratch() + L"appdata-is-a-file";
    ASSERT_TRUE(writeFileBytes(aFile, "not a folder"));

    struct Case {
        const char* what;
        WText variable;    // the APPDATA entry handed to the launcher
        WText carelessAt;  // where a careless join would look for the per-user file
    };
    const Case cases[] = {
        {"unset", L"APPDATA", drive},
        {"empty", L"APPDATA=", drive},
        {"relative", L"APPDATA=relative-appdata", copy.folder() + L"relative-appdata"},
        {"drive-relative root", L"APPDATA=\\", drive},
        {"a file", L"APPDATA=" + aFile, L""},
    };
    for (const Case& c : cases) {
        const DecoyUserFile planted(c.carelessAt, decoy);
        const Launch launch = copy.run({c.variable});
        timings.add(c.what, launch);
        expectStartedWithItsJar(copy, launch, c.what);
        const WText home = copy.folder() + (sizeof(void*) == 8 ? L"jre64" : L"jre");
        EXPECT_TRUE(contains(copy.record(), "env VORNIC_JVM_HOME: " + utf8Of(home) + "\n")) << c.what << "\n"
                                                                                              << copy.record();
    }
}

TEST(AwkwardPlaces, IniBesideTheProgramLockedHugeOrFullOfKeys) {
    Timings timings("INI beside the program");
    const TempFolder base;
    const PackagedCopy copy(base.path() + L"app\\", L"app.exe", plainResources());
    ASSERT_TRUE(copy.ready());
    std::string original;
    ASSERT_TRUE(readFileBytes(copy.iniFile(), original));

    {
        // Another process holds the file without sharing: nothing can be read, so the packaged
        // settings cannot be deciphered and the launch ends with the missing main class.
        const UniqueFile lock(CreateFileW(copy.iniFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        const Launch launch = copy.run();
        timings.add("locked by another process", launch);
        expectMessageAndMinusOne(launch, L"[210]", "locked");
        EXPECT_FALSE(copy.mainRan());
    }

    const WText header = L"[Product Information]\r\nUpgrade Code=" + PackagedCopy::kUpgradeCode + L"\r\nProduct Name=" +
                         PackagedCopy::kProductName + L"\r\nProduct Code=" + PackagedCopy::kProductCode + L"\r\n";
    WText large = header + L"[Notes]\r\n";
    const WText line = L"Note=" + WText(200, L'x') + L"\r\n";
    while (large.size() * 2 < 10u * 1024 * 1024) large += line;
    large += L"[Application]\r\nCmd=from-the-end\r\n";
    ASSERT_TRUE(writeUtf16File(copy.iniFile(), large));
    Launch launch = copy.run();
    timings.add("10 MB", launch);
    expectStartedWithItsJar(copy, launch, "10 MB");

    WText manyKeys = header + L"[Filler]\r\n";
    for (int i = 0; i < 100000; ++i) manyKeys += L"Key" + std::to_wstring(i) + L"=" + std::to_wstring(i) + L"\r\n";
    ASSERT_TRUE(writeUtf16File(copy.iniFile(), manyKeys));
    launch = copy.run();
    timings.add("100,000 keys", launch);
    expectStartedWithItsJar(copy, launch, "100,000 keys");
    ASSERT_TRUE(writeFileBytes(copy.iniFile(), original));
}

TEST(AwkwardPlaces, BrokenPackagedResources) {
    Timings timings("packaged resources");
    const PackagedResources good = plainResources();
    const Bytes& settings = good.rcdata.at(8000);
    const Bytes& passPhrase = good.rcdata.at(9000);
    Bytes garbage(settings.size());
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 131 + 7);

    struct Case {
        const char* what;
        int id;
        Bytes bytes;
        bool starts;
    };
    const Case cases[] = {
        {"settings truncated to 10 bytes", 8000, Bytes(settings.begin(), settings.begin() + 10), false},
        {"settings one byte short (odd length)", 8000, Bytes(settings.begin(), settings.end() - 1), true},
        {"settings of one byte", 8000, Bytes(1, 0x41), false},
        {"settings garbage", 8000, garbage, false},
        {"pass phrase truncated", 9000, Bytes(passPhrase.begin(), passPhrase.begin() + 3), false},
        {"pass phrase garbage", 9000, Bytes(garbage.begin(), garbage.begin() + 64), false},
        {"settings missing", 8000, Bytes(), false},
        {"pass phrase missing", 9000, Bytes(), false},
    };
    for (const Case& c : cases) {
        const TempFolder base;
        PackagedResources resources = good;
        if (c.bytes.empty()) {
            resources.rcdata.erase(c.id);
        } else {
            resources.rcdata[c.id] = c.bytes;
        }
        const PackagedCopy copy(base.path() + L"app\\", L"app.exe", resources);
        ASSERT_TRUE(copy.ready()) << c.what;
        const Launch launch = copy.run();
        timings.add(c.what, launch);
        if (c.starts) {
            expectStartedWithItsJar(copy, launch, c.what);
        } else {
            expectMessageAndMinusOne(launch, L"[210]", c.what);
            EXPECT_FALSE(copy.mainRan()) << c.what;
        }
    }
}

TEST(AwkwardPlaces, ProgramPathOverTwoHundredSixtyCharacters) {
    Timings timings("long path");
    const TempFolder base;
    WText folder = base.path();
    while (folder.size() < 300) folder += L"a folder with a rather long name\\";
    const PackagedCopy copy(folder, L"app.exe", plainResources());
    ASSERT_TRUE(copy.ready());
    ASSERT_GT(copy.exe().size(), 260u);
    const Launch launch = copy.run({}, copy.scratch());
    timings.add(std::to_string(copy.exe().size()) + " characters", launch);
    if (!launch.finished && launch.milliseconds == 0) {
        removeTree(longForm(folder));
        GTEST_SKIP() << "the system cannot start a program whose path is over 260 characters (Wine's "
                        "CreateProcessW fails for every form of the name)";
    }
    if (launch.finished && launch.exitCode == kMinusOne && launch.windows.size() == 1 &&
        launch.windows[0].text.rfind(L"[210]", 0) == 0) {
        removeTree(longForm(folder));
        GTEST_SKIP() << "the private-profile functions cannot open an INI over 260 characters; the new INI "
                        "reader lifts this";
    }
    expectStartedWithItsJar(copy, launch, "long path");
    removeTree(longForm(folder));
}

}  // namespace
