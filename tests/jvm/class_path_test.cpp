#include <gtest/gtest.h>

#include <map>

#include "jvm/class_path.h"
#include "jvm/runtime_paths.h"

namespace {

// A file system of search names and their matches; "%HOME%" expands to "C:\home".
class FakeSystem : public ClassPathSystem {
public:
    std::map<Text, TextList> matches;
    mutable TextList searched;

    Text expandEnvironment(const Text& text) const override {
        Text result = text;
        const std::size_t at = result.find(L"%HOME%");
        if (at != Text::npos) result.replace(at, 6, L"C:\\home");
        return result;
    }
    void findMatches(const Text& searchName, TextList& names) const override {
        searched.push_back(searchName);
        const auto found = matches.find(searchName);
        if (found != matches.end()) names.insert(names.end(), found->second.begin(), found->second.end());
    }
    Text narrowSafePath(const Text& path) const override { return path; }
};

TEST(BuildClassPath, EntriesAndPatterns) {
    FakeSystem system;
    system.matches[L"C:\\app\\lib\\*.jar"] = {L"a.jar", L"b.jar"};
    system.matches[L"C:\\app\\main.jar"] = {L"main.jar"};
    system.matches[L"D:\\x\\*.zip"] = {L"p.zip", L"q.zip"};
    system.matches[L"C:\\app\\lib\\*"] = {L".", L"..", L"a.jar"};
    system.matches[L"C:\\app\\\\top.jar"] = {L"top.jar"};

    const struct {
        const wchar_t* setting;
        const wchar_t* classPath;
    } cases[] = {
        {L"lib\\*.jar", L"C:\\app\\lib\\a.jar;C:\\app\\lib\\b.jar;"},
        {L"main.jar", L"C:\\app\\main.jar;"},
        {L"missing.jar", L""},                                       // dropped without a message
        {L"D:\\x\\y.jar", L"D:\\x\\y.jar;"},                         // kept whether or not it exists
        {L"\\\\server\\share\\z.jar", L"\\\\server\\share\\z.jar;"},
        {L"D:\\x\\*.zip", L"D:\\x\\p.zip;D:\\x\\q.zip;"},
        {L"lib\\*", L"C:\\app\\lib\\.;C:\\app\\lib\\..;C:\\app\\lib\\a.jar;"},
        {L"%HOME%\\h.jar;main.jar;", L"C:\\home\\h.jar;C:\\app\\main.jar;"},
        {L"\\top.jar", L"C:\\app\\top.jar;"},                        // a leading backslash adds no folder
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buildClassPath(c.setting, L"C:\\app\\", system), c.classPath)
            << testing::PrintToString(Text(c.setting));
    }
}

TEST(BuildClassPath, EmptyEntriesSearchTheExecutablesFolder) {
    FakeSystem system;
    buildClassPath(L";;a.jar;", L"C:\\app\\", system);
    EXPECT_EQ(system.searched, (TextList{L"C:\\app\\", L"C:\\app\\", L"C:\\app\\a.jar"}));
}

TEST(RuntimePaths, LibraryAndSearchPathTexts) {
    const Text jvm = L"C:\\rt\\bin\\server\\jvm.dll";
    EXPECT_EQ(runtimeHome(jvm), L"C:\\rt\\");
    EXPECT_EQ(libraryPathText(L"C:\\native", L"C:\\app\\", L"P1;P2", jvm), L"C:\\native;C:\\app\\;.;P1;P2;C:\\rt\\lib");
    EXPECT_EQ(libraryPathText(L"C:\\n;", L"C:\\app\\", L"P", jvm), L"C:\\n;C:\\app\\;.;P;C:\\rt\\lib");
    // Folders whose names hold "%NAME%" are taken as they stand.
    EXPECT_EQ(libraryPathText(L"", L"C:\\%OS%\\", L"P", L"C:\\%TEMP%\\bin\\server\\jvm.dll"),
              L"C:\\%OS%\\;.;P;C:\\%TEMP%\\lib");
    EXPECT_EQ(searchPathText(L"", L"P", jvm), L"P;C:\\rt\\bin");
    EXPECT_EQ(searchPathText(L"C:\\s", L"P", jvm), L"C:\\s;P;C:\\rt\\bin");
    EXPECT_EQ(searchPathText(L"C:\\s;", L"P", jvm), L"C:\\s;P;C:\\rt\\bin");
}

TEST(RuntimePaths, MapPathListKeepsSeparatorsAndEmptyPieces) {
    const auto upper = [](const Text& piece) { return L"<" + piece + L">"; };
    EXPECT_EQ(mapPathList(L"a;;b;", upper), L"<a>;;<b>;");
    EXPECT_EQ(mapPathList(L"", upper), L"");
}

}  // namespace
