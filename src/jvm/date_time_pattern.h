// Date and time patterns in output file names: "out_%yyyyMMdd_HHmmss%.log" becomes
// "out_20240305_140709.log". The formatting itself is the platform's (the locale's formatters on
// Windows), handed in so that the rules here stay portable.
#pragma once

#include "support/text.h"

struct LocalTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int dayOfWeek = 0;  // 0 is Sunday
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

class DateTimeFormatter {
public:
    virtual ~DateTimeFormatter() = default;
    // Replace the time pictures (HH, mm, ss, ...) or the date pictures (yyyy, MM, dd, ...) of
    // `picture`; other characters pass through. False when the platform cannot format it.
    virtual bool formatTime(const Text& picture, const LocalTime& time, Text& out) = 0;
    virtual bool formatDate(const Text& picture, const LocalTime& time, Text& out) = 0;
};

// Expands the pattern between the first and the last "%" of `fileName` (both "%" disappear): every
// "L" becomes the milliseconds, then the time pictures, then the date pictures are replaced.
void expandDateTimePattern(Text& fileName, const LocalTime& time, DateTimeFormatter& formatter);
