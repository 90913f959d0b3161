#include "runtime/runtime_candidates.h"

#include <string>
#include <string_view>
#include <utility>

namespace {

bool isAllZero(const JavaVersion& version) {
    return version.parts[0] == 0 && version.parts[1] == 0 && version.parts[2] == 0 && version.parts[3] == 0;
}

// Negative when `a` belongs before `b`, positive when after, 0 when the rules tie.
int rankOrder(const RuntimeCandidate& a, const RuntimeCandidate& b, bool favorMode, JvmType jvmType) {
    if (favorMode && a.favored != b.favored) return a.favored ? -1 : 1;
    if (jvmType == JvmType::ServerFirst && a.server != b.server) return a.server ? -1 : 1;
    return -JavaVersion::compare(a.version, b.version);
}

}  // namespace

bool withinBounds(const JavaVersion& version, const SearchPreferences& preferences) {
    if (version < preferences.minimumVersion) return false;
    if (isAllZero(preferences.maximumVersion)) return true;
    return !(version > preferences.maximumVersion);
}

void rankCandidates(CandidateList& candidates, bool favorMode, JvmType jvmType) {
    // Neighbours are exchanged only when strictly out of order, so ties keep the order found.
    for (std::size_t pass = 0; pass < candidates.size(); ++pass) {
        bool exchanged = false;
        for (std::size_t i = 0; i + 1 < candidates.size(); ++i) {
            if (rankOrder(candidates[i], candidates[i + 1], favorMode, jvmType) > 0) {
                std::swap(candidates[i], candidates[i + 1]);
                exchanged = true;
            }
        }
        if (!exchanged) break;
    }
}

std::size_t selectCandidate(const CandidateList& candidates, const TextList& preferredVersions,
                            const Text** decidingPattern) {
    if (decidingPattern) *decidingPattern = nullptr;
    for (const Text& text : preferredVersions) {
        JavaVersion wanted;
        wanted.parse(text, 0);  // no digits: 0.0.0.0, which every candidate matches
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            if (JavaVersion::matches(candidates[i].version, wanted)) {
                if (decidingPattern) *decidingPattern = &text;
                return i;
            }
        }
    }
    return 0;
}

Text textUpToNul(const Text& data) {
    const std::size_t end = data.find(L'\0');
    return end == Text::npos ? data : data.substr(0, end);
}

bool releaseFileVersion(const std::string& content, JavaVersion& version) {
    version.clear();
    const std::string_view kKey = "JAVA_VERSION=";
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string line = content.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, kKey.size(), kKey) != 0) continue;
        Text value;
        for (std::size_t i = kKey.size(); i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\r') break;
            if (c != '"') value += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
        return version.parse(value, 0);
    }
    return false;
}

Text describeCandidate(const RuntimeCandidate& candidate) {
    const JavaVersion& v = candidate.version;
    Text text = decimalText(v.parts[0]) + L"." + decimalText(v.parts[1]) + L"." + decimalText(v.parts[2]) +
                L"." + decimalText(v.parts[3]) + L" " + candidate.home +
                (candidate.server ? L" (server VM" : L" (client or other VM");
    return text + (candidate.favored ? L", favored)" : L")");
}
