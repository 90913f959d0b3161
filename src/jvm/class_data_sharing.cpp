#include "jvm/class_data_sharing.h"

namespace {

// The runtime's own reports about the archive (damaged, foreign, not matching the class path) are for
// whoever made the archive, which is the launcher: they must not reach the application's output.
// These two tag sets are where Java 13 to 25 report them; other logging stays as it was.
const wchar_t kSilenceSharingReports[] = L"-Xlog:cds=off,cds+dynamic=off";

class Fnv1a {
public:
    void add(const Text& text) {
        for (wchar_t unit : text) addUnit(static_cast<std::uint32_t>(unit));
        addUnit(0);  // so that "ab"+"c" differs from "a"+"bc"
    }
    void add(std::uint64_t value) {
        for (int shift = 0; shift < 64; shift += 8) addByte(static_cast<unsigned char>(value >> shift));
    }
    std::uint64_t value() const { return hash_; }

private:
    void addUnit(std::uint32_t unit) {
        addByte(static_cast<unsigned char>(unit));
        addByte(static_cast<unsigned char>(unit >> 8));
    }
    void addByte(unsigned char byte) {
        hash_ ^= byte;
        hash_ *= 0x100000001b3ull;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

Text lowerAscii(Text text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

void addStamp(Fnv1a& hash, const FileStamp& stamp) {
    hash.add(lowerAscii(stamp.path));
    hash.add(stamp.size);
    hash.add(stamp.modified);
}

Text hexDigits(std::uint64_t value) {
    Text digits(16, L'0');
    for (int i = 15; i >= 0; --i, value >>= 4) digits[static_cast<size_t>(i)] = L"0123456789abcdef"[value & 15];
    return digits;
}

// A product name may hold characters a file name cannot.
Text fileNamePart(const Text& name) {
    Text part;
    for (wchar_t c : name) {
        const bool forbidden = c < 32 || Text(L"<>:\"/\\|?*").find(c) != Text::npos;
        part += forbidden ? L'_' : c;
    }
    while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
    return part.empty() ? Text(L"application") : part;
}

}  // namespace

bool isLauncherArchiveName(const Text& fileName, const Text& productPrefix) {
    const std::size_t hashEnd = productPrefix.size() + 16;
    if (fileName.size() < hashEnd + 4 || !equalsNoCase(fileName.substr(0, productPrefix.size()), productPrefix)) {
        return false;
    }
    std::size_t at = productPrefix.size();
    while (at < hashEnd && Text(L"0123456789abcdefABCDEF").find(fileName[at]) != Text::npos) ++at;
    if (at != hashEnd || fileName[at] != L'.') return false;
    std::size_t digits = ++at;
    while (digits < fileName.size() && fileName[digits] >= L'0' && fileName[digits] <= L'9') ++digits;
    const Text end = fileName.substr(digits);
    if (digits == at) return equalsNoCase(end, L"jsa");
    return equalsNoCase(end, L".jsa") || equalsNoCase(end, L".tmp");
}

Text sharingRefusedMarkerName(const Text& productName, const JavaVersion& runtimeVersion, const FileStamp& jvmLibrary) {
    Fnv1a hash;
    for (std::int32_t part : runtimeVersion.parts) hash.add(static_cast<std::uint64_t>(part));
    addStamp(hash, jvmLibrary);
    return sharingProductPrefix(productName) + L"off-" + hexDigits(hash.value());
}

Text sharingProductPrefix(const Text& productName) { return fileNamePart(productName) + L"-cds-"; }

Text sharingArchiveStem(const SharingInputs& inputs) {
    Fnv1a hash;
    for (std::int32_t part : inputs.runtimeVersion.parts) hash.add(static_cast<std::uint64_t>(part));
    addStamp(hash, inputs.jvmLibrary);
    hash.add(static_cast<std::uint64_t>(inputs.classPath.size()));
    for (const FileStamp& entry : inputs.classPath) addStamp(hash, entry);
    return sharingProductPrefix(inputs.productName) + hexDigits(hash.value());
}

Text completeArchiveName(const Text& stem, std::uint64_t size) { return stem + L"." + decimalText(size) + L".jsa"; }

bool isCompleteArchive(const Text& fileName, const Text& stem, std::uint64_t actualSize) {
    return actualSize > 0 && equalsNoCase(fileName, completeArchiveName(stem, actualSize));
}

bool startsAsDynamicArchive(const unsigned char* bytes, std::size_t count) {
    // 0xf00baba8, the dynamic archive's magic number, in the little-endian order of every Windows machine.
    return count >= 4 && bytes[0] == 0xa8 && bytes[1] == 0xab && bytes[2] == 0x0b && bytes[3] == 0xf0;
}

int featureRelease(const JavaVersion& version) {
    if (version.count == 0) return 0;
    return version.parts[0] == 1 ? version.parts[1] : version.parts[0];
}

SharingPlan planClassDataSharing(const JavaVersion& version, const Text& folder, const Text& stem,
                                 const Text& completeName, const Text& uniqueTag) {
    SharingPlan plan;
    const int release = featureRelease(version);
    if (release < 13) return plan;
    plan.options.push_back(kSilenceSharingReports);
    if (release >= 19) {
        plan.mode = SharingMode::automatic;
        plan.archive = folder + stem + L".jsa";
        plan.options.push_back(L"-XX:+AutoCreateSharedArchive");
    } else if (completeName.empty()) {
        plan.mode = SharingMode::writeAtExit;
        plan.writing = folder + stem + L"." + uniqueTag + L".tmp";
        plan.archive = plan.writing;
        plan.options.push_back(L"-XX:ArchiveClassesAtExit=" + plan.writing);
        return plan;
    } else {
        plan.mode = SharingMode::use;
        plan.archive = folder + completeName;
    }
    plan.options.push_back(L"-XX:SharedArchiveFile=" + plan.archive);
    return plan;
}
