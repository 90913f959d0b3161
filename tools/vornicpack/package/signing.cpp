#include "package/signing.h"

#include <cctype>
#include <cstdlib>

#include "system/child_process.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

bool isUrl(const std::string& text) { return text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0; }

// The keys of [Signing], one at a time.
struct SigningReader {
    fs::path base;
    SigningSettings& out;
    std::string at;  // "file: line N: "

    fs::path pathOf(const Text& value) const {
        Text normal = value;
        for (wchar_t& unit : normal)
            if (unit == L'\\') unit = L'/';
        return base / pathFromText(normal);
    }

    bool read(const IniPair& pair, std::string& error) {
        const std::string value = encodeUtf8(profileValue(pair.value));
        const Text& key = pair.key;
        if (equalsNoCase(key, L"Certificate")) out.certificate = pathOf(profileValue(pair.value));
        else if (equalsNoCase(key, L"Key")) out.key = pathOf(profileValue(pair.value));
        else if (equalsNoCase(key, L"PKCS12 File")) out.pkcs12 = pathOf(profileValue(pair.value));
        else if (equalsNoCase(key, L"PKCS11 Module")) out.pkcs11Module = pathOf(profileValue(pair.value));
        else if (equalsNoCase(key, L"PKCS11 Engine")) out.pkcs11Engine = pathOf(profileValue(pair.value));
        else if (equalsNoCase(key, L"PKCS11 Key")) out.pkcs11Key = value;
        else if (equalsNoCase(key, L"PKCS11 Certificate")) out.pkcs11Certificate = value;
        else if (equalsNoCase(key, L"Password Variable")) out.passwordVariable = value;
        else if (equalsNoCase(key, L"Sign Command")) out.command = value;
        else if (equalsNoCase(key, L"Timestamp URL")) out.timestampUrl = value;
        else if (equalsNoCase(key, L"Description")) out.description = value;
        else if (equalsNoCase(key, L"URL")) out.url = value;
        else if (equalsNoCase(key, L"Password") || equalsNoCase(key, L"PIN") || equalsNoCase(key, L"Passphrase")) {
            // The project file is shared and checked in; a password written there is no longer one.
            error = at + "a password does not go into the project file: put it in an environment variable and name "
                         "that with Password Variable";
            return false;
        } else {
            error = at + "[Signing] has no key \"" + encodeUtf8(key) +
                    "\" (known: Certificate, Key, PKCS12 File, Password Variable, PKCS11 Module, PKCS11 Key, "
                    "PKCS11 Certificate, PKCS11 Engine, Sign Command, Timestamp URL, Description, URL)";
            return false;
        }
        if (value.empty()) {
            error = at + "\"" + encodeUtf8(key) + "\" is empty: give a value or remove the line";
            return false;
        }
        return true;
    }
};

bool fileGiven(const fs::path& path, const char* key, const std::string& at, std::string& error) {
    std::error_code code;
    if (fs::is_regular_file(path, code)) return true;
    error = at + key + " " + utf8Of(path) + " does not exist";
    return false;
}

// Which method the keys name: exactly one.
bool settleMethod(SigningSettings& out, const std::string& at, std::string& error) {
    const bool keyFile = !out.key.empty();
    const bool pkcs11 = !out.pkcs11Module.empty() || !out.pkcs11Key.empty();
    const int methods = int(keyFile) + int(!out.pkcs12.empty()) + int(pkcs11) + int(!out.command.empty());
    if (methods == 0) {
        error = at + "[Signing] names nothing to sign with: give Certificate and Key, a PKCS12 File, PKCS11 Module "
                     "and PKCS11 Key, or a Sign Command";
        return false;
    }
    if (methods > 1) {
        error = at + "[Signing] names more than one way to sign (Key, PKCS12 File, PKCS11 Module and Sign Command "
                     "exclude each other): keep one";
        return false;
    }
    if (keyFile) out.method = SigningMethod::KeyFile;
    else if (!out.pkcs12.empty()) out.method = SigningMethod::Pkcs12;
    else if (pkcs11) out.method = SigningMethod::Pkcs11;
    else out.method = SigningMethod::Command;
    return true;
}

