// What the signing and verify tests share: a project of two paired launchers made from synthetic
// stubs (without appended bytes, as the real ones), and a self-signed code-signing certificate made
// by openssl for each test, all in a temporary folder that is removed however the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>

#include "folder/application_folder.h"
#include "system/child_process.h"
#include "pe/pe_image.h"
#include "system/platform.h"
#include "synthetic_pe.h"

namespace signingtest {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline Bytes readFile(const fs::path& path) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(path, bytes, error)) << error;
    return bytes;
}

inline void writeBytes(const fs::path& path, const Bytes& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

// Every file and folder under `root` with its bytes, to compare whole before and after.
inline std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).generic_string();
        const Bytes bytes = entry.is_directory() ? Bytes() : readFile(entry.path());
        tree[name + (entry.is_directory() ? "/" : "")] = std::string(bytes.begin(), bytes.end());
    }
    return tree;
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A tool the tests need, its exit code and what it printed; the test fails when it cannot start.
inline int run(const std::vector<std::string>& arguments, std::string& output, const std::string& input = "") {
    int exitCode = -1;
    std::string error;
    EXPECT_TRUE(runProgram(arguments, input, exitCode, output, error)) << error;
    return exitCode;
}

class SignedProject : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vornicpack-signing-" + std::to_string(std::random_device()()));
        fs::create_directories(root_);
        for (const bool is64 : {true, false}) {
            testpe::SyntheticOptions options;
            options.is64 = is64;
            options.overlay.clear();
            const Bytes stub = testpe::syntheticPe(options);
            writeBytes(root_ / "stubs" / (is64 ? "x64" : "x86") / "vornicw.exe", stub);
        }
        fs::copy_file(fs::path(TEST_JARS) / "app8.jar", root_ / "app8.jar");
        std::string output;
        ASSERT_EQ(run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path("key.pem"), "-out",
                       path("cert.pem"), "-days", "3650", "-subj", "/CN=vornicw test signer", "-addext",
                       "extendedKeyUsage=codeSigning"},
                      output),
                  0)
            << output;
    }

    void TearDown() override {
        for (const char* variable : {"SOFTHSM2_CONF", kPasswordVariable}) unsetenv(variable);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    static constexpr const char* kPasswordVariable = "VORNIC_TEST_SIGNING_PASSWORD";
    static constexpr const char* kTokenPin = "4711";

    // A SoftHSM token of this test's own (its SOFTHSM2_CONF and token folder under the root) holding
    // the test's key as "signer".
    void makeToken() {
        const fs::path folder = root_ / "softhsm";
        fs::create_directories(folder / "tokens");
        writeFile(folder / "softhsm2.conf", "directories.tokendir = " + (folder / "tokens").string() +
                                                "\nobjectstore.backend = file\nlog.level = ERROR\n");
        setenv("SOFTHSM2_CONF", (folder / "softhsm2.conf").c_str(), 1);
        std::string output;
        ASSERT_EQ(run({"softhsm2-util", "--init-token", "--free", "--label", "vornicw-test", "--pin", kTokenPin,
                       "--so-pin", "123456"},
                      output),
                  0)
            << output;
        ASSERT_EQ(run({"openssl", "pkcs8", "-topk8", "-nocrypt", "-in", path("key.pem"), "-out", path("key8.pem")},
                      output),
                  0)
            << output;
        ASSERT_EQ(run({"softhsm2-util", "--import", path("key8.pem"), "--token", "vornicw-test", "--label", "signer",
                       "--id", "01", "--pin", kTokenPin},
                      output),
                  0)
            << output;
    }

    std::string path(const std::string& name) const { return (root_ / name).string(); }

    // The project with `signing` as its [Signing] section (none when empty), built into out/Demo and
    // out/Demo.zip (and, with `installer`, a package per width beside them).
    bool build(const std::string& signing, std::string& error, const std::string& out = "out/Demo",
               long long epoch = -1, bool installer = false) {
        writeFile(root_ / "app.vornic",
                  "[Package]\nName=Demo\nLaunchers=x64, x86\nJars=app8.jar\nCompany=vornicw tests\nVersion=1.2.3.4\n" +
                      std::string(installer ? "Installer=msi\n" : "") +
                      (signing.empty() ? std::string() : "\n[Signing]\n" + signing + "\n") +
                      "\n[Product Information]\nProduct Name=Demo\n"
                      "Upgrade Code={11111111-2222-3333-4444-555555555555}\n");
        BuildRequest request;
        request.project = root_ / "app.vornic";
        request.stubs = root_ / "stubs";
        request.outputFolder = root_ / out;
        request.zip = root_ / (out + ".zip");
        request.sourceDateEpoch = epoch;
        notes_.clear();
        error.clear();
        return buildApplication(request, notes_, error);
    }

    fs::path root_;
    std::vector<std::string> notes_;
};

}  // namespace signingtest
