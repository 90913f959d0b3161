#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "jvm/jvm_environment.h"
#include "jvm/vm_options.h"
#include "settings/executable_path.h"
#include "settings/ini_document.h"
#include "support/filesystem.h"
#include "support/system_text.h"

namespace {

void touch(const WText& path) {
    ASSERT_TRUE(makeFolders(path.substr(0, path.rfind(L'\\'))));
    ASSERT_TRUE(writeFileBytes(path, "x"));
}

TextList sortedEntries(const Text& classPath) {
    TextList entries = splitText(classPath, L";");
    std::sort(entries.begin(), entries.end());
    return entries;
}

IniDocument settingsOf(const Text& text) {
    IniDocument document;
    document.parseIniText(text);
    return document;
}

Text environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return Text(buffer, length);
}

// Whether this Wine's ANSI code page lacks the CJK test character (it does in a Western locale).
bool codePageLacksCjk() { return !ansiCanCarry(L"\u5E93"); }

TEST(ClassPathOnDisk, PatternsRelativeAndAbsoluteEntries) {
    TempFolder temp;
    touch(temp.path() + L"lib\\a.jar");
    touch(temp.path() + L"lib\\b.jar");
    touch(temp.path() + L"lib\\notes.txt");
    touch(temp.path() + L"main.jar");
    touch(temp.path() + L"other\\c.zip");
    const Text setting = L"lib\\*.jar;main.jar;missing.jar;" + temp.path() + L"absent.jar;" + temp.path() +
                         L"other\\*.zip";
    const Text classPath = buildClassPath(setting, temp.path(), SystemClassPath());
    ASSERT_FALSE(classPath.empty());
    EXPECT_EQ(classPath.back(), L';');
    EXPECT_EQ(sortedEntries(classPath),
              (TextList{temp.path() + L"absent.jar", temp.path() + L"lib\\a.jar", temp.path() + L"lib\\b.jar",
                        temp.path() + L"main.jar", temp.path() + L"other\\c.zip"}));
}

TEST(ClassPathOnDisk, AStarMatchesFoldersAndTheDotEntries) {
    TempFolder temp;
    touch(temp.path() + L"lib\\a.jar");
    touch(temp.path() + L"lib\\inner\\x.jar");
    const Text classPath = buildClassPath(L"lib\\*", temp.path(), SystemClassPath());
    const Text lib = temp.path() + L"lib\\";
    EXPECT_EQ(sortedEntries(classPath), (TextList{lib + L".", lib + L"..", lib + L"a.jar", lib + L"inner"}));
}

TEST(NarrowText, NoBestFitLookAlikes) {
    if (GetACP() == CP_UTF8) GTEST_SKIP() << "a UTF-8 code page carries every character";
    // A full-width quote must not turn into a real quote that ends a quoted stretch.
    EXPECT_EQ(toAnsiText(L"-Dx=\uFF02a\uFF02"), "-Dx=?a?");
    EXPECT_EQ(toAnsiText(L"plain"), "plain");
    EXPECT_FALSE(ansiCanCarry(L"\uFF02"));
}

