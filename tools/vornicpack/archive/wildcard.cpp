#include "archive/wildcard.h"

bool wildcardMatches(const Text& name, const Text& pattern, bool ignoreCase) {
    auto fold = [ignoreCase](wchar_t c) {
        return ignoreCase && c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    };
    // Iterative: on a mismatch after a "*", that star takes one more character and the match resumes.
    std::size_t n = 0, p = 0, star = Text::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || fold(pattern[p]) == fold(name[n]))) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++, mark = n;
        } else if (star != Text::npos) {
            p = star + 1, n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}
