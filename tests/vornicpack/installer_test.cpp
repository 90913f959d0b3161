// Installer=msi on the host: projects in, Windows Installer packages out, read back with msitools'
// msiinfo and compared with what each project asked; the same inputs give the same bytes; only a
// package the packer wrote is replaced. Stubs are synthetic PE images of each width.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "command_output.h"
#include "folder/application_folder.h"
#include "installer/msi_package.h"
#include "installer/msi_summary.h"
#include "system/platform.h"
#include "synthetic_pe.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

Bytes readFile(const fs::path& path) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(path, bytes, error)) << error;
    return bytes;
}

// The rows of one table as msiinfo exports it (the three header lines left out), each row's cells
// joined by tabs.
std::vector<std::string> rowsOf(const fs::path& package, const std::string& table) {
    const std::string text = outputOf("msiinfo export '" + package.string() + "' " + table + " 2>/dev/null");
    std::vector<std::string> rows;
    std::size_t from = 0, lineNumber = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        std::string row = text.substr(from, end - from);
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (++lineNumber > 3) rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> cellsOf(const std::string& row) {
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = row.find('\t', from)) != std::string::npos; from = tab + 1)
        cells.push_back(row.substr(from, tab - from));
    cells.push_back(row.substr(from));
    return cells;
}

std::string joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) text += "  " + row + "\n";
    return text;
}

struct Row {
    const char* package;  // the file's name
    const char* table;
    const char* fragment;  // tabs between cells
    bool present = true;
};

struct Case {
    const char* name;
    const char* package;   // lines of [Package] after Jars
    const char* settings;  // further sections
    std::vector<Row> rows;
    const char* refusal = nullptr;  // a part of the one-line refusal, for a project that must be refused
};

const char* const kCode = "{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}";

