#include "support/text.h"

namespace {

bool isSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

wchar_t foldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool equalsNoCase(const Text& a, const Text& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    }
    return true;
}

Text trimText(const Text& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

Text replaceChar(Text text, wchar_t from, wchar_t to) {
    for (wchar_t& c : text) {
        if (c == from) c = to;
    }
    return text;
}

TextList splitText(const Text& text, const Text& separator) {
    TextList items;
    if (separator.empty()) {
        if (!text.empty()) items.push_back(text);
        return items;
    }
    size_t position = 0;
    for (;;) {
        const size_t found = text.find(separator, position);
        if (found == Text::npos) {
            if (position < text.size()) items.push_back(text.substr(position));
            return items;
        }
        items.push_back(text.substr(position, found - position));
        position = found + separator.size();
    }
}

void splitArguments(const Text& text, TextList& out) {
    size_t position = 0;
    while (position < text.size()) {
        if (text[position] == L'"') {
            const size_t open = position + 1;
            const size_t close = text.find(L'"', open);
            if (close == Text::npos) {
                out.push_back(text.substr(open));
                return;
            }
            out.push_back(text.substr(open, close - open));
            position = close + 1;
        } else {
            const size_t space = text.find(L' ', position);
            if (space == Text::npos) {
                out.push_back(text.substr(position));
                return;
            }
            out.push_back(text.substr(position, space - position));
            position = space;
        }
        while (position < text.size() && text[position] == L' ') ++position;
    }
}

Text ensureTrailingBackslash(const Text& text) {
    if (!text.empty() && text.back() == L'\\') return text;
    return text + L'\\';
}

Text folderOf(const Text& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == Text::npos ? path : path.substr(0, slash + 1);
}

bool replaceExtension(Text& path, const Text& extension) {
    const size_t dot = path.rfind(L'.');
    if (dot == Text::npos) return false;
    path.resize(dot + 1);
    path += extension;
    return true;
}

Text stripPathComponents(Text path, int count) {
    for (int i = 0; i < count; ++i) {
        const size_t slash = path.rfind(L'\\');
        if (slash == Text::npos) break;
        path.resize(slash);
    }
    return path;
}

Text widenAscii(const char* ascii) {
    Text wide;
    for (; *ascii; ++ascii) wide += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
    return wide;
}
