#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/path.h"

namespace {

TEST(LongPathPrefix, OnlyLongFullPathsGetItInTheirForm) {
    const Text name(257, L'a');
    const struct {
        Text path;
        Text expected;
    } cases[] = {
        {L"C:\\" + Text(256, L'a'), L"C:\\" + Text(256, L'a')},  // 259 units: no prefix needed
        {L"C:\\" + name, L"\\\\?\\C:\\" + name},
        {L"\\\\?\\C:\\" + name, L"\\\\?\\C:\\" + name},
        {L"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + name},
        {L"C:/dir/" + name, L"\\\\?\\C:\\dir\\" + name},
        {L"dir\\" + name, L"dir\\" + name},  // relative: the prefix would make it name another place
        {L"\\\\.\\pipe\\" + name, L"\\\\.\\pipe\\" + name},
    };
    for (const auto& c : cases) EXPECT_EQ(withLongPathPrefix(c.path), c.expected) << c.path.size();
}

TEST(PathKinds, DeviceNamesWhateverTheirFolderCaseAndExtension) {
    for (const wchar_t* device : {L"CON", L"C:\\app\\con.ini", L"nul", L"Aux.exe", L"prn.a.b", L"C:\\x\\COM1.exe",
                                  L"lpt9", L"COM\x00B9.ini", L"lpt\x00B3", L"NUL .ini", L"dir/CON.ini"}) {
        EXPECT_TRUE(namesDevice(device)) << device;
    }
    for (const wchar_t* file : {L"", L"C:\\app\\demo.ini", L"CONSOLE.ini", L"COM0", L"LPT10.ini", L"COM\x00B4",
                                L"C:\\CON\\app.ini", L"xCON.ini", L" CON.ini", L"CO.ini", L"COMA"}) {
        EXPECT_FALSE(namesDevice(file)) << file;
    }
}

TEST(PathKinds, AbsoluteAndUnc) {
    EXPECT_TRUE(isAbsolutePath(L"C:"));
    EXPECT_TRUE(isAbsolutePath(L"C:\\x"));
    EXPECT_TRUE(isAbsolutePath(L"\\\\server\\share"));
    EXPECT_FALSE(isAbsolutePath(L"C"));
    EXPECT_FALSE(isAbsolutePath(L"\\x"));
    EXPECT_FALSE(isAbsolutePath(L"logs\\x.txt"));
    EXPECT_TRUE(isUncPath(L"\\\\server\\share"));
    EXPECT_FALSE(isUncPath(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(isUncPath(L"\\\\"));
}

TEST(CommandLine, DropsTheProgramPathAndTrims) {
    EXPECT_EQ(argumentsOfCommandLine(L"app.exe  a   \"b c\"  \"\""), (TextList{L"a", L"b c", L""}));
    EXPECT_EQ(argumentsOfCommandLine(L"\"C:\\Program Files\\app.exe\" -nosplash"), (TextList{L"-nosplash"}));
    EXPECT_EQ(argumentsOfCommandLine(L"app.exe"), TextList{});
    EXPECT_EQ(argumentsOfCommandLine(L"app.exe    \t "), TextList{});
    EXPECT_EQ(argumentsOfCommandLine(L""), TextList{});
    EXPECT_EQ(argumentsOfCommandLine(L"  "), TextList{});
    EXPECT_EQ(argumentsOfCommandLine(L"app.exe a\tb"), (TextList{L"a\tb"}));
    EXPECT_EQ(argumentsOfCommandLine(L"app.exe \""), (TextList{L""}));
}

}  // namespace