// One project per behaviour; each row is one that the package must (or must not) hold.
const std::vector<Case> kCases = {
    {"per-user application with shortcuts, file types and links",
     "Version=1.2.3\nCompany=Example Software\nIcon=app.ico\nInstaller=msi\nShortcut=Demo App\n"
     "Desktop Shortcut=Yes\nFile Types=.demo=Demo Document; .demox=Demo Extra|lib/doc.ico\nLink Schemes=demo, Demo-Two\n"
     "Remove User Settings=Yes\n",
     "",
     {{"Demo-1.2.3-x64.msi", "Property", "ProductName\tDemo"},
      {"Demo-1.2.3-x64.msi", "Property", "ProductVersion\t1.2.3"},
      {"Demo-1.2.3-x64.msi", "Property", "Manufacturer\tExample Software"},
      {"Demo-1.2.3-x64.msi", "Property", "UpgradeCode\t{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}"},
      {"Demo-1.2.3-x64.msi", "Property", "ARPPRODUCTICON\tapp.ico"},
      {"Demo-1.2.3-x64.msi", "Property", "ALLUSERS", false},
      {"Demo-1.2.3-x64.msi", "Icon", "app.ico\t"},
      {"Demo-1.2.3-x64.msi", "Directory", "INSTALLDIR\tUserProgramsFolder\tDemo"},
      {"Demo-1.2.3-x64.msi", "Directory", "UserProgramsFolder\tLocalAppDataFolder\tPrograms"},
      {"Demo-1.2.3-x64.msi", "Shortcut", "StartMenuShortcut\tProgramMenuFolder\tDemo App\t"},
      {"Demo-1.2.3-x64.msi", "Shortcut", "DesktopShortcut\tDesktopFolder\tDemo App\t"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\.demo\t\tDemo.demo\t"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\Demo.demo\t\tDemo Document\t"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\.demox\t\tDemo.demox\t"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\Demo.demox\\DefaultIcon\t\t[#f"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\demo\tURL Protocol\t\t"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\demo-two\t\tURL:Demo\t"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t1\tSoftware\\Classes\\demo-two\\shell\\open\\command\t\t\"[#f"},
      {"Demo-1.2.3-x64.msi", "Registry", "\t2\t", false},
      {"Demo-1.2.3-x64.msi", "Upgrade", "{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}\t\t1.2.3\t"},
      {"Demo-1.2.3-x64.msi", "Upgrade", "{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}\t1.2.3\t\t"},
      {"Demo-1.2.3-x64.msi", "LaunchCondition", "NOT WIX_DOWNGRADE_DETECTED\tA newer version of [ProductName]"},
      {"Demo-1.2.3-x64.msi", "ServiceInstall", "\t", false},
      // The settings file %APPDATA%\Demo\Demo.ini (no Product Code: no folder for it), only when the
      // product is removed, not when an upgrade removes its older version.
      {"Demo-1.2.3-x64.msi", "CustomAction",
       "SetVornicUserSettingsFolder0\t51\tVornicUserSettingsFolder0\t[AppDataFolder]Demo\\\t"},
      {"Demo-1.2.3-x64.msi", "CustomAction", "VornicUserSettingsFolder1", false},
      {"Demo-1.2.3-x64.msi", "InstallExecuteSequence",
       "SetVornicUserSettingsFolder0\tREMOVE~=\"ALL\" AND NOT UPGRADINGPRODUCTCODE\t3490"},
      {"Demo-1.2.3-x64.msi", "RemoveFile", "\tDemo.ini\tVornicUserSettingsFolder0\t2"},
      {"Demo-1.2.3-x64.msi", "RemoveFile", "VornicUserSettingsFolder0\tc"}}},
    {"per-user settings removed: the folders of a product name with brackets and of the product code",
     "Version=1.0\nInstaller=msi\nRemove User Settings=Yes\n",
     "[Product Information]\nProduct Name=Demo [Beta]: Suite\nProduct Code={0B5C7C1E-2F4A-4E39-8C3B-6D2E1F0A9B87}\n"
     "Upgrade Code={3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}\n",
     {{"Demo-1.0-x64.msi", "CustomAction",
       "SetVornicUserSettingsFolder0\t51\tVornicUserSettingsFolder0\t[AppDataFolder]Demo [\\[]Beta[\\]] "
       "Suite\\[\\{]0B5C7C1E-2F4A-4E39-8C3B-6D2E1F0A9B87[\\}]\\\t"},
      {"Demo-1.0-x64.msi", "CustomAction",
       "SetVornicUserSettingsFolder1\t51\tVornicUserSettingsFolder1\t[AppDataFolder]Demo [\\[]Beta[\\]] Suite\\\t"},
      {"Demo-1.0-x64.msi", "InstallExecuteSequence", "SetVornicUserSettingsFolder1\tREMOVE~="},
      {"Demo-1.0-x64.msi", "RemoveFile", "\tDemo.ini\tVornicUserSettingsFolder0\t2"},
      {"Demo-1.0-x64.msi", "RemoveFile", "\t\tVornicUserSettingsFolder0\t2"},
      {"Demo-1.0-x64.msi", "RemoveFile", "\t\tVornicUserSettingsFolder1\t2"},
      {"Demo-1.0-x64.msi", "Property", "ProductName\tDemo [Beta]: Suite"},
      // The Start-menu entry is a file: the Product Name without what no file name holds.
      {"Demo-1.0-x64.msi", "Shortcut", "StartMenuShortcut\tProgramMenuFolder\tDemo [Beta] Suite\t"}}},
    {"both widths for the whole machine: each package holds its own launcher and runtime",
     "Launchers=x64, x86\nRuntime x64=rt64\nRuntime x86=rt32\nVersion=2.0\nInstaller=msi\nInstall Scope=machine\n"
     "File Types=.demo=Demo Document\n",
     "",
     {{"Demo-2.0-x64.msi", "Directory", "INSTALLDIR\tProgramFiles64Folder\tDemo"},
      {"Demo-2.0-x86.msi", "Directory", "INSTALLDIR\tProgramFilesFolder\tDemo"},
      {"Demo-2.0-x64.msi", "File", "\tDemo.exe\t"},
      {"Demo-2.0-x64.msi", "File", "\tDemo-x86.exe\t", false},
      {"Demo-2.0-x64.msi", "Directory", "\tjre64"},
      {"Demo-2.0-x64.msi", "Directory", "\tjre\t", false},
      {"Demo-2.0-x86.msi", "File", "\tDemo-x86.exe\t"},
      {"Demo-2.0-x86.msi", "File", "\tDemo.exe\t", false},
      {"Demo-2.0-x86.msi", "Directory", "\tjre64", false},
      {"Demo-2.0-x64.msi", "Registry", "\t2\tSoftware\\Classes\\.demo\t\tDemo.demo\t"},
      {"Demo-2.0-x64.msi", "Registry", "\t1\t", false},
      {"Demo-2.0-x64.msi", "Property", "ProductVersion\t2.0"},
      {"Demo-2.0-x64.msi", "Property", "ALLUSERS\t1"},
      {"Demo-2.0-x64.msi", "Shortcut", "StartMenuShortcut\tProgramMenuFolder\tDemo\t"},
      {"Demo-2.0-x64.msi", "Shortcut", "DesktopShortcut", false},
      {"Demo-2.0-x64.msi", "RemoveFile", "VornicUserSettings", false},
      {"Demo-2.0-x64.msi", "CustomAction", "VornicUserSettings", false}}},
    {"a service started on install",
     "Installer=msi\nInstall Scope=machine\nService Name=DemoSvc\nService Display Name=Demo Service\n"
     "Service Description=Serves demos\n",
     "[Application]\nApplication Type=service\n",
     // ServiceType 16 (own process), StartType 2 (auto), ErrorControl 1; events 161: start on
     // install (1), stop on both (2, 32), remove on uninstall (128).
     {{"Demo-1.0.0.0-x64.msi", "ServiceInstall", "\tDemoSvc\tDemo Service\t16\t2\t1\t"},
      {"Demo-1.0.0.0-x64.msi", "ServiceInstall", "\tServes demos"},
      {"Demo-1.0.0.0-x64.msi", "ServiceControl", "\tDemoSvc\t163\t"}}},
    {"a service started by hand",
     "Installer=msi\nInstall Scope=machine\nService Start=demand\n", "[Application]\nApplication Type=service\n",
     {{"Demo-1.0.0.0-x64.msi", "ServiceInstall", "\tDemo\tDemo\t16\t3\t1\t"},
      {"Demo-1.0.0.0-x64.msi", "ServiceControl", "\tDemo\t162\t"}}},
    {"another installer kind", "Installer=exe\n", "", {}, "line 4: Installer must be msi"},
    {"another scope", "Installer=msi\nInstall Scope=everyone\n", "", {}, "line 5: Install Scope must be user"},
    {"an extension without its dot", "Installer=msi\nFile Types=demo=Demo Document\n", "", {},
     "line 5: File Types: \"demo=Demo Document\" is not an extension"},
    {"an extension that Windows runs", "Installer=msi\nFile Types=.cmd=Script\n", "", {}, ".cmd belongs to Windows"},
    {"a file type icon outside the folder", "Installer=msi\nFile Types=.demo=Demo|lib/none.ico\n", "", {},
     "the icon lib/none.ico of .demo is not a file of the application folder"},
    {"the browser's scheme", "Installer=msi\nLink Schemes=https\n", "", {}, "https belongs to the system"},
    {"a scheme that is no scheme", "Installer=msi\nLink Schemes=1demo\n", "", {}, "\"1demo\" is not a URL scheme"},
    {"installer keys without an installer", "Shortcut=Demo\n", "", {}, "Installer is not msi"},
    {"removal of the settings neither Yes nor No", "Installer=msi\nRemove User Settings=always\n", "", {},
     "line 5: Remove User Settings must be Yes"},
    {"a service's settings to remove", "Installer=msi\nInstall Scope=machine\nRemove User Settings=Yes\n",
     "[Application]\nApplication Type=service\n", {}, "a service keeps its settings beside the launcher"},
    {"a per-user service", "Installer=msi\n", "[Application]\nApplication Type=service\n", {},
     "set Install Scope=machine"},
    {"a version the installer cannot compare", "Installer=msi\nVersion=300.1.0\n", "", {},
     "at most 255.255.65535"},
    {"an Upgrade Code that is no GUID", "Installer=msi\n", "[Product Information]\nUpgrade Code=secret phrase\n", {},
     "must be a GUID"},
};

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vornicpack-installer-" + std::to_string(std::random_device()()));
        for (const bool is64 : {true, false}) {
            testpe::SyntheticOptions options;
            options.is64 = is64;
            const Bytes stub = testpe::syntheticPe(options);
            writeFile(root_ / "stubs" / (is64 ? "x64" : "x86") / "vornicw.exe", std::string(stub.begin(), stub.end()));
            options.layout = testpe::Layout::NoResources;
            const Bytes jvm = testpe::syntheticPe(options);
            const fs::path runtime = root_ / (is64 ? "rt64" : "rt32");
            writeFile(runtime / "bin/java.dll", "java.dll");
            writeFile(runtime / "bin/server/jvm.dll", std::string(jvm.begin(), jvm.end()));
            writeFile(runtime / "release", "JAVA_VERSION=\"17.0.2\"\n");
        }
        fs::copy_file(fs::path(TEST_JARS) / "app8.jar", root_ / "app8.jar");
        const unsigned char icon[] = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 1, 0, 0, 0, 22, 0, 0, 0, 0xAB};
        writeFile(root_ / "app.ico", std::string(icon, icon + sizeof icon));
        writeFile(root_ / "doc.ico", std::string(icon, icon + sizeof icon));
    }
    void TearDown() override { fs::remove_all(root_); }

    bool build(const Case& project, std::string& error, const char* folder = "Demo") {
        writeFile(root_ / "demo.vornic", std::string("[Package]\nName=Demo\nJars=app8.jar;doc.ico\n") + project.package +
                                             "Zip=dist/Demo.zip\nOutput Folder=" + folder + "\n\n" +
                                             (std::string(project.settings).rfind("[Product Information]", 0) == 0
                                                  ? std::string()
                                                  : std::string("[Product Information]\nProduct Name=Demo\nUpgrade Code=") +
                                                        kCode + "\n\n") +
                                             project.settings);
        BuildRequest request;
        request.project = root_ / "demo.vornic";
        request.stubs = root_ / "stubs";
        request.sourceDateEpoch = 1700000000;
        std::vector<std::string> notes;
        return buildApplication(request, notes, error);
    }

    fs::path root_;
};

