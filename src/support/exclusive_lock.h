// A lock for a few lines of code shared by two threads, built on the system's slim reader/writer
// lock. The standard mutex would do the same, but in this toolchain it brings in the POSIX thread
// library, about a tenth of the launcher's size.
//
//   ExclusiveLock lock_;                      // a member beside what it guards
//   const ExclusiveLock::Held held(lock_);    // until the end of the scope
#pragma once

#include <windows.h>

class ExclusiveLock {
public:
    ExclusiveLock() = default;
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    class Held {
    public:
        explicit Held(ExclusiveLock& lock) : lock_(lock.lock_) { AcquireSRWLockExclusive(&lock_); }
        ~Held() { ReleaseSRWLockExclusive(&lock_); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        SRWLOCK& lock_;
    };

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};
