#include <gtest/gtest.h>

#include "harness.h"
#include "settings/executable_path.h"
#include "support/filesystem.h"

namespace {

bool isFolder(const Text& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ExePath, IsTheWholePathOfTheRunningProgram) {
    Text path;
    ASSERT_TRUE(getExePath(path));
    EXPECT_EQ(path, thisProgramPath());
    Text folder;
    ASSERT_TRUE(getExeFolder(folder));
    EXPECT_EQ(folder + L"support_win_tests.exe", path);
}

// A module under a folder deeper than the classic 260 units must be named whole, never cut short.
TEST(ExePath, ModuleUnderALongPathIsReadWhole) {
    TempFolder root;
    Text folder = L"\\\\?\\" + root.path();
    while (folder.size() < 400) folder += L"a-folder-with-a-long-name-for-the-test\\";
    ASSERT_TRUE(makeFolders(folder.substr(0, folder.size() - 1)));
    const Text dll = folder + L"empty_module.dll";
    ASSERT_TRUE(CopyFileW(besideThisProgram(EMPTY_MODULE_NAME).c_str(), dll.c_str(), FALSE));

    UniqueModule module(LoadLibraryW(dll.c_str()));
    ASSERT_TRUE(module) << GetLastError();
    Text path;
    ASSERT_TRUE(getModulePath(module.get(), path));
    EXPECT_GT(path.size(), 400u);
    EXPECT_NE(path.find(L"a-folder-with-a-long-name-for-the-test\\empty_module.dll"), Text::npos);
    EXPECT_EQ(path.substr(path.size() - 17), L"\\empty_module.dll");
}

TEST(FileExists, FilesAndFoldersCount) {
    TempFolder root;
    EXPECT_TRUE(fileExists(root.path() + L"."));
    EXPECT_FALSE(fileExists(root.path() + L"missing.txt"));
    ASSERT_TRUE(writeFileBytes(root.path() + L"present.txt", "x"));
    EXPECT_TRUE(fileExists(root.path() + L"present.txt"));
    ASSERT_TRUE(CreateDirectoryW((root.path() + L"sub").c_str(), nullptr));
    EXPECT_TRUE(fileExists(root.path() + L"sub"));
}

TEST(QueryFile, ReportsCodesAndSize) {
    TempFolder root;
    EXPECT_EQ(queryFile(L""), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(queryFile(L"relative\\file.txt"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(queryFile(root.path() + L"missing.txt"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(writeFileBytes(root.path() + L"five.txt", "12345"));
    FILETIME written{};
    DWORD size = 0;
    EXPECT_EQ(queryFile(root.path() + L"five.txt", &written, &size), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(size, 5u);
    EXPECT_NE(written.dwHighDateTime | written.dwLowDateTime, 0u);
}

TEST(FileSearch, LongPatternsGetThePrefixAndTheFolderIsKept) {
    TempFolder root;
    Text folder = root.path();
    while (folder.size() < 300) folder += L"deep-folder-level\\";
    ASSERT_TRUE(makeFolders(L"\\\\?\\" + folder.substr(0, folder.size() - 1)));
    ASSERT_TRUE(writeFileBytes(L"\\\\?\\" + folder + L"found.jar", "jar"));

    FileSearch search;
    ASSERT_TRUE(search.findFirst(folder + L"*.jar"));
    EXPECT_STREQ(search.entry().cFileName, L"found.jar");
    EXPECT_NE(search.folder().find(L"deep-folder-level"), Text::npos);
    EXPECT_FALSE(search.findNext());

    // A pattern that already carries the prefix is not prefixed twice.
    ASSERT_TRUE(search.findFirst(L"\\\\?\\" + folder + L"*.jar"));
    EXPECT_STREQ(search.entry().cFileName, L"found.jar");

    EXPECT_FALSE(search.findFirst(root.path() + L"nothing-*.zip"));
}

TEST(FileSearch, EveryEntryOfAFolderIsVisited) {
    TempFolder root;
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(writeFileBytes(root.path() + L"f" + std::to_wstring(i) + L".jar", ""));
    FileSearch search;
    int count = 0;
    for (bool more = search.findFirst(root.path() + L"*.jar"); more; more = search.findNext()) ++count;
    EXPECT_EQ(count, 50);
    EXPECT_EQ(search.folder() + L"\\", root.path());
}

TEST(CreateParentFolders, CreatesOnlyTheMissingLevels) {
    TempFolder root;
    ASSERT_TRUE(CreateDirectoryW((root.path() + L"a").c_str(), nullptr));
    EXPECT_EQ(createParentFolders(root.path() + L"a\\b\\c.txt"), 0u);
    EXPECT_TRUE(isFolder(root.path() + L"a\\b"));
    EXPECT_FALSE(fileExists(root.path() + L"a\\b\\c.txt"));

    EXPECT_EQ(createParentFolders(root.path() + L"x\\y\\z\\out.log"), 0u);
    EXPECT_TRUE(isFolder(root.path() + L"x\\y\\z"));
}

TEST(CreateParentFolders, AnExistingFileNeedsNothing) {
    TempFolder root;
    ASSERT_TRUE(writeFileBytes(root.path() + L"here.txt", "x"));
    EXPECT_EQ(createParentFolders(root.path() + L"here.txt"), 0u);
}

TEST(CreateParentFolders, ARelativePathTakesItsFirstComponentAsTheRoot) {
    TempFolder root;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(root.path().c_str()));
    const DWORD missingRoot = createParentFolders(L"logs\\x\\out.txt");
    const bool madeWithoutRoot = isFolder(root.path() + L"logs");
    ASSERT_TRUE(CreateDirectoryW(L"logs", nullptr));
    const DWORD withRoot = createParentFolders(L"logs\\x\\out.txt");
    SetCurrentDirectoryW(previous);

    EXPECT_EQ(missingRoot, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));  // "logs" is never created
    EXPECT_FALSE(madeWithoutRoot);
    EXPECT_EQ(withRoot, 0u);
    EXPECT_TRUE(isFolder(root.path() + L"logs\\x"));
}

TEST(CreateParentFolders, AFailureTwoLevelsDownRemovesTheEmptyLevelAbove) {
    TempFolder root;
    // A file where a folder should be: creating a\blocker\c fails below the new level a.
    ASSERT_TRUE(CreateDirectoryW((root.path() + L"a").c_str(), nullptr));
    ASSERT_TRUE(writeFileBytes(root.path() + L"a\\blocker", "file"));
    const DWORD result = createParentFolders(root.path() + L"a\\new\\blocker\\x\\file.txt");
    EXPECT_EQ(result, 0u) << "the folder a\\new\\blocker does not exist yet, so it is created";

    const DWORD blocked = createParentFolders(root.path() + L"a\\n2\\deeper\\bad<name\\file.txt");
    EXPECT_NE(blocked, 0u);
    EXPECT_FALSE(fileExists(root.path() + L"a\\n2\\deeper")) << "the empty level above the failure is removed";
    EXPECT_TRUE(isFolder(root.path() + L"a\\n2")) << "only the level just above goes";
}

TEST(RemoveFolder, RemovesEmptyFoldersOnly) {
    TempFolder root;
    ASSERT_TRUE(CreateDirectoryW((root.path() + L"empty").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root.path() + L"full").c_str(), nullptr));
    ASSERT_TRUE(writeFileBytes(root.path() + L"full\\x", "x"));
    EXPECT_TRUE(removeFolder(root.path() + L"empty"));
    EXPECT_FALSE(removeFolder(root.path() + L"full"));
    EXPECT_FALSE(fileExists(root.path() + L"empty"));
}

}  // namespace