TEST_F(Installer, EachProjectsPackageHoldsWhatItAsked) {
    for (const Case& project : kCases) {
        SCOPED_TRACE(project.name);
        std::string error;
        const bool built = build(project, error);
        if (project.refusal) {
            EXPECT_FALSE(built);
            EXPECT_NE(error.find(project.refusal), std::string::npos) << error;
            // Refused before a byte is written, or (an icon the folder lacks) with the folder still staged.
            EXPECT_FALSE(fs::exists(root_ / "Demo") || fs::exists(root_ / "dist" / "Demo.zip"))
                << "a refused project replaces nothing";
            fs::remove_all(root_ / "dist");
            continue;
        }
        ASSERT_TRUE(built) << error;
        for (const Row& row : project.rows) {
            const std::vector<std::string> rows = rowsOf(root_ / "dist" / row.package, row.table);
            ASSERT_FALSE(rowsOf(root_ / "dist" / row.package, "Property").empty()) << row.package << " is not a package";
            bool found = false;
            for (const std::string& line : rows) found = found || line.find(row.fragment) != std::string::npos;
            EXPECT_EQ(found, row.present) << row.package << " " << row.table << (row.present ? " lacks " : " holds ")
                                          << row.fragment << "\n" << joined(rows);
        }
        // Every package: the codes derived as the packer says, one component per file of the
        // folder with the file as its key, and the summary as normalised.
        for (const auto& entry : fs::directory_iterator(root_ / "dist")) {
            if (entry.path().extension() != ".msi") continue;
            const fs::path package = entry.path();
            SCOPED_TRACE(package.filename().string());
            InstallerInput in;
            in.upgradeCode = Text(kCode, kCode + 38);
            const std::string name = package.filename().string();
            in.width = name.find("-x86.msi") != std::string::npos ? Width::X86 : Width::X64;
            const std::string version = name.substr(5, name.rfind('-') - 5);
            in.version = Text(version.begin(), version.end());
            in.options.perMachine = std::string(project.package).find("Install Scope=machine") != std::string::npos;
            const Text productCode = installerProductCode(in);
            EXPECT_NE(joined(rowsOf(package, "Property")).find("ProductCode\t" + encodeUtf8(productCode)),
                      std::string::npos);
            std::map<std::string, std::string> fileOfComponent;
            for (const std::string& row : rowsOf(package, "File")) {
                const auto cells = cellsOf(row);
                fileOfComponent[cells[1]] = cells[0];
            }
            std::size_t components = 0;
            for (const std::string& row : rowsOf(package, "Component")) {
                const auto cells = cellsOf(row);  // Component, ComponentId, Directory_, Attributes, Condition, KeyPath
                ++components;
                EXPECT_EQ(cells[5], fileOfComponent[cells[0]]) << row;
                EXPECT_EQ(cells[3], in.width == Width::X64 ? "256" : "0") << row;
                bool derived = false;
                for (const auto& file : fs::recursive_directory_iterator(root_ / "Demo"))
                    if (file.is_regular_file()) {
                        const std::string target = file.path().lexically_relative(root_ / "Demo").generic_string();
                        derived = derived || encodeUtf8(installerComponentCode(in, target)) == cells[1];
                    }
                EXPECT_TRUE(derived) << "component code " << cells[1] << " is derived from no file of the folder";
            }
            EXPECT_EQ(components, fileOfComponent.size());
            const Bytes bytes = readFile(package);
            std::string keywords, revision;
            std::uint64_t created = 0;
            EXPECT_TRUE(summaryText(bytes, kSummaryKeywords, keywords) && keywords == "Installer,vornicpack") << keywords;
            EXPECT_TRUE(summaryText(bytes, kSummaryRevision, revision));
            EXPECT_NE(revision, encodeUtf8(productCode));
            EXPECT_EQ(revision.size(), 38u);
            EXPECT_TRUE(summaryTime(bytes, kSummaryCreated, created));
            EXPECT_EQ(created, (1700000000ull + 11644473600ull) * 10000000ull);
        }
        fs::remove_all(root_ / "dist");
        fs::remove_all(root_ / "Demo");
    }
}

