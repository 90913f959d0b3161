// INI files through the system's private-profile functions, alone and under the packaged settings.
#include <gtest/gtest.h>

#include "harness.h"
#include "settings/ini_file.h"
#include "settings/ini_file_store.h"
#include "settings/packaged_settings.h"

namespace {

Text read(const IniStore& store, const Text& section, const Text& key) {
    Text value = L"stale";
    store.getValue(section, key, value);
    return value;
}

std::string utf16Le(const Text& text) {
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

TEST(IniFileStore, ReadsLongValuesWholeAndMatchesNamesWithoutCase) {
    TempFolder folder;
    const WText path = folder.path() + L"demo.ini";
    const Text sizes[] = {Text(254, L'a'), Text(255, L'b'), Text(256, L'c'), Text(511, L'd'), Text(3000, L'e')};
    WText content = L"[Application]\r\nMain Class=a.Main\r\n";
    for (size_t i = 0; i < std::size(sizes); ++i) content += L"v" + std::to_wstring(i) + L"=" + sizes[i] + L"\r\n";
    content += L"[Java Runtime Environment]\r\nJRE Path=C:\\Java\\\x00C5\r\n";
    ASSERT_TRUE(writeUtf16File(path, content));

    const IniFileStore store(path);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(read(store, L"Application", L"v" + std::to_wstring(i)), sizes[i]) << "value " << i;
    }
    EXPECT_EQ(read(store, L"application", L"MAIN CLASS"), L"a.Main");
    EXPECT_EQ(read(store, L"JAVA runtime environment", L"JRE Path"), L"C:\\Java\\\x00C5");
    EXPECT_EQ(read(store, L"Application", L"missing"), L"");
    EXPECT_EQ(read(store, L"Missing", L"Main Class"), L"");
}

TEST(IniFileStore, AMissingFileReadsEmpty) {
    TempFolder folder;
    const IniFileStore store(folder.path() + L"absent.ini");
    EXPECT_EQ(read(store, L"Java Runtime Environment", L"JRE Path"), L"");
}

// The profile functions cannot open a path over MAX_PATH; the launcher's own reading and writing can,
// and a write keeps the file's encoding and every other line, unless the code page cannot hold the
// new text: then the file becomes UTF-16, which the system reads as well.
TEST(IniFileStore, LongPathsAreReadAndWrittenInTheFilesOwnEncoding) {
    TempFolder folder;
    const WText deep = L"\\\\?\\" + folder.path() + Text(150, L'd') + L"\\" + Text(150, L'e') + L"\\";
    ASSERT_TRUE(makeFolders(deep));
    struct Case {
        const char* what;
        std::string bytes;
        const wchar_t* value;
        std::string mark;  // how the file begins afterwards
    } const cases[] = {
        {"UTF-8", "\xEF\xBB\xBF; comment\r\n[Application]\r\nCmd = x\r\n", L"D:\\\x4E2D", "\xEF\xBB\xBF; comment"},
        {"UTF-16LE", utf16Le(L"\xFEFF;\r\n[Application]\r\nCmd=x"), L"D:\\\x4E2D", utf16Le(L"\xFEFF;")},
        {"ANSI", "; comment\r\n[Application]\r\nCmd = x\r\n", L"D:\\\x00C5", "; comment\r\n[Application]\r\nCmd = x\r\n"},
        {"ANSI that cannot hold the value", "; comment\r\n[Application]\r\nCmd = x\r\n", L"D:\\\x4E2D", "\xFF\xFE;"},
    };
    for (const Case& c : cases) {
        const WText path = deep + L"app.ini";
        ASSERT_GT(path.size(), 300u);
        ASSERT_TRUE(writeFileBytes(path, c.bytes)) << c.what;
        EXPECT_EQ(read(IniFileStore(path), L"application", L"cmd"), L"x") << c.what;
        EXPECT_TRUE(writeIniValue(path, L"Java Runtime Environment", L"JRE Path", c.value)) << c.what;
        const IniFileStore store(path);
        EXPECT_EQ(read(store, L"Java Runtime Environment", L"JRE Path"), c.value) << c.what;
        EXPECT_EQ(read(store, L"Application", L"Cmd"), L"x") << c.what;
        std::string written;
        ASSERT_TRUE(readFileBytes(path, written));
        EXPECT_EQ(written.substr(0, c.mark.size()), c.mark) << c.what;

        // The system reads the same file (at a short path) alike.
        const WText copy = folder.path() + L"copy.ini";
        ASSERT_TRUE(writeFileBytes(copy, written));
        Text buffer(100, L'\0');
        buffer.resize(GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"", buffer.data(), 100,
                                               copy.c_str()));
        EXPECT_EQ(buffer, c.value) << c.what;
        DeleteFileW(copy.c_str());
    }
    EXPECT_TRUE(writeIniValue(deep + L"new.ini", L"S", L"K", L"v"));
    EXPECT_EQ(read(IniFileStore(deep + L"new.ini"), L"S", L"K"), L"v");
    EXPECT_FALSE(writeIniValue(deep + L"missing\\x.ini", L"S", L"K", L"v"));
}

// This program carries no packaged settings, so the layered store is the file with its "+" sections.
TEST(LayeredIniStoreOnFiles, TheFileAloneWithItsPlusSections) {
    TempFolder folder;
    const WText path = folder.path() + L"layered.ini";
    ASSERT_TRUE(writeUtf16File(path, L"[Java Runtime Environment]\r\nMain Class=a.Main\r\nEmpty=\r\n"
                                     L"[java runtime environment+]\r\nVirtual Machine Parameters=-Xmx1g\r\n"
                                     L"Main Class=ignored\r\n"));
    const LayeredIniStore store = openLayeredStore(path, L"{any}");
    EXPECT_EQ(read(store, L"Java Runtime Environment", L"Main Class"), L"a.Main");
    EXPECT_EQ(read(store, L"Java Runtime Environment", L"Virtual Machine Parameters"), L" -Xmx1g");
    EXPECT_EQ(read(store, L"Java Runtime Environment", L"Empty"), L"");
    EXPECT_TRUE(store.document().sections().empty());
}

}  // namespace
