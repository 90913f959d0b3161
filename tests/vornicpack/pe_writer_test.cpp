#include <gtest/gtest.h>

#include <algorithm>

#include "pe/pe_image.h"
#include "synthetic_pe.h"
#include "test_pe_reader.h"

namespace {

using testpe::Layout;

std::vector<Resource> sampleResources() {
    std::vector<Resource> resources = {testpe::manifestResource()};
    Resource big;
    big.type = ResourceName::of(kTypeRcData);
    big.name = ResourceName::of(8000);
    for (int i = 0; i < 5000; ++i) big.data.push_back(static_cast<std::uint8_t>(i * 7));
    resources.push_back(big);
    Resource named;  // named types and names must come before ids, sorted without regard to case
    named.type = ResourceName{0, L"ZED"};
    named.name = ResourceName{0, L"beta"};
    named.data = {1, 2, 3};
    resources.push_back(named);
    named.name = ResourceName{0, L"ALPHA"};
    named.data = {4};
    resources.push_back(named);
    named.name = ResourceName::of(3);
    named.data = {5, 6};
    resources.push_back(named);
    Resource small;
    small.type = ResourceName::of(kTypeRcData);
    small.name = ResourceName::of(9000);
    small.language = 7;
    small.data = {9};
    resources.push_back(small);
    return resources;
}

std::size_t alignUp(std::size_t value, std::size_t alignment) { return (value + alignment - 1) / alignment * alignment; }

struct LayoutCase {
    bool is64;
    Layout layout;
    std::size_t sectionsAfter;
};

class PeWriterLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PeWriterLayouts, WritesAnImageThatAnIndependentReaderAccepts) {
    const LayoutCase c = GetParam();
    const Bytes stub = testpe::syntheticPe({c.is64, c.layout});
    const testpe::Image before = testpe::readImage(stub);
    PeImage image;
    std::string error;
    ASSERT_TRUE(image.parse(stub, error)) << error;
    Bytes out;
    ASSERT_TRUE(image.withResources(sampleResources(), out, error)) << error;
    const testpe::Image after = testpe::readImage(out);
    ASSERT_EQ(after.error, "");
    EXPECT_EQ(after.is64, c.is64);
    EXPECT_TRUE(after.orderProblems.empty()) << after.orderProblems.front();
    ASSERT_EQ(after.sections.size(), c.sectionsAfter);

    // Every resource, exactly once, with its bytes.
    std::map<testpe::Key, Bytes> expected;
    for (const Resource& r : sampleResources()) {
        auto name = [](const ResourceName& n) {
            return n.isId() ? "#" + std::to_string(n.id) : std::string(n.name.begin(), n.name.end());
        };
        expected[{name(r.type), name(r.name), r.language}] = r.data;
    }
    EXPECT_EQ(after.resources, expected);

    // Headers agree with the section table.
    const testpe::Section& last = after.sections.back();
    EXPECT_EQ(after.sizeOfImage, alignUp(last.virtualAddress + std::max(last.virtualSize, last.rawSize), 0x1000));
    EXPECT_EQ(after.checksum, testpe::referenceChecksum(out, after.checksumAt));
    for (std::size_t i = 0; i < after.sections.size(); ++i) {
        const auto& s = after.sections[i];
        EXPECT_EQ(s.rawPointer % after.fileAlignment, 0u) << s.name;
        EXPECT_EQ(s.virtualAddress % after.sectionAlignment, 0u) << s.name;
        if (i > 0) {
            const auto& p = after.sections[i - 1];
            EXPECT_GE(s.virtualAddress, p.virtualAddress + std::max(p.virtualSize, p.rawSize)) << s.name;
            EXPECT_GE(s.rawPointer, p.rawPointer + p.rawSize) << s.name;
        }
        EXPECT_LE(s.rawPointer + s.rawSize, out.size()) << s.name;
    }
    std::size_t rsrcAt = 0;
    ASSERT_TRUE(testpe::rvaToOffset(after, after.dirRva[2], rsrcAt));

    // Code untouched, the trailing section's bytes kept (and the relocation directory following them).
    EXPECT_TRUE(std::equal(stub.begin() + 0x400, stub.begin() + 0x600, out.begin() + 0x400));
    const auto& moved = *std::find_if(after.sections.begin(), after.sections.end(),
                                      [](const testpe::Section& s) { return s.name == ".reloc" || s.name == ".data"; });
    EXPECT_TRUE(std::equal(stub.begin() + 0x800, stub.begin() + 0xA00, out.begin() + moved.rawPointer));
    if (c.layout == Layout::ResourcesThenRelocations) {
        EXPECT_EQ(after.dirRva[5], moved.virtualAddress);
        EXPECT_EQ(after.dirSize[5], before.dirSize[5]);
    }

    // The overlay stays at the end.
    const std::string overlay = "OVERLAY-BYTES";
    ASSERT_GE(out.size(), overlay.size());
    EXPECT_EQ(std::string(out.end() - static_cast<std::ptrdiff_t>(overlay.size()), out.end()), overlay);

    // Initialised data grows by the added raw bytes.
    std::size_t rawBefore = 0, rawAfter = 0;
    for (const auto& s : before.sections) rawBefore += s.rawSize;
    for (const auto& s : after.sections) rawAfter += s.rawSize;
    EXPECT_EQ(after.initializedData - before.initializedData, rawAfter - rawBefore);
}

