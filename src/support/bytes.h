// Bytes as the binary formats, the settings cipher and the files are read and written.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
