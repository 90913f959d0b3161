// The project's [Signing] section, and signing one executable with it: a certificate and key file,
// a PKCS#12 file, a PKCS#11 token (each through osslsigncode), or the user's own Sign Command
// (a signing service, signtool on Windows). Passwords come from an environment variable the
// project names; they reach osslsigncode on its standard input, never on a command line.
//
//   SigningSettings signing;
//   if (!readSigningSection(section, projectFolder, "app.vornic: ", signing, error)) ...
//   if (signing.enabled() && !signExecutable(signing, "Demo.vornicpack-new/Demo.exe", epoch, error)) ...
#pragma once

#include <filesystem>
#include <string>

#include "project/settings_split.h"

enum class SigningMethod { None, KeyFile, Pkcs12, Pkcs11, Command };

struct SigningSettings {
    SigningMethod method = SigningMethod::None;
    std::filesystem::path certificate, key, pkcs12, pkcs11Module, pkcs11Engine;
    std::string pkcs11Key, pkcs11Certificate;  // pkcs11: URIs
    std::string passwordVariable;              // the variable's name, never its value
    std::string command;                       // with {file}
    std::string timestampUrl, description, url;
    std::size_t line = 0;  // of the [Signing] header

    bool enabled() const { return method != SigningMethod::None; }
};

// Refuses, with the line and the fix, an unknown or repeated key, a password written into the
// project, no method or two, a file that does not exist, a Password Variable that is not set, a
// Sign Command without {file}, and on Windows any method but Sign Command. `where` begins each
// message ("app.vornic: "); paths are relative to `base`.
bool readSigningSection(const IniSection& section, const std::filesystem::path& base, const std::string& where,
                        SigningSettings& signing, std::string& error);

// Signs `file` in place. Without a Timestamp URL the signing time is `signingTime` (seconds since
// 1970), so that the same inputs and key give the same bytes. On failure `error` is one line with the
// tool's own reason; osslsigncode leaves `file` as it was, a failed Sign Command may not (the build
// signs its staged copy and discards it).
bool signExecutable(const SigningSettings& signing, const std::filesystem::path& file, long long signingTime,
                    std::string& error);

// The reason in a signing tool's output, on one line: osslsigncode's first message and OpenSSL's
// reason for it; any other tool's last line.
std::string toolReason(const std::string& output, bool osslsigncode);
