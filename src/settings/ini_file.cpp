#include "settings/ini_file.h"

#include <windows.h>

#include <string>

#include "settings/ini_profile.h"
#include "support/code_page.h"
#include "support/path.h"
#include "support/unique_handle.h"
#include "support/utf8.h"

namespace {

bool readBytes(const Text& path, std::string& bytes) {
    UniqueFile file(CreateFileW(withLongPathPrefix(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x10000000) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return false;
    }
    bytes.resize(read);
    return true;
}



Text fromUtf16(const std::string& bytes, size_t start, bool bigEndian) {
    Text text;
    text.reserve(bytes.size() / 2);
    for (size_t at = start; at + 1 < bytes.size(); at += 2) {
        const unsigned first = static_cast<unsigned char>(bytes[at]);
        const unsigned second = static_cast<unsigned char>(bytes[at + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
    }
    return text;
}

std::string toUtf16(const Text& text, bool bigEndian) {
    std::string bytes(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (const wchar_t unit : text) {
        const char high = static_cast<char>((unit >> 8) & 0xFF);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::string encode(const Text& text, IniEncoding& encoding) {
    std::string bytes;
    switch (encoding) {
        case IniEncoding::Utf8:
            return "\xEF\xBB\xBF" + encodeUtf8(text);
        case IniEncoding::Utf16Be:
            return toUtf16(text, true);
        case IniEncoding::Ansi: {
            bool lossy = false;
            if (toCodePage(CP_ACP, text, bytes, BestFit::Allowed, &lossy) && !lossy) return bytes;
            encoding = IniEncoding::Utf16Le;  // rather than lose what the code page cannot hold
            [[fallthrough]];
        }
        case IniEncoding::Utf16Le:
            break;
    }
    return toUtf16(text, false);
}

// Written beside the file and then moved over it, so that a failed write leaves the old file whole.
bool replaceFile(const Text& path, const std::string& bytes) {
    const Text target = withLongPathPrefix(path);
    const Text temporary = withLongPathPrefix(path + L".new");
    {
        UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        // On the disk before the move: otherwise a power cut can keep the new name and lose the text.
        const bool complete = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                              written == bytes.size() && FlushFileBuffers(file.get());
        if (!complete) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace

bool sameIniName(const Text& a, const Text& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool readIniFile(const Text& path, Text& text, IniEncoding& encoding) {
    text.clear();
    std::string bytes;
    if (!readBytes(path, bytes)) return false;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = IniEncoding::Utf8;
        text = fromCodePage(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        encoding = IniEncoding::Utf16Le;
        text = fromUtf16(bytes, 2, false);
    } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        encoding = IniEncoding::Utf16Be;
        text = fromUtf16(bytes, 2, true);
    } else {
        encoding = IniEncoding::Ansi;
        text = fromCodePage(CP_ACP, bytes.data(), bytes.size());
    }
    return true;
}

bool writeIniValue(const Text& path, const Text& section, const Text& key, const Text& value) {
    if (section.empty() || key.empty()) return false;
    Text text;
    IniEncoding encoding = IniEncoding::Utf16Le;
    if (!readIniFile(path, text, encoding)) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return false;
        encoding = IniEncoding::Utf16Le;
    }
    const Text changed = withIniValue(text, section, key, value, sameIniName);
    if (changed == text) return true;  // the value is there already
    return replaceFile(path, encode(changed, encoding));
}
