// The buffer-growth loop for every system call that fills a caller's buffer and can report that it
// was too small (module path, full paths, environment, private-profile reads, string loading).
#pragma once

#include <cstddef>
#include <limits>

#include "support/text.h"

// Returned by a reader when the call failed outright.
constexpr std::size_t kReadFailed = std::numeric_limits<std::size_t>::max();

// Calls `read(buffer, capacity)` with ever larger buffers. The reader returns the number of units it
// wrote (without the terminating NUL) when they fit, a number of at least `capacity` when the buffer
// was too small (the size the call needs, when it says), or kReadFailed. False leaves `out` empty.
template <typename Reader>
bool readGrowing(Text& out, Reader read, std::size_t capacity = 260) {
    Text buffer;
    for (;;) {
        buffer.assign(capacity, L'\0');
        const std::size_t length = read(buffer.data(), capacity);
        if (length == kReadFailed) {
            out.clear();
            return false;
        }
        if (length < capacity) {
            buffer.resize(length);
            out = std::move(buffer);
            return true;
        }
        capacity = length > capacity ? length + 1 : capacity * 2;
    }
}