INSTANTIATE_TEST_SUITE_P(All, PeWriterLayouts,
                         ::testing::Values(LayoutCase{true, Layout::ResourcesThenRelocations, 3},
                                           LayoutCase{false, Layout::ResourcesThenRelocations, 3},
                                           LayoutCase{true, Layout::ResourcesThenData, 4},
                                           LayoutCase{false, Layout::NoResources, 3}));

TEST(PeWriter, RewritingAgainReplacesInsteadOfAdding) {
    PeImage image;
    std::string error;
    ASSERT_TRUE(image.parse(testpe::syntheticPe({true, Layout::ResourcesThenData}), error)) << error;
    Bytes once;
    ASSERT_TRUE(image.withResources(sampleResources(), once, error)) << error;
    PeImage again;
    ASSERT_TRUE(again.parse(once, error)) << error;
    Bytes twice;
    ASSERT_TRUE(again.withResources(sampleResources(), twice, error)) << error;
    EXPECT_EQ(testpe::readImage(twice).sections.size(), testpe::readImage(once).sections.size());
    EXPECT_EQ(twice, once);
}

TEST(PeWriter, ReadsBackWhatItWrote) {
    PeImage image;
    std::string error;
    ASSERT_TRUE(image.parse(testpe::syntheticPe({false, Layout::ResourcesThenRelocations}), error));
    Bytes out;
    ASSERT_TRUE(image.withResources(sampleResources(), out, error));
    PeImage written;
    ASSERT_TRUE(written.parse(out, error)) << error;
    std::vector<Resource> read;
    ASSERT_TRUE(written.readResources(read, error)) << error;
    EXPECT_EQ(read.size(), sampleResources().size());
}

TEST(PeWriter, RefusesASignedImage) {
    PeImage image;
    std::string error;
    ASSERT_TRUE(image.parse(testpe::syntheticPe({true, Layout::ResourcesThenRelocations, "SIG", true}), error));
    Bytes out;
    EXPECT_FALSE(image.withResources(sampleResources(), out, error));
    EXPECT_NE(error.find("sign the packaged executable"), std::string::npos) << error;
    EXPECT_TRUE(out.empty());
}

TEST(PeWriter, RefusesWhenNoSectionHeaderFits) {
    Bytes stub = testpe::syntheticPe({true, Layout::ResourcesThenData});
    // Something lives right after the section table, so a new header would overwrite it.
    const std::size_t tableEnd = 0x80 + 24 + 240 + 40 * 3;
    stub[tableEnd + 3] = 0xEE;
    PeImage image;
    std::string error;
    ASSERT_TRUE(image.parse(stub, error)) << error;
    Bytes out;
    EXPECT_FALSE(image.withResources(sampleResources(), out, error));
    EXPECT_NE(error.find("no room"), std::string::npos) << error;
}

TEST(PeReader, RejectsDamagedImages) {
    const Bytes good = testpe::syntheticPe({});
    auto modified = [&](auto change) {
        Bytes b = good;
        change(b);
        return b;
    };
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"empty", {}, "no MZ header"},
        {"text file", Bytes{'h', 'e', 'l', 'l', 'o'}, "no MZ header"},
        {"PE offset beyond the end", modified([](Bytes& b) { testpe::put32(b, 0x3C, 0xFFFFFFF0); }), "no PE header"},
        {"unknown magic", modified([](Bytes& b) { testpe::put16(b, 0x80 + 24, 0x107); }), "neither"},
        {"optional header past the end", modified([](Bytes& b) { testpe::put16(b, 0x80 + 20, 0xFFFF); }),
         "truncated PE header"},
        {"optional header without its directory count", modified([](Bytes& b) { testpe::put16(b, 0x80 + 20, 100); }),
         "truncated optional header"},
        {"more directories than the optional header holds",
         modified([](Bytes& b) { testpe::put16(b, 0x80 + 20, 200); }), "truncated data directory"},
        {"no sections", modified([](Bytes& b) { testpe::put16(b, 0x80 + 6, 0); }), "section table"},
        {"truncated section", Bytes(good.begin(), good.begin() + 0x900), "truncated"},
        {"bad alignment", modified([](Bytes& b) { testpe::put32(b, 0x80 + 24 + 36, 0x300); }), "alignment"},
        {"overlapping sections", modified([](Bytes& b) { testpe::put32(b, 0x80 + 24 + 240 + 40 + 12, 0x1100); }),
         "overlap"},
        // Rewriting copies the headers up to the first section's data; data inside them would be lost.
        {"section data inside the headers", modified([](Bytes& b) { testpe::put32(b, 0x80 + 24 + 240 + 20, 0); }),
         "overlaps the headers"},
    };
    for (const auto& c : cases) {
        PeImage image;
        std::string error;
        EXPECT_FALSE(image.parse(c.bytes, error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
}

TEST(PeReader, RejectsADirectoryLoop) {
    Bytes stub = testpe::syntheticPe({});
    // The root's first entry points back at the root.
    testpe::put32(stub, 0x600 + 16 + 4, 0x80000000u);
    PeImage image;
    std::string error;
    ASSERT_TRUE(image.parse(stub, error));
    std::vector<Resource> resources;
    EXPECT_FALSE(image.readResources(resources, error));
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

}  // namespace
