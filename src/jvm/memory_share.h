// Heap and stack options given as a share of the machine's memory ("-Xmx50P", "-Xms25:256:1024T"),
// rewritten into absolute sizes in KiB, and the byte size of a "-Xss" value.
//
//   applyMemoryShare(L"-Xmx50P", {8ull << 30, 0}, MemoryArithmetic::Bits64)   // L"-Xmx4194304K"
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/text.h"

// The memory status as the system reports it, in bytes.
struct MemoryFigures {
    std::uint64_t totalPhysical = 0;
    std::uint64_t availableVirtual = 0;
};

// The x86 build sees and computes its memory figures in 32 bits, the x64 build in 64 bits.
enum class MemoryArithmetic { Bits32, Bits64 };

// The arithmetic of the build this code runs in.
constexpr MemoryArithmetic kBuildArithmetic =
    sizeof(void*) == 4 ? MemoryArithmetic::Bits32 : MemoryArithmetic::Bits64;

// "-Xms", "-Xmx" or "-Xss" (case matters) and a last character "P", "p", "T" or "t".
bool isMemoryShare(const Text& option);

struct NumberList {
    std::size_t start = 0;                 // first digit or ":"; the length when there is none
    std::vector<std::uint64_t> numbers;    // saturating, never wrapping
};

// The ":"-separated numbers from the first digit or ":" on; a last non-digit character is left out
// and other characters are skipped ("1.5m" gives 15).
NumberList parseNumberList(const Text& text);

// "<prefix><KiB>K" from share (percent), lower and upper bound (MiB) of the memory base.
Text applyMemoryShare(const Text& option, const MemoryFigures& figures, MemoryArithmetic arithmetic);

// Bytes of a plain size such as "512k"; 0 for anything else ("1:2m", "", "x1").
std::uint64_t parseStackSize(const Text& value);

// 1073741824 for a last "G"/"g", 1048576 for "M"/"m", 1024 for "K"/"k", else 1.
std::uint64_t unitMultiplier(const Text& text);
