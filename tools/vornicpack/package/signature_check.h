// An Authenticode signature embedded in an executable, checked the way `vornicpack verify` checks it:
// the PKCS#7 data read from the signature table, then osslsigncode's verify against the user's trust
// anchors, or else against the certificates the signature carries and the system's store.
//
//   const SignatureCheck check = checkEmbeddedSignature(bytes, table, size, file, options);
//   if (check.outcome == SignatureCheck::Refused) ... check.text ...
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "package/verify.h"
#include "support/bytes.h"

struct SignatureCheck {
    enum Outcome {
        Verified,
        Unreadable,  // no PKCS#7 SignedData with certificates in the table
        NotChecked,  // the check could not run here; `text` says why
        Refused,     // osslsigncode refused it; `text` says why
    };
    Outcome outcome = Verified;
    std::string text;
};

// `table` and `size` are the security directory's (a file offset), lying within `bytes`; `file` is
// the same executable on disk, for the tool.
SignatureCheck checkEmbeddedSignature(const Bytes& bytes, std::size_t table, std::size_t size,
                                      const std::filesystem::path& file, const VerifyOptions& options);
