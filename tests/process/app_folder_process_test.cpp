// Application folders assembled by vornicpack.exe from a project file, then moved elsewhere as an
// installer would, and started with the current folder somewhere else again: the shipped stand-in
// runtime is found beside the launcher and main is reached; with both launchers and only a 32-bit
// runtime registered, the x64 launcher hands over to the one its relative "Pair Product" names. A
// project with Console=Yes gives console launchers, and "vornicpack --show" says so.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

constexpr DWORD kTimeout = 60000 * VORNIC_TIME_FACTOR;
const bool k64 = sizeof(void*) == 8;
const WText kStandin = WIDE_STANDIN_RUNTIME;

std::string narrow(const WText& text) { return utf8Of(text); }

// The runtime keys of both registry views, removed before and after (other tests expect none).
class RegisteredRuntime {
public:
    RegisteredRuntime() { remove(); }
    ~RegisteredRuntime() { remove(); }
    RegisteredRuntime(const RegisteredRuntime&) = delete;
    RegisteredRuntime& operator=(const RegisteredRuntime&) = delete;

    bool set(REGSAM view, const WText& version, const WText& home) {
        HKEY handle = nullptr;
        const WText key = L"Software\\JavaSoft\\JRE\\" + version;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS)
            return false;
        UniqueKey owner(handle);
        return RegSetValueExW(handle, L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                              static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    static void remove() {
        for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
            HKEY parent = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
                continue;
            UniqueKey owner(parent);
            RegDeleteTreeW(parent, L"JavaSoft");
        }
    }
};

class AssembledFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeFolders(folder_.path() + L"project"));
        ASSERT_TRUE(makeFolders(elsewhere()));
        ASSERT_TRUE(makeFolders(folder_.path() + L"installed"));
        ASSERT_TRUE(
            CopyFileW(besideThisProgram(L"app8.jar").c_str(), (folder_.path() + L"project\\app8.jar").c_str(), FALSE));
    }

    WText elsewhere() const { return folder_.path() + L"elsewhere\\"; }
    WText app() const { return folder_.path() + L"installed\\Demo\\"; }

    // Writes the project, assembles it into built\Demo from another current folder, then moves the
    // folder to installed\Demo (in place of an earlier one).
    void assemble(const std::string& package, const std::string& settings) {
        removeTree(app());
        const std::string project = "[Package]\r\nName=Demo\r\nJars=app8.jar\r\n" + package +
                                    "\r\n[Product Information]\r\nProduct Name=Demo\r\n"
                                    "[Java Runtime Environment]\r\nMain Class=demo.Main\r\n" +
                                    settings;
        ASSERT_TRUE(writeFileBytes(folder_.path() + L"project\\app.vornic", project));
        const WText packer = besideThisProgram(L"vornicpack.exe");
        const WText built = folder_.path() + L"built\\Demo";
        ChildProcess child =
            ChildProcess::start(packer,
                                L"\"" + packer + L"\" build \"" + folder_.path() + L"project\\app.vornic\" --stubs \"" +
                                    besideThisProgram(L"stubs") + L"\" --out \"" + built + L"\"",
                                elsewhere());
        DWORD code = 1;
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(child.waitForExit(kTimeout, code));
        ASSERT_EQ(code, 0u) << "vornicpack build failed for:\n" << project;
        ASSERT_TRUE(MoveFileW(built.c_str(), (folder_.path() + L"installed\\Demo").c_str()));
    }

    Launch start(const WText& exe, const std::vector<WText>& more = {}) {
        const WText path = app() + exe;
        return runAnswering(path, L"\"" + path + L"\" first", IDOK, kTimeout, elsewhere(),
                            standinEnvironment(folder_.path(), more));
    }

    TempFolder folder_;
};

// The PE optional header's Subsystem field of `exe`: 2 windowed, 3 console; 0 when unreadable.
WORD subsystemOf(const WText& exe) {
    std::string bytes;
    if (!readFileBytes(exe, bytes) || bytes.size() < 0x40) return 0;
    const auto at = [&](std::size_t offset) { return static_cast<unsigned char>(bytes[offset]); };
    const std::size_t nt = at(0x3C) | at(0x3D) << 8 | at(0x3E) << 16 | static_cast<std::size_t>(at(0x3F)) << 24;
    const std::size_t field = nt + 24 + 68;
    return field + 2 <= bytes.size() ? static_cast<WORD>(at(field) | at(field + 1) << 8) : 0;
}

// What "vornicpack.exe --show `exe`" prints; its standard output and error go to `file`.
std::string shownBy(const WText& exe, const WText& file) {
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    UniqueFile output(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return "cannot create " + narrow(file);
    const WText packer = besideThisProgram(L"vornicpack.exe");
    WText line = L"\"" + packer + L"\" --show \"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(packer.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return "cannot start " + narrow(packer);
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(info.hProcess, kTimeout) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        return "vornicpack --show did not end";
    }
    output.reset();
    return readText(file);
}

