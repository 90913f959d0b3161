// vornicpack verify on folders as a user might be about to ship them: a good one gives nothing, and
// each damage gives its own line, and no other.
#include "signing_fixture.h"

#include <functional>

#include "pe/byte_io.h"
#include "pe/resource_tree.h"
#include "package/verify.h"

using namespace signingtest;

namespace {

// Rewrites `exe` with its header checksum made right again, as a tool that edits a file would.
void fixChecksum(Bytes& exe) {
    const std::size_t at = getLe32(exe.data(), 0x3C) + 24 + 64;
    putLe32(exe, at, peChecksum(exe, at));
}

}  // namespace

TEST_F(SignedProject, VerifyGivesOneLinePerDamageAndNothingForAGoodFolder) {
    std::string error, output;
    ASSERT_TRUE(build("Certificate=cert.pem\nKey=key.pem", error, "signed/Demo")) << error;
    ASSERT_TRUE(build("", error, "unsigned/Demo")) << error;

    struct Damage {
        const char* what;
        const char* folder;  // which build it starts from
        bool expectSigned;
        std::function<void(const fs::path&)> damage;
        std::vector<std::pair<std::string, std::string>> expected;  // file, part of its line
    };
    const auto edit = [](const fs::path& file, const std::function<void(Bytes&)>& change) {
        Bytes bytes = readFile(file);
        change(bytes);
        writeBytes(file, bytes);
    };
    const std::vector<Damage> damages = {
        {"a good signed folder", "signed", true, [](const fs::path&) {}, {}},
        {"a good unsigned folder, no signing asked for", "unsigned", false, [](const fs::path&) {}, {}},
        {"unsigned where signing was asked for", "unsigned", true, [](const fs::path&) {},
         {{"Demo-x86.exe", "it is not signed: sign it"}, {"Demo.exe", "it is not signed: sign it"}}},
        {"one launcher signed, the other not", "signed", false,
         [&](const fs::path& folder) { fs::copy_file(root_ / "unsigned/Demo/Demo-x86.exe", folder / "Demo-x86.exe",
                                                     fs::copy_options::overwrite_existing); },
         {{"Demo-x86.exe", "it is not signed, but Demo.exe beside it is"}}},
        {"bytes appended after the signature, checksum made right", "signed", true,
         [&](const fs::path& folder) {
             edit(folder / "Demo.exe", [](Bytes& exe) {
                 exe.insert(exe.end(), {'E', 'X', 'T', 'R', 'A', 0, 0, 0});
                 fixChecksum(exe);
             });
         },
         {{"Demo.exe", "8 bytes follow its signature"}, {"Demo.exe", "its signature does not verify"}}},
        {"bytes appended to an unsigned launcher", "unsigned", false,
         [&](const fs::path& folder) {
             edit(folder / "Demo-x86.exe", [](Bytes& exe) {
                 exe.insert(exe.end(), 16, 0x5A);
                 fixChecksum(exe);
             });
         },
         {{"Demo-x86.exe", "16 bytes follow its last section"}}},
        {"a wrong checksum (outside what the signature covers)", "signed", true,
         [&](const fs::path& folder) {
             edit(folder / "Demo.exe", [](Bytes& exe) { exe[getLe32(exe.data(), 0x3C) + 24 + 64] ^= 0x01; });
         },
         {{"Demo.exe", "its header checksum is 0x"}}},
        {"code changed after signing", "signed", true,
         [&](const fs::path& folder) {
             edit(folder / "Demo-x86.exe", [](Bytes& exe) {
                 exe[0x400] ^= 0xFF;  // the code section
                 fixChecksum(exe);
             });
         },
         {{"Demo-x86.exe", "its signature does not verify: the file was changed after it was signed"}}},
        {"no version resource", "unsigned", false,
         [&](const fs::path& folder) {
             edit(folder / "Demo.exe", [](Bytes& exe) {
                 PeImage image;
                 std::vector<Resource> resources, kept;
                 std::string problem;
                 ASSERT_TRUE(image.parse(exe, problem) && image.readResources(resources, problem)) << problem;
                 for (const Resource& resource : resources)
                     if (!(resource.type == ResourceName::of(kTypeVersion))) kept.push_back(resource);
                 ASSERT_TRUE(image.withResources(kept, exe, problem)) << problem;
             });
         },
         {{"Demo.exe", "it has no version resource"}}},
        {"no manifest", "unsigned", false,
         [&](const fs::path& folder) {
             edit(folder / "Demo-x86.exe", [](Bytes& exe) {
                 PeImage image;
                 std::vector<Resource> resources, kept;
                 std::string problem;
                 ASSERT_TRUE(image.parse(exe, problem) && image.readResources(resources, problem)) << problem;
                 for (const Resource& resource : resources)
                     if (!(resource.type == ResourceName::of(kTypeManifest))) kept.push_back(resource);
                 ASSERT_TRUE(image.withResources(kept, exe, problem)) << problem;
             });
         },
         {{"Demo-x86.exe", "it has no manifest"}}},
        {"a launcher without its pair", "signed", true,
         [](const fs::path& folder) { fs::remove(folder / "Demo-x86.exe"); },
         {{"Demo.exe", "its \"Pair Product\" Demo-x86.exe is missing"}}},
        {"a pair of the same width", "unsigned", false,
         [](const fs::path& folder) {
             fs::copy_file(folder / "Demo.exe", folder / "Demo-x86.exe", fs::copy_options::overwrite_existing);
         },
         {{"Demo-x86.exe", "is not a launcher of the other width"}, {"Demo.exe", "is not a launcher of the other width"}}},
        {"not an executable at all", "unsigned", false,
         [](const fs::path& folder) { writeFile(folder / "Demo.exe", "MZ but cut short"); },
         {{"Demo-x86.exe", "\"Pair Product\" Demo.exe is not a launcher of the other width"},
          {"Demo.exe", "it is not a Windows executable"}}},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        const fs::path folder = root_ / "damaged";
        fs::remove_all(folder);
        fs::copy(root_ / damage.folder / "Demo", folder, fs::copy_options::recursive);
        damage.damage(folder);
        VerifyOptions options;
        options.expectSigned = damage.expectSigned;
        VerifyReport report;
        ASSERT_TRUE(verifyShipment(folder, options, report, error)) << error;
        std::string found;
        for (const VerifyFinding& finding : report.findings) found += finding.file + ": " + finding.text + "\n";
        EXPECT_EQ(report.findings.size(), damage.expected.size()) << found;
        for (const auto& [file, part] : damage.expected) {
            bool seen = false;
            for (const VerifyFinding& finding : report.findings)
                seen = seen || (finding.file == file && contains(finding.text, part));
            EXPECT_TRUE(seen) << file << ": " << part << "\nfound:\n" << found;
        }
        EXPECT_TRUE(report.notes.empty());
    }
}

