#include "update/restart_guard.h"

#include <cstdint>

bool parseRestartExitCode(const Text& value, int& code) {
    code = 0;
    std::size_t at = 0;
    const bool negative = !value.empty() && value[0] == L'-';
    if (negative || (!value.empty() && value[0] == L'+')) at = 1;
    if (at >= value.size() || value.size() - at > 10) return false;
    std::int64_t number = 0;
    for (; at < value.size(); ++at) {
        if (value[at] < L'0' || value[at] > L'9') return false;
        number = number * 10 + (value[at] - L'0');
    }
    if (negative) number = -number;
    if (number > INT32_MAX || number < INT32_MIN || number == 0 || number == 1 || number == -1) return false;
    code = static_cast<int>(number);
    return true;
}

bool allowRestart(const Text& history, long long now, Text& next) {
    next.clear();
    int recent = 0;
    for (const Text& part : splitText(history, L",")) {
        if (part.empty() || part.size() > 19) continue;
        long long time = 0;
        bool digits = true;
        for (const wchar_t c : part) {
            digits = digits && c >= L'0' && c <= L'9';
            if (digits) time = time * 10 + (c - L'0');
        }
        // A clock set back makes a time "in the future": it still counts, so a loop cannot hide there.
        if (!digits || now - time >= kRestartWindowMilliseconds) continue;
        ++recent;
        next += decimalText(time) + L",";
    }
    if (recent >= kMostRestarts) {
        next.clear();
        return false;
    }
    next += decimalText(now);
    return true;
}
