// [Runtime Download] as the packer checks it, and the digest and size it writes from the archive a
// project names, so that what ships is what the launcher will fetch and accept.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "project/project_file.h"
#include "project/runtime_download_checks.h"
#include "project/settings_split.h"
#include "support/sha256.h"
#include "texts/text_codec.h"
#include "archive/zip_archive.h"

namespace fs = std::filesystem;

namespace {

const Text kDigest = L"9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

std::vector<IniSection> parsed(const Text& text) {
    std::vector<IniSection> sections;
    std::string error;
    EXPECT_TRUE(parseSettingsText(text, sections, error)) << error;
    return sections;
}

TEST(RuntimeDownloadChecks, RefusesEachValueTheLauncherWouldNotFetchOrAccept) {
    const Text whole = L"x64 URL=https://example.com/jre.zip\nx64 SHA-256=" + kDigest + L"\nx64 Size=1000\n";
    const struct {
        Text section;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {whole, ""},
        {L"Runtime Download=yes\n" + whole, ""},
        {L"Runtime Download=No\n", ""},
        {L"x86 URL=http://127.0.0.1:8080/jre.zip\nx86 SHA-256=" + kDigest + L"\nx86 Size=7\n", ""},
        {L"Runtime Download=Always\n" + whole, "line 2: \"Runtime Download\" is \"Always\": write Ask"},
        {L"x64 Url=https://example.com/jre.zip\n", "write the key \"x64 Url\" as \"x64 URL\""},
        {L"x64 Location=https://example.com/jre.zip\n", "[Runtime Download] has no key \"x64 Location\""},
        {L"x64 URL=http://example.com/jre.zip\nx64 SHA-256=" + kDigest + L"\nx64 Size=1\n", "over https only"},
        {L"x64 URL=https://me:pw@example.com/jre.zip\nx64 SHA-256=" + kDigest + L"\nx64 Size=1\n", "password"},
        {L"x64 URL=https://example.com/a b.zip\nx64 SHA-256=" + kDigest + L"\nx64 Size=1\n", "no address"},
        {L"x64 URL=https://example.com/jre.zip\nx64 Size=1\n", "line 2: \"x64 SHA-256\" must be"},
        {L"x64 URL=https://example.com/jre.zip\nx64 SHA-256=abc\nx64 Size=1\n", "line 3: \"x64 SHA-256\" must be"},
        {L"x64 URL=https://example.com/jre.zip\nx64 SHA-256=" + kDigest + L"\n", "\"x64 Size\" must be"},
        {L"x64 URL=https://example.com/jre.zip\nx64 SHA-256=" + kDigest + L"\nx64 Size=45 MB\n", "\"x64 Size\" must be"},
        {L"x86 SHA-256=" + kDigest + L"\n", "\"x86 SHA-256\" without \"x86 URL\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(encodeUtf8(c.section));
        SplitSettings split;
        std::string error;
        const bool accepted = splitSettings(
            parsed(L"[Runtime Download]\n" + c.section + L"[Java Runtime Environment]\nMain Class=a.Main\n"), L"{X}", split,
            error);
        EXPECT_EQ(accepted, std::string(c.refusal).empty()) << error;
        if (!accepted) {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
        } else {
            EXPECT_NE(split.packagedText.find(L"[Runtime Download]"), Text::npos);
        }
    }
}

// A folder of its own under the system's temporary folder, removed with what it holds.
struct ArchiveFolder {
    ArchiveFolder() {
        path = fs::temp_directory_path() / ("vornic-download-checks-" + std::to_string(std::random_device()()));
        fs::create_directories(path);
    }
    ~ArchiveFolder() { fs::remove_all(path); }
    fs::path write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(path / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path / name;
    }
    fs::path path;
};

Bytes zipOf(std::initializer_list<const char*> names) {
    ZipWriter writer(dosDateTime(0));
    std::string error;
    for (const char* name : names) EXPECT_TRUE(writer.addFile(name, Bytes{'M', 'Z'}, error));
    Bytes archive;
    EXPECT_TRUE(writer.finish(archive, error));
    return archive;
}

TEST(RuntimeDownloadChecks, WritesTheArchivesDigestAndSizeAndRefusesAnArchiveTheLauncherWouldRefuse) {
    ArchiveFolder folder;
    const Bytes archive = zipOf({"jre-17/bin/java.dll", "jre-17/bin/server/jvm.dll"});
    const fs::path good = folder.write("good.zip", archive);
    Sha256 hash;
    hash.update(archive.data(), archive.size());
    const Text digest = hexOfDigest(hash.finish());
    const Text size = decimalText(archive.size());

    std::vector<IniSection> sections = parsed(L"[Java Runtime Environment]\nMain Class=a.Main\n[Runtime Download]\n"
                                              L"x64 URL=https://example.com/jre.zip\n");
    std::string error;
    ASSERT_TRUE(fillRuntimeDownload(sections, "x64", good, 12, error)) << error;
    SplitSettings split;
    ASSERT_TRUE(splitSettings(sections, L"{X}", split, error)) << error;
    EXPECT_NE(split.packagedText.find(L"x64 SHA-256=" + digest + L"\r\nx64 Size=" + size + L"\r\n"), Text::npos)
        << encodeUtf8(split.packagedText);

    // Written by hand too: it must be the file's, in either case.
    std::vector<IniSection> agreeing = parsed(L"[Runtime Download]\nx64 SHA-256=" + digest + L"\n");
    for (wchar_t& c : agreeing[0].pairs[0].value) c = static_cast<wchar_t>(towupper(c));
    EXPECT_TRUE(fillRuntimeDownload(agreeing, "x64", good, 12, error)) << error;
    std::vector<IniSection> disagreeing = parsed(L"[Runtime Download]\nx64 Size=5\n");
    EXPECT_FALSE(fillRuntimeDownload(disagreeing, "x64", good, 12, error));
    EXPECT_NE(error.find("line 2: \"x64 Size\" is 5, but the file of line 12 has " + encodeUtf8(size)), std::string::npos)
        << error;

    const struct {
        const char* what;
        Bytes bytes;
        const char* refusal;
    } bad[] = {
        {"no zip", Bytes{'n', 'o'}, "not a zip archive"},
        {"an entry outside", zipOf({"jre/bin/server/jvm.dll", "jre/../evil.dll"}), "\"jre/../evil.dll\" would lie outside"},
        {"no jvm.dll", zipOf({"jre/bin/java.dll", "jre/lib/modules"}), "holds no bin/server/jvm.dll"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        std::vector<IniSection> none;
        EXPECT_FALSE(fillRuntimeDownload(none, "x86", folder.write("bad.zip", c.bytes), 3, error));
        EXPECT_NE(error.find("line 3: Runtime Download x86 File "), std::string::npos) << error;
        EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
    }
    std::vector<IniSection> none;
    EXPECT_FALSE(fillRuntimeDownload(none, "x64", folder.path / "missing.zip", 3, error));
}

TEST(RuntimeDownloadChecks, AProjectNamesTheArchiveInPackage) {
    ArchiveFolder folder;
    const Bytes archive = zipOf({"bin/java.dll", "bin/server/jvm.dll"});
    folder.write("jre-x86.zip", archive);
    folder.write("app.jar", zipOf({"app/Main.class"}));
    std::ofstream(folder.path / "demo.vornic")
        << "[Package]\nJars=app.jar\nRuntime Download x86 File=jre-x86.zip\n[Java Runtime Environment]\n"
           "Main Class=app.Main\n[Runtime Download]\nx86 URL=https://example.com/jre-x86.zip\n";
    AppProject project;
    std::string error;
    ASSERT_TRUE(readProject(folder.path / "demo.vornic", project, error)) << error;
    SplitSettings split;
    ASSERT_TRUE(splitSettings(project.settings, L"{X}", split, error)) << error;
    EXPECT_NE(split.packagedText.find(L"x86 Size=" + decimalText(archive.size())), Text::npos);
}

}  // namespace