TEST(NarrowText, AnEntryTheCodePageLacksIsGivenInItsShortForm) {
    if (!codePageLacksCjk()) GTEST_SKIP() << "the code page carries CJK text";
    TempFolder temp;
    const Text folder = temp.path() + L"\u5E93\u6587\u4EF6";
    touch(folder + L"\\app.jar");
    const Text safe = narrowSafePath(folder + L"\\app.jar");
    EXPECT_NE(safe, folder + L"\\app.jar");
    EXPECT_TRUE(ansiCanCarry(safe)) << testing::PrintToString(safe);
    EXPECT_TRUE(fileExists(safe));

    // Through the whole assembly: the narrow option names a file the runtime can open.
    JavaSession session;
    const IniDocument settings = settingsOf(L"[Class Path]\r\nClass Path=" + folder + L"\\app.jar;lib\\*.jar\r\n");
    touch(folder + L"\\lib\\b.jar");
    VmOptionSources sources{folder + L"\\run.exe", MemoryFigures{}, kBuildArithmetic};
    ASSERT_TRUE(assembleVmOptionsFrom(VmOptionSettings{}, settings, sources, SystemClassPath(), session));
    // The class path, then the update folder and the launcher that an updater is told about.
    ASSERT_EQ(session.vmOptions.size(), 3u);
    const std::string& updateFolder = session.vmOptions[1];
    EXPECT_EQ(updateFolder.rfind("-Dvornicw.update.folder=", 0), 0u) << updateFolder;
    EXPECT_EQ(updateFolder.find('?'), std::string::npos) << updateFolder;
    EXPECT_EQ(updateFolder.substr(updateFolder.size() - 7), "update\\") << updateFolder;
    EXPECT_EQ(session.vmOptions[2].rfind("-Dvornicw.launcher=", 0), 0u) << session.vmOptions[2];
    const std::string& option = session.vmOptions[0];
    EXPECT_EQ(option.find('?'), std::string::npos) << option;
    const std::string prefix = "-Djava.class.path=";
    ASSERT_EQ(option.rfind(prefix, 0), 0u);
    const TextList entries = splitText(widenAscii(option.substr(prefix.size()).c_str()), L";");
    ASSERT_EQ(entries.size(), 2u);
    for (const Text& entry : entries) EXPECT_TRUE(fileExists(entry)) << testing::PrintToString(entry);
}

TEST(NarrowText, WithoutAShortFormThePathStaysAsItIs) {
    if (!codePageLacksCjk()) GTEST_SKIP() << "the code page carries CJK text";
    const Text missing = L"C:\\\u5E93\\missing.jar";
    EXPECT_EQ(narrowSafePath(missing), missing);
    EXPECT_EQ(toAnsiText(missing), "C:\\?\\missing.jar");
}

// A packaged application: the whole option list and every field, exactly.
TEST(AssembleVmOptions, PackagedApplication) {
    TempFolder temp;
    touch(temp.path() + L"lib\\app.jar");
    touch(temp.path() + L"rt\\bin\\server\\jvm.dll");
    SetEnvironmentVariableW(L"VORNIC_TEST_LOGS", L"C:\\logs");

    JavaSession session;
    session.mainArguments = {L"first", L"second arg"};
    session.jvmLibraryPath = temp.path() + L"rt\\bin\\server\\jvm.dll";
    VmOptionSettings vmSettings;
    vmSettings.libraryPath = L"C:\\native";
    vmSettings.systemPath = L"C:\\tools";
    const Text pathBefore = environment(L"Path");
    Text exeFolder;
    ASSERT_TRUE(getExeFolder(exeFolder));

    prepareJvmEnvironment(vmSettings, session);
    EXPECT_EQ(environment(L"VORNIC_JVM_PATH"), session.jvmLibraryPath);
    EXPECT_EQ(environment(L"VORNIC_JVM_HOME"), temp.path() + L"rt");
    EXPECT_EQ(environment(L"Path"), L"C:\\tools;" + pathBefore + L";" + temp.path() + L"rt\\bin");

    const IniDocument settings = settingsOf(
        L"[Application]\r\nMain Class=com/example/Main\r\nEmbedded Jar=YES\r\n"
        L"Output File=%VORNIC_TEST_LOGS%\\out.txt\r\nOutput Append=yes\r\n"
        L"Error File=err.txt\r\nError Append=Yes\r\nCmd=x \"y z\"  %VORNIC_TEST_LOGS%\r\n"
        L"[Class Path]\r\nClass Path=lib\\*.jar;missing.jar;D:\\ext\\e.jar\r\n"
        L"[Java Runtime Environment]\r\n"
        L"Virtual Machine Parameters= -Xmx50P   \"-Dp=a b\" -Dlogs=%VORNIC_TEST_LOGS% -Xss512k -Xms0:128T\r\n");
    const Text exePath = temp.path() + L"run.exe";
    VmOptionSources sources{exePath, MemoryFigures{8ull << 30, 2ull << 30}, MemoryArithmetic::Bits64};
    ASSERT_TRUE(assembleVmOptionsFrom(vmSettings, settings, sources, SystemClassPath(), session));

    const std::string tempNarrow = toAnsiText(temp.path());
    const VmOptionList expected{
        toAnsiText(L"-Djava.library.path=C:\\native;" + exeFolder + L";.;" + pathBefore + L";" + temp.path() +
                   L"rt\\lib"),
        "-Djava.class.path=" + tempNarrow + "run.exe;" + tempNarrow + "lib\\app.jar;D:\\ext\\e.jar;",
        "-Xmx4194304K",
        "-Dp=a b",
        "-Dlogs=C:\\logs",
        "-Xss512k",
        "-Xms131072K",
        // After the parameters, so that the launcher's own word on them stands.
        "-Dvornicw.update.folder=" + tempNarrow + "update\\",
        "-Dvornicw.launcher=" + tempNarrow + "run.exe",
    };
    EXPECT_EQ(session.vmOptions, expected);
    EXPECT_EQ(session.javaThreadStackSize, 524288u);
    EXPECT_EQ(session.outputFile, L"%VORNIC_TEST_LOGS%\\out.txt");  // expanded with its date pattern, later
    EXPECT_TRUE(session.outputAppend);
    EXPECT_EQ(session.errorFile, L"err.txt");
    EXPECT_FALSE(session.errorAppend);  // only the lower-case "yes" counts
    EXPECT_EQ(session.mainArguments, (TextList{L"first", L"second arg", L"x", L"y z", L"C:\\logs"}));
    SetEnvironmentVariableW(L"Path", pathBefore.c_str());
}

