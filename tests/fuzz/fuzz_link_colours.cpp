// Link colours as the registry holds them: any bytes either leave the colour untouched or give one
// that reads back the same from its own "R,G,B" text.
#include <cstdlib>
#include <string>

#include "controls/link_colours.h"
#include "fuzz_text.h"

namespace {

constexpr std::uint32_t kUntouched = 0xA5A5A5A5u;

Text textOf(std::uint32_t colour) {
    std::string narrow = std::to_string(colour & 0xFF) + "," + std::to_string((colour >> 8) & 0xFF) + "," +
                         std::to_string((colour >> 16) & 0xFF);
    return Text(narrow.begin(), narrow.end());
}

void checkParsed(bool parsed, std::uint32_t colour) {
    if (!parsed) {
        if (colour != kUntouched) std::abort();
        return;
    }
    if (colour > 0xFFFFFFu) std::abort();  // three bytes, never more
    std::uint32_t again = kUntouched;
    if (!parseColourValue(textOf(colour), again) || again != colour) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t colour = kUntouched;
    checkParsed(parseColourValue(fuzzText(data, size), colour), colour);

    // The registry path: only short, even-sized, NUL-terminated text is read at all.
    std::uint32_t fromRegistry = kUntouched;
    const bool parsed = linkColourFromRegistryData(true, data, size, fromRegistry);
    const bool wellFormed = size <= kMaxColourValueBytes &&
                            (size == 0 || (size % 2 == 0 && data[size - 2] == 0 && data[size - 1] == 0));
    if (parsed && !wellFormed) std::abort();
    checkParsed(parsed, fromRegistry);
    std::uint32_t notText = kUntouched;
    if (linkColourFromRegistryData(false, data, size, notText) || notText != kUntouched) std::abort();
    return 0;
}
