#include "jvm/runtime_paths.h"

Text runtimeHome(const Text& jvmLibraryPath) {
    return stripPathComponents(jvmLibraryPath, 3) + L'\\';
}

Text libraryPathText(const Text& expandedSetting, const Text& exeFolder, const Text& searchPath,
                     const Text& jvmLibraryPath) {
    Text text = expandedSetting;
    if (!text.empty() && text.back() != L';') text += L';';
    return text + exeFolder + L";.;" + searchPath + L";" + runtimeHome(jvmLibraryPath) + L"lib";
}

Text searchPathText(const Text& expandedSystemPath, const Text& searchPath, const Text& jvmLibraryPath) {
    Text text = expandedSystemPath;
    if (!text.empty() && text.back() != L';') text += L';';
    return text + searchPath + L";" + stripPathComponents(jvmLibraryPath, 2);
}

namespace {

bool isInsideFolder(const Text& path, const Text& folder) {
    if (folder.empty() || path.size() < folder.size()) return false;
    if (!equalsNoCase(path.substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\' || folder.back() == L'\\';
}

TextList nonEmptyEntries(const Text& list) {
    TextList entries;
    for (Text& entry : splitText(list, L";")) {
        if (!entry.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

// `entries` joined with ";", each followed by one.
std::size_t joinedLength(const TextList& entries) {
    std::size_t length = 0;
    for (const Text& entry : entries) length += entry.size() + 1;
    return length;
}

}  // namespace

FittedSearchPath fitSearchPath(const Text& expandedSystemPath, const Text& searchPath, const Text& jvmLibraryPath,
                               const Text& windowsFolder, std::size_t limit) {
    FittedSearchPath fitted;
    fitted.text = searchPathText(expandedSystemPath, searchPath, jvmLibraryPath);
    if (fitted.text.size() <= limit) return fitted;

    const Text bin = stripPathComponents(jvmLibraryPath, 2);
    const TextList systemEntries = nonEmptyEntries(expandedSystemPath);
    TextList pathEntries = nonEmptyEntries(searchPath);
    std::size_t tail = joinedLength(pathEntries) + bin.size();
    if (tail > limit) {
        // The process search path alone is too long (a parent that set a huge one): the system's own
        // folders are what every program needs, the rest goes from the end.
        std::size_t drop = pathEntries.size();
        while (tail > limit && drop > 0) {
            --drop;
            if (isInsideFolder(pathEntries[drop], windowsFolder)) continue;
            tail -= pathEntries[drop].size() + 1;
            fitted.dropped.push_back(pathEntries[drop]);
            pathEntries.erase(pathEntries.begin() + static_cast<std::ptrdiff_t>(drop));
        }
    }

    // The system path's folders keep their order; the first that does not fit and all after it go
    // (all of them, when the process search path had to lose folders of its own).
    Text text;
    std::size_t kept = 0;
    while (fitted.dropped.empty() && kept < systemEntries.size() &&
           text.size() + systemEntries[kept].size() + 1 + tail <= limit) {
        text += systemEntries[kept] + L';';
        ++kept;
    }
    TextList droppedSystem(systemEntries.begin() + static_cast<std::ptrdiff_t>(kept), systemEntries.end());
    droppedSystem.insert(droppedSystem.end(), fitted.dropped.rbegin(), fitted.dropped.rend());
    fitted.dropped = std::move(droppedSystem);
    for (const Text& entry : pathEntries) text += entry + L';';
    fitted.text = text + bin;
    return fitted;
}
