#include "support/trace.h"

namespace trace_detail {
TraceSink* sink = nullptr;
}

namespace {

TraceClock traceClock = nullptr;  // set with the sink
long long traceStart = 0;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

void setTraceSink(TraceSink* sink, TraceClock clock) {
    traceClock = clock;
    traceStart = clock();
    trace_detail::sink = sink;
}

std::string utf8OfText(const Text& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
        appendUtf8(out, c);
    }
    return out;
}

void traceLine(const Text& text) {
    TraceSink* sink = trace_detail::sink;
    if (!sink) return;
    const long long elapsed = traceClock() - traceStart;
    // The milliseconds right-aligned in six columns; the C library's formatting would add about 25 KB
    // to the launcher.
    const std::string milliseconds = utf8OfText(decimalText(elapsed));
    std::string stamp(milliseconds.size() < 6 ? 6 - milliseconds.size() : 0, ' ');
    stamp += milliseconds;
    stamp += " ms  ";
    sink->write(stamp + utf8OfText(text) + "\r\n");
}

void traceFormatted(const wchar_t* format, std::initializer_list<FormatArg> args) {
    if (tracing()) traceLine(formatText(format, args));
}
