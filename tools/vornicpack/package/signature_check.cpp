#include "package/signature_check.h"

#include <fstream>

#include "pe/byte_io.h"
#include "system/child_process.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

// A DER element: its tag and where its contents lie. Only definite lengths, as DER has.
bool readDer(const Bytes& data, std::size_t at, std::size_t end, std::uint8_t& tag, std::size_t& contents,
             std::size_t& next) {
    if (at + 2 > end) return false;
    tag = data[at];
    std::size_t length = data[at + 1], cursor = at + 2;
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > 4 || cursor + count > end) return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = length << 8 | data[cursor++];
    }
    if (length > end - cursor) return false;
    contents = cursor;
    next = cursor + length;
    return true;
}

// The certificates a PKCS#7 SignedData carries: ContentInfo { type, [0] { SignedData { version,
// digest algorithms, content, [0] IMPLICIT certificates, ... } } }.
bool signatureCertificates(const Bytes& pkcs7, std::vector<Bytes>& certificates) {
    certificates.clear();
    std::uint8_t tag = 0;
    std::size_t contents = 0, next = 0, end = pkcs7.size();
    if (!readDer(pkcs7, 0, end, tag, contents, end) || tag != 0x30) return false;
    if (!readDer(pkcs7, contents, end, tag, contents, next) || tag != 0x06) return false;  // contentType
    if (!readDer(pkcs7, next, end, tag, contents, end) || tag != 0xA0) return false;
    if (!readDer(pkcs7, contents, end, tag, contents, end) || tag != 0x30) return false;  // SignedData
    std::size_t at = contents;
    for (int field = 0; field < 3; ++field)
        if (!readDer(pkcs7, at, end, tag, contents, at)) return false;
    if (!readDer(pkcs7, at, end, tag, contents, next) || tag != 0xA0) return false;
    for (std::size_t cert = contents, certEnd = next; cert < certEnd;) {
        std::size_t inner = 0, after = 0;
        if (!readDer(pkcs7, cert, certEnd, tag, inner, after)) return false;
        if (tag == 0x30) certificates.emplace_back(pkcs7.begin() + cert, pkcs7.begin() + after);
        cert = after;
    }
    return !certificates.empty();
}

std::string pemOf(const Bytes& der) {
    static const char* const digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text = "-----BEGIN CERTIFICATE-----\n", line;
    for (std::size_t i = 0; i < der.size(); i += 3) {
        const std::uint32_t chunk = der[i] << 16 | (i + 1 < der.size() ? der[i + 1] << 8 : 0) |
                                    (i + 2 < der.size() ? der[i + 2] : 0);
        line += digits[chunk >> 18 & 63];
        line += digits[chunk >> 12 & 63];
        line += i + 1 < der.size() ? digits[chunk >> 6 & 63] : '=';
        line += i + 2 < der.size() ? digits[chunk & 63] : '=';
        if (line.size() == 64) {
            text += line + "\n";
            line.clear();
        }
    }
    if (!line.empty()) text += line + "\n";
    return text + "-----END CERTIFICATE-----\n";
}

// A file of the system's temporary folder, removed with its owner.
struct TemporaryFile {
    fs::path path;
    ~TemporaryFile() {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
    }
};

bool writeTemporary(const std::string& text, TemporaryFile& file) {
    std::uint8_t random[8];
    if (!secureRandom(random, sizeof random)) return false;
    std::string name = "vornicpack-trust-";
    for (const std::uint8_t byte : random) name += "0123456789abcdef"[byte >> 4], name += "0123456789abcdef"[byte & 15];
    std::error_code code;
    file.path = fs::temp_directory_path(code) / (name + ".pem");
    std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// Why osslsigncode's verify failed, in a line.
std::string verifyReason(const std::string& output) {
    if (output.find("MISMATCH") != std::string::npos)
        return "the file was changed after it was signed (its digest does not match the signature's)";
    for (std::size_t at = output.find("Error: "); at != std::string::npos; at = output.find("Error: ", at + 1)) {
        const std::size_t end = output.find('\n', at);
        return output.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7);
    }
    return "osslsigncode's verify failed";
}

// Runs osslsigncode's verify against `trust`; false when it could not be run at all.
bool runVerify(std::vector<std::string> args, int& exitCode, std::string& output, std::string& problem) {
    bool ran = runProgram(args, std::string(), exitCode, output, problem);
    // Fetching revocation lists would make the check depend on the network; osslsigncode 2.5
    // (Debian 12) fetches none and knows no -ignore-cdp.
    if (ran && exitCode != 0 && output.find("Unknown option: -ignore-cdp") != std::string::npos) {
        args.erase(args.begin() + 2);
        ran = runProgram(args, std::string(), exitCode, output, problem);
    }
    return ran;
}

}  // namespace

SignatureCheck checkEmbeddedSignature(const Bytes& bytes, std::size_t table, std::size_t size, const fs::path& file,
                                      const VerifyOptions& options) {
    // WIN_CERTIFICATE: dwLength, wRevision, wCertificateType (2: PKCS#7 SignedData), the data.
    const std::size_t length = getLe32(bytes.data(), table);
    std::vector<Bytes> certificates;
    if (length < 8 || length > size || getLe16(bytes.data(), table + 6) != 2 ||
        !signatureCertificates(Bytes(bytes.begin() + table + 8, bytes.begin() + table + length), certificates))
        return {SignatureCheck::Unreadable, std::string()};
    // Without trust anchors of the user's, a signature verifies when the certificates it carries
    // (or the system's store) account for it: whether Windows trusts them is the machine's matter.
    TemporaryFile anchors;
    fs::path trust = options.trust;
    if (trust.empty()) {
        std::string text;
        for (const Bytes& certificate : certificates) text += pemOf(certificate);
        Bytes system;
        std::string ignored;
        if (readWholeFile("/etc/ssl/certs/ca-certificates.crt", system, ignored)) text.append(system.begin(), system.end());
        if (!writeTemporary(text, anchors))
            return {SignatureCheck::NotChecked, "signature not checked: cannot write a temporary file"};
        trust = anchors.path;
    }
    std::vector<std::string> args = {"osslsigncode", "verify", "-ignore-cdp", "-CAfile", utf8Of(trust),
                                     "-TSA-CAfile", utf8Of(trust)};
    if (options.verifyTime >= 0) args.insert(args.end(), {"-time", std::to_string(options.verifyTime)});
    args.insert(args.end(), {"-in", utf8Of(file)});
    int exitCode = 0;
    std::string output, problem;
    if (!runVerify(std::move(args), exitCode, output, problem))
        return {SignatureCheck::NotChecked, "signature present, not checked: " + problem};
    if (exitCode != 0) return {SignatureCheck::Refused, verifyReason(output)};
    return {SignatureCheck::Verified, std::string()};
}
