// What a user is about to ship, checked as Windows, Explorer and the launcher will meet it: each
// executable a whole PE image with a correct checksum, a version resource naming company, product,
// description and version, a manifest, nothing appended after its last section or signature, a
// signature that verifies (where one is asked for, or present), and launchers of the two widths
// that name each other as "Pair Product".
//
//   VerifyOptions options;  options.expectSigned = true;
//   VerifyReport report;
//   if (!verifyShipment("Demo", options, report, error)) ...   // cannot be read at all
//   for (const VerifyFinding& finding : report.findings) ... finding.file ... finding.text
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct VerifyOptions {
    bool expectSigned = false;          // every executable must carry a signature
    std::filesystem::path trust;        // certificates (PEM) the signatures must lead to; empty: any
                                        // certificate the signature carries, or the system's store
    long long verifyTime = -1;          // the time the signatures are checked at; below 0: now
};

enum class FindingKind {
    Image,      // not a valid image, a wrong checksum, no manifest: the file was damaged
    Texts,      // a version text missing: the project did not give it
    Appended,   // bytes after the last section or the signature
    Signature,  // missing where asked for, or not verifying
    Pair,       // the two widths' launchers do not name each other
};

struct VerifyFinding {
    std::string file;  // relative to the folder verified, or the file's name
    FindingKind kind = FindingKind::Image;
    std::string text;  // the fault and the fix
};

struct VerifyReport {
    std::vector<VerifyFinding> findings;
    std::vector<std::string> notes;  // what could not be checked here
    std::size_t executables = 0;
};

// `target` is an application folder (its top-level .exe files; the runtime's own files are its
// vendor's) or one executable. False only when `target` cannot be read.
bool verifyShipment(const std::filesystem::path& target, const VerifyOptions& options, VerifyReport& report,
                    std::string& error);