TEST_F(AssembledFolder, TheShippedRuntimeBesideTheLauncherRunsMain) {
    // The x64 folder ships both launchers with their runtimes; the 32-bit prefix of the x86 tests runs
    // a lone x86 launcher. Once windowed, once console launchers, made from their own stubs.
    std::string package;
#ifdef WIDE_STANDIN_OTHER_WIDTH
    package = "Launchers=x64, x86\r\nRuntime x64=" + narrow(kStandin) +
              "\r\nRuntime x86=" + narrow(WIDE_STANDIN_OTHER_WIDTH) + "\r\n";
    const std::vector<WText> launchers = {L"Demo.exe", L"Demo-x86.exe"};
#else
    package = std::string("Launchers=") + (k64 ? "x64" : "x86") + "\r\nRuntime " + (k64 ? "x64" : "x86") + "=" +
              narrow(kStandin) + "\r\n";
    const std::vector<WText> launchers = {L"Demo.exe"};
#endif
    for (const bool console : {false, true}) {
        SCOPED_TRACE(console ? "console launchers" : "windowed launchers");
        assemble(package + (console ? "Console=Yes\r\n" : ""), "");
        if (HasFatalFailure()) return;
        for (const WText& exe : launchers) {
            SCOPED_TRACE(narrow(exe));
            EXPECT_EQ(subsystemOf(app() + exe), console ? IMAGE_SUBSYSTEM_WINDOWS_CUI : IMAGE_SUBSYSTEM_WINDOWS_GUI);
            const std::string shown = shownBy(app() + exe, folder_.path() + L"shown.txt");
            EXPECT_TRUE(contains(shown, console ? "\nConsole launcher (console subsystem)"
                                                : "\nWindowed launcher (GUI subsystem)"))
                << shown;
            if (launchers.size() == 2) {  // the report's lines end as the console's text mode makes them
                EXPECT_TRUE(contains(shown, "Pair Product=" + narrow(launchers[exe == launchers[0] ? 1 : 0]) + "\r"))
                    << shown;
            }
        }
        DeleteFileW((folder_.path() + L"record.txt").c_str());
        ASSERT_TRUE(writeFileBytes(folder_.path() + L"script.txt", "main: args\n"));
        const Launch launch = start(L"Demo.exe");
        ASSERT_TRUE(launch.finished);
        EXPECT_EQ(launch.exitCode, 0u);
        EXPECT_TRUE(launch.windows.empty());
        const std::string record = readText(folder_.path() + L"record.txt");
        EXPECT_TRUE(contains(record, "main-class: demo/Main\n")) << record;
        EXPECT_TRUE(contains(record, "call: main\narg: first\n")) << record;
        EXPECT_TRUE(contains(record, "env VORNIC_JVM_HOME: " + narrow(app()) + (k64 ? "jre64" : "jre") + "\n")) << record;
        EXPECT_TRUE(contains(record, "option: -Djava.class.path=" + narrow(app()) + "lib\\app8.jar")) << record;
#ifdef WIDE_STANDIN_OTHER_WIDTH
        const std::string x86Runtime = readText(app() + L"jre\\bin\\server\\jvm.dll");
        EXPECT_EQ(x86Runtime, readText(WText(WIDE_STANDIN_OTHER_WIDTH) + L"bin\\server\\jvm.dll"));
#endif
    }
}

