#include "update/stage_check.h"

#include <windows.h>

#include <map>

#include "support/path.h"
#include "support/unique_handle.h"

namespace {

bool isReserved(const Text& relative) {
    const Text prefix = kUpdateReservedPrefix;
    return relative.find(L'\\') == Text::npos && relative.size() >= prefix.size() &&
           equalsNoCase(relative.substr(0, prefix.size()), prefix);
}

// Every file under the stage by its relative path; false with `why` at a link or junction.
bool listStage(const Text& root, const Text& relative, std::map<Text, Text>& files, Text& why) {
    WIN32_FIND_DATAW entry;
    UniqueFind search(FindFirstFileW(withLongPathPrefix(root + relative + L"*").c_str(), &entry));
    for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.get(), &entry) != FALSE) {
        const Text name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const Text path = relative + name;
        if (isReserved(path)) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            why = path + L" is a link or junction";
            return false;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!listStage(root, path + L"\\", files, why)) return false;
        } else {
            files[pathKey(path)] = path;
        }
    }
    return true;
}

}  // namespace

bool checkStage(const UpdatePlace& place, UpdateManifest& manifest, Text& why) {
    std::string bytes;
    if (!readWholeFile(place.manifest(), bytes)) {
        why = L"the manifest cannot be read";
        return false;
    }
    if (!parseManifest(bytes, kUpdateFolderName, manifest, why)) return false;
    std::map<Text, Text> present;
    if (!listStage(place.updateFolder, Text(), present, why)) return false;
    for (const ManifestFile& file : manifest.files) {
        const auto found = present.find(pathKey(file.path));
        if (found == present.end()) {
            why = file.path + L" is listed but not staged";
            return false;
        }
        present.erase(found);
        std::string sha256;
        unsigned long long size = 0;
        if (!hashFile(place.staged(file.path), sha256, size)) {
            why = file.path + L" cannot be read";
            return false;
        }
        if (size != file.size || sha256 != file.sha256) {
            why = file.path + L" differs from the manifest (size " + decimalText(size) + L", SHA-256 " +
                  widenAscii(sha256.c_str()) + L")";
            return false;
        }
    }
    if (!present.empty()) {
        why = present.begin()->second + L" is staged but not listed";
        return false;
    }
    return true;
}

namespace {

bool installedPathPlain(const UpdatePlace& place, const Text& path, Text& why) {
    const TextList parts = splitText(path, L"\\");
    Text at = place.appFolder;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        at += parts[i];
        const DWORD attributes = GetFileAttributesW(withLongPathPrefix(at).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // made by the apply
        const bool last = i + 1 == parts.size();
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || (!last && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ||
            (last && (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
            why = L"the installed " + at + L" is a link, a junction, or a folder where a file belongs";
            return false;
        }
        at += L"\\";
    }
    return true;
}

}  // namespace

bool checkInstalledPaths(const UpdatePlace& place, const UpdateManifest& manifest, Text& why) {
    for (const ManifestFile& file : manifest.files)
        if (!installedPathPlain(place, file.path, why)) return false;
    for (const Text& path : manifest.removed)
        if (!installedPathPlain(place, path, why)) return false;
    return true;
}
