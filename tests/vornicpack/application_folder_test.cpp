// The project path on the host: a project file and small jars made by javac in, an application
// folder and its zip out, or one refusal naming what is wrong. Stubs and runtimes are synthetic PE
// images of each width.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>
#include <tuple>

#include "folder/application_folder.h"
#include "folder/build_lock.h"
#include "package/packager.h"
#include "package/package_report.h"
#include "pe/pe_image.h"
#include "system/platform.h"
#include "synthetic_pe.h"
#include "archive/zip_archive.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void writeFile(const fs::path& path, const Bytes& bytes) { writeFile(path, std::string(bytes.begin(), bytes.end())); }

Bytes readFile(const fs::path& path) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(path, bytes, error)) << error;
    return bytes;
}

// Every file under `folder`, relative, with its bytes.
std::map<std::string, Bytes> filesOf(const fs::path& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).generic_string()] = readFile(entry.path());
    return files;
}

// The names of the files that are not byte for byte the same in both folders, or in one only.
std::string differingFiles(const fs::path& a, const fs::path& b) {
    const auto left = filesOf(a), right = filesOf(b);
    std::string names;
    for (const auto& [name, bytes] : left)
        if (!right.count(name) || right.at(name) != bytes) names += name + " ";
    for (const auto& [name, bytes] : right)
        if (!left.count(name)) names += name + " ";
    return names;
}

// Every file and folder under `root`, with each file's bytes: compared whole before and after.
std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).generic_string();
        if (entry.is_directory()) {
            tree[name + "/"] = "";
        } else {
            const Bytes bytes = readFile(entry.path());
            tree[name] = std::string(bytes.begin(), bytes.end());
        }
    }
    return tree;
}

std::string packagedSettingsOf(const fs::path& exe) {
    fs::path ini = exe;
    ini.replace_extension(".ini");
    const Bytes iniBytes = readFile(ini);
    std::string report, error;
    EXPECT_TRUE(describePackage(readFile(exe), &iniBytes, report, error)) << error;
    return report;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class AppFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vornicpack-project-" + std::to_string(std::random_device()()));
        fs::create_directories(root_);
        for (const bool is64 : {true, false})
            for (const std::uint16_t subsystem : {kSubsystemWindows, kSubsystemConsole})
                writeStub(is64, subsystem, subsystem);
        for (const char* jar : {"app8.jar", "app17.jar", "plain.jar"})
            fs::copy_file(fs::path(TEST_JARS) / jar, root_ / jar);
        makeRuntime("rt64", true, "17.0.2");
        makeRuntime("rt32", false, "17.0.2");
        makeRuntime("rtclient", true, "1.8.0_392", "client");
    }
    void TearDown() override { fs::remove_all(root_); }

    // The stub of `kind` (its file name) for one width, with the subsystem `subsystem` in its header.
    void writeStub(bool is64, std::uint16_t kind, std::uint16_t subsystem) {
        testpe::SyntheticOptions options;
        options.is64 = is64;
        options.subsystem = subsystem;
        options.overlay = kind == kSubsystemConsole ? "CONSOLE-STUB" : "WINDOWED-STUB";
        writeFile(root_ / "stubs" / (is64 ? "x64" : "x86") / (kind == kSubsystemConsole ? "vornicwc.exe" : "vornicw.exe"),
                  testpe::syntheticPe(options));
    }

    void makeRuntime(const std::string& name, bool is64, const std::string& version, const char* vm = "server") {
        testpe::SyntheticOptions options;
        options.is64 = is64;
        options.layout = testpe::Layout::NoResources;
        writeFile(root_ / name / "bin/java.dll", std::string("java.dll"));
        writeFile(root_ / name / "bin" / vm / "jvm.dll", testpe::syntheticPe(options));
        writeFile(root_ / name / "release", "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + version + "\"\n");
    }

    // Writes the project (the [Package] section first, then the settings) and builds it.
    bool build(const std::string& package, const std::string& settings, std::string& error,
               const fs::path& out = fs::path(), long long epoch = -1, const fs::path& zip = fs::path()) {
        // A package that names itself keeps its own Name (first, on line 2).
        const std::string name = package.rfind("Name=", 0) == 0 ? "" : "Name=Demo\n";
        writeFile(root_ / "app.vornic", "[Package]\n" + name + package + "\n" + settings);
        BuildRequest request;
        request.project = root_ / "app.vornic";
        request.stubs = root_ / "stubs";
        request.outputFolder = out.empty() ? root_ / "out/Demo" : out;
        request.sourceDateEpoch = epoch;
        request.zip = zip;
        notes_.clear();
        return buildApplication(request, notes_, error);
    }

    fs::path root_;
    std::vector<std::string> notes_;
};

