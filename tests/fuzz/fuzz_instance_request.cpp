// decodeRequest on arbitrary bytes (another process wrote them): it never reads past `size`, fails
// with an empty list, or gives a list that encodes back to the same arguments.
#include <cstdlib>
#include <vector>

#include "instance/instance_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that the sanitizer sees any read beyond them.
    const std::vector<std::uint8_t> bytes(data, data + size);
    TextList arguments;
    if (!decodeRequest(bytes.data(), bytes.size(), arguments)) {
        if (!arguments.empty()) std::abort();
        return 0;
    }
    if (arguments.empty()) std::abort();
    std::vector<std::uint8_t> encoded;
    if (!encodeRequest(arguments, encoded)) std::abort();
    TextList again;
    if (!decodeRequest(encoded.data(), encoded.size(), again) || again != arguments) std::abort();
    return 0;
}
