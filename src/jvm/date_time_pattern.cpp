#include "jvm/date_time_pattern.h"

#include <string>

void expandDateTimePattern(Text& fileName, const LocalTime& time, DateTimeFormatter& formatter) {
    const size_t first = fileName.find(L'%');
    if (first == Text::npos) return;
    const size_t last = fileName.rfind(L'%');
    Text pattern = fileName.substr(first + 1, last > first ? last - first - 1 : 0);

    if (!pattern.empty()) {
        const Text milliseconds = decimalText(time.milliseconds);
        Text withMilliseconds;
        for (wchar_t c : pattern) {
            if (c == L'L') {
                withMilliseconds += milliseconds;
            } else {
                withMilliseconds += c;
            }
        }
        pattern = withMilliseconds;
        // A step the platform cannot format keeps its input rather than losing the whole pattern.
        Text formatted;
        if (formatter.formatTime(pattern, time, formatted)) pattern = formatted;
        formatted.clear();
        if (!pattern.empty() && formatter.formatDate(pattern, time, formatted)) pattern = formatted;
    }
    fileName = fileName.substr(0, first) + pattern + fileName.substr(last + 1);
}
