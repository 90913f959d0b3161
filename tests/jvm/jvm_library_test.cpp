#include <gtest/gtest.h>

#include "harness.h"
#include "jvm/jvm_library.h"
#include "support/environment.h"
#include "support/text.h"

namespace {

WText standinPath(const wchar_t* folder, const wchar_t* variant) {
    return besideThisProgram(WText(folder) + L"\\" + variant + L"\\bin\\server\\jvm.dll");
}

WText fullPath(const WText& path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
    return WText(buffer, length);
}

TEST(JvmLibrary, LoadsTheRuntimeAndItsEntryPointsWork) {
    TempFolder temp;
    const WText record = temp.path() + L"record.txt";
    SetEnvironmentVariableW(L"VORNIC_STANDIN_RECORD", record.c_str());

    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    JvmLibrary library;
    ASSERT_TRUE(library.load(fullPath(standinPath(STANDIN_FOLDER, L"runtime"))));
    ASSERT_NE(library.createJavaVM, nullptr);
    ASSERT_NE(library.getDefaultInitArgs, nullptr);
    ASSERT_NE(library.findClassFromBootLoader, nullptr);

    // The pointer types carry the calling convention: calls through them must come back intact.
    JDK1_1InitArgs defaults{};
    defaults.version = JNI_VERSION_1_1;
    EXPECT_EQ(library.getDefaultInitArgs(&defaults), JNI_OK);
    EXPECT_EQ(defaults.javaStackSize, 1048576);

    char classPath[] = "-Djava.class.path=C:\\app\\a.jar;";
    JavaVMOption options[1] = {{classPath, nullptr}};
    JavaVMInitArgs arguments{JNI_VERSION_1_8, 1, options, JNI_FALSE};
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    ASSERT_EQ(library.createJavaVM(&vm, reinterpret_cast<void**>(&env), &arguments), JNI_OK);
    EXPECT_NE(library.findClassFromBootLoader(env, "sun/launcher/LauncherHelper"), nullptr);
    EXPECT_EQ(library.findClassFromBootLoader(env, "com/example/Main"), nullptr);
    EXPECT_TRUE(answerer.seen().empty());

    std::string recorded;
    ASSERT_TRUE(readFileBytes(record, recorded));
    EXPECT_NE(recorded.find("option: -Djava.class.path=C:\\app\\a.jar;\n"), std::string::npos) << recorded;
    SetEnvironmentVariableW(L"VORNIC_STANDIN_RECORD", nullptr);
}

TEST(JvmLibrary, AMissingBootLoaderExportIsNoError) {
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    JvmLibrary library;
    EXPECT_TRUE(library.load(fullPath(standinPath(STANDIN_FOLDER, L"no-boot-loader"))));
    EXPECT_NE(library.createJavaVM, nullptr);
    EXPECT_EQ(library.findClassFromBootLoader, nullptr);
    EXPECT_TRUE(answerer.seen().empty());
}

TEST(JvmLibrary, ALibraryWithoutExportsShowsMessage202OnceAndStaysLoaded) {
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    const WText path = fullPath(standinPath(STANDIN_FOLDER, L"no-exports"));
    JvmLibrary library;
    EXPECT_FALSE(library.load(path));
    EXPECT_EQ(library.createJavaVM, nullptr);
    EXPECT_EQ(library.getDefaultInitArgs, nullptr);
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Cannot go on: a runtime entry point (error 127).");
    EXPECT_NE(GetModuleHandleW(path.c_str()), nullptr);
}

TEST(JvmLibrary, AMissingFileShowsMessage222) {
    TempFolder temp;
    const WText path = temp.path() + L"bin\\server\\jvm.dll";
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    JvmLibrary library;
    EXPECT_FALSE(library.load(path));
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text.rfind(L"Cannot load " + path + L" (error ", 0), 0u) << seen[0].text;
}

// A library that jvm.dll or a library of the runtime's own needs: when it is nowhere the loader
// looks, message 236 names it instead of 222's bare error 126.
TEST(JvmLibrary, AMissingLibraryItNeedsIsNamedAndOneInTheBinFolderIsFound) {
    struct Case {
        const wchar_t* variant;
        const wchar_t* missing;  // empty: it loads
    };
    const Case cases[] = {
        {L"present-import", L""},
        {L"missing-import", L"vornicabsent.dll"},
        {L"missing-nested", L"vornicabsent.dll"},
    };
    Text savedPath;
    readEnvironment(L"Path", savedPath);
    for (const Case& c : cases) {
        const WText path = fullPath(standinPath(STANDIN_FOLDER, c.variant));
        // The runtime's bin folder last on the search path, as the launcher puts it.
        const WText bin = stripPathComponents(path, 2);
        SetEnvironmentVariableW(L"Path", (savedPath + L";" + bin).c_str());
        WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
        JvmLibrary library;
        const bool loaded = library.load(path);
        const std::vector<SeenWindow> seen = answerer.seen();
        if (*c.missing) {
            EXPECT_FALSE(loaded) << utf8Of(c.variant);
            ASSERT_EQ(seen.size(), 1u) << utf8Of(c.variant);
            EXPECT_EQ(seen[0].text, L"Missing " + WText(c.missing) + L" for " + path + L".");
        } else {
            EXPECT_TRUE(loaded) << utf8Of(c.variant);
            EXPECT_TRUE(seen.empty()) << utf8Of(c.variant);
        }
    }
    SetEnvironmentVariableW(L"Path", savedPath.c_str());
}

TEST(JvmLibrary, ARuntimeOfTheOtherWidthShowsMessage222WithError193) {
#ifdef _WIN64
    const WText path = fullPath(standinPath(STANDIN_X86_FOLDER, L"runtime"));
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    JvmLibrary library;
    EXPECT_FALSE(library.load(path));
    EXPECT_EQ(library.createJavaVM, nullptr);
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Cannot load " + path + L" (error 193).");
#else
    GTEST_SKIP() << "the x86 build has no x64 runtime to try";
#endif
}

}  // namespace