bool checkMethod(const SigningSettings& out, const std::string& at, std::string& error) {
    switch (out.method) {
    case SigningMethod::KeyFile:
        if (out.certificate.empty()) {
            error = at + "Key needs its Certificate (the certificate file, PEM or DER)";
            return false;
        }
        return fileGiven(out.certificate, "Certificate", at, error) && fileGiven(out.key, "Key", at, error);
    case SigningMethod::Pkcs12:
        if (!out.certificate.empty()) {
            error = at + "a PKCS12 File holds its certificate: remove Certificate";
            return false;
        }
        return fileGiven(out.pkcs12, "PKCS12 File", at, error);
    case SigningMethod::Pkcs11:
        if (out.pkcs11Module.empty() || out.pkcs11Key.empty()) {
            error = at + "a token needs both PKCS11 Module (the token's library) and PKCS11 Key (a pkcs11: URI)";
            return false;
        }
        if (out.certificate.empty() == out.pkcs11Certificate.empty()) {
            error = at + "a token signs with one certificate: give Certificate (a file) or PKCS11 Certificate (a "
                         "pkcs11: URI), not both or neither";
            return false;
        }
        if (out.pkcs11Key.rfind("pkcs11:", 0) != 0 ||
            (!out.pkcs11Certificate.empty() && out.pkcs11Certificate.rfind("pkcs11:", 0) != 0)) {
            error = at + "PKCS11 Key and PKCS11 Certificate are pkcs11: URIs, such as "
                         "pkcs11:token=Build;object=signing;type=private";
            return false;
        }
        return fileGiven(out.pkcs11Module, "PKCS11 Module", at, error) &&
               (out.certificate.empty() || fileGiven(out.certificate, "Certificate", at, error)) &&
               (out.pkcs11Engine.empty() || fileGiven(out.pkcs11Engine, "PKCS11 Engine", at, error));
    case SigningMethod::Command:
        if (out.command.find("{file}") == std::string::npos) {
            error = at + "Sign Command must name the file to sign as {file}, such as: signtool sign /a {file}";
            return false;
        }
        // The command signs as it is told; what osslsigncode would add has to be in it.
        if (!out.timestampUrl.empty() || !out.description.empty() || !out.url.empty() || !out.certificate.empty() ||
            !out.passwordVariable.empty()) {
            error = at + "Sign Command signs on its own: give its time stamp, description, certificate and password "
                         "in the command, not as [Signing] keys";
            return false;
        }
        return true;
    case SigningMethod::None:
        break;
    }
    return false;
}

bool checkPassword(const SigningSettings& out, const std::string& at, std::string& error) {
    if (out.passwordVariable.empty()) return true;
    for (const char c : out.passwordVariable)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) {
            error = at + "Password Variable is the name of an environment variable (letters, digits, _), not \"" +
                    out.passwordVariable + "\"";
            return false;
        }
    const char* value = std::getenv(out.passwordVariable.c_str());
    if (!value || !*value) {
        error = at + "the environment variable " + out.passwordVariable +
                " (Password Variable) is not set: set it to the password before the build";
        return false;
    }
    if (std::char_traits<char>::length(value) > kMaxChildInput) {
        error = at + "the password in " + out.passwordVariable + " is longer than " + std::to_string(kMaxChildInput) +
                " bytes";
        return false;
    }
    return true;
}

std::vector<std::string> osslsigncodeArguments(const SigningSettings& signing, const fs::path& in,
                                               const fs::path& out, long long signingTime) {
    std::vector<std::string> args = {"osslsigncode", "sign"};
    auto add = [&](std::initializer_list<std::string> more) { args.insert(args.end(), more); };
    switch (signing.method) {
    case SigningMethod::KeyFile:
        add({"-certs", utf8Of(signing.certificate), "-key", utf8Of(signing.key)});
        break;
    case SigningMethod::Pkcs12:
        add({"-pkcs12", utf8Of(signing.pkcs12)});
        break;
    case SigningMethod::Pkcs11:
        if (!signing.pkcs11Engine.empty()) add({"-pkcs11engine", utf8Of(signing.pkcs11Engine)});
        add({"-pkcs11module", utf8Of(signing.pkcs11Module)});
        if (signing.certificate.empty()) add({"-pkcs11cert", signing.pkcs11Certificate});
        else add({"-certs", utf8Of(signing.certificate)});
        add({"-key", signing.pkcs11Key});
        break;
    default:
        break;
    }
    // From our pipe; osslsigncode 2.5 (Debian 12) reads no "-", but it opens /dev/stdin.
    if (!signing.passwordVariable.empty()) add({"-readpass", "/dev/stdin"});
    add({"-h", "sha256"});
    if (!signing.description.empty()) add({"-n", signing.description});
    if (!signing.url.empty()) add({"-i", signing.url});
    // The signing time is an attribute the signature covers; a fixed one keeps the bytes the same.
    // A time stamp carries the authority's own time, and then the real one belongs here.
    if (!signing.timestampUrl.empty()) add({"-ts", signing.timestampUrl});
    else add({"-time", std::to_string(signingTime)});
    add({"-in", utf8Of(in), "-out", utf8Of(out)});
    return args;
}

