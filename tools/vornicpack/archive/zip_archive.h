// Zip archives (jars are zip archives): reading the central directory and the entries of one in memory,
// and writing one whose bytes depend only on what is put in, in that order, and the one timestamp given.
//
//   ZipReader jar;
//   if (!jar.open(bytes, error)) ...
//   if (const ZipEntry* entry = jar.find("META-INF/MANIFEST.MF")) jar.read(*entry, manifest, error);
//
//   ZipWriter zip(dosDateTime(sourceDateEpoch));
//   zip.addFolder("app/");
//   if (!zip.addFile("app/a.txt", bytes, error)) ...
//   Bytes archive;
//   if (!zip.finish(archive, error)) ...
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/bytes.h"

struct ZipEntry {
    std::string name;  // as stored: "/" separators, a trailing "/" for a folder
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t localHeaderAt = 0;
};

class ZipReader {
public:
    // Reads the central directory. False for what is not a zip archive or is cut short.
    bool open(Bytes bytes, std::string& error);

    const std::vector<ZipEntry>& entries() const { return entries_; }
    const ZipEntry* find(const std::string& name) const;

    // The entry's bytes, inflated when deflated; its CRC is checked.
    bool read(const ZipEntry& entry, Bytes& out, std::string& error) const;

private:
    Bytes bytes_;
    std::vector<ZipEntry> entries_;
};

// The MS-DOS date and time of zip headers for seconds since 1970 (UTC), clamped to 1980 to 2107.
std::uint32_t dosDateTime(long long secondsSinceEpoch);

class ZipWriter {
public:
    explicit ZipWriter(std::uint32_t dosDateTime) : dosDateTime_(dosDateTime) {}

    void addFolder(const std::string& name);  // name ends with "/"
    // Deflated at zlib's best compression, or stored when that does not make it smaller.
    bool addFile(const std::string& name, const Bytes& data, std::string& error);
    // The archive's comment (at most 65535 bytes), written last, after the end record.
    void setComment(std::string comment) { comment_ = std::move(comment); }
    // False when the archive would need the 64-bit extensions (over 4 GiB or 65535 entries).
    bool finish(Bytes& archive, std::string& error);

private:
    std::uint32_t dosDateTime_;
    std::string comment_;
    Bytes body_;
    Bytes directory_;
    std::size_t count_ = 0;
    bool tooLarge_ = false;
};

// zlib's CRC-32 of `data`.
std::uint32_t crc32Of(const Bytes& data);
