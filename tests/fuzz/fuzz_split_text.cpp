// splitText and splitArguments: what they give back must put the input together again.
#include <cstdlib>

#include "fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t separatorLength = 1 + data[0] % 3;
    const Text all = fuzzText(data + 1, size - 1);
    const Text separator = all.substr(0, separatorLength);
    const Text text = all.size() > separatorLength ? all.substr(separatorLength) : Text();
    if (separator.empty()) return 0;

    const TextList items = splitText(text, separator);
    Text joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) joined += separator;
        joined += items[i];
    }
    // A trailing separator adds no empty item, so the join may lack exactly that separator.
    if (joined != text && joined + separator != text) std::abort();

    TextList arguments;
    splitArguments(text, arguments);
    std::size_t units = 0;
    for (const Text& argument : arguments) units += argument.size();
    if (units > text.size()) std::abort();
    return 0;
}
