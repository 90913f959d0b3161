// Date and time patterns in output file names: "out_%yyyyMMdd_HHmmss%.log" becomes
// "out_20240305_140709.log". The name is taken as the settings wrote it: the pattern is found there,
// before the environment variables around it are expanded, so that a "%" inside a variable's value
// (a folder named "50%off") is never mistaken for one. The formatting itself is the platform's (the
// locale's formatters on Windows), handed in so that the rules here stay portable.
//
//   Text name = expandFileName(L"%LOGDIR%\\out_%yyyyMMdd%.log", platform.localTime(), platform);
#pragma once

#include <cstddef>

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

// What a file name setting needs besides the formatters: the process environment.
class FileNameSystem : public DateTimeFormatter {
public:
    // True when a variable of that name is set (an empty value counts).
    virtual bool environmentVariableSet(const Text& name) = 0;
    // Every "%NAME%" of a set variable replaced by its value; the rest stays.
    virtual Text expandEnvironment(const Text& text) = 0;
};

// Where the pattern of a written name lies: the positions of its two "%", or npos for both when the
// name has none. A name has one only when, after the references to set variables are taken out (in
// the order the system's expansion reads them), exactly two "%" remain and what lies between them is
// date and time pictures (d M y g h H m s t, and L for the milliseconds) with separators: no other
// letter, no digit, no quote and nothing outside plain ASCII.
struct DatePatternPlace {
    std::size_t open = Text::npos;
    std::size_t close = Text::npos;
    bool found() const { return open != Text::npos; }
};
DatePatternPlace findDatePattern(const Text& written, FileNameSystem& system);

// The pattern alone (without its "%"): every "L" becomes the milliseconds, then the time pictures,
// then the date pictures are replaced. A step the platform cannot format keeps its input.
Text formatDatePattern(const Text& pattern, const LocalTime& time, DateTimeFormatter& formatter);

// True when `text` holds a character that no file or folder name may hold (< > : " | ? * and the
// control characters); "\" and "/" separate folders and may stand.
bool holdsForbiddenNameCharacter(const Text& text);

// The name to open: the written name with its environment variables expanded and its pattern, when
// it has one, formatted. A pattern whose result holds a forbidden character is left out of the name
// (the trace says so); everything else stays as written, "%" included.
Text expandFileName(const Text& written, const LocalTime& time, FileNameSystem& system);