TEST(AssembleVmOptions, AnEmptyClassPathShowsMessage209AndAddsNothing) {
    TempFolder temp;
    ASSERT_TRUE(makeFolders(temp.path() + L"lib"));
    JavaSession session;
    session.vmOptions = {"-Djava.library.path=x"};
    const IniDocument settings = settingsOf(
        L"[Class Path]\r\nClass Path=lib\\*.jar\r\n[Application]\r\nOutput File=out.txt\r\nCmd=a\r\n"
        L"[Java Runtime Environment]\r\nVirtual Machine Parameters=-Xss1m\r\n");
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    VmOptionSources sources{temp.path() + L"run.exe", MemoryFigures{}, kBuildArithmetic};
    EXPECT_FALSE(assembleVmOptionsFrom(VmOptionSettings{}, settings, sources, SystemClassPath(), session));
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"The class path is empty.");
    EXPECT_EQ(session.vmOptions, VmOptionList{"-Djava.library.path=x"});
    EXPECT_TRUE(session.outputFile.empty());
    EXPECT_TRUE(session.mainArguments.empty());
    EXPECT_EQ(session.javaThreadStackSize, 0u);
}

TEST(AssembleVmOptions, EmbeddedJarAloneIsAClassPath) {
    TempFolder temp;
    JavaSession session;
    const IniDocument settings = settingsOf(L"[Application]\r\nEmbedded Jar=yes\r\n");
    VmOptionSources sources{temp.path() + L"run.exe", MemoryFigures{}, kBuildArithmetic};
    ASSERT_TRUE(assembleVmOptionsFrom(VmOptionSettings{}, settings, sources, SystemClassPath(), session));
    const std::string folder = toAnsiText(temp.path());
    EXPECT_EQ(session.vmOptions, (VmOptionList{"-Djava.class.path=" + folder + "run.exe;",
                                               "-Dvornicw.update.folder=" + folder + "update\\",
                                               "-Dvornicw.launcher=" + folder + "run.exe"}));
}

TEST(PrepareJvmEnvironment, WithoutALibraryPathOnlyTheSearchPathChanges) {
    JavaSession session;
    session.jvmLibraryPath = L"C:\\rt\\bin\\client\\jvm.dll";
    const Text pathBefore = environment(L"Path");
    prepareJvmEnvironment(VmOptionSettings{}, session);
    EXPECT_TRUE(session.vmOptions.empty());
    EXPECT_EQ(environment(L"Path"), pathBefore + L";C:\\rt\\bin");
    EXPECT_EQ(environment(L"VORNIC_JVM_HOME"), L"C:\\rt");
    SetEnvironmentVariableW(L"Path", pathBefore.c_str());
}

}  // namespace
