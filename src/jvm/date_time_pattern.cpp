#include "jvm/date_time_pattern.h"

#include "support/trace.h"

namespace {

bool isPicture(wchar_t c) {
    switch (c) {
        case L'd': case L'M': case L'y': case L'g':                // date
        case L'h': case L'H': case L'm': case L's': case L't':     // time
        case L'L':                                                 // milliseconds
            return true;
        default:
            return false;
    }
}

bool isAsciiLetterOrDigit(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// What may stand between the pictures. The quote would start literal text in the locale's
// formatters, which is how any word could slip into a name; a forbidden separator (":") is let in
// here so that the pattern is refused as a whole rather than left in the name as written.
bool isSeparator(wchar_t c) { return c >= 0x20 && c < 0x7F && !isAsciiLetterOrDigit(c) && c != L'\'' && c != L'%'; }

}  // namespace

namespace date_pattern_detail {

bool isPatternText(const Text& text) {
    bool picture = false;
    for (wchar_t c : text) {
        if (isPicture(c)) {
            picture = true;
        } else if (!isSeparator(c)) {
            return false;
        }
    }
    return picture;
}

}  // namespace date_pattern_detail

DatePatternPlace findDatePattern(const Text& written, FileNameSystem& system) {
    // Reads the "%" as the system's expansion does: "%NAME%" of a set variable is a reference; any
    // other "%" stays, and the search for a reference goes on from the next "%".
    std::size_t lone[2] = {Text::npos, Text::npos};
    std::size_t loneCount = 0;
    std::size_t at = written.find(L'%');
    while (at != Text::npos) {
        const std::size_t next = written.find(L'%', at + 1);
        if (next != Text::npos && next > at + 1 && system.environmentVariableSet(written.substr(at + 1, next - at - 1))) {
            at = written.find(L'%', next + 1);
            continue;
        }
        if (loneCount == 2) return DatePatternPlace{};
        lone[loneCount++] = at;
        at = next;
    }
    if (loneCount != 2 || !date_pattern_detail::isPatternText(written.substr(lone[0] + 1, lone[1] - lone[0] - 1))) {
        return DatePatternPlace{};
    }
    return DatePatternPlace{lone[0], lone[1]};
}

Text formatDatePattern(const Text& pattern, const LocalTime& time, DateTimeFormatter& formatter) {
    const Text milliseconds = decimalText(time.milliseconds);
    Text result;
    for (wchar_t c : pattern) {
        if (c == L'L') {
            result += milliseconds;
        } else {
            result += c;
        }
    }
    Text formatted;
    if (formatter.formatTime(result, time, formatted)) result = formatted;
    formatted.clear();
    if (!result.empty() && formatter.formatDate(result, time, formatted)) result = formatted;
    return result;
}

bool holdsForbiddenNameCharacter(const Text& text) {
    for (wchar_t c : text) {
        if (c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*') {
            return true;
        }
    }
    return false;
}

Text expandFileName(const Text& written, const LocalTime& time, FileNameSystem& system) {
    const DatePatternPlace place = findDatePattern(written, system);
    if (!place.found()) return system.expandEnvironment(written);

    // Each side holds whole references only, so expanding the sides apart reads them as the whole
    // would be read, and no "%" that a value brings in can meet the pattern's.
    const Text before = system.expandEnvironment(written.substr(0, place.open));
    const Text after = system.expandEnvironment(written.substr(place.close + 1));
    const Text pattern = written.substr(place.open + 1, place.close - place.open - 1);
    const Text formatted = formatDatePattern(pattern, time, system);
    if (holdsForbiddenNameCharacter(formatted)) {
        // On NTFS "o_01:02.log" would name a hidden stream of a file "o_01", not a file.
        VORNIC_TRACE(L"file name " + written + L": date pattern %" + pattern + L"% gives \"" + formatted +
                     L"\", which no file name may hold; the name is used without it");
        return before + after;
    }
    return before + formatted + after;
}
