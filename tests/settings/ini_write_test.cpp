#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include "harness.h"

namespace {

Text readValue(const WText& file, const wchar_t* key) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(L"Java Runtime Environment", key, L"", value, 512, file.c_str());
    return value;
}

TEST(WriteIniValue, NewFilesKeepEveryScriptAndFailuresAreReported) {
    const TempFolder folder;
    const WText file = folder.path() + L"user.ini";
    // Cyrillic and CJK: outside any single ANSI code page, so an ANSI file would turn them into "?".
    const Text home = L"C:\\Java\\jre \x0416\x4E2D\\";
    ASSERT_TRUE(writeIniValue(file, L"Java Runtime Environment", L"JRE Path", home));
    EXPECT_EQ(readValue(file, L"JRE Path"), home);
    std::string bytes;
    ASSERT_TRUE(readFileBytes(file, bytes));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");

    // An existing file keeps its other keys; the value is replaced.
    ASSERT_TRUE(writeIniValue(file, L"Java Runtime Environment", L"JVM Type", L"server"));
    ASSERT_TRUE(writeIniValue(file, L"Java Runtime Environment", L"JRE Path", L"D:\\jre\\"));
    EXPECT_EQ(readValue(file, L"JRE Path"), L"D:\\jre\\");
    EXPECT_EQ(readValue(file, L"JVM Type"), L"server");

    // A file where the folder should be: nothing can be written, and no file is left behind.
    ASSERT_TRUE(writeFileBytes(folder.path() + L"blocked", "x"));
    const WText blocked = folder.path() + L"blocked\\user.ini";
    EXPECT_FALSE(writeIniValue(blocked, L"Java Runtime Environment", L"JRE Path", home));
    EXPECT_EQ(GetFileAttributesW(blocked.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
