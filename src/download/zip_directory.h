// The central directory of a zip archive that lies whole in memory (a mapped file), and the rule by
// which an entry's name becomes a path inside the folder it is unpacked into. Runtime archives as
// vendors publish them hold one top folder ("jdk-17.0.9+9-jre/bin/server/jvm.dll"); that folder is
// dropped, so that the unpacked folder is the runtime's home.
//
//   std::vector<ZipItem> items;
//   if (readZipDirectory(view, size, items) != ZipProblem::None) ...
//   const std::string top = commonTopFolder(items);
//   Text path;
//   if (!entryTargetPath(item.name, top, path)) ...   // "..", "C:", "\\server": outside the folder
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/text.h"

struct ZipItem {
    std::string name;  // as stored, "/" or "\" separated
    std::uint16_t flags = 0;
    std::uint16_t method = 0;  // 0 stored, 8 deflated
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localHeaderAt = 0;
    bool isFolder() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
};

enum class ZipProblem {
    None,
    NotZip,       // no end of central directory
    Damaged,      // a record or an entry's data lies outside the file, or a header is wrong
    Unsupported,  // enciphered entries, or a method other than stored and deflated
};

// Reads every entry of the central directory, with the 64-bit extensions.
ZipProblem readZipDirectory(const std::uint8_t* data, std::uint64_t size, std::vector<ZipItem>& items);

// Where the entry's compressed bytes begin (after its local header); false when they would end past
// the file.
bool entryData(const std::uint8_t* data, std::uint64_t size, const ZipItem& item, const std::uint8_t*& begin);

// The first component that every entry has in common ("jdk-17/"), or empty when the entries do not
// share one, an entry lies at the top itself, or that component is the runtime's own "bin/".
std::string commonTopFolder(const std::vector<ZipItem>& items);

// The entry's path below the unpack folder, with backslashes, `top` removed. False for every name
// that would leave the folder or that Windows would read as something else: an absolute path, a
// drive or stream (":"), a "." or ".." component, an empty one, a device name (CON, NUL, ...), a
// component ending in a dot or a blank (Windows drops them, so two names could meet), characters no
// file name may hold, and text that is not UTF-8. A name that is only `top` gives an empty path.
bool entryTargetPath(const std::string& name, const std::string& top, Text& path);
