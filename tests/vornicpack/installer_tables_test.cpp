// The tables the Windows packer writes through the system's installer library, against the package
// the Linux packer writes through wixl and msibuild from the same input: each table's columns, types
// and keys as msiinfo exports them, and the same rows (a database keeps no row order of its own), the
// summary but for the writing program's name, and no table more or less.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

#include "command_output.h"
#include "installer/msi_package.h"
#include "installer/msi_tables.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

// The three header lines as they are, then the rows in one order.
std::vector<std::string> comparable(const std::string& archive) {
    std::vector<std::string> lines = linesOf(archive);
    if (lines.size() > 3) std::sort(lines.begin() + 3, lines.end());
    return lines;
}

struct Project {
    const char* name;
    std::function<void(InstallerInput&)> shape;
};

const std::vector<Project> kProjects = {
    {"per user, with file types, link schemes, both shortcuts and the icon",
     [](InstallerInput& in) {
         in.options.desktopShortcut = true;
         in.options.shortcut = L"Demo App";
         in.options.fileTypes = {{L".demo", L"Demo Document", L""}, {L".demox", L"Demo Extra", L"lib/doc.ico"}};
         in.options.linkSchemes = {L"demo", L"demo-two"};
         in.icon = in.files.front().source.parent_path().parent_path() / "app.ico";
     }},
    {"for the machine, x86, removing the user's settings, a name with brackets",
     [](InstallerInput& in) {
         in.width = Width::X86;
         in.options.perMachine = true;
         in.options.removeUserSettings = true;
         in.productName = L"Demo [Beta]: Suite";
         in.userSettings = {L"Demo [Beta]: Suite", L"{0B5C7C1E-2F4A-4E39-8C3B-6D2E1F0A9B87}", L"Demo.ini"};
         in.options.fileTypes = {{L".demo", L"Demo Document", L""}};
     }},
    {"per user, removing the settings of a product without a code",
     [](InstallerInput& in) {
         in.options.removeUserSettings = true;
         in.userSettings = {L"Demo", L"", L"Demo.ini"};
     }},
    {"a service started on install",
     [](InstallerInput& in) {
         in.options.perMachine = true;
         in.service = true;
         in.serviceDefinition.name = L"DemoSvc";
         in.serviceDefinition.displayName = L"Demo Service";
         in.serviceDefinition.description = L"Serves demos";
     }},
    {"a service started by hand, without a description",
     [](InstallerInput& in) {
         in.options.perMachine = true;
         in.service = true;
         in.serviceDefinition.name = L"DemoSvc";
         in.serviceDefinition.displayName = L"Demo";
         in.serviceDefinition.start = L"demand";
     }},
};

class InstallerTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vornicpack-tables-" + std::to_string(std::random_device()()));
        const std::vector<std::pair<std::string, std::string>> files = {
            {"Demo.exe", "MZ launcher"},
            {"Demo.ini", "[Java Runtime Environment]\r\n"},
            {"lib/app.jar", std::string(3000, 'j')},
            {"lib/doc.ico", "icon"},
            {"lib/extra/deep/a long name.txt", "nested"},
            {"jre64/bin/server/jvm.dll", "jvm"},
            {"jre64/release", "JAVA_VERSION=\"17\"\n"}};
        for (const auto& [target, bytes] : files) {
            const fs::path path = root_ / "folder" / target;
            fs::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << bytes;
            input_.files.push_back({target, path});
        }
        std::ofstream(root_ / "app.ico", std::ios::binary) << std::string("\0\0\1\0icon", 8);
        input_.folderName = L"Demo";
        input_.productName = L"Demo";
        input_.manufacturer = L"Example Software";
        input_.version = L"1.2.3";
        input_.upgradeCode = L"{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}";
        input_.launcher = "Demo.exe";
        input_.sourceDateEpoch = 1700000000;
        input_.sourceFolder = root_;
    }
    void TearDown() override { fs::remove_all(root_); }

    // msiinfo run in the test's folder: an export writes a table's streams into a folder named after it.
    std::string msiinfo(const std::string& arguments) const {
        return outputOf("cd '" + root_.string() + "' && msiinfo " + arguments);
    }

    fs::path root_;
    InstallerInput input_;
};

TEST_F(InstallerTablesTest, TheTablesAreThoseOfTheLinuxPackersPackage) {
    for (const Project& project : kProjects) {
        SCOPED_TRACE(project.name);
        InstallerInput in = input_;
        project.shape(in);
        const fs::path package = root_ / "Demo.msi";
        std::string error;
        ASSERT_TRUE(writeInstaller(in, package, error)) << error;
        const std::string revision = msiinfo("export Demo.msi _SummaryInformation");
        const std::size_t at = revision.find("\r\n9\t");
        ASSERT_NE(at, std::string::npos) << revision;
        const std::string packageCode = revision.substr(at + 4, 38);
        InstallerTables tables;
        ASSERT_TRUE(installerTables(in, Text(packageCode.begin(), packageCode.end()), tables, error)) << error;

        std::vector<std::string> names, expected = linesOf(msiinfo("tables Demo.msi | sed 's/$/\\r/'"));
        for (const MsiTable& table : tables.tables) {
            names.push_back(table.name);
            const std::string written = msiinfo("export Demo.msi " + table.name);
            EXPECT_EQ(comparable(archiveText(table)), comparable(written)) << table.name;
            // A stream cell names the row's stream; its bytes are the file's.
            for (std::size_t row = 0; row < table.streams.size(); ++row)
                EXPECT_EQ(outputOf("cmp '" + (root_ / table.name / table.rows[row][1]).string() + "' '" +
                                   table.streams[row].string() + "' && echo same"),
                          "same\n")
                    << table.name << " " << table.rows[row][0];
        }
        names.insert(names.end(), {"_SummaryInformation", "_ForceCodepage"});
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);

        std::vector<std::string> summary = linesOf(summaryArchiveText(tables.summary)), written = linesOf(revision);
        // The program that wrote the database names itself.
        for (std::vector<std::string>* lines : {&summary, &written})
            lines->erase(std::remove_if(lines->begin(), lines->end(),
                                        [](const std::string& line) { return line.rfind("18\t", 0) == 0; }),
                         lines->end());
        EXPECT_EQ(summary, written);

        std::vector<std::string> order;
        for (const InstallerFile* file : tables.cabinet) order.push_back(file->target);
        EXPECT_EQ(order, (std::vector<std::string>{"jre64/bin/server/jvm.dll", "jre64/release",
                                                   "lib/extra/deep/a long name.txt", "lib/app.jar", "lib/doc.ico",
                                                   "Demo.exe", "Demo.ini"}))
            << "the cabinet's order is the File table's Sequence";
        fs::remove(package);
    }
}

}  // namespace
