// Signing inside vornicpack build: each way of signing gives launchers and installer packages that
// osslsigncode verifies, the same bytes again from the same inputs, and the same bytes in the zip;
// each way of failing is one line and leaves the previous folder and zip as they were.
#include "signing_fixture.h"

#include "archive/zip_archive.h"

using namespace signingtest;

namespace {

const char* const kSoftHsm = "/usr/lib/softhsm/libsofthsm2.so";

struct SigningSetup {
    const char* what;
    std::string signing;      // the [Signing] section
    std::string password;     // put into the password variable; empty: left unset
    bool token = false;       // make the SoftHSM token first
    long long epoch = -1;     // SOURCE_DATE_EPOCH of the build
    std::vector<std::string> shown;  // what osslsigncode verify shows of the signature
};

}  // namespace

TEST_F(SignedProject, EachWayOfSigningGivesLaunchersThatVerifyAndTheSameBytesAgain) {
    std::string output;
    ASSERT_EQ(run({"openssl", "pkcs8", "-topk8", "-in", path("key.pem"), "-out", path("key-locked.pem"), "-passout",
                   "pass:key-secret"},
                  output),
              0)
        << output;
    ASSERT_EQ(run({"openssl", "pkcs12", "-export", "-in", path("cert.pem"), "-inkey", path("key.pem"), "-out",
                   path("signer.p12"), "-passout", "pass:p12-secret"},
                  output),
              0)
        << output;
    const std::string password = std::string("Password Variable=") + kPasswordVariable + "\n";
    const std::vector<SigningSetup> setups = {
        {"a certificate and key file, with a description, a URL and the epoch's signing time",
         "Certificate=cert.pem\nKey=key.pem\nDescription=Demo application\nURL=https://example.org/demo",
         "",
         false,
         1700000000,
         {"Text description: Demo application", "URL description: https://example.org/demo",
          "Signing time: Nov 14 22:13:20 2023 GMT"}},
        {"a key file locked with a password from the environment", "Certificate=cert.pem\nKey=key-locked.pem\n" + password,
         "key-secret", false, -1, {"Signing time: Jan  1 00:00:00 1980 GMT"}},
        {"a PKCS#12 file", "PKCS12 File=signer.p12\n" + password, "p12-secret", false, -1, {"Subject: /CN=vornicw test signer"}},
        {"a PKCS#11 token",
         std::string("PKCS11 Module=") + kSoftHsm +
             "\nPKCS11 Key=pkcs11:token=vornicw-test;object=signer;type=private\nCertificate=cert.pem\n" + password,
         kTokenPin, true, -1, {"Subject: /CN=vornicw test signer"}},
        {"a Sign Command that runs its own tool",
         "Sign Command=osslsigncode sign -certs '" + path("cert.pem") + "' -key '" + path("key.pem") +
             "' -n 'by command' -time 315532800 -in {file} -out {file}.signed >/dev/null && mv {file}.signed {file}",
         "", false, -1, {"Text description: by command"}},
    };
    for (const SigningSetup& setup : setups) {
        SCOPED_TRACE(setup.what);
        if (setup.token) makeToken();
        if (!setup.password.empty()) setenv(kPasswordVariable, setup.password.c_str(), 1);
        std::string error;
        ASSERT_TRUE(build(setup.signing, error, "out/Demo", setup.epoch, true)) << error;
        ASSERT_TRUE(build(setup.signing, error, "again/Demo", setup.epoch, true)) << error;
        // Each installer package is signed too, after the launchers inside it.
        for (const char* package : {"Demo-1.2.3.4-x64.msi", "Demo-1.2.3.4-x86.msi"}) {
            SCOPED_TRACE(package);
            const fs::path file = root_ / "out" / package;
            EXPECT_EQ(run({"osslsigncode", "verify", "-CAfile", path("cert.pem"), "-in", file.string()}, output), 0)
                << output;
            for (const std::string& part : setup.shown) EXPECT_TRUE(contains(output, part)) << part << "\n" << output;
            EXPECT_EQ(readFile(file), readFile(root_ / "again" / package)) << "not the same bytes from the same inputs";
        }
        for (const char* exe : {"Demo.exe", "Demo-x86.exe"}) {
            SCOPED_TRACE(exe);
            const fs::path file = root_ / "out/Demo" / exe;
            EXPECT_EQ(run({"osslsigncode", "verify", "-CAfile", path("cert.pem"), "-in", file.string()}, output), 0)
                << output;
            for (const std::string& part : setup.shown) EXPECT_TRUE(contains(output, part)) << part << "\n" << output;
            // The password never reaches what the packer keeps or prints.
            const Bytes bytes = readFile(file);
            if (!setup.password.empty())
                EXPECT_FALSE(contains(std::string(bytes.begin(), bytes.end()), setup.password));
            EXPECT_EQ(bytes, readFile(root_ / "again/Demo" / exe)) << "not the same bytes from the same inputs";
            ZipReader zip;
            Bytes packed;
            ASSERT_TRUE(zip.open(readFile(root_ / "out/Demo.zip"), error)) << error;
            const ZipEntry* entry = zip.find(std::string("Demo/") + exe);
            ASSERT_NE(entry, nullptr);
            ASSERT_TRUE(zip.read(*entry, packed, error)) << error;
            EXPECT_EQ(packed, bytes) << "the zip holds other bytes than the folder";
        }
        for (const std::string& note : notes_) EXPECT_FALSE(contains(note, "signature")) << note;
        unsetenv(kPasswordVariable);
    }
}

