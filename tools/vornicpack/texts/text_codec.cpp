#include "texts/text_codec.h"


bool decodeTextFile(const Bytes& bytes, Text& text) {
    text.clear();
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        if (bytes.size() % 2) return false;
        text = fromUtf16Le(bytes.data() + 2, bytes.size() - 2);
        return true;
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        if (bytes.size() % 2) return false;
        Bytes swapped(bytes.begin() + 2, bytes.end());
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
        text = fromUtf16Le(swapped);
        return true;
    }
    std::size_t start = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) start = 3;
    return decodeUtf8(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end()), text);
}

std::filesystem::path pathFromText(const Text& text) {
#ifdef _WIN32
    return std::filesystem::path(text);
#else
    return std::filesystem::path(encodeUtf8(text));
#endif
}

Text textOfPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    Text text;
    decodeUtf8(path.string(), text);
    return text;
#endif
}

std::string utf8Of(const std::filesystem::path& path) {
#ifdef _WIN32
    return encodeUtf8(path.wstring());
#else
    return path.string();
#endif
}


std::size_t utf16Length(const Text& text) {
    std::size_t length = 0;
    for (const wchar_t unit : text) {
        const std::uint32_t code = static_cast<std::uint32_t>(unit);
        length += code > 0xFFFF ? 2 : 1;
    }
    return length;
}

bool isPrintableAscii(const Text& text) {
    for (const wchar_t unit : text)
        if (unit < 0x20 || unit > 0x7E) return false;
    return true;
}

std::string narrowAscii(const Text& text) {
    std::string out;
    for (const wchar_t unit : text) out.push_back(static_cast<char>(unit));
    return out;
}
