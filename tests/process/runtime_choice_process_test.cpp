// Whole launches that show which runtime the launcher took and how it set up the Java thread:
// "JRE Path" from the per-user INI over the packaged one, and the thread's stack from "-Xss" or from
// the runtime's default.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "harness.h"
#include "package_resources.h"

namespace {

constexpr DWORD kLaunchTimeout = 30000 * VORNIC_TIME_FACTOR;
const Text kUpgradeCode = L"{0B7E4F22-91C3-4A58-B6D0-3E5F8A1C7D94}";
const Text kProductName = L"Runtime: Choice";  // the ":" is left out of the per-user folder's name
const Text kProductCode = L"{C41D9E03-5B7A-4E26-8F13-A9C2D6E8B051}";
const WText kStandin = WIDE_STANDIN_RUNTIME;
constexpr unsigned long long kMiB = 1024 * 1024;


// The stand-in runtime in `home` (ending with a backslash), as a runtime's folder holds it.
bool placeStandin(const WText& home) {
    return makeFolders(home + L"bin\\server") &&
           CopyFileW((kStandin + L"bin\\java.dll").c_str(), (home + L"bin\\java.dll").c_str(), FALSE) &&
           CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(), (home + L"bin\\server\\jvm.dll").c_str(), FALSE);
}

