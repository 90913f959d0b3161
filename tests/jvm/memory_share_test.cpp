#include <gtest/gtest.h>

#include "jvm/memory_share.h"

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
constexpr std::uint64_t kMiB = 1024ull * 1024;

struct ShareCase {
    const wchar_t* option;
    MemoryFigures figures;
    MemoryArithmetic arithmetic;
    const wchar_t* expected;
};

class MemoryShare : public testing::TestWithParam<ShareCase> {};

TEST_P(MemoryShare, RewritesToAbsoluteKiB) {
    const ShareCase& c = GetParam();
    ASSERT_TRUE(isMemoryShare(c.option));
    EXPECT_EQ(applyMemoryShare(c.option, c.figures, c.arithmetic), c.expected);
}

constexpr auto k64 = MemoryArithmetic::Bits64;
constexpr auto k32 = MemoryArithmetic::Bits32;
const MemoryFigures k8GiB{8 * kGiB, 2 * kGiB};
const MemoryFigures k512MiB{512 * kMiB, 2 * kGiB};
// A 64-bit process has about 128 TiB of address space left.
const MemoryFigures kWideAddressSpace{8 * kGiB, 128ull * 1024 * kGiB};

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryShare,
    testing::Values(
        ShareCase{L"-Xmx50P", k8GiB, k64, L"-Xmx4194304K"},
        ShareCase{L"-Xmx50p", k8GiB, k64, L"-Xmx4194304K"},
        ShareCase{L"-Xmx25:256:1024P", k8GiB, k64, L"-Xmx1048576K"},      // capped at the upper bound
        ShareCase{L"-Xmx25:256:1024P", k512MiB, k64, L"-Xmx262144K"},     // raised to the lower bound
        ShareCase{L"-Xmx10:1024:512P", k512MiB, k64, L"-Xmx1048576K"},    // the lower bound wins over the upper
        ShareCase{L"-Xms0:128P", k8GiB, k64, L"-Xms131072K"},
        ShareCase{L"-Xms0:128P", k512MiB, k32, L"-Xms131072K"},
        ShareCase{L"-Xmx150P", k8GiB, k64, L"-Xmx12582912K"},             // no cap at 100 percent
        ShareCase{L"-Xmx50T", k8GiB, k64, L"-Xmx1048576K"},               // the available address space
        ShareCase{L"-Xmx:512P", k8GiB, k64, L"-Xmx524288K"},              // share 0, lower bound 512 MiB
        ShareCase{L"-Xss1P", k512MiB, k64, L"-Xss5242K"},                 // truncated towards zero
        // Results of 2^31 KiB and more are printed whole, never wrapped into negative numbers.
        ShareCase{L"-Xmx10T", kWideAddressSpace, k64, L"-Xmx13743895347K"},
        ShareCase{L"-Xmx100T", kWideAddressSpace, k64, L"-Xmx137438953472K"},
        // 32 bits: memory figures beyond 4 GiB saturate as the x86 build sees them; so do bounds.
        ShareCase{L"-Xmx50P", k8GiB, k32, L"-Xmx2097151K"},
        ShareCase{L"-Xmx50P", k512MiB, k32, L"-Xmx262144K"},
        ShareCase{L"-Xmx200P", k8GiB, k32, L"-Xmx8388606K"},
        ShareCase{L"-Xmx0:4194304P", k512MiB, k32, L"-Xmx4294967295K"},   // 2^32 KiB would wrap to 0
        ShareCase{L"-Xmx0:4194304P", k512MiB, k64, L"-Xmx4294967296K"},
        ShareCase{L"-Xmx99999999999999999999999P", k8GiB, k64, L"-Xmx18446744073709551615K"}));

TEST(MemoryShare, RecognisesOnlyTheThreePrefixesAndFourLetters) {
    const struct {
        const wchar_t* option;
        bool share;
    } cases[] = {
        {L"-Xmx50P", true}, {L"-Xms50t", true}, {L"-Xss1T", true}, {L"-XMX50P", false}, {L"-Xmx512m", false},
        {L"-Xmn50P", false}, {L"-Xmx", false},   {L"", false},      {L"-Dx=P", false},  {L"-XmxP", true},
    };
    for (const auto& c : cases) EXPECT_EQ(isMemoryShare(c.option), c.share) << testing::PrintToString(Text(c.option));
}

TEST(NumberList, ReadsNumbersFromTheFirstDigitOrColon) {
    const struct {
        const wchar_t* text;
        std::size_t start;
        std::vector<std::uint64_t> numbers;
    } cases[] = {
        {L"-Xmx50:256:1024P", 4, {50, 256, 1024}},
        {L"-Xmx:512P", 4, {0, 512}},
        {L"1.5m", 0, {15}},
        {L"4096", 0, {4096}},
        {L"-Xmx", 4, {}},
        {L"", 0, {}},
        {L"1:2:3:4k", 0, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        const NumberList list = parseNumberList(c.text);
        EXPECT_EQ(list.start, c.start) << testing::PrintToString(Text(c.text));
        EXPECT_EQ(list.numbers, c.numbers) << testing::PrintToString(Text(c.text));
    }
}

TEST(StackSize, PlainSizesOnly) {
    const struct {
        const wchar_t* value;
        std::uint64_t bytes;
    } cases[] = {
        {L"512k", 524288}, {L"2m", 2097152},     {L"2M", 2097152}, {L"1g", 1073741824}, {L"4096", 4096},
        {L"1:2m", 0},      {L"", 0},             {L"x1m", 0},      {L"4g", 4294967296}, {L"5242K", 5242 * 1024},
    };
    for (const auto& c : cases) EXPECT_EQ(parseStackSize(c.value), c.bytes) << testing::PrintToString(Text(c.value));
}

}  // namespace
