#include <gtest/gtest.h>

#include "harness.h"
#include "runtime/runtime_folder.h"

namespace {

void touch(const WText& path) {
    ASSERT_TRUE(makeFolders(path.substr(0, path.rfind(L'\\'))));
    ASSERT_TRUE(writeFileBytes(path, "x"));
}

WText fullPath(const WText& path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
    return WText(buffer, length);
}

WText standinJvm(const wchar_t* folder) {
    return fullPath(besideThisProgram(WText(folder) + L"\\runtime\\bin\\server\\jvm.dll"));
}

struct FindCase {
    std::vector<const wchar_t*> present;
    JvmType type;
    const wchar_t* expected;  // sub-path, or empty
    bool server;
};

TEST(FindJvmLibrary, OrdersOverRealFolders) {
    const FindCase cases[] = {
        {{L"bin\\client", L"bin\\server"}, JvmType::ClientFirst, L"bin\\client\\jvm.dll", false},
        {{L"bin\\client", L"bin\\server"}, JvmType::ServerFirst, L"bin\\server\\jvm.dll", true},
        {{L"bin\\client", L"bin\\server"}, JvmType::ServerOnly, L"bin\\server\\jvm.dll", true},
        {{L"bin\\client"}, JvmType::ServerOnly, L"", false},
        {{L"bin\\client"}, JvmType::ServerFirst, L"bin\\client\\jvm.dll", false},
        {{L"bin\\jrockit"}, JvmType::ClientFirst, L"bin\\jrockit\\jvm.dll", false},
        {{L"bin\\jrockit"}, JvmType::ServerFirst, L"bin\\jrockit\\jvm.dll", false},
        {{L"bin\\jrockit"}, JvmType::ServerOnly, L"", false},
        {{L"bin\\hotspot", L"bin\\server"}, JvmType::ClientFirst, L"bin\\hotspot\\jvm.dll", false},
        {{L"bin\\classic", L"bin\\hotspot"}, JvmType::ClientFirst, L"bin\\classic\\jvm.dll", false},
        {{L"bin\\server"}, JvmType::ClientFirst, L"bin\\server\\jvm.dll", true},
        {{}, JvmType::ClientFirst, L"", false},
    };
    for (const FindCase& c : cases) {
        TempFolder home;
        for (const wchar_t* folder : c.present) touch(home.path() + folder + L"\\jvm.dll");
        bool server = !c.server;  // must change when something is found
        const bool before = server;
        const Text found = findJvmLibrary(home.path(), c.type, &server);
        if (*c.expected) {
            EXPECT_EQ(found, home.path() + c.expected);
            EXPECT_EQ(server, c.server) << testing::PrintToString(Text(c.expected));
        } else {
            EXPECT_TRUE(found.empty()) << testing::PrintToString(found);
            EXPECT_EQ(server, before);  // left alone when nothing is found
        }
    }
}

TEST(HasJavaDll, LooksForBinJavaDll) {
    TempFolder home;
    EXPECT_FALSE(hasJavaDll(home.path()));
    touch(home.path() + L"bin\\jvm.dll");
    EXPECT_FALSE(hasJavaDll(home.path()));
    touch(home.path() + L"bin\\java.dll");
    EXPECT_TRUE(hasJavaDll(home.path()));
}

// The probe copied to <temp>\app\ finds the private runtime relative to itself.
class PrivateRuntime : public testing::Test {
protected:
    void SetUp() override {
        app_ = temp_.path() + L"app\\";
        ASSERT_TRUE(makeFolders(app_));
        ASSERT_TRUE(CopyFileW(besideThisProgram(L"runtime_probe.exe").c_str(), (app_ + L"probe.exe").c_str(), FALSE));
    }

