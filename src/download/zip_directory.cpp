#include "download/zip_directory.h"

#include "support/path.h"
#include "support/utf8.h"

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEnd64Signature = 0x06064b50;
constexpr std::uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr std::uint16_t kEnciphered = 1;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) { return le16(p) | (static_cast<std::uint32_t>(le16(p + 2)) << 16); }
std::uint64_t le64(const std::uint8_t* p) { return le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32); }

bool fits(std::uint64_t at, std::uint64_t length, std::uint64_t size) { return at <= size && length <= size - at; }

// The end record: the last 22 bytes, or before a comment of at most 65535 bytes.
bool findEnd(const std::uint8_t* data, std::uint64_t size, std::uint64_t& end) {
    if (size < 22) return false;
    const std::uint64_t lowest = size - 22 > 65535 ? size - 22 - 65535 : 0;
    for (std::uint64_t at = size - 22;; --at) {
        if (le32(data + at) == kEndSignature) {
            end = at;
            return true;
        }
        if (at == lowest) return false;
    }
}

// The 64-bit end record, when the locator before the end record names one.
bool readEnd64(const std::uint8_t* data, std::uint64_t size, std::uint64_t end, std::uint64_t& count,
               std::uint64_t& directoryAt) {
    if (end < 20 || le32(data + end - 20) != kEnd64LocatorSignature) return false;
    const std::uint64_t at = le64(data + end - 20 + 8);
    if (!fits(at, 56, size) || le32(data + at) != kEnd64Signature) return false;
    count = le64(data + at + 32);
    directoryAt = le64(data + at + 48);
    return true;
}

// The 64-bit values of extra field 1, each present only where the 32-bit field holds all ones.
bool readZip64Extra(const std::uint8_t* extra, std::uint16_t length, ZipItem& item) {
    for (std::uint32_t at = 0; at + 4 <= length;) {
        const std::uint16_t id = le16(extra + at);
        const std::uint16_t fieldLength = le16(extra + at + 2);
        if (at + 4 + fieldLength > length) return false;
        if (id == 1) {
            std::uint32_t field = at + 4;
            std::uint64_t* values[] = {&item.size, &item.compressedSize, &item.localHeaderAt};
            for (std::uint64_t* value : values) {
                if (*value != 0xFFFFFFFFu) continue;
                if (field + 8 > at + 4 + fieldLength) return false;
                *value = le64(extra + field);
                field += 8;
            }
        }
        at += 4 + fieldLength;
    }
    return true;
}

bool badNameUnit(wchar_t c) { return c < 0x20 || Text(L"<>:\"|?*").find(c) != Text::npos; }

}  // namespace

ZipProblem readZipDirectory(const std::uint8_t* data, std::uint64_t size, std::vector<ZipItem>& items) {
    items.clear();
    std::uint64_t end = 0;
    if (!findEnd(data, size, end)) return ZipProblem::NotZip;
    std::uint64_t count = le16(data + end + 10);
    std::uint64_t at = le32(data + end + 16);
    if (count == 0xFFFF || at == 0xFFFFFFFFu) {
        if (!readEnd64(data, size, end, count, at)) return ZipProblem::Damaged;
    }
    std::vector<ZipItem> read;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!fits(at, 46, size) || le32(data + at) != kCentralSignature) return ZipProblem::Damaged;
        const std::uint8_t* record = data + at;
        ZipItem item;
        item.flags = le16(record + 8);
        item.method = le16(record + 10);
        item.crc = le32(record + 16);
        item.compressedSize = le32(record + 20);
        item.size = le32(record + 24);
        const std::uint16_t nameLength = le16(record + 28);
        const std::uint16_t extraLength = le16(record + 30);
        const std::uint16_t commentLength = le16(record + 32);
        item.localHeaderAt = le32(record + 42);
        if (!fits(at + 46, std::uint64_t{nameLength} + extraLength + commentLength, size)) return ZipProblem::Damaged;
        item.name.assign(reinterpret_cast<const char*>(record + 46), nameLength);
        if (!readZip64Extra(record + 46 + nameLength, extraLength, item)) return ZipProblem::Damaged;
        if (item.flags & kEnciphered || (item.method != 0 && item.method != 8)) return ZipProblem::Unsupported;
        if (item.method == 0 && item.compressedSize != item.size) return ZipProblem::Damaged;
        read.push_back(std::move(item));
        at += 46 + nameLength + extraLength + commentLength;
    }
    items = std::move(read);
    return ZipProblem::None;
}

bool entryData(const std::uint8_t* data, std::uint64_t size, const ZipItem& item, const std::uint8_t*& begin) {
    const std::uint64_t at = item.localHeaderAt;
    if (!fits(at, 30, size) || le32(data + at) != kLocalSignature) return false;
    const std::uint64_t dataAt = at + 30 + le16(data + at + 26) + le16(data + at + 28);
    if (!fits(dataAt, item.compressedSize, size)) return false;
    begin = data + dataAt;
    return true;
}

std::string commonTopFolder(const std::vector<ZipItem>& items) {
    std::string top;
    for (const ZipItem& item : items) {
        const std::size_t slash = item.name.find_first_of("/\\");
        if (slash == std::string::npos) return std::string();  // a file at the top
        const std::string first = item.name.substr(0, slash + 1);
        if (top.empty()) top = first;
        else if (first != top) return std::string();
    }
    // Entries that all lie under bin are a runtime's home themselves, not a folder around one.
    if (top.size() == 4 && (top[0] | 0x20) == 'b' && (top[1] | 0x20) == 'i' && (top[2] | 0x20) == 'n') return std::string();
    return top;
}

bool entryTargetPath(const std::string& name, const std::string& top, Text& path) {
    if (name.compare(0, top.size(), top) != 0) return false;
    Text relative;
    if (!decodeUtf8(name.substr(top.size()), relative)) return false;
    Text built;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find_first_of(L"/\\", start);
        const bool folderEnd = end == relative.size() - 1;  // "bin/" names a folder
        if (end == Text::npos) end = relative.size();
        const Text part = relative.substr(start, end - start);
        if (part.empty() || part == L"." || part == L".." || part.back() == L'.' || part.back() == L' ' ||
            namesDevice(part))
            return false;
        for (const wchar_t c : part)
            if (badNameUnit(c)) return false;
        if (!built.empty()) built += L'\\';
        built += part;
        start = end + 1;
        if (folderEnd) break;
    }
    path = built;
    return true;
}
