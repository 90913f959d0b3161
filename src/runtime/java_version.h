// A Java runtime version: four signed 32-bit parts and how many of them the text gave.
//
//   JavaVersion upper;
//   upper.parse(L"1.8", 65535);                   // 1.8.65535.65535, count 2: every 1.8 update passes
//   JavaVersion::compare(found, upper) <= 0;      // the count takes no part in ordering or matching
#pragma once

#include <cstdint>

#include "support/text.h"

struct JavaVersion {
    static constexpr std::int32_t kUnbounded = 65535;

    std::int32_t parts[4] = {0, 0, 0, 0};
    std::int32_t count = 0;

    // Leniently: any run of non-digits separates numbers, anything before the first digit is skipped,
    // parts not given become `fill`. False (and 0.0.0.0, count 0) without digits or when a number
    // exceeds 2147483647.
    bool parse(const Text& text, std::int32_t fill = 0);

    void set(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);
    void clear();

    // -1, 0 or 1, part by part.
    static int compare(const JavaVersion& a, const JavaVersion& b);

    // True when the candidate equals the pattern in every part up to the pattern's trailing zeros.
    static bool matches(const JavaVersion& candidate, const JavaVersion& pattern);

    // 0.0.0.0 (no lower bound) and 65535 in every part (no upper bound).
    bool isUnset() const;

    // At least two numbers, trailing 0 and 65535 parts left out: 1.8.0.0 -> "1.8", 1.8.0.151 -> "1.8.0.151".
    Text format() const;
};

inline bool operator<(const JavaVersion& a, const JavaVersion& b) { return JavaVersion::compare(a, b) < 0; }
inline bool operator>(const JavaVersion& a, const JavaVersion& b) { return JavaVersion::compare(a, b) > 0; }
inline bool operator==(const JavaVersion& a, const JavaVersion& b) { return JavaVersion::compare(a, b) == 0; }
