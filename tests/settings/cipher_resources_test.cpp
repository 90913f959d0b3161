// The packaged settings through the system's cryptographic provider, against the portable cipher the
// packaging uses, and read from resources of real module copies.
#include <gtest/gtest.h>

#include "harness.h"
#include "package_resources.h"
#include "settings/packaged_settings.h"
#include "support/unique_handle.h"

namespace {

// Enciphering as the provider does it: the reverse direction of the launcher's own decipher.
Bytes encipherWithProvider(Bytes data, const std::string& passPhrase) {
    HCRYPTPROV rawProvider = 0;
    EXPECT_TRUE(CryptAcquireContextW(&rawProvider, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    UniqueCryptProvider provider(rawProvider);
    HCRYPTHASH rawHash = 0;
    EXPECT_TRUE(CryptCreateHash(provider.get(), CALG_MD5, 0, 0, &rawHash));
    UniqueCryptHash hash(rawHash);
    EXPECT_TRUE(CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(passPhrase.data()),
                              static_cast<DWORD>(passPhrase.size()), 0));
    HCRYPTKEY rawKey = 0;
    EXPECT_TRUE(CryptDeriveKey(provider.get(), CALG_RC4, hash.get(), 0, &rawKey));
    UniqueCryptKey key(rawKey);
    DWORD length = static_cast<DWORD>(data.size());
    if (!data.empty()) {
        EXPECT_TRUE(CryptEncrypt(key.get(), 0, TRUE, 0, data.data(), &length, static_cast<DWORD>(data.size())));
    }
    EXPECT_EQ(length, data.size());
    return data;
}

// Deciphering as the provider does it, as the launcher once did.
void decipherWithProvider(Bytes& bytes, const std::string& passPhrase) {
    HCRYPTPROV rawProvider = 0;
    ASSERT_TRUE(CryptAcquireContextW(&rawProvider, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    UniqueCryptProvider provider(rawProvider);
    HCRYPTHASH rawHash = 0;
    ASSERT_TRUE(CryptCreateHash(provider.get(), CALG_MD5, 0, 0, &rawHash));
    UniqueCryptHash hash(rawHash);
    ASSERT_TRUE(CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(passPhrase.data()),
                              static_cast<DWORD>(passPhrase.size()), 0));
    HCRYPTKEY rawKey = 0;
    ASSERT_TRUE(CryptDeriveKey(provider.get(), CALG_RC4, hash.get(), 0, &rawKey));
    UniqueCryptKey key(rawKey);
    if (bytes.empty()) return;
    DWORD length = static_cast<DWORD>(bytes.size());
    ASSERT_TRUE(CryptDecrypt(key.get(), 0, TRUE, 0, bytes.data(), &length));
    bytes.resize(length);
}

Bytes sampleBytes(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + 7) ^ (i >> 8));
    return bytes;
}

TEST(SettingsCipher, PortableAndProviderAgreeBothWays) {
    const std::string passPhrases[] = {
        "",
        "a",
        "{6F1D2C0A-8B3E-4C55-9A7D-2E4F10B3C9D1}",
        "\xE9t\xE9 \xFC\xDF\xA7",                    // ANSI bytes above 127
        std::string(200, 'x') + "end",                // longer than one MD5 block
        narrowText(L"Gr\x00FC\x00DF Gott \x00C5"),    // non-ASCII text as the launcher narrows it
    };
    const size_t sizes[] = {0, 1, 2, 7, 64, 4097, 100001};
    for (const std::string& passPhrase : passPhrases) {
        for (size_t size : sizes) {
            SCOPED_TRACE("pass phrase of " + std::to_string(passPhrase.size()) + " bytes, " + std::to_string(size) +
                         " bytes of text");
            const Bytes plain = sampleBytes(size);
            const Bytes portable = encipherSettings(plain, passPhrase);
            const Bytes provider = encipherWithProvider(plain, passPhrase);
            EXPECT_EQ(portable, provider);

            Bytes deciphered = portable;
            decipherWithProvider(deciphered, passPhrase);
            EXPECT_EQ(deciphered, plain);
            EXPECT_EQ(decipherSettings(provider, passPhrase), plain);
        }
    }
}

// A change to either side of the cipher shows here: these bytes were checked against an independent
// MD5/RC4 computation.
TEST(SettingsCipher, FixedVector) {
    const std::string passPhrase = "Upgrade {42}";
    const Text plain = L"Main Class=a.Main";
    const Bytes cipher = {0xdd, 0x28, 0x27, 0x21, 0xdc, 0x33, 0x47, 0xbc, 0xbe, 0xf2, 0x1e, 0xc4,
                          0x40, 0x53, 0x44, 0x7f, 0xb8, 0x36, 0x40, 0xbe, 0x2d, 0xf6, 0xd3, 0xc6,
                          0x95, 0x3c, 0x64, 0xc0, 0xbf, 0x89, 0x99, 0xd8, 0xcb, 0xbd};
    EXPECT_EQ(encipherSettings(toUtf16Le(plain), passPhrase), cipher);
    Bytes deciphered = cipher;
    decipherWithProvider(deciphered, passPhrase);
    EXPECT_EQ(fromUtf16Le(deciphered), plain);
}

// A copy of a small module, with resources written into it and loaded.
class ModuleCopy {
public:
    explicit ModuleCopy(const PackagedResources& resources) {
        path_ = folder_.path() + L"packaged.dll";
        EXPECT_TRUE(CopyFileW(besideThisProgram(L"settings_resource_module.dll").c_str(), path_.c_str(), FALSE));
        EXPECT_TRUE(resources.writeInto(path_));
        module_.reset(LoadLibraryW(path_.c_str()));
        EXPECT_TRUE(module_) << "cannot load the module copy, error " << GetLastError();
    }
    HMODULE get() const { return module_.get(); }

private:
    TempFolder folder_;
    WText path_;
    UniqueModule module_;
};

const Text kIni = L"\xFEFF[Java Runtime Environment]\r\nMain Class = com.example.Main\r\n[Application]\r\n"
                  L"Caf\x00E9=\x4E2D\x6587\r\n";

TEST(PackagedSettings, BothStagesDecipherFromTheModulesResources) {
    struct Case {
        const char* what;
        Text upgradeCode;
        Text secondPass;
    } const cases[] = {
        {"ordinary codes", L"{11111111-2222-3333-4444-555555555555}", L"second stage pass phrase"},
        {"empty upgrade code", L"", L"x"},
        {"non-ASCII pass phrases", L"Gr\x00FC\x00DF", L"\x00E9t\x00E9"},
        {"long second pass phrase", L"u", Text(3000, L'p')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PackagedResources resources;
        resources.settings(c.upgradeCode, c.secondPass, kIni);
        ModuleCopy module(resources);
        EXPECT_EQ(loadEncipheredResource(kPassPhraseResource, narrowText(c.upgradeCode), module.get()), c.secondPass);
        EXPECT_EQ(loadPackagedSettings(c.upgradeCode, module.get()), kIni);
        EXPECT_NE(loadPackagedSettings(c.upgradeCode + L"!", module.get()), kIni);
    }
}

TEST(PackagedSettings, MissingStagesAndGarbageGiveDefinedResults) {
    const Text upgradeCode = L"{UP}";
    {
        SCOPED_TRACE("no 9000: the second stage is deciphered with an empty pass phrase");
        PackagedResources resources;
        resources.rcdata[kSettingsResource] = encipheredText(kIni, L"");
        ModuleCopy module(resources);
        EXPECT_EQ(loadEncipheredResource(kPassPhraseResource, narrowText(upgradeCode), module.get()), L"");
        EXPECT_EQ(loadPackagedSettings(upgradeCode, module.get()), kIni);
    }
    {
        SCOPED_TRACE("no 8000");
        PackagedResources resources;
        resources.rcdata[kPassPhraseResource] = encipheredText(L"second", upgradeCode);
        ModuleCopy module(resources);
        EXPECT_EQ(loadPackagedSettings(upgradeCode, module.get()), L"");
    }
    {
        SCOPED_TRACE("garbage bytes of odd length: the last byte is dropped");
        PackagedResources resources;
        resources.rcdata[kPassPhraseResource] = Bytes{0xFF, 0x00, 0x13, 0x37, 0x42};
        resources.rcdata[kSettingsResource] = Bytes{1, 2, 3, 4, 5, 6, 7};
        ModuleCopy module(resources);
        EXPECT_EQ(loadEncipheredResource(kPassPhraseResource, "", module.get()).size(), 2u);
        const Text settings = loadPackagedSettings(upgradeCode, module.get());
        EXPECT_EQ(settings.size(), 3u);
    }
    {
        SCOPED_TRACE("a module without any packaged settings");
        ModuleCopy module(PackagedResources{});
        EXPECT_EQ(loadPackagedSettings(upgradeCode, module.get()), L"");
    }
}

TEST(PackagedSettings, TheUsersLanguageComesBeforeTheNeutralOne) {
    const LANGID user = GetUserDefaultLangID();
    ASSERT_NE(user, 0);
    PackagedResources resources;
    resources.localized[kSettingsResource][0] = encipheredText(L"neutral", L"p");
    resources.localized[kSettingsResource][user] = encipheredText(L"user", L"p");
    resources.localized[kPassPhraseResource][0] = encipheredText(L"neutral", L"p");
    ModuleCopy module(resources);
    EXPECT_EQ(loadEncipheredResource(kSettingsResource, "p", module.get()), L"user");
    EXPECT_EQ(loadEncipheredResource(kPassPhraseResource, "p", module.get()), L"neutral");
}

}  // namespace
