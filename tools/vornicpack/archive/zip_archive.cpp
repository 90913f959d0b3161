#include "archive/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <limits>

#include "pe/byte_io.h"

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kUtf8Names = 0x0800;  // general purpose flag 11: names are UTF-8

bool inflateRaw(const std::uint8_t* data, std::size_t size, std::size_t expected, Bytes& out) {
    out.assign(expected, 0);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(expected);
    const int result = inflate(&stream, Z_FINISH);
    const bool complete =
        (result == Z_STREAM_END || (result == Z_BUF_ERROR && expected == 0)) && stream.total_out == expected;
    inflateEnd(&stream);
    return complete;
}

bool deflateRaw(const Bytes& data, Bytes& out) {
    z_stream stream{};
    // Fixed parameters: the same zlib gives the same bytes on every platform.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    out.assign(deflateBound(&stream, static_cast<uLong>(data.size())), 0);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

void appendBytes(Bytes& to, const std::string& text) { to.insert(to.end(), text.begin(), text.end()); }

}  // namespace

std::uint32_t crc32Of(const Bytes& data) {
    return static_cast<std::uint32_t>(crc32(0L, data.data(), static_cast<uInt>(data.size())));
}

bool ZipReader::open(Bytes bytes, std::string& error) {
    entries_.clear();
    bytes_ = std::move(bytes);
    const std::uint8_t* b = bytes_.data();
    const std::size_t size = bytes_.size();
    // The end record lies in the last 22 bytes plus a comment of at most 65535.
    std::size_t end = std::string::npos;
    for (std::size_t at = size >= 22 ? size - 22 : 0; size >= 22; --at) {
        if (getLe32(b, at) == kEndSignature) {
            end = at;
            break;
        }
        if (at == 0 || size - at > 22 + 65535) break;
    }
    if (end == std::string::npos) {
        error = "it is not a zip archive (no end of central directory)";
        return false;
    }
    const std::size_t count = getLe16(b, end + 10);
    std::size_t at = getLe32(b, end + 16);
    for (std::size_t i = 0; i < count; ++i) {
        if (at + 46 > size || getLe32(b, at) != kCentralSignature) {
            error = "its central directory is damaged";
            return false;
        }
        ZipEntry entry;
        entry.method = getLe16(b, at + 10);
        entry.crc = getLe32(b, at + 16);
        entry.compressedSize = getLe32(b, at + 20);
        entry.size = getLe32(b, at + 24);
        const std::size_t nameLength = getLe16(b, at + 28);
        const std::size_t extra = getLe16(b, at + 30), comment = getLe16(b, at + 32);
        entry.localHeaderAt = getLe32(b, at + 42);
        if (at + 46 + nameLength > size) {
            error = "its central directory is damaged";
            return false;
        }
        entry.name.assign(reinterpret_cast<const char*>(b + at + 46), nameLength);
        entries_.push_back(std::move(entry));
        at += 46 + nameLength + extra + comment;
    }
    return true;
}

const ZipEntry* ZipReader::find(const std::string& name) const {
    for (const ZipEntry& entry : entries_)
        if (entry.name == name) return &entry;
    return nullptr;
}

bool ZipReader::read(const ZipEntry& entry, Bytes& out, std::string& error) const {
    out.clear();
    const std::uint8_t* b = bytes_.data();
    const std::size_t at = entry.localHeaderAt;
    if (at + 30 > bytes_.size() || getLe32(b, at) != kLocalSignature) {
        error = "the entry " + entry.name + " is damaged";
        return false;
    }
    const std::size_t dataAt = at + 30 + getLe16(b, at + 26) + getLe16(b, at + 28);
    if (dataAt > bytes_.size() || bytes_.size() - dataAt < entry.compressedSize) {
        error = "the entry " + entry.name + " is cut short";
        return false;
    }
    // Deflate cannot expand more than about 1032 to 1: a larger claim is damage, not a reason to
    // reserve gigabytes.
    if (entry.size / 1032 > entry.compressedSize + 1) {
        error = "the entry " + entry.name + " claims a size its data cannot hold";
        return false;
    }
    Bytes data;
    if (entry.method == kStored) {
        data.assign(b + dataAt, b + dataAt + entry.compressedSize);
    } else if (entry.method != kDeflated || !inflateRaw(b + dataAt, entry.compressedSize, entry.size, data)) {
        error = "the entry " + entry.name + " cannot be inflated";
        return false;
    }
    if (data.size() != entry.size || crc32Of(data) != entry.crc) {
        error = "the entry " + entry.name + " fails its CRC check";
        return false;
    }
    out = std::move(data);
    return true;
}

