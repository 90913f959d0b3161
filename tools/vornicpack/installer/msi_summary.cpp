#include "installer/msi_summary.h"

#include <cstring>
#include <vector>

#include "system/platform.h"
#include "texts/text_codec.h"
#include "archive/zip_archive.h"

namespace {

std::uint32_t read32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t read16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

// A compound file's directory and streams, enough to find one stream and name the file offsets of
// its bytes, so that it can be rewritten where it lies.
class CompoundFile {
public:
    explicit CompoundFile(const Bytes& bytes) : bytes(bytes) {}

    bool open() {
        static const std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (bytes.size() < 512 || std::memcmp(bytes.data(), signature, 8) != 0) return false;
        const unsigned shift = read16(bytes, 0x1E), miniShift = read16(bytes, 0x20);
        if (shift < 9 || shift > 16 || miniShift >= shift) return false;
        sectorSize = std::size_t{1} << shift;
        miniSize = std::size_t{1} << miniShift;
        cutoff = read32(bytes, 0x38);
        // The FAT's sectors: the first 109 in the header, the rest in the DIFAT chain.
        std::vector<std::uint32_t> fatSectors;
        for (std::size_t i = 0; i < 109; ++i) {
            const std::uint32_t sector = read32(bytes, 0x4C + 4 * i);
            if (sector < 0xFFFFFFFA) fatSectors.push_back(sector);
        }
        std::uint32_t difat = read32(bytes, 0x44);
        for (std::size_t guard = 0; difat < 0xFFFFFFFA && guard < 1 << 16; ++guard) {
            if (!inFile(difat)) return false;
            const std::size_t at = offsetOf(difat);
            for (std::size_t i = 0; i + 1 < sectorSize / 4; ++i) {
                const std::uint32_t sector = read32(bytes, at + 4 * i);
                if (sector < 0xFFFFFFFA) fatSectors.push_back(sector);
            }
            difat = read32(bytes, at + sectorSize - 4);
        }
        for (const std::uint32_t sector : fatSectors) {
            if (!inFile(sector)) return false;
            for (std::size_t i = 0; i < sectorSize / 4; ++i) fat.push_back(read32(bytes, offsetOf(sector) + 4 * i));
        }
        if (!chain(read32(bytes, 0x30), directory)) return false;
        std::vector<std::size_t> miniFatPlaces;
        if (read32(bytes, 0x3C) < 0xFFFFFFFA && !chain(read32(bytes, 0x3C), miniFatPlaces)) return false;
        for (const std::size_t place : miniFatPlaces)
            for (std::size_t i = 0; i < sectorSize / 4; ++i) miniFat.push_back(read32(bytes, place + 4 * i));
        // The root entry's stream holds the small streams.
        if (directory.empty()) return false;
        return read32(bytes, directory[0] + 116) >= 0xFFFFFFFA || chain(read32(bytes, directory[0] + 116), miniStream);
    }

    // The file offsets of each directory entry.
    std::vector<std::size_t> entries() const {
        std::vector<std::size_t> all;
        for (const std::size_t place : directory)
            for (std::size_t at = place; at < place + sectorSize; at += 128) all.push_back(at);
        return all;
    }

    // The directory entry named `name` (UTF-16 in the file); 0 when none.
    std::size_t find(const std::u16string& name) const {
        for (const std::size_t at : entries()) {
            const std::size_t length = read16(bytes, at + 64);
            if (length != 2 * (name.size() + 1)) continue;
            bool same = true;
            for (std::size_t i = 0; i < name.size() && same; ++i) same = read16(bytes, at + 2 * i) == name[i];
            if (same) return at;
        }
        return 0;
    }

    // The file offset of every byte of the stream that the entry at `entry` names.
    bool places(std::size_t entry, std::vector<std::size_t>& offsets) const {
        offsets.clear();
        const std::uint32_t start = read32(bytes, entry + 116);
        const std::uint64_t size = read32(bytes, entry + 120);
        if (size < cutoff) {
            for (std::uint32_t sector = start; offsets.size() < size; sector = miniFat[sector]) {
                if (sector >= miniFat.size()) return false;
                const std::size_t inStream = sector * miniSize;
                for (std::size_t i = 0; i < miniSize && offsets.size() < size; ++i) {
                    const std::size_t block = (inStream + i) / sectorSize;
                    if (block >= miniStream.size()) return false;
                    offsets.push_back(miniStream[block] + (inStream + i) % sectorSize);
                }
            }
            return true;
        }
        std::vector<std::size_t> sectors;
        if (!chain(start, sectors)) return false;
        for (const std::size_t place : sectors)
            for (std::size_t i = 0; i < sectorSize && offsets.size() < size; ++i) offsets.push_back(place + i);
        return offsets.size() == size;
    }

private:
    bool inFile(std::uint32_t sector) const { return (std::size_t{sector} + 2) * sectorSize <= bytes.size(); }
    std::size_t offsetOf(std::uint32_t sector) const { return (std::size_t{sector} + 1) * sectorSize; }

    bool chain(std::uint32_t sector, std::vector<std::size_t>& out) const {
        out.clear();
        while (sector != kEndOfChain) {
            if (sector >= fat.size() || !inFile(sector) || out.size() > fat.size()) return false;
            out.push_back(offsetOf(sector));
            sector = fat[sector];
        }
        return true;
    }