TEST_F(AssembledFolder, WithOnlyA32BitRuntimeRegisteredTheX64LauncherHandsOverToItsPair) {
#ifndef WIDE_STANDIN_OTHER_WIDTH
    GTEST_SKIP() << "the x86 tests' prefix has no 64-bit launcher to hand over from";
#else
    assemble("Launchers=x64, x86\r\nRuntime x86=" + narrow(WIDE_STANDIN_OTHER_WIDTH) + "\r\n",
             "[Application]\r\nPair Return Code=Yes\r\n");
    if (HasFatalFailure()) return;
    RegisteredRuntime registered;
    ASSERT_TRUE(registered.set(KEY_WOW64_32KEY, L"11", app() + L"jre\\"));
    // This prefix runs no 32-bit code: a program that records how it was started stands in for the
    // x86 launcher, under the file name the x64 launcher's "Pair Product" gives.
    ASSERT_TRUE(
        CopyFileW(besideThisProgram(L"record_command_line.exe").c_str(), (app() + L"Demo-x86.exe").c_str(), FALSE));
    const WText handedOver = folder_.path() + L"handed-over.txt";
    const Launch launch = start(L"Demo.exe", {L"VORNIC_RECORD_FILE=" + handedOver, L"VORNIC_EXIT_CODE=7"});
    ASSERT_TRUE(launch.finished);
    EXPECT_EQ(launch.exitCode, 7u) << "the paired launcher was not started from the launcher's own folder";
    std::string bytes;
    ASSERT_TRUE(readFileBytes(handedOver, bytes));
    const WText line(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(narrow(line), narrow(L"\"" + app() + L"Demo.exe\" first"));
    EXPECT_FALSE(contains(readText(folder_.path() + L"record.txt"), "call: main"));
#endif
}

// The configuration the service manager holds for `name`; false when there is no such service.
struct ServiceConfig {
    WText binaryPath, displayName, description;
    DWORD startType = 0;
};
bool readServiceConfig(const WText& name, ServiceConfig& config) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceW(manager, name.c_str(), SERVICE_QUERY_CONFIG) : nullptr;
    std::vector<BYTE> buffer(8192), more(8192);
    DWORD needed = 0;
    const bool read =
        service && QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                       static_cast<DWORD>(buffer.size()), &needed) &&
        QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, more.data(), static_cast<DWORD>(more.size()), &needed);
    if (read) {
        const auto* held = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
        const auto* described = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(more.data());
        config.binaryPath = held->lpBinaryPathName ? held->lpBinaryPathName : L"";
        config.displayName = held->lpDisplayName ? held->lpDisplayName : L"";
        config.startType = held->dwStartType;
        config.description = described->lpDescription ? described->lpDescription : L"";
    }
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return read;
}

// Deletes the service `name` when the test ends, however it ends: the prefix is shared by every later test.
struct ServiceRemover {
    WText name;
    ~ServiceRemover() {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = manager ? OpenServiceW(manager, name.c_str(), DELETE) : nullptr;
        if (service) {
            DeleteService(service);
            CloseServiceHandle(service);
        }
        if (manager) CloseServiceHandle(manager);
    }
};

// cmd.exe runs `script`; its exit code, or -1 when it did not end in time.
DWORD runScript(const WText& script) {
    const WText cmd = systemProgram(L"cmd.exe");
    ChildProcess child = ChildProcess::start(cmd, L"cmd.exe /s /c \"\"" + script + L"\"\"");
    DWORD code = static_cast<DWORD>(-1);
    if (!child.started() || !child.waitForExit(kTimeout, code)) return static_cast<DWORD>(-1);
    return code;
}

TEST_F(AssembledFolder, TheServiceScriptsRegisterTheLauncherWhereverTheFolderWasInstalled) {
    // Installed under a folder whose name cmd.exe would read as its own (& and !), with names that hold
    // & % ! ^ and parentheses too: the scripts must hand them to sc as they stand. (Wine's cmd.exe drops
    // a % from the script's own path, %~dp0, which Windows' keeps; so the folder holds none. Wine's
    // cmd.exe also reads a batch file in the OEM code page whatever chcp says, so a name beyond ASCII
    // cannot be shown here.)
    const WText service = L"vornic-pack-!^(" + std::to_wstring(GetCurrentProcessId()) + L")";
    const ServiceRemover remover{service};
    assemble(std::string("Launchers=") + (k64 ? "x64" : "x86") + "\r\nService Name=" + narrow(service) +
                 "\r\nService Display Name=Orders & 100% Invoices! ^(x)\r\nService Description=Serves the orders!\r\n",
             "[Application]\r\nApplication Type=service\r\n");
    if (HasFatalFailure()) return;
    const WText installed = folder_.path() + L"R&D Shop!\\";
    ASSERT_TRUE(makeFolders(installed));
    ASSERT_TRUE(MoveFileW(app().substr(0, app().size() - 1).c_str(), (installed + L"Demo").c_str()));

    ASSERT_EQ(runScript(installed + L"Demo\\install-service.cmd"), 0u);
    ServiceConfig config;
    ASSERT_TRUE(readServiceConfig(service, config));
    EXPECT_EQ(narrow(config.binaryPath), narrow(L"\"" + installed + L"Demo\\Demo.exe\""));
    EXPECT_EQ(narrow(config.displayName), "Orders & 100% Invoices! ^(x)");
    EXPECT_EQ(narrow(config.description), "Serves the orders!");
    EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_AUTO_START));

    // A second install fails with sc's code rather than claiming success.
    EXPECT_NE(runScript(installed + L"Demo\\install-service.cmd"), 0u);

    EXPECT_EQ(runScript(installed + L"Demo\\uninstall-service.cmd"), 0u);
    EXPECT_FALSE(readServiceConfig(service, config)) << "the service is still registered";
}

}  // namespace
