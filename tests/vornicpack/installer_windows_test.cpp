// The Windows packer's package writer on the system's msi.dll and cabinet.dll: a package that
// carries the packer's mark and any name (the product's, a file's and its folder's, as UTF-8 in the
// database), and nothing beside it; a database that msi.dll refuses half way leaves nothing at all.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <fstream>
#include <random>

#include "installer/msi_package.h"
#include "installer/msi_summary.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One cell through msi.dll's own reading of the package.
std::wstring cellOf(const fs::path& package, const wchar_t* query) {
    MSIHANDLE database = 0, view = 0, record = 0;
    std::wstring value;
    if (MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &database) == ERROR_SUCCESS &&
        MsiDatabaseOpenViewW(database, query, &view) == ERROR_SUCCESS && MsiViewExecute(view, 0) == ERROR_SUCCESS &&
        MsiViewFetch(view, &record) == ERROR_SUCCESS) {
        wchar_t text[256] = L"";
        DWORD size = 256;
        if (MsiRecordGetStringW(record, 1, text, &size) == ERROR_SUCCESS) value = text;
    }
    for (const MSIHANDLE handle : {record, view, database})
        if (handle) MsiCloseHandle(handle);
    return value;
}

TEST(WindowsInstallerWriter, WritesThePackageAloneAndNothingOnFailure) {
    const fs::path root = fs::temp_directory_path() / ("vornicpack-msi-" + std::to_string(std::random_device()()));
    InstallerInput in;
    for (const auto& [target, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"Demo.exe", "MZ launcher"}, {"lib/app.jar", std::string(70000, 'j')},
             {"lib/Gr\xC3\xBC\xC3\x9F" "e/na\xC3\xAFve \xE2\x9C\x93.txt", "nested"}}) {
        Text wide;
        decodeUtf8(target, wide);
        const fs::path source = root / "folder" / pathFromText(wide);
        fs::create_directories(source.parent_path());
        std::ofstream(source, std::ios::binary) << bytes;
        in.files.push_back({target, source});
    }
    in.folderName = L"Demo";
    in.productName = L"D\u00e9mo \u2713";
    in.version = L"1.0.0";
    in.upgradeCode = L"{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}";
    in.launcher = "Demo.exe";
    in.sourceFolder = root / "out";
    fs::create_directories(root / "out");

    std::string error;
    ASSERT_TRUE(writeInstaller(in, root / "out" / "Demo.msi", error)) << error;
    EXPECT_TRUE(isPackerInstaller(root / "out" / "Demo.msi"));
    EXPECT_EQ(cellOf(root / "out" / "Demo.msi", L"SELECT `Value` FROM `Property` WHERE `Property`='ProductName'"),
              L"D\u00e9mo \u2713");
    EXPECT_EQ(cellOf(root / "out" / "Demo.msi", L"SELECT `FileName` FROM `File` WHERE `FileSize`=6"),
              L"na\u00efve \u2713.txt");
    EXPECT_EQ(namesIn(root / "out"), std::vector<std::string>{"Demo.msi"}) << "what was staged is gone";

    // The same file twice is one key twice in the File table: msi.dll refuses the row.
    in.files.push_back(in.files.front());
    EXPECT_FALSE(writeInstaller(in, root / "out" / "Broken.msi", error));
    EXPECT_NE(error.find("the table File"), std::string::npos) << error;
    EXPECT_EQ(namesIn(root / "out"), std::vector<std::string>{"Demo.msi"}) << "a failed package leaves nothing";
    fs::remove_all(root);
}

}  // namespace
