#include <gtest/gtest.h>

#include "jvm/vm_parameters.h"

namespace {

TEST(SplitVmParameters, CutsAtSpacesOutsideQuotes) {
    const struct {
        const wchar_t* text;
        TextList parameters;
    } cases[] = {
        {L" -Xmx512m   \"-Dp=a b\" ", {L"-Xmx512m", L"\"-Dp=a b\""}},
        {L"", {}},
        {L"   ", {}},
        {L"-a -b", {L"-a", L"-b"}},
        {L"-Dname=\"a b\" -c", {L"-Dname=\"a b\"", L"-c"}},
        {L"-D\"x y\"\" z", {L"-D\"x y\"\"", L"z"}},        // two quotes close the stretch together
        {L"-D\"x y", {L"-D\"x", L"y"}},                    // a quote without a partner protects nothing
        {L"\"a b\"c d", {L"\"a b\"c", L"d"}},
        {L"\"\" x", {L"\"\"", L"x"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitVmParameters(c.text), c.parameters) << testing::PrintToString(Text(c.text));
    }
}

TEST(UnquoteOption, DropsThePairsOfQuotes) {
    const struct {
        const wchar_t* parameter;
        const wchar_t* option;
    } cases[] = {
        {L"-Dname=\"a b\"", L"-Dname=a b"},
        {L"\"\"", L""},
        {L"\"-Dp=a b\"", L"-Dp=a b"},
        {L"-D\"x\"\"y", L"-Dx\"y"},        // a doubled closing quote leaves one
        {L"-D\"x", L"-D\"x"},              // a quote without a partner stays
        {L"-Da\"b\"c\"d", L"-Dabc\"d"},
        {L"plain", L"plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unquoteOption(c.parameter), c.option) << testing::PrintToString(Text(c.parameter));
    }
}

TEST(AddVmParameter, ResolvesSharesAndKeepsTheLastStackSize) {
    const MemoryFigures figures{8ull << 30, 2ull << 30};
    TextList options;
    std::uint64_t stackSize = 7;
    for (const Text& parameter : splitVmParameters(L"-Xmx512m \"-Xmx50P\" -Xss512k -Dx=\"a b\" -Xss2m -XMX50P")) {
        addVmParameter(parameter, figures, MemoryArithmetic::Bits64, options, stackSize);
    }
    EXPECT_EQ(options, (TextList{L"-Xmx512m", L"-Xmx4194304K", L"-Xss512k", L"-Dx=a b", L"-Xss2m", L"-XMX50P"}));
    EXPECT_EQ(stackSize, 2097152u);
}

TEST(AddVmParameter, StackSizeFromAShareAndFromNothing) {
    const MemoryFigures figures{512ull << 20, 0};
    TextList options;
    std::uint64_t stackSize = 7;
    addVmParameter(L"-Xss1P", figures, MemoryArithmetic::Bits64, options, stackSize);
    EXPECT_EQ(stackSize, 5242u * 1024);
    addVmParameter(L"-Xmx512m", figures, MemoryArithmetic::Bits64, options, stackSize);
    EXPECT_EQ(stackSize, 5242u * 1024);  // other options leave it alone
    addVmParameter(L"-Xss", figures, MemoryArithmetic::Bits64, options, stackSize);
    EXPECT_EQ(stackSize, 0u);           // the runtime's default; the option still goes through
    EXPECT_EQ(options, (TextList{L"-Xss5242K", L"-Xmx512m", L"-Xss"}));
}

}  // namespace
