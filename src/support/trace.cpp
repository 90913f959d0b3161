#include "support/trace.h"

#include "support/utf8.h"

namespace trace_detail {
TraceSink* sink = nullptr;
}

namespace {

TraceClock traceClock = nullptr;  // set with the sink
long long traceStart = 0;

}  // namespace

void setTraceSink(TraceSink* sink, TraceClock clock) {
    traceClock = clock;
    traceStart = clock();
    trace_detail::sink = sink;
}

void switchTraceSink(TraceSink* sink, TraceClock clock) {
    if (!trace_detail::sink) {
        setTraceSink(sink, clock);
        return;
    }
    trace_detail::sink = sink;
}

void traceLine(const Text& text) {
    TraceSink* sink = trace_detail::sink;
    if (!sink) return;
    const long long elapsed = traceClock() - traceStart;
    // The milliseconds right-aligned in six columns; the C library's formatting would add about 25 KB
    // to the launcher.
    const std::string milliseconds = encodeUtf8(decimalText(elapsed));
    std::string stamp(milliseconds.size() < 6 ? 6 - milliseconds.size() : 0, ' ');
    stamp += milliseconds;
    stamp += " ms  ";
    sink->write(stamp + encodeUtf8(text) + "\r\n");
}

void traceFormatted(const wchar_t* format, std::initializer_list<FormatArg> args) {
    if (tracing()) traceLine(formatText(format, args));
}
