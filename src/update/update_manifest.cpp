#include "update/update_manifest.h"

#include <set>

#include "support/path.h"
#include "support/utf8.h"

const wchar_t kUpdateReservedPrefix[] = L"vornicw-update.";

namespace {

const char kHeader[] = "vornicw update 1";

bool isHexDigest(const std::string& text) {
    if (text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

bool parseSize(const std::string& text, std::uint64_t& size) {
    if (text.empty() || text.size() > 19) return false;
    size = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool startsWithNoCase(const Text& text, const Text& prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// The rule a single part of a path breaks, or null.
const wchar_t* partFault(const Text& part) {
    if (part.empty()) return L"has an empty part";
    if (part == L"." || part == L"..") return L"has a \".\" or \"..\" part";
    if (part.back() == L'.' || part.back() == L' ') return L"has a part ending in a dot or blank";
    for (const wchar_t c : part) {
        if (c < 32 || Text(L"<>\"|?*").find(c) != Text::npos) return L"holds a character no file name may hold";
    }
    if (namesDevice(part)) return L"names a device";
    return nullptr;
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> all;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        all.push_back(line);
        start = end + 1;
    }
    return all;
}

bool takePath(const std::string& utf8, const Text& updateFolderName, std::set<Text>& seen, Text& path, Text& why) {
    Text text;
    if (!decodeUtf8(utf8, text)) {
        why = L"a path is not UTF-8";
        return false;
    }
    if (!checkUpdatePath(text, updateFolderName, path, why)) return false;
    if (!seen.insert(pathKey(path)).second) {
        why = path + L" is given twice";
        return false;
    }
    return true;
}

}  // namespace

Text pathKey(const Text& path) {
    Text key = path;
    for (wchar_t& c : key)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return key;
}

bool checkUpdatePath(const Text& path, const Text& updateFolderName, Text& normalized, Text& why) {
    normalized = replaceChar(path, L'/', L'\\');
    const wchar_t* fault = nullptr;
    if (normalized.empty()) fault = L"is empty";
    else if (normalized[0] == L'\\' || isAbsolutePath(normalized)) fault = L"is absolute";
    else if (normalized.find(L':') != Text::npos) fault = L"names a drive or a stream";
    else if (normalized.back() == L'\\') fault = L"has an empty part";
    const TextList parts = fault ? TextList() : splitText(normalized, L"\\");
    for (const Text& part : parts) {
        if (!fault) fault = partFault(part);
    }
    if (!fault && (startsWithNoCase(parts[0], kUpdateReservedPrefix) || equalsNoCase(parts[0], updateFolderName)))
        fault = L"lies in the launcher's own update files";
    if (!fault) return true;
    why = L"the path \"" + path + L"\" " + fault;
    normalized.clear();
    return false;
}

bool parseManifest(const std::string& bytes, const Text& updateFolderName, UpdateManifest& manifest, Text& why) {
    manifest = UpdateManifest();
    const std::vector<std::string> all = lines(bytes);
    if (all.empty() || all[0] != kHeader) {
        why = L"the manifest does not begin with \"vornicw update 1\"";
        return false;
    }
    std::set<Text> seen;
    for (std::size_t i = 1; i < all.size(); ++i) {
        const std::string& line = all[i];
        if (line.empty()) continue;
        const std::string lineNumber = std::to_string(i + 1);
        if (line.rfind("remove ", 0) == 0) {
            Text path;
            if (!takePath(line.substr(7), updateFolderName, seen, path, why)) return false;
            manifest.removed.push_back(path);
            continue;
        }
        const std::size_t hashEnd = line.find(' ', 5);
        const std::size_t sizeEnd = hashEnd == std::string::npos ? hashEnd : line.find(' ', hashEnd + 1);
        ManifestFile file;
        if (line.rfind("file ", 0) != 0 || sizeEnd == std::string::npos || !isHexDigest(line.substr(5, hashEnd - 5)) ||
            !parseSize(line.substr(hashEnd + 1, sizeEnd - hashEnd - 1), file.size)) {
            why = L"manifest line " + widenAscii(lineNumber.c_str()) + L" is neither \"file HASH SIZE PATH\" nor \"remove PATH\"";
            return false;
        }
        file.sha256 = line.substr(5, 64);
        if (!takePath(line.substr(sizeEnd + 1), updateFolderName, seen, file.path, why)) return false;
        manifest.files.push_back(file);
    }
    if (manifest.files.empty()) {
        why = L"the manifest lists no file";
        return false;
    }
    return true;
}

std::string manifestText(const UpdateManifest& manifest) {
    std::string text = std::string(kHeader) + "\n";
    for (const ManifestFile& file : manifest.files)
        text += "file " + file.sha256 + " " + std::to_string(file.size) + " " + encodeUtf8(file.path) + "\n";
    for (const Text& path : manifest.removed) text += "remove " + encodeUtf8(path) + "\n";
    return text;
}
