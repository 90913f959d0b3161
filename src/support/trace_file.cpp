#include "support/trace_file.h"

#include <windows.h>

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

}  // namespace

void startTraceFromEnvironment() {
    wchar_t probe[1];
    const DWORD needed = GetEnvironmentVariableW(L"VORNIC_TRACE", probe, 1);
    if (needed <= 1) return;  // absent or empty
    Text path(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"VORNIC_TRACE", path.data(), needed);
    if (length == 0 || length >= needed) return;
    path.resize(length);

    UniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    // Lives until the process ends, so that the exit code can still be written; the system closes the
    // file then.
    setTraceSink(new FileTraceSink(file.release()), counterMilliseconds);

    Text exe(MAX_PATH, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), MAX_PATH));
    traceLine(L"launch: " + exe + L" (process " + decimalText(GetCurrentProcessId()) + L", " +
              (sizeof(void*) == 8 ? L"x64" : L"x86") + L" build), command line: " + GetCommandLineW());
}
