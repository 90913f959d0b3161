#include "support/trace_file.h"

#include <windows.h>

#include "support/environment.h"
#include "support/filesystem.h"
#include "support/trace.h"
#include "support/unique_handle.h"

namespace {

class FileTraceSink : public TraceSink {
public:
    explicit FileTraceSink(HANDLE file) : file_(file) {}

    void write(const std::string& line) override {
        // One call per line: with FILE_APPEND_DATA each line lands whole at the end, even when two
        // launches trace into the same file.
        DWORD written = 0;
        WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }

private:
    UniqueFile file_;
};

// Each line to both sinks.
class TeeTraceSink : public TraceSink {
public:
    TeeTraceSink(TraceSink* first, TraceSink* second) : first_(first), second_(second) {}
    void write(const std::string& line) override {
        if (first_) first_->write(line);
        second_->write(line);
    }

private:
    TraceSink* first_;
    TraceSink* second_;
};

// The performance counter, as the standard library's steady clock reads it.
long long counterMilliseconds() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 || !QueryPerformanceCounter(&counter))
        return static_cast<long long>(GetTickCount64());
    const long long whole = counter.QuadPart / frequency.QuadPart;
    const long long part = counter.QuadPart % frequency.QuadPart;
    return whole * 1000 + part * 1000 / frequency.QuadPart;
}

// True when the file's first bytes are those of a trace line: the milliseconds right-aligned, then
// " ms  ". An empty file is a new trace.
bool startsLikeATrace(HANDLE file) {
    char head[32];
    DWORD read = 0;
    if (!ReadFile(file, head, sizeof(head), &read, nullptr)) return false;
    if (read == 0) return true;
    DWORD at = 0;
    while (at < read && head[at] == ' ') ++at;
    const DWORD digits = at;
    while (at < read && head[at] >= '0' && head[at] <= '9') ++at;
    static const char kUnit[] = " ms  ";
    if (at == digits || read - at < sizeof(kUnit) - 1) return false;
    for (DWORD i = 0; i + 1 < sizeof(kUnit); ++i)
        if (head[at + i] != kUnit[i]) return false;
    return true;
}

// Opens `path` for appending when it is missing, empty or already a trace; never a program or a file
// of other text, which the lines would grow and spoil.
UniqueFile openTraceFile(const Text& path) {
    UniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && !startsLikeATrace(file.get())) file.reset();
    return file;
}

}  // namespace

void startTraceFromEnvironment() {
    Text path;
    if (!readEnvironment(L"VORNIC_TRACE", path) || path.empty()) return;

    // The variable may name this very program or any other file; the trace then goes to a new file
    // beside it, which later launches find again and append to.
    Text used = path;
    UniqueFile file = openTraceFile(used);
    for (int attempt = 1; !file && attempt <= 3; ++attempt) {
        used = path + L".trace" + (attempt == 1 ? Text() : decimalText(attempt)) + L".txt";
        file = openTraceFile(used);
    }
    if (!file) return;
    // Lives until the process ends, so that the exit code can still be written; the system closes the
    // file then.
    setTraceSink(new FileTraceSink(file.release()), counterMilliseconds);

    Text exe;
    getModulePath(nullptr, exe);
    traceLine(L"launch: " + exe + L" (process " + decimalText(GetCurrentProcessId()) + L", " +
              (sizeof(void*) == 8 ? L"x64" : L"x86") + L" build), command line: " + GetCommandLineW());
    if (used != path) traceLine(L"VORNIC_TRACE names " + path + L", which is no trace file: tracing into " + used);
}

void alsoTraceInto(const Text& path) {
    UniqueFile file = openTraceFile(path);
    if (!file) return;
    // Both live until the process ends, as the first sink does.
    TraceSink* added = new FileTraceSink(file.release());
    switchTraceSink(new TeeTraceSink(trace_detail::sink, added), counterMilliseconds);
}
