// One build at a time per output: an operating-system lock on a file beside the output, which the
// system releases when the process ends however it ends. The file is removed when the lock is let go.
//
//   BuildLock lock;
//   bool busy = false;
//   if (!BuildLock::acquire("out/Demo.vornicpack-lock", 300000, lock, busy, error)) ...  // busy: another build
#pragma once

#include <filesystem>
#include <string>

class BuildLock {
public:
    BuildLock() = default;
    ~BuildLock() { release(); }
    BuildLock(BuildLock&& other) noexcept;
    BuildLock& operator=(BuildLock&& other) noexcept;
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

    // Waits up to `waitMilliseconds` while another holder has it. False with `busy` set when it is
    // still held at the end, false with `error` set when the file cannot be opened; `lock` stays empty.
    static bool acquire(const std::filesystem::path& file, int waitMilliseconds, BuildLock& lock, bool& busy,
                        std::string& error);

    bool held() const;
    void release();

private:
    std::filesystem::path file_;
#ifdef _WIN32
    void* handle_ = nullptr;  // opened without sharing and deleted on close
#else
    int descriptor_ = -1;  // flock(2)
#endif
};
