#include <gtest/gtest.h>

#include <set>

#include "instance/instance_block.h"

namespace {

struct RoundTrip {
    const char* what;
    TextList sent;
    TextList received;
};

TEST(InstanceRequest, CarriesEveryArgumentListWhole) {
    const Text longArgument(30000, L'x');
    const RoundTrip cases[] = {
        {"no arguments give one empty string", {}, {L""}},
        {"one empty argument", {L""}, {L""}},
        {"an empty argument does not end the list", {L"a", L"", L"b"}, {L"a", L"", L"b"}},
        {"empty arguments at both ends", {L"", L"a", L""}, {L"", L"a", L""}},
        {"case and spaces stay", {L"Yes", L"yes", L"two words"}, {L"Yes", L"yes", L"two words"}},
        {"units beyond Latin-1", {L"\u00e9t\u00e9", L"\u65e5\u672c"}, {L"\u00e9t\u00e9", L"\u65e5\u672c"}},
        {"a command line of 30,000 units", {longArgument, L"z"}, {longArgument, L"z"}},
    };
    for (const RoundTrip& c : cases) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(encodeRequest(c.sent, bytes)) << c.what;
        EXPECT_EQ(bytes[kRequestTakenOffset], 0) << c.what;
        TextList received{L"stale"};
        ASSERT_TRUE(decodeRequest(bytes.data(), bytes.size(), received)) << c.what;
        EXPECT_EQ(received, c.received) << c.what;
        // A reader that sees more bytes than were written (a mapping is rounded up to a page).
        bytes.resize(bytes.size() + 4096, 0);
        ASSERT_TRUE(decodeRequest(bytes.data(), bytes.size(), received)) << c.what;
        EXPECT_EQ(received, c.received) << c.what;
    }
}

TEST(InstanceRequest, HasTheDocumentedLayout) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(encodeRequest({L"a", L""}, bytes));
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
}

TEST(InstanceRequest, RefusesWhatDoesNotAddUp) {
    // Larger than any command line: refused before anything is written.
    std::vector<std::uint8_t> bytes{1};
    EXPECT_FALSE(encodeRequest({Text(kMaxRequestUnits, L'x')}, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(encodeRequest({Text(kMaxRequestUnits - 1, L'x')}, bytes));

    ASSERT_TRUE(encodeRequest({L"ab", L"c"}, bytes));
    struct Damage {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
        std::size_t size;
    };
    const Damage damages[] = {
        {"cut short", 0, 0, bytes.size() - 2},
        {"shorter than the header", 0, 0, 8},
        {"one argument more than the units hold", 4, 3, bytes.size()},
        {"one argument less", 4, 1, bytes.size()},
        {"more units than the bytes", 8, 9, bytes.size()},
        {"last argument not closed", 8, 4, bytes.size()},
    };
    for (const Damage& d : damages) {
        std::vector<std::uint8_t> damaged = bytes;
        damaged[d.offset] = d.value;
        TextList received{L"stale"};
        EXPECT_FALSE(decodeRequest(damaged.data(), d.size, received)) << d.what;
        EXPECT_TRUE(received.empty()) << d.what;
    }
}

TEST(InstanceKey, OnePerExecutablePathAndEveryNameFits) {
    EXPECT_EQ(instanceKey(L"C:\\Apps\\Demo\\demo.exe"), L"C:_Apps_Demo_demo.exe");
    EXPECT_NE(instanceKey(L"C:\\Apps\\Demo\\demo.exe"), instanceKey(L"C:\\apps\\Demo\\demo.exe"));

    const Text deep = L"C:\\" + Text(300, L'd') + L"\\";
    const TextList paths = {
        deep + L"one\\app.exe", deep + L"two\\app.exe", L"D" + (deep + L"one\\app.exe").substr(1),
        deep + L"one_app.exe",  // differs from the first only in a backslash
        L"C:\\" + Text(32000, L'e') + L"\\app.exe",
    };
    std::set<Text> keys;
    for (const Text& path : paths) {
        const Text key = instanceKey(path);
        EXPECT_EQ(key, instanceKey(path)) << "the same path, the same key";
        EXPECT_EQ(key.find(L'\\'), Text::npos);
        EXPECT_LE(requestName(key, 0xFFFFFFFF).size(), 255u) << "an atom name holds 255 units";
        const size_t prefix = Text(kNamespaceAlias).size() + 1;
        EXPECT_LE(prefix + requestName(key, 0xFFFFFFFF).size(), kMaxObjectNameLength);
        EXPECT_LE(prefix + startMutexName(key).size(), kMaxObjectNameLength);
        EXPECT_EQ(key.substr(key.size() - 8), L"_app.exe") << "the executable's name stays readable";
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), paths.size());
    EXPECT_EQ(requestName(L"k", 0x1A2B), L"k_upr_req_00001A2B");
    EXPECT_EQ(startMutexName(L"k"), L"k_upr_start");
}

}  // namespace
