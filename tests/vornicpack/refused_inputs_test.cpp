// What a project or a packer call may not give: service settings the launcher would ignore, names
// Windows keeps for devices or cannot hold, lists that say nothing, repeated texts and jars that are
// none. Each is refused with its one line before anything is written; the neighbours that must stay
// accepted build. Multi-release jars and files that are no jars are read as the runtime reads them.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "folder/application_folder.h"
#include "project/project_file.h"
#include "package/packager.h"
#include "package/package_report.h"
#include "system/platform.h"
#include "project/settings_split.h"
#include "synthetic_pe.h"
#include "archive/zip_archive.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::map<std::string, Bytes> filesOf(const fs::path& folder) {
    std::map<std::string, Bytes> files;
    std::string error;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) readWholeFile(entry.path(), files[entry.path().lexically_relative(folder).generic_string()], error);
    return files;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A jar of one class file `entry` (only its header: the packer reads the version) and a manifest.
std::string jarOf(const std::string& manifest, const std::string& entry, int major) {
    ZipWriter zip(dosDateTime(0));
    std::string error;
    const Bytes manifestBytes(manifest.begin(), manifest.end());
    const Bytes classBytes = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, static_cast<std::uint8_t>(major)};
    Bytes archive;
    EXPECT_TRUE(zip.addFile("META-INF/MANIFEST.MF", manifestBytes, error) && zip.addFile(entry, classBytes, error) &&
                zip.finish(archive, error))
        << error;
    return std::string(archive.begin(), archive.end());
}

class RefusedInputs : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vornicpack-refused-" + std::to_string(std::random_device()()));
        for (const bool is64 : {true, false}) {
            testpe::SyntheticOptions options;
            options.is64 = is64;
            const Bytes stub = testpe::syntheticPe(options);
            writeFile(root_ / "stubs" / (is64 ? "x64" : "x86") / "vornicw.exe", std::string(stub.begin(), stub.end()));
        }
        fs::copy_file(fs::path(TEST_JARS) / "app8.jar", root_ / "app8.jar");
        const std::string multi = "Manifest-Version: 1.0\r\nMain-Class: demo.Main\r\nMulti-Release: TRUE\r\n\r\n";
        writeFile(root_ / "mr.jar", jarOf(multi, "META-INF/versions/17/demo/Main.class", 61));
        writeFile(root_ / "mr21.jar", jarOf(multi, "META-INF/versions/21/demo/Main.class", 52));
        writeFile(root_ / "versioned.jar",
                  jarOf("Manifest-Version: 1.0\r\n\r\n", "META-INF/versions/17/demo/Main.class", 61));
        writeFile(root_ / "notes.txt", "not a jar");
        writeFile(root_ / "broken.jar", "not a zip either");
        writeFile(root_ / "strings.ini", "[Strings]\n202=First\n0202=Again\n");
        fs::create_directories(root_ / "empty");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    bool build(const std::string& project, std::string& error, const fs::path& file = fs::path()) {
        writeFile(root_ / "app.vornic", project);
        BuildRequest request;
        request.project = file.empty() ? root_ / "app.vornic" : file;
        request.stubs = root_ / "stubs";
        request.outputFolder = root_ / "out/Demo";
        request.zip = root_ / "out/Demo.zip";
        return buildApplication(request, notes_, error);
    }

    std::string notes() const {
        std::string all;
        for (const std::string& note : notes_) all += note + "\n";
        return all;
    }

    fs::path root_;
    std::vector<std::string> notes_;
};

