#include <gtest/gtest.h>

#include "package/packager.h"
#include "package/package_report.h"
#include "package/identity_codes.h"
#include "settings/settings_cipher.h"
#include "support/utf16.h"
#include "resources/string_table.h"
#include "synthetic_pe.h"
#include "test_pe_reader.h"

namespace {

const Text kUpgradeCode = L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}";

PackageInputs sampleInputs() {
    PackageInputs in;
    in.stub = testpe::syntheticPe({});
    in.settingsText = L"\xFEFF[Product Information]\nProduct Name=D\u00e9mo \u4e2d\u6587\nUpgrade Code=" + kUpgradeCode +
                      L"\n\n[Java Runtime Environment]\nMain Class = com.example.Main \nVirtual Machine Parameters="
                      L"-Dname=Zo\u00eb\u4e2d\n[Display]\nSplash Screen=s.png\n[Application]\nCmd=a b\n";
    in.passPhrase = "0123456789abcdef0123456789abcdef0123456789abcdef";
    in.generatedUpgradeCode = L"{00000000-0000-4000-8000-000000000000}";
    in.outputFileName = L"Demo.exe";
    return in;
}

std::string ascii(const Text& text) { return std::string(text.begin(), text.end()); }

TEST(Packager, StagesDecipherToTheExactSettingsText) {
    PackageOutput out;
    std::string error;
    ASSERT_TRUE(buildPackage(sampleInputs(), out, error)) << error;
    const testpe::Image image = testpe::readImage(out.executable);
    ASSERT_EQ(image.error, "");
    const Bytes& sealedPass = image.resources.at({"#10", "#9000", 0});
    const Bytes& sealedSettings = image.resources.at({"#10", "#8000", 0});

    // As the launcher does it: 9000 under the Upgrade Code's bytes, then 8000 under that text's bytes.
    const Text passPhrase = fromUtf16Le(decipherSettings(sealedPass, ascii(kUpgradeCode)));
    EXPECT_EQ(ascii(passPhrase), sampleInputs().passPhrase);
    const Text settings = fromUtf16Le(decipherSettings(sealedSettings, ascii(passPhrase)));
    EXPECT_EQ(settings,
              L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\nVirtual Machine Parameters=-Dname=Zo\u00eb"
              L"\u4e2d\r\n\r\n[Application]\r\nCmd=a b\r\n");
    EXPECT_EQ(out.settings.packagedText, settings);
}

TEST(Packager, WritesTheBesideFileInUtf16WithBom) {
    PackageOutput out;
    std::string error;
    ASSERT_TRUE(buildPackage(sampleInputs(), out, error)) << error;
    ASSERT_GE(out.besideIni.size(), 2u);
    EXPECT_EQ(out.besideIni[0], 0xFF);
    EXPECT_EQ(out.besideIni[1], 0xFE);
    EXPECT_EQ(fromUtf16Le(out.besideIni.data() + 2, out.besideIni.size() - 2),
              L"[Product Information]\r\nProduct Name=D\u00e9mo \u4e2d\u6587\r\nUpgrade Code=" + kUpgradeCode +
                  L"\r\n\r\n[Display]\r\nSplash Screen=s.png\r\n");
}

TEST(Packager, AddsEveryResourceTheLauncherReadsAndKeepsTheManifest) {
    PackageInputs in = sampleInputs();
    in.hasIcon = true;
    // An icon file with one 1-byte "image": the packer copies images, it does not decode them.
    in.icon = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 1, 0, 0, 0, 22, 0, 0, 0, 0xAB};
    PackageOutput out;
    std::string error;
    ASSERT_TRUE(buildPackage(in, out, error)) << error;
    const testpe::Image image = testpe::readImage(out.executable);
    std::set<std::pair<std::string, std::string>> found;
    for (const auto& [key, data] : image.resources) found.insert({std::get<0>(key), std::get<1>(key)});
    const std::set<std::pair<std::string, std::string>> expected = {
        {"#3", "#1"},    {"#5", "#201"},  {"#5", "#231"},   {"#6", "#13"},   {"#6", "#14"},  {"#6", "#15"},  {"#6", "#16"},
        {"#10", "#8000"}, {"#10", "#9000"}, {"#14", "#1"}, {"#16", "#1"}, {"#24", "#1"}};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(image.resources.at({"#24", "#1", 1033}), testpe::manifestResource().data);
    EXPECT_EQ(image.resources.at({"#3", "#1", 0}), Bytes{0xAB});
    // The group entry names icon 1 where the file had the image's offset.
    const Bytes& group = image.resources.at({"#14", "#1", 0});
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[18], 1);
}