    const Bytes& bytes;
    std::size_t sectorSize = 512, miniSize = 64;
    std::uint32_t cutoff = 4096;
    std::vector<std::uint32_t> fat, miniFat;
    std::vector<std::size_t> directory, miniStream;
};

// The summary stream's bytes and where each lies in the file.
bool summaryStream(const Bytes& package, Bytes& stream, std::vector<std::size_t>& offsets) {
    CompoundFile file(package);
    if (!file.open()) return false;
    const std::size_t entry = file.find(u"\x05SummaryInformation");
    if (!entry || !file.places(entry, offsets)) return false;
    stream.clear();
    for (const std::size_t at : offsets) stream.push_back(package[at]);
    return true;
}

// Where the value of property `id` lies in the stream (its type first); 0 when it is not there.
std::size_t propertyAt(const Bytes& stream, std::uint32_t id) {
    if (stream.size() < 48 || read16(stream, 0) != 0xFFFE) return 0;
    const std::size_t section = read32(stream, 44);
    if (section + 8 > stream.size()) return 0;
    const std::size_t count = read32(stream, section + 4);
    for (std::size_t i = 0; i < count && section + 16 + 8 * i <= stream.size(); ++i) {
        if (read32(stream, section + 8 + 8 * i) != id) continue;
        const std::size_t at = section + read32(stream, section + 12 + 8 * i);
        return at + 8 <= stream.size() ? at : 0;
    }
    return 0;
}

constexpr std::uint32_t kLpstr = 30, kFiletime = 64;

}  // namespace

bool normaliseSummary(Bytes& package, const Text& packageCode, long long epoch, std::string& error) {
    Bytes stream;
    std::vector<std::size_t> offsets;
    if (!summaryStream(package, stream, offsets)) {
        error = "the package written has no summary information the packer can read";
        return false;
    }
    const std::string code = encodeUtf8(packageCode);
    const std::size_t revision = propertyAt(stream, kSummaryRevision);
    if (!revision || read32(stream, revision) != kLpstr || read32(stream, revision + 4) != code.size() + 1 ||
        revision + 8 + code.size() + 1 > stream.size()) {
        error = "the package written has no revision number of a package code's length";
        return false;
    }
    std::memcpy(stream.data() + revision + 8, code.data(), code.size());
    // Seconds since 1970 in 100 ns units since 1601.
    const long long seconds = epoch < 0 ? 315532800 : epoch;
    const std::uint64_t time = (static_cast<std::uint64_t>(seconds) + 11644473600ull) * 10000000ull;
    for (const std::uint32_t id : {kSummaryPrinted, kSummaryCreated, kSummarySaved}) {
        const std::size_t at = propertyAt(stream, id);
        if (!at || read32(stream, at) != kFiletime) continue;
        write32(stream, at + 4, static_cast<std::uint32_t>(time));
        write32(stream, at + 8, static_cast<std::uint32_t>(time >> 32));
    }
    for (std::size_t i = 0; i < offsets.size(); ++i) package[offsets[i]] = stream[i];
    CompoundFile file(package);
    if (!file.open()) return false;
    const std::uint32_t dos = dosDateTime(epoch < 0 ? 0 : epoch);
    for (const std::size_t entry : file.entries()) {
        // Storages may carry creation and modification times in their directory entries.
        std::memset(package.data() + entry + 100, 0, 16);
        // An embedded cabinet carries each file's modification time (CFFILE date and time).
        std::vector<std::size_t> places;
        if (package[entry + 66] != 2 || !file.places(entry, places) || places.size() < 36) continue;
        Bytes cab;
        for (const std::size_t at : places) cab.push_back(package[at]);
        if (std::memcmp(cab.data(), "MSCF", 4) != 0 || (read16(cab, 30) & 4)) continue;
        std::size_t at = read32(cab, 16);
        for (std::size_t i = 0, files = read16(cab, 28); i < files && at + 16 < cab.size(); ++i) {
            package[places[at + 10]] = static_cast<std::uint8_t>(dos >> 16);
            package[places[at + 11]] = static_cast<std::uint8_t>(dos >> 24);
            package[places[at + 12]] = static_cast<std::uint8_t>(dos);
            package[places[at + 13]] = static_cast<std::uint8_t>(dos >> 8);
            at += 16;
            while (at < cab.size() && cab[at]) ++at;
            ++at;
        }
    }
    return true;
}

bool summaryText(const Bytes& package, std::uint32_t id, std::string& value) {
    value.clear();
    Bytes stream;
    std::vector<std::size_t> offsets;
    if (!summaryStream(package, stream, offsets)) return false;
    const std::size_t at = propertyAt(stream, id);
    if (!at || read32(stream, at) != kLpstr) return false;
    const std::size_t length = read32(stream, at + 4);
    if (at + 8 + length > stream.size()) return false;
    value.assign(reinterpret_cast<const char*>(stream.data() + at + 8), length);
    while (!value.empty() && value.back() == '\0') value.pop_back();
    return true;
}

bool summaryTime(const Bytes& package, std::uint32_t id, std::uint64_t& value) {
    value = 0;
    Bytes stream;
    std::vector<std::size_t> offsets;
    if (!summaryStream(package, stream, offsets)) return false;
    const std::size_t at = propertyAt(stream, id);
    if (!at || read32(stream, at) != kFiletime) return false;
    value = read32(stream, at + 4) | static_cast<std::uint64_t>(read32(stream, at + 8)) << 32;
    return true;
}

bool isPackerInstaller(const std::filesystem::path& file) {
    Bytes bytes;
    std::string ignored, keywords;
    if (!readWholeFile(file, bytes, ignored) || !summaryText(bytes, kSummaryKeywords, keywords)) return false;
    // Keywords are separated by commas or blanks.
    for (char& c : keywords)
        if (c == ',' || c == ';') c = ' ';
    return (" " + keywords + " ").find(std::string(" ") + kInstallerMark + " ") != std::string::npos;
}
