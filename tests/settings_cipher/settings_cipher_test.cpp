#include "settings/settings_cipher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/utf16.h"

namespace {

std::string hex(const std::uint8_t* data, std::size_t size) {
    std::string out;
    char pair[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        out += pair;
    }
    return out;
}

template <typename Container>
std::string hex(const Container& bytes) {
    return hex(bytes.data(), bytes.size());
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(Md5, MatchesTheReferenceVectors) {
    const struct {
        std::string input;
        std::string digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) EXPECT_EQ(hex(md5(c.input)), c.digest) << '"' << c.input << '"';
}

TEST(Md5, PaddingBoundariesAgreeWithBlockwiseHashing) {
    // 55, 56, 63, 64 and 65 bytes straddle the one-block/two-block padding boundary.
    const struct {
        std::size_t length;
        std::string digest;
    } cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},
        {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"},
        {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"},
    };
    for (const auto& c : cases) EXPECT_EQ(hex(md5(std::string(c.length, 'a'))), c.digest) << c.length;
}

TEST(Rc4, MatchesKnownKeyStreams) {
    const struct {
        std::string key;
        std::string plain;
        std::string cipher;
    } cases[] = {
        {"Key", "Plaintext", "bbf316e8d940af0ad3"},
        {"Wiki", "pedia", "1021bf0420"},
        {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
    };
    for (const auto& c : cases) {
        Bytes data = bytesOf(c.plain);
        rc4(reinterpret_cast<const std::uint8_t*>(c.key.data()), c.key.size(), data.data(), data.size());
        EXPECT_EQ(hex(data), c.cipher) << c.key;
    }
}

TEST(Rc4, FortyBitKeyStreamOfRfc6229) {
    const std::uint8_t key[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    Bytes zeros(16, 0);
    rc4(key, sizeof key, zeros.data(), zeros.size());
    EXPECT_EQ(hex(zeros), "b2396305f03dc027ccc3524a0a1118a8");
}

TEST(SettingsKey, IsFiveHashBytesAndElevenZeroSaltBytes) {
    EXPECT_EQ(hex(deriveSettingsKey("")), "d41d8cd98f0000000000000000000000");
    EXPECT_EQ(hex(deriveSettingsKey("abc")), "900150983c0000000000000000000000");
}

TEST(SettingsCipher, RoundTripsAndDependsOnThePassPhrase) {
    const Bytes plain = toUtf16Le(L"[Application]\r\nMain Class=com.example.Main\r\n");
    const Bytes sealed = encipherSettings(plain, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    EXPECT_NE(sealed, plain);
    EXPECT_EQ(sealed.size(), plain.size());
    EXPECT_EQ(decipherSettings(sealed, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), plain);
    EXPECT_NE(decipherSettings(sealed, "{6F9619FF-8B86-D011-B42D-00C04FC964FE}"), plain);
}

TEST(SettingsCipher, EnciphersWithTheDerivedKey) {
    // The key stream of the derived 128-bit key for "abc" applied to zeros is the key stream itself.
    const SettingsKey key = deriveSettingsKey("abc");
    Bytes expected(8, 0);
    rc4(key.data(), key.size(), expected.data(), expected.size());
    EXPECT_EQ(encipherSettings(Bytes(8, 0), "abc"), expected);
    // A 5-byte key would give another stream: the salt bytes are part of the key.
    Bytes shortKey(8, 0);
    rc4(key.data(), 5, shortKey.data(), shortKey.size());
    EXPECT_NE(shortKey, expected);
}

TEST(Utf16Le, EncodesLittleEndianAndReadsBack) {
    const Text text = L"A\u00e9\u4e2d";
    EXPECT_EQ(hex(toUtf16Le(text)), "4100e9002d4e");
    EXPECT_EQ(fromUtf16Le(toUtf16Le(text)), text);
}

TEST(Utf16Le, DropsAnOddLastByte) {
    const Bytes bytes = {0x41, 0x00, 0x42};
    EXPECT_EQ(fromUtf16Le(bytes), L"A");
    EXPECT_EQ(fromUtf16Le(Bytes{}), L"");
}

TEST(Utf16Le, SupplementaryCharactersBecomeSurrogatePairs) {
    Text text;
    text.push_back(static_cast<wchar_t>(0xD83D));
    text.push_back(static_cast<wchar_t>(0xDE00));
    if (sizeof(wchar_t) > 2) text = Text(1, static_cast<wchar_t>(0x1F600));
    EXPECT_EQ(hex(toUtf16Le(text)), "3dd800de");
    EXPECT_EQ(fromUtf16Le(toUtf16Le(text)), text);
}

}  // namespace