TEST(Packager, StringTablesHoldEveryMessageInTheNeutralLanguage) {
    PackageOutput out;
    std::string error;
    ASSERT_TRUE(buildPackage(sampleInputs(), out, error)) << error;
    const testpe::Image image = testpe::readImage(out.executable);
    for (const MessageDefinition& message : messageDefinitions()) {
        const Bytes& block = image.resources.at({"#6", "#" + std::to_string(message.id / 16 + 1), 0});
        std::size_t at = 0;
        for (unsigned i = 0; i < message.id % 16; ++i) at += 2 + 2 * testpe::u16(block, at);
        const std::size_t length = testpe::u16(block, at);
        EXPECT_EQ(fromUtf16Le(block.data() + at + 2, 2 * length), Text(message.text)) << message.id;
    }
}

TEST(Packager, PackagingAPackagedCopyGivesOneSet) {
    PackageInputs in = sampleInputs();
    PackageOutput first;
    std::string error;
    ASSERT_TRUE(buildPackage(in, first, error)) << error;
    in.stub = first.executable;
    in.passPhrase = "ffffffffffffffffffffffffffffffffffffffffffffffff";
    PackageOutput second;
    ASSERT_TRUE(buildPackage(in, second, error)) << error;
    const testpe::Image a = testpe::readImage(first.executable), b = testpe::readImage(second.executable);
    ASSERT_EQ(a.resources.size(), b.resources.size());
    for (auto ia = a.resources.begin(), ib = b.resources.begin(); ia != a.resources.end(); ++ia, ++ib)
        EXPECT_EQ(ia->first, ib->first);
    EXPECT_EQ(a.sections.size(), b.sections.size());
    EXPECT_NE(a.resources.at({"#10", "#9000", 0}), b.resources.at({"#10", "#9000", 0}));
}

TEST(Packager, ReportsWhichInputIsWrong) {
    const struct {
        const char* what;
        void (*change)(PackageInputs&);
        const char* prefix;
    } cases[] = {
        {"stub is text", [](PackageInputs& in) { in.stub = {'a', 'b'}; }, "stub: "},
        {"no main class", [](PackageInputs& in) { in.settingsText = L"[Application]\nCmd=x\n"; }, "settings: "},
        {"bad strings",
         [](PackageInputs& in) {
             in.hasStrings = true;
             in.stringsText = L"[Strings]\n211=%d\n";
         },
         "strings: "},
        {"bad icon",
         [](PackageInputs& in) {
             in.hasIcon = true;
             in.icon = {1, 2, 3};
         },
         "icon: "},
        {"bad version", [](PackageInputs& in) { in.version = L"1.2.x"; }, "version: "},
    };
    for (const auto& c : cases) {
        PackageInputs in = sampleInputs();
        c.change(in);
        PackageOutput out;
        std::string error;
        EXPECT_FALSE(buildPackage(in, out, error)) << c.what;
        EXPECT_EQ(error.rfind(c.prefix, 0), 0u) << c.what << ": " << error;
        EXPECT_TRUE(out.executable.empty()) << c.what;
    }
}

TEST(Packager, ShowPrintsTheDecipheredSettings) {
    PackageOutput out;
    std::string error;
    ASSERT_TRUE(buildPackage(sampleInputs(), out, error)) << error;
    std::string report;
    ASSERT_TRUE(describePackage(out.executable, &out.besideIni, report, error)) << error;
    EXPECT_NE(report.find("Main Class=com.example.Main"), std::string::npos) << report;
    EXPECT_NE(report.find("-Dname=Zo\xC3\xAB\xE4\xB8\xAD"), std::string::npos);
    EXPECT_NE(report.find("RCDATA     8000"), std::string::npos);
    // Without the beside file the launcher uses an empty Upgrade Code, which does not fit.
    EXPECT_FALSE(describePackage(out.executable, nullptr, report, error));
}

TEST(Packager, GeneratedCodesAreFreshAndWellFormed) {
    Text a, b;
    ASSERT_TRUE(newGuid(a));
    ASSERT_TRUE(newGuid(b));
    EXPECT_NE(a, b);
    ASSERT_EQ(a.size(), 38u);
    EXPECT_EQ(a[0], L'{');
    EXPECT_EQ(a[15], L'4');  // version 4
    std::string p, q;
    ASSERT_TRUE(newPassPhrase(p));
    ASSERT_TRUE(newPassPhrase(q));
    EXPECT_NE(p, q);
    EXPECT_EQ(p.size(), 48u);
}

}  // namespace