TEST_F(RefusedInputs, EachIsRefusedWithItsLineAndNothingIsWritten) {
    const std::string main = "[Java Runtime Environment]\nMain Class=demo.Main\n";
    const std::string service = "[Application]\nApplication Type=service\n";
    struct Case {
        std::string package;  // after "[Package]" on line 1
        std::string settings;
        std::string expected;  // the distinctive part of the line; empty: accepted
    };
    const std::string longName(241, 'A');
    std::string cyrillic;  // 121 characters of two bytes each
    for (int i = 0; i < 121; ++i) cyrillic += "\xD0\xB4";
    const std::vector<Case> cases = {
        // The launcher reads Stop Timeout as up to five digits of 1 to 86400, else takes 20 s.
        {"Jars=app8.jar", main + service + "Stop Timeout=0\n", "line 7: \"Stop Timeout\" is \"0\": it is whole seconds from 1 to 86400"},
        {"Jars=app8.jar", main + service + "Stop Timeout=-5\n", "\"Stop Timeout\" is \"-5\""},
        {"Jars=app8.jar", main + service + "Stop Timeout=abc\n", "\"Stop Timeout\" is \"abc\""},
        {"Jars=app8.jar", main + service + "Stop Timeout=10.5\n", "\"Stop Timeout\" is \"10.5\""},
        {"Jars=app8.jar", main + service + "Stop Timeout=86401\n", "\"Stop Timeout\" is \"86401\""},
        {"Jars=app8.jar", main + service + "Stop Timeout=000030\n", "\"Stop Timeout\" is \"000030\""},
        {"Jars=app8.jar", main + service + "Stop Timeout=\"30\"\n", "\"Stop Timeout\" is \"\"30\"\""},
        {"Jars=app8.jar", main + service + "Stop Timeout=1\n", ""},
        {"Jars=app8.jar", main + service + "Stop Timeout=86400\n", ""},
        {"Jars=app8.jar", main + service + "Stop Timeout =  00030  \n", ""},
        {"Jars=app8.jar", main + service + "Stop Method=a.b\n", "line 7: \"Stop Method\" is \"a.b\": it is the name of a static method"},
        {"Jars=app8.jar", main + service + "Stop Method=stop()\n", "\"Stop Method\" is \"stop()\""},
        {"Jars=app8.jar", main + service + "Stop Method=$stop_2\n", ""},
        // The launcher restarts on a code an application can only mean as a request.
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=42\n", ""},
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=-2147483648\n", ""},
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=0\n", "line 6: \"Restart Exit Code\" is \"0\": it is a whole number"},
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=1\n", "\"Restart Exit Code\" is \"1\""},
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=-1\n", "\"Restart Exit Code\" is \"-1\""},
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=restart\n", "\"Restart Exit Code\" is \"restart\""},
        {"Jars=app8.jar", main + "[Application]\nRestart Exit Code=4294967295\n", "\"Restart Exit Code\" is \"4294967295\""},
        {"Jars=app8.jar", main + "[Application]\nApplication Type=Service\n", "line 6: \"Application Type\" is \"Service\": the launcher knows one type, the exact word service"},
        {"Jars=app8.jar", main + "[Application]\nApplication Type=servce\n", "\"Application Type\" is \"servce\""},
        {"Jars=app8.jar", main + "[Application]\nApplication Type=\n", ""},
        {"Jars=app8.jar\nService Name=CON", main + service, "line 3: \"Service Name\" is a device name that Windows reserves"},
        {"Jars=app8.jar\nService Name=\"   \"", main + service, "line 3: \"Service Name\" is all blanks"},
        {"Jars=app8.jar\nService Name=\" Shop\"", main + service, "\"Service Name\" begins or ends with a blank"},
        {"Jars=app8.jar\nService Name=Shop \xC3\xA9!^&%", main + service, ""},
        // COM¹ to COM³ and LPT¹ to LPT³ are devices too.
        {"Name=lpt\xC2\xB9\nJars=app8.jar", main, "line 2: Name \"lpt\xC2\xB9\" is a device name that Windows reserves"},
        {"Name=COM\xC2\xB3.app\nJars=app8.jar", main, "is a device name"},
        {"Name=LPT\xC2\xB2x\nJars=app8.jar", main, ""},
        {"Name=" + longName + "\nJars=app8.jar", main, "is 241 characters long; at most 240 fit, so that Name-x86.exe"},
        {"Name=" + longName.substr(1) + "\nJars=app8.jar", main, ""},
        {"Name=" + cyrillic + "\nJars=app8.jar", main, "is 121 characters long (242 bytes in UTF-8); at most 240 fit"},
        {"Jars=empty/*.jar", main, "line 2: Jars: \"empty/*.jar\" matches nothing in " + (root_ / "empty").string()},
        {"Jars=app8.jar\nStrings=strings.ini", main, "strings.ini: line 3: message 202 appears again in [Strings] (first on line 2)"},
        {"Jars=app8.jar\nLanguages=", main, "line 3: Languages names no language: write Languages=en for English alone"},
        {"Jars=app8.jar\nLanguages= , ", main, "Languages names no language"},
        {"Jars=app8.jar\nLanguages=en", main, ""},
        // A file named as a jar must be one wherever it stands; the main class is not in it.
        {"Jars=app8.jar;broken.jar", main, "broken.jar: "},
        // Versioned entries count only where the manifest says the jar is a multi-release one.
        {"Jars=versioned.jar", main, "the Main Class demo.Main (demo/Main.class) is in none of the shipped jars"},
        {"Jars=mr.jar", main + "Minimum Version=11\n",
         "demo.Main in lib/mr.jar (META-INF/versions/17/ only) is compiled for Java 17 (class file version 61), but "
         "\"Minimum Version\" is 11"},
        {"Jars=mr21.jar", main + "Minimum Version=17\n", "is compiled for Java 21"},
        {"Jars=mr.jar;notes.txt", main + "Minimum Version=17\n", ""},
    };
    // The previous output is the packer's own, so that only the fault at hand can refuse a build.
    std::string previousError;
    ASSERT_TRUE(build("[Package]\nJars=app8.jar\n" + main, previousError)) << previousError;
    for (const Case& c : cases) {
        const std::string project = "[Package]\n" + c.package + "\n" + c.settings;
        SCOPED_TRACE(project);
        const auto before = filesOf(root_ / "out");
        std::string error;
        const bool built = build(project, error);
        if (c.expected.empty()) {
            EXPECT_TRUE(built) << error;
            continue;
        }
        EXPECT_FALSE(built);
        EXPECT_TRUE(contains(error, c.expected)) << error;
        EXPECT_TRUE(error.rfind((root_ / "app.vornic").string() + ": ", 0) == 0 || contains(error, "strings.ini: ") ||
                    contains(error, "broken.jar: "))
            << "the line names no file: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(filesOf(root_ / "out"), before) << "a refused build changed the previous output";
        EXPECT_FALSE(fs::exists(root_ / "out/Demo.vornicpack-new"));
    }
}

