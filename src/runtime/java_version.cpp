#include "runtime/java_version.h"

#include <limits>

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

bool JavaVersion::parse(const Text& text, std::int32_t fill) {
    clear();
    size_t at = 0;
    while (at < text.size() && !isDigit(text[at])) ++at;
    if (at == text.size()) return false;
    std::int32_t read[4] = {0, 0, 0, 0};
    int given = 0;
    while (given < 4) {
        std::int32_t value = 0;
        for (; at < text.size() && isDigit(text[at]); ++at) {
            const std::int32_t digit = text[at] - L'0';
            if (value > (std::numeric_limits<std::int32_t>::max() - digit) / 10) return false;
            value = value * 10 + digit;
        }
        read[given++] = value;
        while (at < text.size() && !isDigit(text[at])) ++at;
        if (at == text.size()) break;
    }
    for (int i = 0; i < 4; ++i) parts[i] = i < given ? read[i] : fill;
    count = given;
    return true;
}

void JavaVersion::set(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    parts[0] = a;
    parts[1] = b;
    parts[2] = c;
    parts[3] = d;
    count = 4;
}

void JavaVersion::clear() { *this = JavaVersion(); }

int JavaVersion::compare(const JavaVersion& a, const JavaVersion& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.parts[i] != b.parts[i]) return a.parts[i] < b.parts[i] ? -1 : 1;
    }
    return 0;
}

bool JavaVersion::matches(const JavaVersion& candidate, const JavaVersion& pattern) {
    int significant = 4;
    while (significant > 0 && pattern.parts[significant - 1] == 0) --significant;
    for (int i = 0; i < significant; ++i) {
        if (candidate.parts[i] != pattern.parts[i]) return false;
    }
    return true;
}

bool JavaVersion::isUnset() const {
    bool allZero = true;
    bool allUnbounded = true;
    for (std::int32_t part : parts) {
        allZero = allZero && part == 0;
        allUnbounded = allUnbounded && part == kUnbounded;
    }
    return allZero || allUnbounded;
}

Text JavaVersion::format() const {
    int last = 3;
    while (last >= 0 && (parts[last] == 0 || parts[last] == kUnbounded)) --last;
    if (last < 0) return L"0.0.0.0";
    // Two numbers at the least ("11.0"), except that a forced second number that only stands for
    // "any" is left out: "at most 11" must not read as "at most 11.65535".
    if (last < 1 && parts[1] != kUnbounded) last = 1;
    Text out;
    for (int i = 0; i <= last; ++i) {
        if (i > 0) out += L'.';
        out += decimalText(parts[i]);
    }
    return out;
}
