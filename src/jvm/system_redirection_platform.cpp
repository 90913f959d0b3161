#include "jvm/system_redirection_platform.h"

#include <windows.h>

#include "support/environment.h"
#include "support/filesystem.h"
#include "support/system_text.h"

namespace {

// The formatters write at most this many units; a longer result counts as a failure.
constexpr int kFormatCapacity = 260;

SYSTEMTIME systemTimeOf(const LocalTime& time) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(time.year);
    st.wMonth = static_cast<WORD>(time.month);
    st.wDayOfWeek = static_cast<WORD>(time.dayOfWeek);
    st.wDay = static_cast<WORD>(time.day);
    st.wHour = static_cast<WORD>(time.hour);
    st.wMinute = static_cast<WORD>(time.minute);
    st.wSecond = static_cast<WORD>(time.second);
    st.wMilliseconds = static_cast<WORD>(time.milliseconds);
    return st;
}

using LocaleFormatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

bool formatWith(LocaleFormatter format, const Text& picture, const LocalTime& time, Text& out) {
    const SYSTEMTIME st = systemTimeOf(time);
    wchar_t buffer[kFormatCapacity] = {};
    if (!format(LOCALE_USER_DEFAULT, 0, &st, picture.c_str(), buffer, kFormatCapacity)) return false;
    out = buffer;
    return true;
}

}  // namespace

LocalTime SystemRedirectionPlatform::localTime() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    LocalTime time;
    time.year = st.wYear;
    time.month = st.wMonth;
    time.dayOfWeek = st.wDayOfWeek;
    time.day = st.wDay;
    time.hour = st.wHour;
    time.minute = st.wMinute;
    time.second = st.wSecond;
    time.milliseconds = st.wMilliseconds;
    return time;
}

bool SystemRedirectionPlatform::formatTime(const Text& picture, const LocalTime& time, Text& out) {
    return formatWith(GetTimeFormatW, picture, time, out);
}

bool SystemRedirectionPlatform::formatDate(const Text& picture, const LocalTime& time, Text& out) {
    return formatWith(GetDateFormatW, picture, time, out);
}

bool SystemRedirectionPlatform::environmentVariableSet(const Text& name) {
    Text value;
    return readEnvironment(name.c_str(), value);
}

Text SystemRedirectionPlatform::expandEnvironment(const Text& text) { return ::expandEnvironment(text); }

bool SystemRedirectionPlatform::fullPath(const Text& name, Text& full) {
    // As the runtime resolves a relative name: against the current folder ("logs\out.log"), its
    // drive ("\logs\out.log") or that drive's own current folder ("D:out.log").
    return fullPathName(name, full);
}

unsigned long SystemRedirectionPlatform::createParentFolders(const Text& fullPath) {
    return ::createParentFolders(fullPath);
}

Text expandedRedirectionFile(const Text& written) {
    if (written.empty()) return Text();
    SystemRedirectionPlatform platform;
    Text name = expandFileName(written, platform.localTime(), platform);
    Text full;
    if (platform.fullPath(name, full)) name = full;
    return name;
}
