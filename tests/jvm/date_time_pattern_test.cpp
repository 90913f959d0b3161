// Output file names as the settings write them: environment variables, the one date pattern, and
// every "%" that is neither staying as written. Portable: runs natively and under Wine.
#include <gtest/gtest.h>

#include <map>

#include "jvm/date_time_pattern.h"

namespace {

// Numeric pictures only, and an environment of its own expanded the way the system expands one.
class FakeSystem : public FileNameSystem {
public:
    explicit FakeSystem(std::map<Text, Text> variables) : variables_(std::move(variables)) {}

    bool formatTime(const Text& picture, const LocalTime& time, Text& out) override {
        timePictures.push_back(picture);
        if (failTime) return false;
        out = replace(replace(replace(picture, L"HH", two(time.hour)), L"mm", two(time.minute)), L"ss",
                      two(time.second));
        return true;
    }
    bool formatDate(const Text& picture, const LocalTime& time, Text& out) override {
        datePictures.push_back(picture);
        out = replace(replace(replace(picture, L"yyyy", std::to_wstring(time.year)), L"MM", two(time.month)), L"dd",
                      two(time.day));
        return true;
    }
    bool environmentVariableSet(const Text& name) override { return variables_.count(name) != 0; }
    Text expandEnvironment(const Text& text) override {
        Text out;
        size_t at = 0;
        while (at < text.size()) {
            const size_t open = text.find(L'%', at);
            const size_t close = open == Text::npos ? Text::npos : text.find(L'%', open + 1);
            if (close == Text::npos) break;
            out += text.substr(at, open - at);
            const auto found = variables_.find(text.substr(open + 1, close - open - 1));
            if (found != variables_.end()) {
                out += found->second;
                at = close + 1;
            } else {
                out += text.substr(open, close - open);
                at = close;
            }
        }
        return out + text.substr(at);
    }

    bool failTime = false;
    TextList timePictures;
    TextList datePictures;

private:
    static Text two(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }
    static Text replace(Text text, const Text& from, const Text& to) {
        for (size_t at = text.find(from); at != Text::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    }
    std::map<Text, Text> variables_;
};

LocalTime fixedTime() {
    LocalTime time;
    time.year = 2024;
    time.month = 3;
    time.day = 5;
    time.hour = 14;
    time.minute = 7;
    time.second = 9;
    time.milliseconds = 45;
    return time;
}

TEST(FileNamePattern, OnlyAWellFormedPatternTheSettingsWroteIsExpanded) {
    struct Case {
        const wchar_t* written;
        const wchar_t* expected;
    };
    const Case cases[] = {
        // The documented example.
        {L"logs\\out_%yyyyMMdd_HHmmss%.log", L"logs\\out_20240305_140709.log"},
        {L"C:\\logs\\%yyyy-MM-dd%\\err.txt", L"C:\\logs\\2024-03-05\\err.txt"},
        {L"x_%L.LL%", L"x_45.4545"},  // milliseconds without leading zeros
        // A "%" in a variable's value is neither a pattern nor a part of one.
        {L"%LOGDIR%\\o_%yyyyMMdd%.log", L"Z:\\pct\\50%off\\o_20240305.log"},
        {L"%LOGDIR%\\e.log", L"Z:\\pct\\50%off\\e.log"},
        {L"%LOGDIR%%HH%.log", L"Z:\\pct\\50%off14.log"},
        {L"r_%HHmm%_%LOGDIR%", L"r_1407_Z:\\pct\\50%off"},
        {L"%EMPTY%o_%dd%", L"o_05"},
        {L"%yyyy%\\o.log", L"set\\o.log"},  // a set variable stays a variable, whatever its name
        // Not a pattern: stays as written.
        {L"e_%NOSUCHVAR%_x.log", L"e_%NOSUCHVAR%_x.log"},  // other letters
        {L"o_%yyyy.log", L"o_%yyyy.log"},                  // one "%"
        {L"out%.txt", L"out%.txt"},
        {L"e_%%.log", L"e_%%.log"},                        // nothing between
        {L"a%HH%b%MM%c", L"a%HH%b%MM%c"},                  // two pairs
        {L"o_%NOSUCH%%HH%.log", L"o_%NOSUCH%%HH%.log"},    // three "%" of its own
        {L"o_%yyyy2%.log", L"o_%yyyy2%.log"},              // a digit
        {L"o_%HH'h'mm%.log", L"o_%HH'h'mm%.log"},          // literal text of the formatters
        {L"no pattern", L"no pattern"},
        // A pattern whose result no file name may hold is left out.
        {L"o_%HH:mm%.log", L"o_.log"},
        {L"%LOGDIR%\\o_%HH|mm%.log", L"Z:\\pct\\50%off\\o_.log"},
    };
    for (const Case& c : cases) {
        FakeSystem system({{L"LOGDIR", L"Z:\\pct\\50%off"}, {L"EMPTY", L""}, {L"yyyy", L"set"}});
        EXPECT_EQ(expandFileName(c.written, fixedTime(), system), c.expected) << c.written;
    }
}

TEST(FileNamePattern, TimeIsFormattedBeforeDateAndAFailedStepKeepsItsInput) {
    FakeSystem system({});
    system.failTime = true;
    LocalTime time = fixedTime();
    time.milliseconds = 123;
    EXPECT_EQ(expandFileName(L"log_%yyyy_L_HH%.txt", time, system), L"log_2024_123_HH.txt");
    EXPECT_EQ(system.timePictures, TextList{L"yyyy_123_HH"});
    EXPECT_EQ(system.datePictures, TextList{L"yyyy_123_HH"});
}

TEST(FileNamePattern, ForbiddenCharacters) {
    for (const wchar_t* bad : {L"a:b", L"a<b", L"a>b", L"a\"b", L"a|b", L"a?b", L"a*b", L"a\tb"}) {
        EXPECT_TRUE(holdsForbiddenNameCharacter(bad)) << bad;
    }
    EXPECT_FALSE(holdsForbiddenNameCharacter(L"2024\\03/05 14.07-09_(x)"));
}

}  // namespace