// The current folder for the life of the object, restored however the test ends.
struct InFolder {
    explicit InFolder(const fs::path& folder) : previous(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous); }
    fs::path previous;
};

TEST_F(RefusedInputs, AProjectGivenByItsBareNameTakesItsWildcardsFromTheCurrentFolder) {
    writeFile(root_ / "empty/app.vornic", "[Package]\nJars=*.jar\n[Java Runtime Environment]\nMain Class=demo.Main\n");
    BuildRequest request;
    request.project = "app.vornic";
    request.stubs = root_ / "stubs";
    request.outputFolder = root_ / "out/Bare";
    std::string error;
    {
        const InFolder in(root_ / "empty");
        EXPECT_FALSE(buildApplication(request, notes_, error));
    }
    EXPECT_EQ(error, "app.vornic: line 2: Jars: \"*.jar\" matches nothing in .");
    EXPECT_FALSE(fs::exists(root_ / "out/Bare"));

    fs::copy_file(root_ / "app8.jar", root_ / "empty/app8.jar");
    {
        const InFolder in(root_ / "empty");
        EXPECT_TRUE(buildApplication(request, notes_, error)) << error;
    }
    EXPECT_EQ(filesOf(root_ / "out/Bare").count("lib/app8.jar"), 1u);
}

TEST_F(RefusedInputs, AMultiReleaseMainClassSetsTheMinimumVersionAndOtherFilesAreNoted) {
    std::string error;
    ASSERT_TRUE(build("[Package]\nName=Demo\nJars=mr21.jar;notes.txt\n[Java Runtime Environment]\nMain Class=demo.Main\n", error))
        << error;
    // The class file says 8, its place says 21: the runtimes before 21 do not see it.
    EXPECT_TRUE(contains(notes(), "Minimum Version 21: what demo.Main in lib/mr21.jar (META-INF/versions/21/ only) needs"))
        << notes();
    EXPECT_TRUE(contains(notes(), "lib/notes.txt is not a jar (")) << notes();
    EXPECT_TRUE(contains(notes(), "the runtime finds no classes in it")) << notes();
    const Bytes ini = filesOf(root_ / "out/Demo").at("Demo.ini");
    std::string report;
    ASSERT_TRUE(describePackage(filesOf(root_ / "out/Demo").at("Demo.exe"), &ini, report, error)) << error;
    EXPECT_TRUE(contains(report, "Minimum Version=21")) << report;
}

TEST(RefusedSettings, TheOneAtATimePackerChecksTheSameRulesAndNames) {
    // The settings of --settings pass the same service checks, with their own line numbers.
    std::vector<IniSection> sections;
    std::string error;
    ASSERT_TRUE(parseSettingsText(L"[Java Runtime Environment]\nMain Class=a.B\n[Application]\nStop Timeout=0\n",
                                  sections, error));
    SplitSettings split;
    EXPECT_FALSE(splitSettings(sections, L"{00000000-0000-0000-0000-000000000000}", split, error));
    EXPECT_TRUE(contains(error, "line 4: \"Stop Timeout\" is \"0\"")) << error;
    EXPECT_TRUE(split.packagedText.empty());
    // A packaged key in another case would be ignored, as every other packaged key.
    ASSERT_TRUE(parseSettingsText(L"[Java Runtime Environment]\nMain Class=a.B\n[Application]\nstop method=x\n",
                                  sections, error));
    EXPECT_FALSE(splitSettings(sections, L"{00000000-0000-0000-0000-000000000000}", split, error));
    EXPECT_TRUE(contains(error, "write the key \"stop method\" as \"Stop Method\"")) << error;

    // --out: the stem Windows would open as a device, and the temporary name's room.
    EXPECT_TRUE(contains(fileNameProblem(L"COM\u00B2"), "is a device name"));
    EXPECT_TRUE(fileNameProblem(L"COM2x").empty());
    EXPECT_TRUE(longFileNameProblem(Text(238, L'A'), 238).empty());
    EXPECT_EQ(longFileNameProblem(Text(239, L'A'), 238), "is 239 characters long; at most 238 fit");
}

}  // namespace
