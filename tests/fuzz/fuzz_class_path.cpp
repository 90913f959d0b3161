// buildClassPath over a fake file system and environment from the input. Every piece of the class
// path is either an absolute entry of the setting kept as written, or a file that the search found
// where the search looked, in the search's order; the class path is empty or ends with ";".
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "fuzz_text.h"
#include "jvm/class_path.h"
#include "support/path.h"

namespace {

const Text kExeFolder = L"C:\\app\\";
const Text kFolders[] = {L"C:\\app\\", L"C:\\app\\lib\\", L"D:\\x\\"};

// The system reads a doubled backslash inside a path as one.
Text collapse(const Text& path) {
    Text out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 1 && path[i] == L'\\' && out.back() == L'\\') continue;
        out += path[i];
    }
    return out;
}

// "*" any run, "?" any one unit; the usual single-backtrack walk, linear enough for long names.
bool wildcardMatch(const Text& pattern, const Text& name) {
    std::size_t p = 0, n = 0, star = Text::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (star != Text::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

class FakeSystem : public ClassPathSystem {
public:
    std::map<Text, TextList> folders;  // folder (ending with a backslash) -> names in search order
    Text variable;                      // the value of %A%
    mutable std::vector<std::pair<Text, TextList>> searches;

    Text expandEnvironment(const Text& text) const override {
        Text out = text;
        for (std::size_t at = out.find(L"%A%"); at != Text::npos; at = out.find(L"%A%", at + variable.size())) {
            out.replace(at, 3, variable);
        }
        return out;
    }
    void findMatches(const Text& searchName, TextList& names) const override {
        const Text path = collapse(searchName);
        const std::size_t slash = path.rfind(L'\\');
        TextList found;
        const auto folder = folders.find(slash == Text::npos ? Text() : path.substr(0, slash + 1));
        const Text pattern = slash == Text::npos ? path : path.substr(slash + 1);
        if (folder != folders.end()) {
            for (const Text& name : folder->second) {
                if (wildcardMatch(pattern, name)) found.push_back(name);
            }
        }
        names.insert(names.end(), found.begin(), found.end());
        searches.emplace_back(searchName, found);
    }
    Text narrowSafePath(const Text& path) const override { return path; }
};

bool isPlainName(const Text& name) {
    return !name.empty() && name.find_first_of(L"\\*?;%") == Text::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TextList lines = splitText(fuzzText(data, size), L"\n");
    if (lines.size() < 2) return 0;
    FakeSystem system;
    for (const Text& folder : kFolders) system.folders[folder] = {L".", L".."};
    system.variable = lines[1].find_first_of(L";%") == Text::npos ? lines[1] : Text();
    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (isPlainName(lines[i])) system.folders[kFolders[lines[i][0] % 3]].push_back(lines[i]);
    }
    const Text& setting = lines[0];

    const Text classPath = buildClassPath(setting, kExeFolder, system);
    if (!classPath.empty() && classPath.back() != L';') std::abort();

    // Walk the pieces along the entries: an absolute entry without "*" gives itself, any other gives
    // what its search found, each behind the folder that was searched.
    const TextList pieces = splitText(classPath, L";");
    std::size_t piece = 0;
    std::size_t search = 0;
    for (const Text& raw : splitText(setting, L";")) {
        const Text entry = system.expandEnvironment(raw);
        if (isAbsolutePath(entry) && entry.find(L'*') == Text::npos) {
            if (piece >= pieces.size() || pieces[piece++] != entry) std::abort();
            continue;
        }
        if (search >= system.searches.size()) std::abort();
        const auto& [searchName, found] = system.searches[search++];
        const Text searched = collapse(searchName);
        const Text folder = searched.substr(0, searched.rfind(L'\\') + 1);
        for (const Text& name : found) {
            if (piece >= pieces.size() || collapse(pieces[piece++]) != folder + name) std::abort();
        }
    }
    if (piece != pieces.size() || search != system.searches.size()) std::abort();
    return 0;
}
