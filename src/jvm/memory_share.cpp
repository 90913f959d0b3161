#include "jvm/memory_share.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Overlong numbers in a settings file must not wrap into small, plausible sizes.
std::uint64_t saturatingMultiply(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > kMax64 / a) return kMax64;
    return a * b;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) { return b > kMax64 - a ? kMax64 : a + b; }

}  // namespace

bool isMemoryShare(const Text& option) {
    if (option.size() < 5) return false;
    const Text prefix = option.substr(0, 4);
    if (prefix != L"-Xms" && prefix != L"-Xmx" && prefix != L"-Xss") return false;
    const wchar_t last = option.back();
    return last == L'P' || last == L'p' || last == L'T' || last == L't';
}

NumberList parseNumberList(const Text& text) {
    NumberList list;
    list.start = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isDigit(text[i]) || text[i] == L':') {
            list.start = i;
            break;
        }
    }
    if (list.start == text.size()) return list;
    std::size_t end = text.size();
    if (!isDigit(text.back())) --end;
    list.numbers.push_back(0);
    for (std::size_t i = list.start; i < end; ++i) {
        if (isDigit(text[i])) {
            std::uint64_t& current = list.numbers.back();
            current = saturatingAdd(saturatingMultiply(current, 10), static_cast<std::uint64_t>(text[i] - L'0'));
        } else if (text[i] == L':') {
            list.numbers.push_back(0);
        }
    }
    return list;
}

Text applyMemoryShare(const Text& option, const MemoryFigures& figures, MemoryArithmetic arithmetic) {
    const NumberList list = parseNumberList(option);
    const auto number = [&list](std::size_t index) -> std::uint64_t {
        return index < list.numbers.size() ? list.numbers[index] : 0;
    };
    const std::uint64_t share = number(0);
    const std::uint64_t lowerMiB = number(1);
    const std::uint64_t upperMiB = number(2);

    // In 32 bits every figure saturates at 2^32 - 1 rather than wrapping: a wrapped size would be a
    // small, wrong heap with no sign of the mistake.
    const std::uint64_t limit = arithmetic == MemoryArithmetic::Bits32 ? kMax32 : kMax64;
    const wchar_t letter = option.empty() ? L'\0' : option.back();
    std::uint64_t base = (letter == L'T' || letter == L't') ? figures.availableVirtual : figures.totalPhysical;
    if (base > limit) base = limit;
    const std::uint64_t kib = base / 1024;

    const double scaled = static_cast<double>(kib) * (static_cast<double>(share) / 100.0);
    // 2^64 is exactly representable; anything at or above it (or the 32-bit limit) saturates.
    std::uint64_t result = scaled >= static_cast<double>(limit) ? limit : static_cast<std::uint64_t>(scaled);

    const std::uint64_t upper = std::min(saturatingMultiply(upperMiB, 1024), limit);
    const std::uint64_t lower = std::min(saturatingMultiply(lowerMiB, 1024), limit);
    if (upper != 0 && result > upper) result = upper;
    if (result < lower) result = lower;

    // The whole number is written: in the x64 build the address space alone is about 2^37 KiB, which
    // a 32-bit signed format would print wrapped.
    return option.substr(0, list.start) + decimalText(result) + L"K";
}

std::uint64_t parseStackSize(const Text& value) {
    const NumberList list = parseNumberList(value);
    if (list.start != 0 || list.numbers.size() != 1) return 0;
    return saturatingMultiply(list.numbers[0], unitMultiplier(value));
}

std::uint64_t unitMultiplier(const Text& text) {
    if (text.empty()) return 1;
    switch (text.back()) {
        case L'G':
        case L'g':
            return 1073741824;
        case L'M':
        case L'm':
            return 1048576;
        case L'K':
        case L'k':
            return 1024;
        default:
            return 1;
    }
}
