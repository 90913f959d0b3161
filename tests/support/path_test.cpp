#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/path.h"

namespace {

TEST(LongPathPrefix, OnlyLongPathsWithoutItGetIt) {
    const Text shortPath = L"C:\\" + Text(256, L'a');
    EXPECT_EQ(withLongPathPrefix(shortPath), shortPath);
    const Text longPath = L"C:\\" + Text(257, L'a');
    EXPECT_EQ(withLongPathPrefix(longPath), L"\\\\?\\" + longPath);
    const Text prefixed = L"\\\\?\\" + longPath;
    EXPECT_EQ(withLongPathPrefix(prefixed), prefixed);
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
