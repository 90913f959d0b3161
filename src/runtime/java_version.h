// A Java runtime version: four signed 32-bit parts and how many of them the text gave.
#pragma once

#include <cstdint>

struct JavaVersion {
    std::int32_t parts[4] = {0, 0, 0, 0};
    int count = 0;
};
