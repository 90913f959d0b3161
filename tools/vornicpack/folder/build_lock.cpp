#include "folder/build_lock.h"

#include <chrono>
#include <system_error>
#include <thread>

#include "texts/text_codec.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

enum class Attempt { Taken, Busy, Failed };

#ifdef _WIN32
// No sharing: a second opener is refused until the first handle closes, and the system closes it
// with the process. Deleted on close, so no lock file is left behind.
Attempt tryLock(const std::filesystem::path& file, void*& handle, std::string& error) {
    HANDLE opened = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
        handle = opened;
        return Attempt::Taken;
    }
    const DWORD code = GetLastError();
    // A file whose last handle is closing is "delete pending" for a moment: still the other build's.
    std::error_code ignored;
    if (code == ERROR_SHARING_VIOLATION || (code == ERROR_ACCESS_DENIED && std::filesystem::exists(file, ignored)))
        return Attempt::Busy;
    error = "cannot create " + utf8Of(file) + ": " + std::system_category().message(static_cast<int>(code));
    return Attempt::Failed;
}
#else
// The holder removes the file before it lets go, so a lock taken on a file that is no longer the
// one under the name is not the lock: try again on the new file.
Attempt tryLock(const std::filesystem::path& file, int& descriptor, std::string& error) {
    const int opened = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (opened < 0) {
        error = "cannot create " + utf8Of(file) + ": " + std::strerror(errno);
        return Attempt::Failed;
    }
    if (flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        close(opened);
        if (code == EWOULDBLOCK) return Attempt::Busy;
        error = "cannot lock " + utf8Of(file) + ": " + std::strerror(code);
        return Attempt::Failed;
    }
    struct stat held {}, named {};
    if (fstat(opened, &held) != 0 || stat(file.c_str(), &named) != 0 || held.st_dev != named.st_dev ||
        held.st_ino != named.st_ino) {
        close(opened);
        return Attempt::Busy;
    }
    descriptor = opened;
    return Attempt::Taken;
}
#endif

}  // namespace

BuildLock::BuildLock(BuildLock&& other) noexcept { *this = std::move(other); }

BuildLock& BuildLock::operator=(BuildLock&& other) noexcept {
    if (this != &other) {
        release();
        file_ = std::move(other.file_);
#ifdef _WIN32
        handle_ = other.handle_;
        other.handle_ = nullptr;
#else
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
#endif
    }
    return *this;
}

bool BuildLock::held() const {
#ifdef _WIN32
    return handle_ != nullptr;
#else
    return descriptor_ >= 0;
#endif
}

void BuildLock::release() {
    if (!held()) return;
#ifdef _WIN32
    CloseHandle(handle_);
    handle_ = nullptr;
#else
    unlink(file_.c_str());  // while still held: see tryLock
    close(descriptor_);
    descriptor_ = -1;
#endif
    file_.clear();
}

bool BuildLock::acquire(const std::filesystem::path& file, int waitMilliseconds, BuildLock& lock, bool& busy,
                        std::string& error) {
    lock.release();
    busy = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        BuildLock taken;
#ifdef _WIN32
        const Attempt attempt = tryLock(file, taken.handle_, error);
#else
        const Attempt attempt = tryLock(file, taken.descriptor_, error);
#endif
        if (attempt == Attempt::Failed) return false;
        if (attempt == Attempt::Taken) {
            taken.file_ = file;
            lock = std::move(taken);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            busy = true;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
