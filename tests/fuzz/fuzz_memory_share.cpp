// Memory shares and stack sizes from VM parameters and machine figures of the input: a rewritten
// share keeps its prefix, lies within its bounds and within the build's arithmetic, and agrees with
// exact integer arithmetic to within the rounding of the product; a plain stack size reads back.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz_text.h"
#include "jvm/vm_parameters.h"

namespace {

std::uint64_t number64(const std::uint8_t* data) {
    std::uint64_t value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

std::uint64_t parseDecimal(const Text& digits, bool& ok) {
    ok = !digits.empty() && digits.size() <= 20;
    unsigned __int128 value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') ok = false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value > std::numeric_limits<std::uint64_t>::max()) ok = false;
    return ok ? static_cast<std::uint64_t>(value) : 0;
}

void checkShare(const Text& option, const MemoryFigures& figures, MemoryArithmetic arithmetic) {
    const Text rewritten = applyMemoryShare(option, figures, arithmetic);
    const NumberList list = parseNumberList(option);
    if (rewritten.compare(0, list.start, option, 0, list.start) != 0 || rewritten.back() != L'K') std::abort();
    bool ok = false;
    const std::uint64_t result = parseDecimal(rewritten.substr(list.start, rewritten.size() - list.start - 1), ok);
    if (!ok) std::abort();

    const unsigned __int128 limit = arithmetic == MemoryArithmetic::Bits32 ? 0xFFFFFFFFu : ~std::uint64_t{0};
    if (result > limit) std::abort();
    const auto number = [&list](std::size_t i) -> unsigned __int128 { return i < list.numbers.size() ? list.numbers[i] : 0; };
    const unsigned __int128 lower = number(1) * 1024 < limit ? number(1) * 1024 : limit;
    const unsigned __int128 upper = number(2) * 1024 < limit ? number(2) * 1024 : limit;
    const wchar_t letter = option.back();
    unsigned __int128 base = (letter == L'T' || letter == L't') ? figures.availableVirtual : figures.totalPhysical;
    if (base > limit) base = limit;
    // The reference: exact share of the KiB figure, then the bounds (the lower one wins).
    unsigned __int128 exact = base / 1024 * number(0) / 100;
    if (exact > limit) exact = limit;
    if (upper != 0 && exact > upper) exact = upper;
    if (exact < lower) exact = lower;
    if (result < lower) std::abort();
    if (upper != 0 && upper >= lower && result > upper) std::abort();
    // The product is taken in double precision: allow its rounding, nothing more.
    const unsigned __int128 difference = result > exact ? result - exact : exact - result;
    if (difference > 1 + exact / (std::uint64_t{1} << 50)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 17) return 0;
    const MemoryArithmetic arithmetic = data[0] & 1 ? MemoryArithmetic::Bits32 : MemoryArithmetic::Bits64;
    const MemoryFigures figures{number64(data + 1), number64(data + 9)};
    static const wchar_t* const kPrefixes[] = {L"-Xms", L"-Xmx", L"-Xss", L""};
    const Text parameter = kPrefixes[(data[0] >> 1) % 4] + fuzzText(data + 17, size - 17);

    TextList options;
    std::uint64_t stackSize = 12345;
    addVmParameter(parameter, figures, arithmetic, options, stackSize);
    if (options.size() != 1) std::abort();
    const Text& option = options[0];
    if (isMemoryShare(option)) std::abort();  // a share never reaches the runtime unresolved
    const bool stack = option.compare(0, 4, L"-Xss") == 0;
    if (!stack && stackSize != 12345) std::abort();
    if (stack && stackSize != parseStackSize(option.substr(4))) std::abort();

    const Text unquoted = unquoteOption(parameter);
    if (isMemoryShare(unquoted)) {
        checkShare(unquoted, figures, arithmetic);
    } else if (option != unquoted) {
        std::abort();  // anything else reaches the runtime unchanged
    }

    // A plain size written out reads back as that size times its unit.
    const std::uint64_t plain = number64(data + 1) % 100000000;
    static const wchar_t* const kUnits[] = {L"", L"k", L"K", L"m", L"M", L"g", L"G"};
    const Text unit = kUnits[data[0] % 7];
    if (parseStackSize(std::to_wstring(plain) + unit) != plain * unitMultiplier(unit.empty() ? L"0" : unit)) std::abort();
    return 0;
}