TEST_F(SignedProject, TheVerifyCommandPrintsOneLinePerFindingAndFailsOnAny) {
    std::string error, output;
    ASSERT_TRUE(build("Certificate=cert.pem\nKey=key.pem", error)) << error;
    const std::string folder = path("out/Demo");
    EXPECT_EQ(run({VORNICPACK, "verify", folder, "--signed"}, output), 0);
    EXPECT_EQ(output, "");
    // Trust in another certificate than the signer's self-signed one is a finding, each launcher's own line.
    ASSERT_EQ(run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path("other-key.pem"), "-out",
                   path("other.pem"), "-days", "30", "-subj", "/CN=someone else"},
                  output),
              0);
    EXPECT_EQ(run({VORNICPACK, "verify", folder, "--trust", path("other.pem")}, output), 1);
    EXPECT_EQ(output, folder + "/Demo-x86.exe: its signature does not verify: self-signed certificate; sign the "
                               "file again\n" +
                          folder + "/Demo.exe: its signature does not verify: self-signed certificate; sign the file "
                                   "again\n");
    EXPECT_EQ(run({VORNICPACK, "verify", path("out/Demo/Demo.exe"), "--trust", path("cert.pem")}, output), 0) << output;
    EXPECT_EQ(run({VORNICPACK, "verify", path("out/nothing-here")}, output), 1);
    EXPECT_TRUE(contains(output, "no such folder or file")) << output;
}