// The stand-in runtime variant `variant` (a folder beside runtime/: its bin\\server\\jvm.dll and the
// libraries of its bin folder) in `home`, with runtime/'s java.dll that marks a runtime's folder.
bool placeVariant(const WText& home, const WText& variant) {
    const WText from = kStandin.substr(0, kStandin.size() - wcslen(L"runtime\\")) + variant + L"\\";
    if (!placeStandin(home) ||
        !CopyFileW((from + L"bin\\server\\jvm.dll").c_str(), (home + L"bin\\server\\jvm.dll").c_str(), FALSE))
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((from + L"bin\\*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool copied = true;
    do {
        copied = copied && CopyFileW((from + L"bin\\" + found.cFileName).c_str(), (home + L"bin\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return copied;
}

// A packaged copy "app.exe" whose packaged [Java Runtime Environment] section ends with
// `runtimeSettings`, with its own APPDATA folder.
class PackagedCopy {
public:
    explicit PackagedCopy(const Text& runtimeSettings, const std::map<unsigned, Text>& strings = {}) {
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), exe().c_str(), FALSE));
        PackagedResources resources;
        resources.strings = strings;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + runtimeSettings +
                               L"[Class Path]\r\nClass Path=app.jar\r\n");
        EXPECT_TRUE(resources.writeInto(exe()));
        EXPECT_TRUE(writeUtf16File(folder() + L"app.ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                              L"\r\nProduct Name=" + kProductName +
                                                              L"\r\nProduct Code=" + kProductCode + L"\r\n"));
        EXPECT_TRUE(writeFileBytes(folder() + L"app.jar", "PK"));
    }

    const WText& folder() const { return folder_.path(); }
    WText exe() const { return folder() + L"app.exe"; }
    WText userSettingsFile() const { return folder() + L"appdata\\Runtime Choice\\" + kProductCode + L"\\app.ini"; }

    // Runs to the end, answering every window with OK. The stand-in writes its record beside the
    // jvm.dll that was loaded unless `environment` names a record file.
    Launch run(const std::vector<WText>& environment = {}) const {
        std::vector<WText> all = {L"APPDATA=" + folder() + L"appdata", L"VORNIC_STANDIN_RECORD=",
                                  L"VORNIC_STANDIN_SCRIPT=", L"VORNIC_STANDIN_STACK_SIZE="};
        all.insert(all.end(), environment.begin(), environment.end());
        return runAnswering(exe(), L"\"" + exe() + L"\"", IDOK, kLaunchTimeout, folder(), all);
    }

private:
    TempFolder folder_;
};

// Which of the runtime homes wrote a record (the record lies beside the jvm.dll that ran), and
// that record. Empty when none or more than one did.
WText runtimeThatRan(const std::vector<WText>& homes, std::string& record) {
    WText found;
    for (const WText& home : homes) {
        const WText file = home + L"bin\\server\\standin-record.txt";
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (!found.empty()) return WText();
        found = home;
        record = readText(file);
        DeleteFileW(file.c_str());
    }
    return found;
}

TEST(RuntimeChoice, PerUserJrePathWinsOverThePackagedOneUntilItsFileIsGone) {
    // The packaged settings name A; the user once chose B; a private runtime lies beside the copy too.
    const TempFolder runtimes;
    const WText a = runtimes.path() + L"A\\";
    const WText b = runtimes.path() + L"B\\";
    ASSERT_TRUE(placeStandin(a));
    ASSERT_TRUE(placeStandin(b));
    const PackagedCopy copy(L"JRE Path=" + a + L"\r\n");
    const WText privateHome = copy.folder() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    ASSERT_TRUE(placeStandin(privateHome));
    const std::vector<WText> homes = {a, b, privateHome};
    ASSERT_TRUE(makeFolders(copy.userSettingsFile().substr(0, copy.userSettingsFile().rfind(L'\\'))));

    struct Step {
        const char* what;
        bool userFile;
        WText userText;
        WText expected;
    };
    const Step steps[] = {
        {"user INI names B", true, L"[Java Runtime Environment]\r\nJRE Path=" + b + L"\r\n", b},
        {"user INI names B without the last backslash", true,
         L"[java runtime environment]\r\njre path=" + b.substr(0, b.size() - 1) + L"\r\n", b},
        {"user INI deleted", false, L"", a},
        // A user file without the key is final: neither the packaged A nor any INI beside is read.
        {"user INI without JRE Path", true, L"[Java Runtime Environment]\r\nJVM Type=server\r\n", privateHome},
        {"user INI deleted again", false, L"", a},
    };
    for (const Step& step : steps) {
        if (step.userFile) {
            ASSERT_TRUE(writeUtf16File(copy.userSettingsFile(), step.userText)) << step.what;
        } else {
            DeleteFileW(copy.userSettingsFile().c_str());
        }
        const Launch launch = copy.run();
        ASSERT_TRUE(launch.finished) << step.what;
        EXPECT_EQ(launch.exitCode, 0u) << step.what;
        EXPECT_TRUE(launch.windows.empty()) << step.what;
        std::string record;
        const WText ran = runtimeThatRan(homes, record);
        EXPECT_EQ(utf8Of(ran), utf8Of(step.expected)) << step.what;
        // The machine was told the home it came from (without the trailing backslash).
        EXPECT_TRUE(contains(record, "env VORNIC_JVM_HOME: " + utf8Of(step.expected.substr(0, step.expected.size() - 1)) +
                                         "\n"))
            << step.what << "\n"
            << record;
        EXPECT_TRUE(contains(record, "call: main")) << step.what << "\n" << record;
    }
}

// A runtime whose jvm.dll needs a library that is nowhere the loader looks, directly or through a
// library of the runtime's own: the launch names that library in message 236 and ends with -1; one
// whose library lies in its bin folder starts.
TEST(RuntimeChoice, AMissingLibraryOfTheRuntimeIsNamedAndOneInItsBinFolderIsFound) {
    struct Case {
        const wchar_t* variant;
        const wchar_t* missing;  // empty: the runtime starts
    };
    const Case cases[] = {
        {L"present-import", L""},
        {L"missing-import", L"vornicabsent.dll"},
        {L"missing-nested", L"vornicabsent.dll"},
    };
    for (const Case& c : cases) {
        const std::string what = utf8Of(c.variant);
        const TempFolder runtime;
        const WText home = runtime.path() + L"jre\\";
        ASSERT_TRUE(placeVariant(home, c.variant)) << what;
        const PackagedCopy copy(L"JRE Path=" + home + L"\r\n", {{236, L"Missing %s for %s."}, {222, L"[222] %s | %d"}});
        const Launch launch = copy.run();
        ASSERT_TRUE(launch.finished) << what;
        const std::string record = readText(home + L"bin\\server\\standin-record.txt");
        if (!*c.missing) {
            EXPECT_EQ(launch.exitCode, 0u) << what;
            EXPECT_TRUE(launch.windows.empty()) << what;
            EXPECT_TRUE(contains(record, "call: main")) << what << "\n" << record;
            continue;
        }
        EXPECT_EQ(launch.exitCode, static_cast<DWORD>(-1)) << what;
        ASSERT_EQ(launch.windows.size(), 1u) << what;
        const std::string text = utf8Of(launch.windows[0].text);
        const std::string jvm = "\\bin\\server\\jvm.dll.";
        EXPECT_EQ(text.rfind("Missing " + utf8Of(c.missing) + " for ", 0), 0u) << what << ": " << text;
        EXPECT_TRUE(text.size() > jvm.size() && text.compare(text.size() - jvm.size(), jvm.size(), jvm) == 0)
            << what << ": " << text;
        EXPECT_FALSE(contains(record, "create-vm")) << what << "\n" << record;
    }
}

// SizeOfStackReserve of the launcher's image: the system's default reservation for its threads.
// The launcher has this program's width, so the headers have this program's layout.
unsigned long long imageStackReserve(const WText& exe) {
    std::string bytes;
    if (!readFileBytes(exe, bytes) || bytes.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    IMAGE_DOS_HEADER dos{};
    memcpy(&dos, bytes.data(), sizeof dos);
    IMAGE_NT_HEADERS nt{};
    if (dos.e_lfanew <= 0 || static_cast<size_t>(dos.e_lfanew) + sizeof nt > bytes.size()) return 0;
    memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
    return nt.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR_MAGIC ? nt.OptionalHeader.SizeOfStackReserve : 0;
}

TEST(JavaThreadStack, ReservedSizeFollowsXssOrTheRuntimesDefault) {
    // The thread is created with the size and no flags, so the size is what the thread commits: the
    // system reserves the image's default, or the size rounded up to whole MiB when that is larger.
    // Sizes here are whole MiB, where Windows and Wine round alike.
    const PackagedCopy probe(L"");
    const unsigned long long imageReserve = imageStackReserve(probe.exe());
    ASSERT_GT(imageReserve, 0u);
    ASSERT_LE(imageReserve, 2 * kMiB);  // else the cases below say nothing about the size given

    struct Case {
        const wchar_t* parameters;   // "Virtual Machine Parameters"
        const wchar_t* runtimeSize;  // the javaStackSize the runtime reports as its default
        unsigned long long size;     // the size the Java thread must be given
    };
    const Case cases[] = {
        {L"-Xss2m", L"", 2 * kMiB},
        {L"-Xss5m", L"", 5 * kMiB},
        {L"-Xss6144k", L"", 6 * kMiB},
        {L"-Xss3m", L"7340032", 3 * kMiB},  // -Xss wins over the runtime's default
        {L"-Xss1m -Xss4m", L"", 4 * kMiB},  // the last one counts
        {L"", L"3145728", 3 * kMiB},        // no -Xss: the runtime's default
        {L"-Xss", L"4194304", 4 * kMiB},    // -Xss without a size: the runtime's default
        {L"", L"", 1 * kMiB},               // the stand-in's own default
        {L"-Xss512k", L"", 512 * 1024},
    };
    for (const Case& c : cases) {
        const WText what = WText(L"[") + c.parameters + L"] default [" + c.runtimeSize + L"]";
        const PackagedCopy copy(WText(L"Virtual Machine Parameters=") + c.parameters + L"\r\n");
        const WText home = copy.folder() + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
        ASSERT_TRUE(placeStandin(home));
        std::vector<WText> environment;
        if (*c.runtimeSize) environment.push_back(WText(L"VORNIC_STANDIN_STACK_SIZE=") + c.runtimeSize);
        const Launch launch = copy.run(environment);
        ASSERT_TRUE(launch.finished) << utf8Of(what);
        EXPECT_EQ(launch.exitCode, 0u) << utf8Of(what);
        const std::string record = readText(home + L"bin\\server\\standin-record.txt");

        const unsigned long long roundedUp = (c.size + kMiB - 1) / kMiB * kMiB;
        const unsigned long long expected = std::max(imageReserve, roundedUp);
        EXPECT_TRUE(contains(record, "thread-stack: reserved=" + std::to_string(expected) + "\n"))
            << utf8Of(what) << " expects " << expected << "\n"
            << record;
    }
}

}  // namespace