std::uint32_t dosDateTime(long long seconds) {
    constexpr long long k1980 = 315532800, kLast = 4354819198;  // 1980-01-01, 2107-12-31 23:59:58
    if (seconds < k1980) seconds = k1980;
    if (seconds > kLast) seconds = kLast;
    const long long days = seconds / 86400, rest = seconds % 86400;
    // Civil date from days since 1970 (H. Hinnant's algorithm), independent of the C library's time zone.
    const long long z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    const auto time = static_cast<std::uint32_t>(((rest / 3600) << 11) | (((rest / 60) % 60) << 5) | ((rest % 60) / 2));
    return date << 16 | time;
}

void ZipWriter::addFolder(const std::string& name) {
    Bytes none;
    std::string ignored;
    addFile(name, none, ignored);
}

bool ZipWriter::addFile(const std::string& name, const Bytes& data, std::string& error) {
    if (data.size() > std::numeric_limits<std::uint32_t>::max() || name.size() > 65535) {
        tooLarge_ = true;
        error = name + " is too large for a zip archive without the 64-bit extensions";
        return false;
    }
    Bytes deflated;
    const bool isFolder = !name.empty() && name.back() == '/';
    const bool deflate = !isFolder && !data.empty() && deflateRaw(data, deflated) && deflated.size() < data.size();
    const Bytes& stored = deflate ? deflated : data;
    const std::uint16_t method = deflate ? kDeflated : kStored;
    const std::uint32_t crc = crc32Of(data);
    const std::size_t offset = body_.size();
    if (offset > std::numeric_limits<std::uint32_t>::max()) tooLarge_ = true;

    auto header = [&](Bytes& to, bool central) {
        appendLe32(to, central ? kCentralSignature : kLocalSignature);
        if (central) appendLe16(to, 20);  // made by: MS-DOS attributes, zip 2.0
        appendLe16(to, 20);               // needed to extract: zip 2.0
        appendLe16(to, kUtf8Names);
        appendLe16(to, method);
        appendLe32(to, dosDateTime_);
        appendLe32(to, crc);
        appendLe32(to, static_cast<std::uint32_t>(stored.size()));
        appendLe32(to, static_cast<std::uint32_t>(data.size()));
        appendLe16(to, static_cast<std::uint16_t>(name.size()));
        appendLe16(to, 0);  // no extra fields: they would carry times and owners
        if (central) {
            appendLe16(to, 0);                    // comment
            appendLe16(to, 0);                    // disk
            appendLe16(to, 0);                    // internal attributes
            appendLe32(to, isFolder ? 0x10 : 0);  // MS-DOS directory attribute
            appendLe32(to, static_cast<std::uint32_t>(offset));
        }
        appendBytes(to, name);
    };
    header(body_, false);
    body_.insert(body_.end(), stored.begin(), stored.end());
    header(directory_, true);
    ++count_;
    return true;
}

bool ZipWriter::finish(Bytes& archive, std::string& error) {
    archive.clear();
    if (tooLarge_ || count_ > 65535 || body_.size() + directory_.size() > std::numeric_limits<std::uint32_t>::max()) {
        error = "the archive would need the zip 64-bit extensions (over 4 GiB or 65535 entries)";
        return false;
    }
    archive = body_;
    archive.insert(archive.end(), directory_.begin(), directory_.end());
    appendLe32(archive, kEndSignature);
    appendLe16(archive, 0);
    appendLe16(archive, 0);
    appendLe16(archive, static_cast<std::uint16_t>(count_));
    appendLe16(archive, static_cast<std::uint16_t>(count_));
    appendLe32(archive, static_cast<std::uint32_t>(directory_.size()));
    appendLe32(archive, static_cast<std::uint32_t>(body_.size()));
    const std::size_t comment = std::min<std::size_t>(comment_.size(), 0xFFFF);
    appendLe16(archive, static_cast<std::uint16_t>(comment));
    archive.insert(archive.end(), comment_.begin(), comment_.begin() + static_cast<std::ptrdiff_t>(comment));
    return true;
}