// Two builds into two places give one package, byte for byte; a changed file changes the package
// code; a build that gives the bytes already there leaves the file as it was.
TEST_F(Installer, SameInputsGiveTheSameBytes) {
    const Case& project = kCases[0];
    std::string error;
    ASSERT_TRUE(build(project, error)) << error;
    const fs::path package = root_ / "dist" / "Demo-1.2.3-x64.msi";
    const Bytes first = readFile(package);
    fs::rename(root_ / "dist", root_ / "first");
    // Another folder name and a later clock: the cabinet's times and the summary's come from the epoch.
    ASSERT_TRUE(build(project, error, "Other")) << error;
    EXPECT_TRUE(first == readFile(package)) << "two builds differ";
    const auto stamp = fs::last_write_time(package);
    fs::last_write_time(package, stamp - std::chrono::hours(1));
    ASSERT_TRUE(build(project, error, "Other")) << error;
    EXPECT_EQ(fs::last_write_time(package), stamp - std::chrono::hours(1)) << "an unchanged package was rewritten";
    std::string revision, before;
    summaryText(first, kSummaryRevision, before);
    writeFile(root_ / "doc.ico", "another icon");
    ASSERT_TRUE(build(project, error, "Other")) << error;
    summaryText(readFile(package), kSummaryRevision, revision);
    EXPECT_NE(revision, before) << "the package code stays while a file changes";
}

