// A lock with a condition to wait on. MinGW's "win32" thread model has no
// std::mutex, so Windows uses a slim reader/writer lock and a condition
// variable of its own.
#pragma once

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#include <condition_variable>
#include <mutex>
#endif

class PresentLock {
public:
#if defined(_WIN32)
    void Enter() { AcquireSRWLockExclusive(&lock_); }
    void Leave() { ReleaseSRWLockExclusive(&lock_); }
    // Called with the lock held; false when the time ran out.
    bool Wait(int milliseconds) {
        return SleepConditionVariableSRW(&condition_, &lock_, static_cast<DWORD>(milliseconds), 0) != 0;
    }
    void WakeAll() { WakeAllConditionVariable(&condition_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
#else
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool Wait(int milliseconds) {
        std::unique_lock<std::mutex> held(mutex_, std::adopt_lock);
        const bool woken = condition_.wait_for(held, std::chrono::milliseconds(milliseconds)) == std::cv_status::no_timeout;
        held.release();
        return woken;
    }
    void WakeAll() { condition_.notify_all(); }

private:
    std::mutex mutex_;
    std::condition_variable condition_;
#endif
};

class PresentLocked {
public:
    explicit PresentLocked(PresentLock& lock) : lock_(lock) { lock_.Enter(); }
    ~PresentLocked() { lock_.Leave(); }
    PresentLocked(const PresentLocked&) = delete;
    PresentLocked& operator=(const PresentLocked&) = delete;

private:
    PresentLock& lock_;
};

// The presenter thread says once whether its window came up; the thread that
// started it waits for the answer and, on failure, takes the reason.
class StartSignal {
public:
    void Reset() {
        PresentLocked held(lock_);
        started_ = 0;
        why_[0] = '\0';
    }
    void Say(bool up, const char* why) {
        PresentLocked held(lock_);
        if (why) std::snprintf(why_, sizeof why_, "%s", why);
        started_ = up ? 1 : -1;
        lock_.WakeAll();
    }
    // True when the window came up; otherwise `prefix` and the reason go to `why`.
    bool Wait(const char* prefix, char* why, int whySize) {
        PresentLocked held(lock_);
        while (started_ == 0) lock_.Wait(100);
        if (started_ > 0) return true;
        std::snprintf(why, static_cast<std::size_t>(whySize), "%s%s", prefix, why_);
        return false;
    }

private:
    PresentLock lock_;
    int started_ = 0;
    char why_[300] = "";
};