bool signWithOsslsigncode(const SigningSettings& signing, const fs::path& file, long long signingTime,
                          std::string& error) {
    fs::path signedFile = file;
    signedFile += ".signing";  // osslsigncode does not write over its input
    std::error_code code;
    fs::remove(signedFile, code);
    std::string password;
    if (!signing.passwordVariable.empty())
        if (const char* value = std::getenv(signing.passwordVariable.c_str())) password = value;
    int exitCode = 0;
    std::string output;
    const bool ran =
        runProgram(osslsigncodeArguments(signing, file, signedFile, signingTime), password, exitCode, output, error);
    password.assign(password.size(), '\0');
    if (!ran) {
        error += " (install osslsigncode)";
        return false;
    }
    if (exitCode != 0 || !fs::is_regular_file(signedFile, code)) {
        fs::remove(signedFile, code);
        error = "osslsigncode: " + toolReason(output, true);
        return false;
    }
    fs::rename(signedFile, file, code);
    if (code) {
        fs::remove(signedFile, code);
        error = "cannot replace " + utf8Of(file) + " with its signed copy: " + code.message();
        return false;
    }
    return true;
}

bool signWithCommand(const SigningSettings& signing, const fs::path& file, std::string& error) {
    std::string line = signing.command;
    const std::string quoted = shellQuoted(utf8Of(fs::absolute(file).make_preferred()));
    for (std::size_t at = line.find("{file}"); at != std::string::npos; at = line.find("{file}", at + quoted.size()))
        line.replace(at, 6, quoted);
    int exitCode = 0;
    std::string output;
    if (!runShellCommand(line, exitCode, output, error)) return false;
    if (exitCode != 0) {
        // Not the command itself: it may hold what the user keeps out of logs.
        error = "Sign Command ended with exit code " + std::to_string(exitCode) + ": " + toolReason(output, false);
        return false;
    }
    return true;
}

}  // namespace

std::string toolReason(const std::string& output, bool osslsigncode) {
    std::vector<std::string> lines;
    std::string current;
    for (const char c : output + "\n") {
        if (c != '\n' && c != '\r') {
            current += c;
            continue;
        }
        std::size_t begin = current.find_first_not_of(" \t");
        if (begin != std::string::npos) lines.push_back(current.substr(begin));
        current.clear();
    }
    if (lines.empty()) return "it printed nothing";
    if (!osslsigncode) return lines.back();
    // osslsigncode says what failed, then OpenSSL's queue says why:
    // "4070E13A...:error:430000A0:PKCS#11 module:ERR_CKR_error:PIN incorrect:p11_slot.c:208:".
    std::string first, reason;
    for (const std::string& line : lines) {
        const std::size_t mark = line.find(":error:");
        if (mark != std::string::npos) {
            const TextList fields = splitText(Text(line.begin() + mark + 7, line.end()), L":");
            if (reason.empty() && fields.size() > 3) reason = encodeUtf8(fields[3]);
            continue;
        }
        if (line == "Failed" || line == "Succeeded" || line.rfind("Engine \"", 0) == 0) continue;
        if (first.empty()) first = line;
    }
    if (first.empty()) first = reason.empty() ? lines.back() : reason;
    else if (!reason.empty() && first.find(reason) == std::string::npos) first += " (" + reason + ")";
    return first;
}

bool readSigningSection(const IniSection& section, const fs::path& base, const std::string& where,
                        SigningSettings& signing, std::string& error) {
    signing = SigningSettings();
    signing.line = section.line;
    SigningReader reader{base, signing, std::string()};
    std::vector<const IniPair*> seen;
    for (const IniPair& pair : section.pairs) {
        reader.at = where + "line " + std::to_string(pair.line) + ": ";
        for (const IniPair* earlier : seen)
            if (equalsNoCase(earlier->key, pair.key)) {
                error = reader.at + "the key \"" + encodeUtf8(pair.key) + "\" appears again in [Signing]";
                return false;
            }
        seen.push_back(&pair);
        if (!reader.read(pair, error)) return false;
    }
    const std::string at = where + "line " + std::to_string(section.line) + ": ";
    if (!settleMethod(signing, at, error) || !checkMethod(signing, at, error) || !checkPassword(signing, at, error)) {
        signing = SigningSettings();
        return false;
    }
    for (const auto& [key, value] : {std::pair{"Timestamp URL", &signing.timestampUrl}, std::pair{"URL", &signing.url}})
        if (!value->empty() && !isUrl(*value)) {
            error = at + key + " must be an http:// or https:// address, not \"" + *value + "\"";
            signing = SigningSettings();
            return false;
        }
#ifdef _WIN32
    // osslsigncode is the Linux packer's; on Windows the user's own tool signs.
    if (signing.method != SigningMethod::Command) {
        error = at + "the Windows vornicpack signs with a Sign Command only (such as signtool sign /a /fd sha256 "
                     "{file}); build on Linux to sign with a key file or token";
        signing = SigningSettings();
        return false;
    }
#endif
    return true;
}

bool signExecutable(const SigningSettings& signing, const fs::path& file, long long signingTime, std::string& error) {
    const bool done = signing.method == SigningMethod::Command ? signWithCommand(signing, file, error)
                                                               : signWithOsslsigncode(signing, file, signingTime, error);
    if (!done) error = "signing " + utf8Of(file.filename()) + " failed: " + error;
    return done;
}