// A file under a package's name that the packer did not write stays; one it wrote is replaced.
TEST_F(Installer, ReplacesOnlyItsOwnPackage) {
    const Case& project = kCases[0];
    writeFile(root_ / "dist" / "Demo-1.2.3-x64.msi", "someone's package");
    std::string error;
    EXPECT_FALSE(build(project, error));
    EXPECT_NE(error.find("is not a package vornicpack wrote"), std::string::npos) << error;
    EXPECT_EQ(readFile(root_ / "dist" / "Demo-1.2.3-x64.msi"), Bytes({'s', 'o', 'm', 'e', 'o', 'n', 'e', '\'', 's', ' ',
                                                                       'p', 'a', 'c', 'k', 'a', 'g', 'e'}));
    EXPECT_FALSE(fs::exists(root_ / "Demo")) << "a refused build writes no folder";
    fs::remove(root_ / "dist" / "Demo-1.2.3-x64.msi");
    ASSERT_TRUE(build(project, error)) << error;
    EXPECT_TRUE(isPackerInstaller(root_ / "dist" / "Demo-1.2.3-x64.msi"));
    writeFile(root_ / "doc.ico", "another icon");
    ASSERT_TRUE(build(project, error)) << error;
    EXPECT_FALSE(fs::exists(root_ / "dist" / "Demo-1.2.3-x64.msi.vornicpack-new"));
    EXPECT_FALSE(fs::exists(root_ / "dist" / "Demo-1.2.3-x64.msi.vornicpack-old"));
}

}  // namespace