TEST_F(SignedProject, EachSigningFailureIsOneLineAndLeavesThePreviousOutput) {
    std::string output, error;
    ASSERT_EQ(run({"openssl", "pkcs12", "-export", "-in", path("cert.pem"), "-inkey", path("key.pem"), "-out",
                   path("signer.p12"), "-passout", "pass:p12-secret"},
                  output),
              0)
        << output;
    makeToken();
    ASSERT_TRUE(build("", error)) << error;  // the output that must survive
    const auto before = treeOf(root_ / "out");

    const std::string password = std::string("Password Variable=") + kPasswordVariable + "\n";
    const std::string token = std::string("PKCS11 Key=pkcs11:token=vornicw-test;object=signer;type=private\n") +
                              "Certificate=cert.pem\n" + password;
    struct Failure {
        const char* what;
        std::string signing;
        std::string password;  // set into the variable; it must appear nowhere
        std::vector<std::string> expected;
    };
    const std::vector<Failure> failures = {
        {"a wrong PKCS#12 password", "PKCS12 File=signer.p12\n" + password, "not-the-p12-secret",
         {"signing Demo-x86.exe failed: osslsigncode: Failed to parse PKCS#12 file", "mac verify failure"}},
        {"a wrong token PIN", std::string("PKCS11 Module=") + kSoftHsm + "\n" + token, "0000",
         {"signing Demo-x86.exe failed: osslsigncode: Login failed (PIN incorrect)"}},
        {"a missing token module", "PKCS11 Module=no/such/module.so\n" + token, kTokenPin,
         {"app.vornic: line ", ": PKCS11 Module ", "no/such/module.so does not exist"}},
        {"a failing Sign Command",
         "Sign Command=echo {file} >/dev/null; echo 'progress 50%'; echo 'signing service: quota exceeded' >&2; exit 3", "",
         {"signing Demo-x86.exe failed: Sign Command ended with exit code 3: signing service: quota exceeded"}},
        {"a Sign Command that signs nothing", "Sign Command=true {file}", "",
         {"out/Demo/Demo-x86.exe: it is not signed: sign it"}},
        {"a password written into the project", "Certificate=cert.pem\nKey=key.pem\nPassword=hunter2-in-the-file", "",
         {"a password does not go into the project file", "Password Variable"}},
        {"a Password Variable that is not set", "PKCS12 File=signer.p12\n" + password, "",
         {"the environment variable VORNIC_TEST_SIGNING_PASSWORD (Password Variable) is not set"}},
        {"two ways of signing", "Certificate=cert.pem\nKey=key.pem\nSign Command=signtool sign {file}", "",
         {"names more than one way to sign"}},
        {"nothing to sign with", "Description=Demo", "", {"[Signing] names nothing to sign with"}},
        {"a key without its certificate", "Key=key.pem", "", {"Key needs its Certificate"}},
        {"a Sign Command without {file}", "Sign Command=signtool sign /a", "", {"must name the file to sign as {file}"}},
        {"osslsigncode keys beside a Sign Command", "Sign Command=signtool sign {file}\nTimestamp URL=http://ts.example",
         "", {"Sign Command signs on its own"}},
        {"a time stamp address that is not one", "Certificate=cert.pem\nKey=key.pem\nTimestamp URL=ts.example.org", "",
         {"Timestamp URL must be an http:// or https:// address"}},
        {"an unknown key", "Certificate=cert.pem\nKey=key.pem\nHash=sha1", "", {"[Signing] has no key \"Hash\""}},
        {"a key given twice", "Certificate=cert.pem\nKey=key.pem\nKey=other.pem", "",
         {"the key \"Key\" appears again in [Signing]"}},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.what);
        if (!failure.password.empty()) setenv(kPasswordVariable, failure.password.c_str(), 1);
        EXPECT_FALSE(build(failure.signing, error));
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        for (const std::string& part : failure.expected) EXPECT_TRUE(contains(error, part)) << part << "\n" << error;
        for (const std::string& secret : {failure.password, std::string("hunter2")})
            if (!secret.empty()) EXPECT_FALSE(contains(error, secret)) << error;
        EXPECT_EQ(treeOf(root_ / "out"), before) << "the previous folder or zip changed";
        unsetenv(kPasswordVariable);
    }
}
