// The system registry reader under Wine: values of any type taken as UTF-16 units and never read
// past their data, the longest key names, enumeration order, and the two registry views. Keys live
// under a test-owned name, never under a key that runtimes are registered in.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "runtime/system_registry.h"
#include "support/unique_handle.h"

namespace {

const Text kTestKey = L"Software\\VornicRegistryTest-" + std::to_wstring(GetCurrentProcessId());

class TestKey {
public:
    TestKey() { remove(); }
    ~TestKey() { remove(); }

    static bool set(HKEY root, REGSAM view, const Text& key, const wchar_t* name, DWORD type, const void* data,
                    DWORD size) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(root, (kTestKey + key).c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        UniqueKey owner(handle);
        return RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    }

private:
    static void remove() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
                HKEY software = nullptr;
                if (RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | view, &software) != ERROR_SUCCESS) continue;
                UniqueKey owner(software);
                RegDeleteTreeW(software, kTestKey.substr(kTestKey.find(L'\\') + 1).c_str());
            }
        }
    }
};

TEST(SystemRegistryReader, ValuesOfAnyTypeAreReadAsTextWithinTheirData) {
    const TestKey key;
    const wchar_t text[] = L"C:\\jre";
    const DWORD number = 0x0041;  // 'A' then a NUL unit
    const unsigned char odd[] = {'C', 0, ':', 0, 'x'};
    ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\a", L"sz", REG_SZ, text, sizeof text));
    // Binary data without a NUL (Wine stores a REG_SZ written without one with one added).
    ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\a", L"unterminated", REG_BINARY, text, sizeof text - 2));
    ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\a", L"dword", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\a", L"odd", REG_BINARY, odd, sizeof odd));
    ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\a", L"empty", REG_SZ, L"", 0));
    const Text longPath = L"C:\\" + Text(400, L'j');  // longer than the first read takes
    ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\a", L"long", REG_BINARY, longPath.c_str(),
                             static_cast<DWORD>(longPath.size() * sizeof(wchar_t))));

    SystemRegistryReader reader(0);
    const Text key_a = kTestKey + L"\\a";
    struct Case {
        const wchar_t* name;
        bool found;
        Text data;
    };
    const Case cases[] = {
        {L"sz", true, Text(L"C:\\jre\0", 7)},
        {L"unterminated", true, L"C:\\jre"},
        {L"dword", true, Text(L"A\0", 2)},
        {L"odd", true, L"C:"},  // the odd last byte is dropped
        {L"empty", true, L""},
        {L"long", true, longPath},
        {L"missing", false, L""},
    };
    for (const Case& c : cases) {
        Text data = L"stale";
        EXPECT_EQ(reader.valueData(RegistryRoot::CurrentUser, key_a, c.name, data), c.found) << testing::PrintToString(c.name);
        EXPECT_EQ(data, c.data) << testing::PrintToString(c.name);
    }
    Text data;
    EXPECT_FALSE(reader.valueData(RegistryRoot::CurrentUser, kTestKey + L"\\none", L"sz", data));
}

TEST(SystemRegistryReader, ListsSubkeysUpToTheLongestNameInOrder) {
    const TestKey key;
    const Text longest = L"1.8.0_" + Text(249, L'9');
    ASSERT_EQ(longest.size(), 255u);
    const DWORD zero = 0;
    for (const Text& name : {Text(L"1.8"), longest, Text(L"11")}) {
        ASSERT_TRUE(TestKey::set(HKEY_CURRENT_USER, 0, L"\\versions\\" + name, L"x", REG_DWORD, &zero, sizeof zero));
    }
    SystemRegistryReader reader(0);
    TextList names;
    ASSERT_TRUE(reader.subkeyNames(RegistryRoot::CurrentUser, kTestKey + L"\\versions", names));
    EXPECT_EQ(names, (TextList{L"1.8", longest, L"11"}));
    EXPECT_FALSE(reader.subkeyNames(RegistryRoot::CurrentUser, kTestKey + L"\\missing", names));
    EXPECT_TRUE(names.empty());
}

TEST(SystemRegistryReader, EachReaderSeesItsOwnView) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool twoViews = sizeof(void*) == 8 || wow64;
    const TestKey key;
    const DWORD zero = 0;
    ASSERT_TRUE(TestKey::set(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"\\only32", L"x", REG_DWORD, &zero, sizeof zero));
    ASSERT_TRUE(TestKey::set(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"\\only64", L"x", REG_DWORD, &zero, sizeof zero));

    SystemRegistryReader own(0);
    SystemRegistryReader view32(KEY_WOW64_32KEY);
    SystemRegistryReader view64(KEY_WOW64_64KEY);
    TextList names;
    ASSERT_TRUE(view32.subkeyNames(RegistryRoot::LocalMachine, kTestKey, names));
    if (!twoViews) {
        // A 32-bit system has one view; both flags read it.
        EXPECT_EQ(names, (TextList{L"only32", L"only64"}));
        return;
    }
    EXPECT_EQ(names, TextList{L"only32"});
    ASSERT_TRUE(view64.subkeyNames(RegistryRoot::LocalMachine, kTestKey, names));
    EXPECT_EQ(names, TextList{L"only64"});
    ASSERT_TRUE(own.subkeyNames(RegistryRoot::LocalMachine, kTestKey, names));
    EXPECT_EQ(names, TextList{sizeof(void*) == 8 ? L"only64" : L"only32"});
}

TEST(SystemRuntimeFiles, FindsTheSameLibrariesAsTheRuntimeFolderCheckAndRemembersThem) {
    const TempFolder folder;
    const Text home = folder.path() + L"rt\\";
    ASSERT_TRUE(makeFolders(home + L"bin\\server"));
    ASSERT_TRUE(writeFileBytes(home + L"bin\\server\\jvm.dll", "MZ"));
    SystemRuntimeFiles files;
    for (int pass = 0; pass < 2; ++pass) {  // the second answer comes from memory
        bool server = false;
        EXPECT_EQ(files.findJvmLibrary(home, JvmType::ClientFirst, &server), home + L"bin\\server\\jvm.dll");
        EXPECT_TRUE(server);
        EXPECT_EQ(files.findJvmLibrary(folder.path() + L"missing\\", JvmType::ServerFirst, &server), L"");
        EXPECT_EQ(files.findJvmLibrary(home, JvmType::ServerOnly, &server), home + L"bin\\server\\jvm.dll");
    }
    EXPECT_FALSE(files.isOtherWidth(home + L"bin\\server\\jvm.dll"));  // not a PE image: cannot be told
}

}  // namespace