    // The home found, or "<none>".
    WText run() {
        const WText result = temp_.path() + L"home.txt";
        DeleteFileW(result.c_str());
        ChildProcess child = ChildProcess::start(app_ + L"probe.exe", L"probe private \"" + result + L"\"");
        DWORD code = 0;
        EXPECT_TRUE(child.waitForExit(20000, code));
        if (code == 2) return L"<none>";
        EXPECT_EQ(code, 0u);
        std::string bytes;
        EXPECT_TRUE(readFileBytes(result, bytes));
        return WText(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

    TempFolder temp_;
    WText app_;
};

TEST_F(PrivateRuntime, TheExecutablesFolderWinsOverThePrivateFolder) {
    const WText privateHome = app_ + privateRuntimeFolderName();
    EXPECT_EQ(run(), L"<none>");  // nothing: straight on to the registry
    touch(privateHome + L"bin\\java.dll");
    EXPECT_EQ(run(), privateHome);
    touch(app_ + L"bin\\java.dll");
    EXPECT_EQ(run(), app_);
}

TEST_F(PrivateRuntime, OnlyTheOwnWidthsFolderCounts) {
    touch(app_ + (sizeof(void*) == 8 ? L"jre\\" : L"jre64\\") + L"bin\\java.dll");
    EXPECT_EQ(run(), L"<none>");
}

TEST(PairRunsRuntime, HandsOverOnlyForTheOtherWidthWithAPairProduct) {
#ifdef _WIN64
    const WText x86 = standinJvm(STANDIN_X86_FOLDER);
    const WText own = standinJvm(STANDIN_FOLDER);
    const struct {
        WText library;
        const wchar_t* pair;
        bool expected;
    } cases[] = {
        {x86, L"paired.exe", true},
        {own, L"paired.exe", false},
        {x86, L"", false},  // no paired build: the launcher goes on with what it has
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pairRunsRuntime(c.library, c.pair), c.expected) << testing::PrintToString(c.library);
    }
#else
    GTEST_SKIP() << "the x86 build's tests have no x64 runtime";
#endif
}

TEST(PairRunsRuntime, FilesThatAreNoImageLeaveTheFlagFalse) {
    TempFolder temp;
    std::string crafted(64, '\0');
    crafted[0] = 'M';
    crafted[1] = 'Z';
    crafted[60] = '\xF0';  // e_lfanew far beyond the file's end
    crafted[61] = '\xFF';
    crafted[62] = '\xFF';
    crafted[63] = '\x7F';
    const std::pair<const wchar_t*, std::string> files[] = {
        {L"text.dll", "not an image at all"}, {L"empty.dll", ""}, {L"crafted.dll", crafted}, {L"mz.dll", "MZ"}};
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(writeFileBytes(temp.path() + name, bytes));
        EXPECT_FALSE(pairRunsRuntime(temp.path() + name, L"paired.exe")) << testing::PrintToString(WText(name));
    }
    EXPECT_FALSE(pairRunsRuntime(temp.path() + L"missing.dll", L"paired.exe"));
}

// Native DLLs first for one program name, as Windows loads them. Wine takes the override for a
// started process from its registry, not from the environment the parent hands it.
class NativeDbghelpFirst {
public:
    explicit NativeDbghelpFirst(const WText& programName)
        : key_(L"Software\\Wine\\AppDefaults\\" + programName) {
        HKEY raw = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &raw, nullptr) == ERROR_SUCCESS) {
            UniqueKey overrides(raw);
            const wchar_t order[] = L"native,builtin";
            RegSetValueExW(overrides.get(), L"dbghelp", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
        }
    }
    ~NativeDbghelpFirst() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

private:
    WText key_;
};

// A dbghelp.dll planted beside the executable and in the current folder is never run by the machine
// check; the careless bare-name load in the same set-up proves that the plant would be found.
TEST(PairRunsRuntime, APlantedDbghelpIsNeverLoaded) {
    TempFolder temp;
    const WText app = temp.path() + L"app\\";
    const WText current = temp.path() + L"current\\";
    ASSERT_TRUE(makeFolders(app) && makeFolders(current));
    const WText planted = fullPath(besideThisProgram(WText(STANDIN_FOLDER) + L"\\planted\\dbghelp.dll"));
    const WText probe = app + L"plant_probe.exe";
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"runtime_probe.exe").c_str(), probe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(planted.c_str(), (app + L"dbghelp.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(planted.c_str(), (current + L"dbghelp.dll").c_str(), FALSE));
    const WText record = temp.path() + L"planted.txt";
    const std::vector<WText> environment = {L"VORNIC_PLANTED_RECORD=" + record};
    NativeDbghelpFirst nativeFirst(L"plant_probe.exe");

#ifdef _WIN64
    const WText library = standinJvm(STANDIN_X86_FOLDER);
    const DWORD expectedCode = 1;
#else
    const WText library = standinJvm(STANDIN_FOLDER);
    const DWORD expectedCode = 0;
#endif
    ChildProcess check = ChildProcess::start(probe, L"probe machine \"" + library + L"\"", current, environment);
    DWORD code = 99;
    ASSERT_TRUE(check.waitForExit(20000, code));
    EXPECT_EQ(code, expectedCode);  // the machine was read all the same
    std::string loaded;
    EXPECT_FALSE(readFileBytes(record, loaded)) << "planted dbghelp.dll was loaded";

    ChildProcess careless = ChildProcess::start(probe, L"probe bare", current, environment);
    ASSERT_TRUE(careless.waitForExit(20000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(readFileBytes(record, loaded)) << "the plant was not loaded even by a bare name";
}

TEST(PublishJvmEnvironment, PathAndHome) {
    const struct {
        const wchar_t* library;
        const wchar_t* home;
    } cases[] = {
        {L"C:\\rt\\bin\\server\\jvm.dll", L"C:\\rt"},
        {L"rt\\bin\\jvm.dll", L"rt"},  // two backslashes: two cuts, the third finds none
        {L"a\\b\\c\\d", L"a"},
        {L"jvm.dll", L"jvm.dll"},
    };
    for (const auto& c : cases) {
        publishJvmEnvironment(c.library);
        wchar_t buffer[1024];
        DWORD length = GetEnvironmentVariableW(L"VORNIC_JVM_PATH", buffer, 1024);
        EXPECT_EQ(WText(buffer, length), c.library);
        length = GetEnvironmentVariableW(L"VORNIC_JVM_HOME", buffer, 1024);
        EXPECT_EQ(WText(buffer, length), c.home) << testing::PrintToString(WText(c.library));
    }
}

}  // namespace
