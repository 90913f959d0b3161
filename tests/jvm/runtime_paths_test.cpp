// The process "Path" when "System Path" would make it longer than an environment value may be.
#include <gtest/gtest.h>

#include "jvm/runtime_paths.h"

namespace {

const Text kJvm = L"C:\\rt\\bin\\server\\jvm.dll";
const Text kSystem = L"C:\\windows\\system32;C:\\windows;C:\\windows\\system32\\wbem";

TEST(FitSearchPath, AFittingPathIsTheUsualOne) {
    const FittedSearchPath fitted = fitSearchPath(L"C:\\s;D:\\t", kSystem, kJvm, L"C:\\windows", 200);
    EXPECT_EQ(fitted.text, searchPathText(L"C:\\s;D:\\t", kSystem, kJvm));
    EXPECT_TRUE(fitted.dropped.empty());
}

TEST(FitSearchPath, TheRuntimeAndTheSystemFoldersStayAndTheSystemPathIsCutFromItsEnd) {
    // 40,000 characters of "System Path" against the real limit.
    Text systemPath;
    TextList folders;
    for (int i = 0; systemPath.size() < 40000; ++i) {
        folders.push_back(L"D:\\tools\\folder" + decimalText(10000 + i));
        systemPath += folders.back() + L";";
    }
    const FittedSearchPath fitted = fitSearchPath(systemPath, kSystem, kJvm, L"C:\\windows");
    EXPECT_LE(fitted.text.size(), kEnvironmentValueLimit);
    EXPECT_GT(fitted.text.size(), kEnvironmentValueLimit - 30);  // no more dropped than needed
    // What stayed is the start of the list in its order, then the process path and the runtime's bin
    // folder; what went is all the rest, listed.
    ASSERT_FALSE(fitted.dropped.empty());
    const size_t kept = folders.size() - fitted.dropped.size();
    Text keptText;
    for (size_t i = 0; i < kept; ++i) keptText += folders[i] + L";";
    EXPECT_EQ(fitted.text, keptText + kSystem + L";C:\\rt\\bin");
    EXPECT_EQ(fitted.dropped, TextList(folders.begin() + static_cast<std::ptrdiff_t>(kept), folders.end()));
}

TEST(FitSearchPath, AnInheritedPathTooLongAloneKeepsOnlyWhatFitsBesideTheSystemFolders) {
    // Limit 60: "C:\windows\system32;C:\windows;" is 31, the bin folder 9.
    const Text inherited = L"C:\\windows\\system32;E:\\aaaaaaaaaa;C:\\windows;F:\\bbbbbbbbbb;G:\\cc";
    const FittedSearchPath fitted = fitSearchPath(L"C:\\s", inherited, kJvm, L"C:\\WINDOWS", 60);
    EXPECT_EQ(fitted.text, L"C:\\windows\\system32;E:\\aaaaaaaaaa;C:\\windows;C:\\rt\\bin");
    EXPECT_EQ(fitted.dropped, (TextList{L"C:\\s", L"F:\\bbbbbbbbbb", L"G:\\cc"}));
}

}  // namespace