TEST_F(AppFolder, EachFaultIsRefusedWithItsFixAndLeavesThePreviousOutput) {
    const std::string product =
        "[Product Information]\nProduct Name=Demo\nUpgrade Code={11111111-2222-3333-4444-555555555555}\n";
    struct Case {
        const char* what;
        std::string package;
        std::string runtime;  // the lines of [Java Runtime Environment]
        std::string more;     // further sections
        std::vector<std::string> expected;
    };
    const std::string main = "Main Class=demo.Main\n";
    const std::string java8 = main + "Minimum Version=1.8\n";
    const std::vector<Case> cases = {
        {"a main class in none of the jars",
         "Jars=app8.jar",
         "Main Class=demo.Missing\n",
         "",
         {"app.vornic: the Main Class demo.Missing (demo/Missing.class) is in none of the shipped jars or folders "
          "(lib/app8.jar)",
          "correct \"Main Class\""}},
        {"a class for Java 17 with Minimum Version 1.8",
         "Jars=app17.jar",
         java8,
         "",
         {"demo.Main in lib/app17.jar is compiled for Java 17 (class file version 61), but \"Minimum Version\" is 1.8",
          "UnsupportedClassVersionError", "set \"Minimum Version\" to 17"}},
        {"Minimum Version any is below it as well",
         "Jars=app17.jar",
         main + "Minimum Version=any\n",
         "",
         {"compiled for Java 17", "\"Minimum Version\" is any"}},
        {"a Maximum Version below what the class needs",
         "Jars=app17.jar",
         main + "Maximum Version=11\n",
         "",
         {"\"Maximum Version\" is 11: no runtime that the launcher accepts can run it"}},
        {"a 32-bit runtime for the x64 launcher",
         "Jars=app8.jar\nRuntime x64=rt32",
         java8,
         "",
         {"rt32/bin/server/jvm.dll: it is a 32-bit (x86) library, which the x64 launcher cannot load",
          "give a 64-bit runtime as Runtime x64"}},
        {"a 64-bit runtime for the x86 launcher",
         "Launchers=x86\nJars=app8.jar\nRuntime x86=rt64",
         java8,
         "",
         {"it is a 64-bit (x64) library, which the x86 launcher cannot load"}},
        {"a runtime without the server VM that JVM Type asks for",
         "Jars=app8.jar\nRuntime x64=rtclient",
         java8 + "JVM Type=server\n",
         "",
         {"rtclient: Runtime x64 has no bin/server/jvm.dll"}},
        {"a runtime whose release is outside the bounds",
         "Jars=app8.jar\nRuntime x64=rt64",
         java8 + "Maximum Version=11\n",
         "",
         {"rt64/release: the runtime is Java 17.0.2, outside \"Minimum Version\" 1.8 and \"Maximum Version\" 11"}},
        {"a class-path entry that is not shipped",
         "Jars=app8.jar",
         java8,
         "[Class Path]\nClass Path=lib\\app8.jar;lib\\missing.jar\n",
         {"the class path entry \"lib\\missing.jar\" matches nothing in the application folder (it holds lib/app8.jar)",
          "ship it under [Package] Jars"}},
        {"a wildcard that matches nothing",
         "Jars=app8.jar",
         java8,
         "[Class Path]\nClass Path=lib\\*.zip\n",
         {"\"lib\\*.zip\" matches nothing"}},
        {"a class path without the main class's jar",
         "Jars=app8.jar;app17.jar",
         java8,
         "[Class Path]\nClass Path=lib\\app17.jar\n",
         {"the main class lies in lib/app8.jar, which the class path \"lib\\app17.jar\" leaves out"}},
        {"a first jar without Main-Class and no Main Class",
         "Jars=plain.jar",
         "",
         "",
         {"plain.jar: the settings give no \"Main Class\" and this first jar's manifest names no Main-Class"}},
        {"a jar that does not exist",
         "Jars=gone.jar",
         java8,
         "",
         {"app.vornic: line 3: Jars: \"gone.jar\" does not exist"}},
        {"an unknown package key",
         "Jars=app8.jar\nIcon File=a.ico",
         java8,
         "",
         {"line 4: [Package] has no key \"Icon File\""}},
        {"Pair Product given with both launchers",
         "Launchers=x64, x86\nJars=app8.jar",
         java8,
         "[Application]\nPair Product=x.exe\n",
         {"with both launchers the packer sets \"Pair Product\" itself"}},
        {"Console given a word that is no flag",
         "Jars=app8.jar\nConsole=true",
         java8,
         "",
         {"line 4: Console must be Yes (console launchers, vornicwc.exe) or No (windowed, vornicw.exe), not \"true\""}},
        {"a windowed stub where the console one belongs (the x64 one is right)",
         "Launchers=x64, x86\nConsole=Yes\nJars=app8.jar",
         java8,
         "",
         {"stubs/x86/vornicwc.exe: it is not the x86 console launcher stub (its subsystem is windowed (GUI), not "
          "console): put vornicwc.exe from the launcher's build there"}},
        {"a Name that is a device name",
         "Name=Con.App\nJars=app8.jar",
         java8,
         "",
         {"app.vornic: line 2: Name \"Con.App\" is a device name that Windows reserves",
          "choose a Name that Windows can use as a file name"}},
        {"a Name that ends with a blank (quoted, as the settings keep blanks)",
         "Name=\"Demo \"\nJars=app8.jar",
         java8,
         "",
         {"line 2: Name \"Demo \" ends with a dot or a space, which Windows drops from file names"}},
        {"Service keys for an application that is no service",
         "Jars=app8.jar\nService Start=auto",
         java8,
         "",
         {"line 4: Service keys are given, but [Application] \"Application Type\" is not service"}},
        {"a service start type sc does not know",
         "Jars=app8.jar\nService Start=boot",
         java8,
         "[Application]\nApplication Type=service\n",
         {"\"Service Start\" must be auto, delayed-auto, demand or disabled, not \"boot\""}},
        {"a quote that cmd.exe cannot pass to sc",
         "Jars=app8.jar\nService Display Name=The \"Shop\"",
         java8,
         "[Application]\nApplication Type=service\n",
         {"\"Service Display Name\" holds a double quote"}},
        {"a slash in the service name",
         "Jars=app8.jar\nService Name=shop/orders",
         java8,
         "[Application]\nApplication Type=service\n",
         {"\"Service Name\" holds a slash"}},
    };
    // A previous output that every refusal must leave as it was.
    writeFile(root_ / "out/Demo/previous.txt", std::string("previous"));
    writeStub(false, kSubsystemConsole, kSubsystemWindows);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string settings = product + "[Java Runtime Environment]\n" + c.runtime + c.more;
        std::string error;
        EXPECT_FALSE(build(c.package, settings, error)) << settings;
        for (const std::string& part : c.expected) EXPECT_TRUE(contains(error, part)) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        ASSERT_EQ(filesOf(root_ / "out/Demo").size(), 1u);
        EXPECT_FALSE(fs::exists(root_ / "out/Demo.vornicpack-new"));
    }
    EXPECT_EQ(filesOf(root_ / "out/Demo").at("previous.txt"), Bytes({'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));
}

// Outputs that would destroy the project, an input or a user's files, or that would ship
// themselves: each refused with its line before anything is written, the whole tree as it was.
TEST_F(AppFolder, AnOutputOrZipInTheWayOfWhatItDoesNotOwnIsRefusedAndNothingChanges) {
    const std::string settings = "[Java Runtime Environment]\nMain Class=demo.Main\n";
    std::string error;
    // A previous output the packer wrote, and the user's files around the project.
    ASSERT_TRUE(build("Jars=app8.jar", settings, error, root_ / "out/Demo", -1, root_ / "out/Demo.zip")) << error;
    writeFile(root_ / "build/app.jar", readFile(root_ / "app8.jar"));
    writeFile(root_ / "build/notes.txt", std::string("notes"));
    writeFile(root_ / "keep/file", std::string("keep"));
    writeFile(root_ / "classes/readme.txt", std::string("classes"));
    writeFile(root_ / "art/splash.png", std::string("picture"));
    writeFile(root_ / "docs/guide.txt", std::string("guide"));
    writeFile(root_ / "notes.txt", std::string("notes"));
    writeFile(root_ / "other.zip", readFile(root_ / "plain.jar"));  // a zip, but not the packer's
    writeFile(root_ / "fresh/Demo.vornicpack-new/mine.txt", std::string("mine"));
    writeFile(root_ / "Mine/mine.txt", std::string("mine"));

    const fs::path r = root_;
    const struct Case {
        const char* what;
        std::string package;  // Name=Demo unless it names itself
        fs::path out, zip;    // empty: the project's
        std::vector<std::string> expected;
    } cases[] = {
        {"the output is the project's folder", "Jars=app8.jar", r, {}, {"holds the project file", "app.vornic"}},
        {"the output holds the project's folder", "Jars=app8.jar", r.parent_path(), {}, {"holds the project file"}},
        {"Output Folder=.", "Jars=app8.jar\nOutput Folder=.", {}, {}, {"holds the project file", "such as "}},
        {"an unrelated folder without the marker", "Jars=app8.jar", r / "keep", {},
         {"keep holds files vornicpack did not write (it has no .vornicpack file)", "delete it by hand once"}},
        {"the jars' folder", "Jars=build/app.jar", r / "build", {}, {"holds the Jars entry", "build/app.jar"}},
        {"an input jar", "Jars=build/app.jar", r / "build/app.jar", {}, {"is also the Jars entry", "which the build would replace"}},
        {"the output among the Jars", "Jars=app8.jar;out/Demo", r / "out/Demo", {},
         {"is also the Jars entry", "each build would ship the one before it"}},
        {"the default output, a user's folder", "Name=Mine\nJars=app8.jar", {}, {},
         {"Mine holds files vornicpack did not write", "give another Output Folder (or --out)"}},
        {"a Jars folder that holds the output", "Jars=app8.jar;out", r / "out/Demo", {},
         {"lies inside the Jars entry", "ship the one before it"}},
        {"the output inside a class folder", "Jars=app8.jar;classes", r / "classes/out", {},
         {"lies inside the Jars entry", "write it outside"}},
        {"the splash picture's folder", "Jars=app8.jar\nSplash Screen=art/splash.png", r / "art", {},
         {"holds Splash Screen", "art/splash.png"}},
        {"the output inside the runtime", "Jars=app8.jar\nRuntime x64=rt64", r / "rt64/Demo", {},
         {"lies inside Runtime x64"}},
        {"the stubs' folder", "Jars=app8.jar", r / "stubs", {}, {"holds the x64 stub"}},
        {"the output is a file", "Jars=app8.jar", r / "notes.txt", {}, {"is a file, not a folder vornicpack wrote"}},
        {"zip = the project file", "Jars=app8.jar\nZip=app.vornic", {}, {}, {"the zip", "is the project file"}},
        {"zip = an input jar", "Jars=app8.jar", {}, r / "app8.jar", {"is the Jars entry", "which the build would replace"}},
        {"zip = an existing folder", "Jars=app8.jar", {}, r / "docs", {"docs is a folder"}},
        {"zip = a foreign file", "Jars=app8.jar", {}, r / "other.zip", {"is not a zip vornicpack wrote"}},
        {"zip inside the output", "Jars=app8.jar", r / "out/Demo", r / "out/Demo/Demo.zip", {"lies inside the output folder"}},
        {"zip holds the output", "Jars=app8.jar", r / "dist/Demo", r / "dist", {"holds the output folder"}},
        {"zip inside a class folder", "Jars=app8.jar;classes", {}, r / "classes/Demo.zip",
         {"lies inside the Jars entry", "the next build would ship it"}},
        {"a user's folder under the name the build stages in", "Jars=app8.jar", r / "fresh/Demo", {},
         {"app.vornic: ", "Demo.vornicpack-new holds something vornicpack did not write"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = c.package.rfind("Name=", 0) == 0 ? "" : "Name=Demo\n";
        writeFile(root_ / "app.vornic", "[Package]\n" + name + c.package + "\n" + settings);
        const auto before = treeOf(root_);
        BuildRequest request;
        request.project = root_ / "app.vornic";
        request.stubs = root_ / "stubs";
        request.outputFolder = c.out.empty() ? fs::path() : c.out;
        request.zip = c.zip;
        std::vector<std::string> notes;
        error.clear();
        EXPECT_FALSE(buildApplication(request, notes, error));
        for (const std::string& part : c.expected) EXPECT_TRUE(contains(error, part)) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_TRUE(treeOf(root_) == before) << error;
    }

    // What the packer wrote it replaces: the folder and the zip, both changed.
    const Bytes zip = readFile(root_ / "out/Demo.zip");
    ASSERT_TRUE(build("Jars=app8.jar\nVersion=2.0", settings, error, root_ / "out/Demo", -1, root_ / "out/Demo.zip"))
        << error;
    EXPECT_FALSE(readFile(root_ / "out/Demo.zip") == zip);
    EXPECT_EQ(treeOf(root_ / "out").count("Demo.vornicpack-old/"), 0u);
}

// Builds of one output at the same time, each of another project: each waits for the one before
// it, and the folder and the zip are one whole build, never a mix.
TEST_F(AppFolder, BuildsOfOneOutputAtTheSameTimeLeaveOneWholeBuild) {
    auto request = [&](int n, const fs::path& into) {
        BuildRequest request;
        request.project = root_ / ("p" + std::to_string(n) + ".vornic");
        request.stubs = root_ / "stubs";
        request.outputFolder = into / "Demo";
        request.zip = into / "Demo.zip";
        request.lockWaitMilliseconds = 600000;
        return request;
    };
    constexpr int kBuilds = 3;
    std::string error;
    std::vector<std::string> notes;
    for (int n = 0; n < kBuilds; ++n) {
        writeFile(root_ / ("p" + std::to_string(n) + ".vornic"),
                  "[Package]\nName=Demo\nJars=app8.jar;app17.jar\nVersion=1.0." + std::to_string(n) +
                      "\n[Java Runtime Environment]\nMain Class=demo.Main\n");
        ASSERT_TRUE(buildApplication(request(n, root_ / ("alone" + std::to_string(n))), notes, error)) << error;
    }
    std::atomic<int> ready{0};
    bool built[kBuilds] = {};
    std::string errors[kBuilds];
    std::vector<std::thread> builds;
    for (int n = 0; n < kBuilds; ++n)
        builds.emplace_back([&, n] {
            ++ready;
            while (ready < kBuilds) std::this_thread::yield();
            std::vector<std::string> own;
            built[n] = buildApplication(request(n, root_ / "shared"), own, errors[n]);
        });
    for (std::thread& build : builds) build.join();
    for (int n = 0; n < kBuilds; ++n) EXPECT_TRUE(built[n]) << errors[n];
    int whole = 0;
    for (int n = 0; n < kBuilds; ++n)
        if (differingFiles(root_ / "shared/Demo", root_ / ("alone" + std::to_string(n)) / "Demo").empty()) {
            ++whole;
            EXPECT_TRUE(readFile(root_ / "shared/Demo.zip") == readFile(root_ / ("alone" + std::to_string(n)) / "Demo.zip"));
        }
    EXPECT_EQ(whole, 1);
    const std::map<std::string, std::string> shared = treeOf(root_ / "shared");
    for (const auto& [name, bytes] : shared)
        EXPECT_TRUE(name.rfind("Demo/", 0) == 0 || name == "Demo.zip") << name;  // nothing staged, no lock left

    // A build that still finds the output locked at the end of its wait says so and changes nothing.
    BuildLock held;
    bool busy = false;
    ASSERT_TRUE(BuildLock::acquire(root_ / "shared/Demo.vornicpack-lock", 0, held, busy, error)) << error;
    const auto before = treeOf(root_ / "shared");
    BuildRequest waiting = request(0, root_ / "shared");
    waiting.lockWaitMilliseconds = 0;
    error.clear();
    EXPECT_FALSE(buildApplication(waiting, notes, error));
    EXPECT_TRUE(contains(error, "another build of ")) << error;
    EXPECT_TRUE(contains(error, "Demo is running (it holds ")) << error;
    EXPECT_TRUE(treeOf(root_ / "shared") == before);
    held.release();
    EXPECT_FALSE(fs::exists(root_ / "shared/Demo.vornicpack-lock"));
}

TEST(LauncherName, OnlyNamesWindowsCanCreateAsFilesPass) {
    const struct {
        const wchar_t* name;
        const char* problem;  // the start of what is wrong; empty: accepted
    } cases[] = {
        {L"Demo", ""},
        {L"My App 2.1", ""},
        {L"\x0434\x0435\x043C\x043E", ""},  // any letters
        {L"CONSOLE", ""},                   // a device name only when whole
        {L"COM10", ""},
        {L"COM0", ""},
        {L"LPT", ""},
        {L".hidden", ""},
        {L"con", "is a device name"},
        {L"NUL", "is a device name"},
        {L"aux.app", "is a device name"},   // also before an extension
        {L"Prn .txt", "is a device name"},  // and before the blanks Windows drops
        {L"com1", "is a device name"},
        {L"LPT9.tar.gz", "is a device name"},
        {L"Demo.", "ends with a dot or a space"},
        {L"Demo ", "ends with a dot or a space"},
        {L"a/b", "holds \"/\""},
        {L"a:b", "holds \":\""},
        {L"tab\there", "holds the control character U+0009"},
        {L"del\x7F", "holds the control character U+007F"},
        {L"", "is empty"},
    };
    for (const auto& c : cases) {
        const std::string problem = launcherNameProblem(c.name);
        EXPECT_EQ(problem.substr(0, std::strlen(c.problem)), c.problem) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(problem.empty(), *c.problem == '\0') << problem;
    }
}

TEST_F(AppFolder, BothLaunchersArePairedAndTheFolderHoldsWhatTheyRead) {
    // No Main Class, Minimum Version or Class Path: the first jar's manifest, its class file and the
    // shipped jars give them.
    std::string error;
    ASSERT_TRUE(build("Launchers=x86, x64\nJars=app*.jar\nRuntime x64=rt64\nRuntime x86=rt32\nZip=out/Demo.zip",
                      "[Product Information]\nProduct Name=Demo\n[Application]\nFailure Check=Yes\n", error))
        << error;
    const std::string notes = [&] {
        std::string all;
        for (const std::string& note : notes_) all += note + "\n";
        return all;
    }();
    EXPECT_TRUE(contains(notes, "Main Class demo.Main: the Main-Class of ")) << notes;
    // app17.jar sorts first and holds demo.Main too: the need comes from the jar the class is taken from.
    EXPECT_TRUE(contains(notes, "Minimum Version 17: what demo.Main in lib/app17.jar needs (class file version 61)"))
        << notes;
    EXPECT_TRUE(contains(notes, "Class Path lib\\app17.jar;lib\\app8.jar")) << notes;

    const auto files = filesOf(root_ / "out/Demo");
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) names.push_back(name);
    EXPECT_EQ(names,
              (std::vector<std::string>{".vornicpack", "Demo-x86.exe", "Demo-x86.ini", "Demo.exe", "Demo.ini", "jre/bin/java.dll",
                                        "jre/bin/server/jvm.dll", "jre/release", "jre64/bin/java.dll",
                                        "jre64/bin/server/jvm.dll", "jre64/release", "lib/app17.jar", "lib/app8.jar"}));
    EXPECT_EQ(files.at("jre/bin/server/jvm.dll"), readFile(root_ / "rt32/bin/server/jvm.dll"));

    const std::string x64 = packagedSettingsOf(root_ / "out/Demo/Demo.exe");
    const std::string x86 = packagedSettingsOf(root_ / "out/Demo/Demo-x86.exe");
    for (const std::string* report : {&x64, &x86}) {
        EXPECT_TRUE(contains(*report, "Main Class=demo.Main\r\n")) << *report;
        EXPECT_TRUE(contains(*report, "Minimum Version=17\r\n")) << *report;
        EXPECT_TRUE(contains(*report, "Class Path=lib\\app17.jar;lib\\app8.jar\r\n")) << *report;
        EXPECT_TRUE(contains(*report, "Failure Check=Yes\r\n")) << *report;
    }
    EXPECT_TRUE(contains(x64, "PE32+ (x64)")) << x64;
    EXPECT_TRUE(contains(x64, "Pair Product=Demo-x86.exe\r\n")) << x64;
    EXPECT_TRUE(contains(x86, "PE32 (x86)")) << x86;
    EXPECT_TRUE(contains(x86, "Pair Product=Demo.exe\r\n")) << x86;
    for (const std::string* report : {&x64, &x86})
        EXPECT_TRUE(contains(*report, "\nWindowed launcher (GUI subsystem)")) << *report;

    // The zip holds the same files under the folder's name, and its folders; the folder's marker
    // stays out of it.
    Bytes archive = readFile(root_ / "out/Demo.zip");
    ZipReader zip;
    ASSERT_TRUE(zip.open(archive, error)) << error;
    std::vector<std::string> entries;
    for (const ZipEntry& entry : zip.entries()) entries.push_back(entry.name);
    EXPECT_EQ(entries.front(), "Demo/");
    EXPECT_EQ(zip.find("Demo/.vornicpack"), nullptr);
    for (const auto& [name, bytes] : files) {
        if (name == ".vornicpack") continue;
        const ZipEntry* entry = zip.find("Demo/" + name);
        ASSERT_NE(entry, nullptr) << name;
        Bytes unpacked;
        ASSERT_TRUE(zip.read(*entry, unpacked, error)) << error;
        EXPECT_EQ(unpacked, bytes) << name;
    }
    EXPECT_NE(zip.find("Demo/jre64/bin/server/"), nullptr);
    EXPECT_EQ(entries.size(), files.size() - 1 + 8u);  // Demo/, jre/, jre/bin/, jre/bin/server/, the same for jre64, lib/

    // Console=Yes: the same folder, but each launcher made from its width's console stub, still paired.
    ASSERT_TRUE(build("Launchers=x86, x64\nConsole=yes\nJars=app*.jar", "[Product Information]\nProduct Name=Demo\n",
                      error, root_ / "console/Demo"))
        << error;
    for (const auto& [exe, width, partner] : {std::tuple{"Demo.exe", "x64", "Demo-x86.exe"},
                                              std::tuple{"Demo-x86.exe", "x86", "Demo.exe"}}) {
        SCOPED_TRACE(exe);
        PeImage image;
        ASSERT_TRUE(image.parse(readFile(root_ / "console/Demo" / exe), error)) << error;
        EXPECT_EQ(image.subsystem(), kSubsystemConsole);
        const Bytes stub = readFile(root_ / "stubs" / width / "vornicwc.exe");
        EXPECT_TRUE(std::equal(stub.end() - 12, stub.end(), image.bytes().end() - 12));  // the console stub's overlay
        std::string bare;
        ASSERT_TRUE(describePackage(stub, nullptr, bare, error)) << error;  // the stub itself says its kind too
        EXPECT_TRUE(contains(bare, "\nConsole launcher (console subsystem)")) << bare;
        EXPECT_TRUE(contains(bare, "No packaged settings: a launcher stub")) << bare;
        const std::string report = packagedSettingsOf(root_ / "console/Demo" / exe);
        EXPECT_TRUE(contains(report, "\nConsole launcher (console subsystem)")) << report;
        EXPECT_TRUE(contains(report, std::string("Pair Product=") + partner + "\r\n")) << report;
    }
}

TEST_F(AppFolder, AClassFolderAndASplashPictureAreCopiedIn) {
    // A folder of classes instead of a jar: the main class is looked for as a file in it.
    ZipReader jar;
    std::string error;
    ASSERT_TRUE(jar.open(readFile(root_ / "app17.jar"), error)) << error;
    Bytes mainClass;
    ASSERT_TRUE(jar.read(*jar.find("demo/Main.class"), mainClass, error)) << error;
    writeFile(root_ / "classes/demo/Main.class", mainClass);
    writeFile(root_ / "art/splash.png", std::string("picture"));
    ASSERT_TRUE(build("Jars=classes\nSplash Screen=art/splash.png\nVersion=2.3",
                      "[Java Runtime Environment]\nMain Class=demo.Main\n", error))
        << error;
    const auto files = filesOf(root_ / "out/Demo");
    EXPECT_EQ(files.at("lib/classes/demo/Main.class"), mainClass);
    EXPECT_EQ(files.at("splash.png"), Bytes({'p', 'i', 'c', 't', 'u', 'r', 'e'}));
    const std::string report = packagedSettingsOf(root_ / "out/Demo/Demo.exe");
    EXPECT_TRUE(contains(report, "Minimum Version=17\r\n")) << report;
    EXPECT_TRUE(contains(report, "Class Path=lib\\classes\r\n")) << report;
    EXPECT_TRUE(contains(report, "[Display]\r\nSplash Screen=splash.png\r\n")) << report;  // in the INI beside it
    EXPECT_FALSE(contains(report, "Pair Product")) << report;                              // one launcher: no pairing
}

// The folder of a service holds the scripts that register the launcher beside them and remove it;
// texts that cmd.exe would read as its own (% & and the folder's path) reach sc as they stand.
TEST_F(AppFolder, AServiceGetsScriptsThatRegisterTheLauncherBesideThem) {
    std::string error;
    ASSERT_TRUE(build("Launchers=x64, x86\nJars=app8.jar\nService Display Name=Orders & 100% Invoices\n"
                      "Service Description=Serves the shop's orders\nService Start=Delayed-Auto",
                      "[Application]\nApplication Type=service\n[Java Runtime Environment]\nMain Class=demo.Main\n",
                      error))
        << error;
    const auto files = filesOf(root_ / "out/Demo");
    const std::string install(files.at("install-service.cmd").begin(), files.at("install-service.cmd").end());
    const std::string uninstall(files.at("uninstall-service.cmd").begin(), files.at("uninstall-service.cmd").end());
    // The previous code page is taken first, while every line is ASCII; then UTF-8 for the names, and
    // back before sc's exit code is returned.
    const std::string preamble =
        "@echo off\r\nsetlocal DisableDelayedExpansion\r\nset \"codepage=\"\r\n"
        "for /f \"tokens=2 delims=:.\" %%c in ('chcp') do set /a \"codepage=%%c\" >nul 2>&1\r\n"
        "chcp 65001 >nul 2>&1\r\n";
    const std::string end =
        ":end\r\nset \"result=%errorlevel%\"\r\nif \"%codepage%\" gtr \"0\" chcp %codepage% >nul 2>&1\r\n"
        "exit /b %result%\r\n";
    EXPECT_EQ(install,
              preamble + "rem Installs the application as a Windows service. Run it from an elevated prompt.\r\n"
                         "for %%p in (\"%~dp0Demo.exe\") do sc create \"Demo\" binPath= \"\\\"%%~p\\\"\" "
                         "DisplayName= \"Orders & 100%% Invoices\" start= delayed-auto\r\n"
                         "if errorlevel 1 goto end\r\nsc description \"Demo\" \"Serves the shop's orders\"\r\n" +
                  end);
    EXPECT_EQ(uninstall, preamble +
                             "rem Stops and removes the application's Windows service. Run it from an elevated prompt.\r\n"
                             "sc stop \"Demo\" >nul 2>&1\r\nsc delete \"Demo\"\r\n" +
                             end);

    // Without a Service key: the product's name shows, sc's own default start type is not relied on.
    ASSERT_TRUE(build("Jars=app8.jar",
                      "[Product Information]\nProduct Name=Shop Server\n[Application]\nApplication Type=service\n"
                      "[Java Runtime Environment]\nMain Class=demo.Main\n",
                      error))
        << error;
    const Bytes plain = filesOf(root_ / "out/Demo").at("install-service.cmd");
    const std::string defaults(plain.begin(), plain.end());
    EXPECT_TRUE(contains(defaults, "DisplayName= \"Shop Server\"")) << defaults;
    EXPECT_TRUE(contains(defaults, "start= auto\r\n")) << defaults;
    EXPECT_FALSE(contains(defaults, "sc description")) << defaults;
}

TEST_F(AppFolder, TheSameProjectGivesTheSameBytesAndTheEpochSetsTheZipTimes) {
    // The zip goes elsewhere each time through --zip: the project file stays the same.
    const std::string package = "Launchers=x64,x86\nJars=app8.jar\nRuntime x64=rt64";
    const std::string settings = "[Java Runtime Environment]\nMain Class=demo.Main\n";
    std::string error;
    for (const char* name : {"one", "two", "three"})
        ASSERT_TRUE(build(package, settings, error, root_ / name / "Demo",
                          std::string(name) == "three" ? -1 : 1700000000, root_ / name / "Demo.zip"))
            << error;
    EXPECT_EQ(differingFiles(root_ / "one/Demo", root_ / "two/Demo"), "");
    EXPECT_EQ(differingFiles(root_ / "one/Demo", root_ / "three/Demo"), "");
    const Bytes one = readFile(root_ / "one/Demo.zip");
    EXPECT_TRUE(one == readFile(root_ / "two/Demo.zip"));
    EXPECT_FALSE(one == readFile(root_ / "three/Demo.zip"));
    // 2023-11-14 22:13:20 UTC in every local and central header.
    const std::uint32_t stamp = dosDateTime(1700000000);
    EXPECT_EQ(stamp, (43u << 25 | 11u << 21 | 14u << 16) | (22u << 11 | 13u << 5 | 10u));
    std::size_t headers = 0;
    for (std::size_t at = 0; at + 16 < one.size(); ++at) {
        const bool local = one[at] == 'P' && one[at + 1] == 'K' && one[at + 2] == 3 && one[at + 3] == 4;
        const bool central = one[at] == 'P' && one[at + 1] == 'K' && one[at + 2] == 1 && one[at + 3] == 2;
        if (!local && !central) continue;
        const std::size_t timeAt = at + (local ? 10 : 12);
        const std::uint32_t time = one[timeAt] | one[timeAt + 1] << 8 | one[timeAt + 2] << 16 |
                                   static_cast<std::uint32_t>(one[timeAt + 3]) << 24;
        EXPECT_EQ(time, stamp) << at;
        ++headers;
    }
    EXPECT_GE(headers, 2 * filesOf(root_ / "one/Demo").size());
    // The generated Upgrade Code is the same on every build of this project, and printed.
    bool printed = false;
    for (const std::string& note : notes_) printed = printed || contains(note, "Upgrade Code {");
    EXPECT_TRUE(printed);
}

}  // namespace
