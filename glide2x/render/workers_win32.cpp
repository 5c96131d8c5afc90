// The band workers on the Win32 API: CreateThread, an SRW lock and condition
// variables. Threads start on first use and sleep between jobs; the process
// ends them (the library is never unloaded while it draws).
#include "render/workers.h"

#include <windows.h>

namespace {

int CoreCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors == 0 ? 1 : static_cast<int>(info.dwNumberOfProcessors);
}

}  // namespace

#include "render/workers_common.inc"

namespace {

struct Pool {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT, done = CONDITION_VARIABLE_INIT;
    int started = 0;
    unsigned generation = 0;
    BandJob job = nullptr;
    void* context = nullptr;
    int bands = 0, pending = 0;  // bands with a thread, and those not finished
    int bandsInJob = 0;
};

Pool pool;

struct Start {
    int band;
};
Start starts[kMaxWorkers];

DWORD WINAPI Work(LPVOID parameter) {
    const int band = static_cast<Start*>(parameter)->band;
    unsigned seen = 0;
    AcquireSRWLockExclusive(&pool.lock);
    for (;;) {
        while (pool.generation == seen) SleepConditionVariableSRW(&pool.wake, &pool.lock, INFINITE, 0);
        seen = pool.generation;
        if (band >= pool.bands) continue;
        const BandJob job = pool.job;
        void* const context = pool.context;
        const int bands = pool.bandsInJob;
        ReleaseSRWLockExclusive(&pool.lock);
        job(band, bands, context);
        AcquireSRWLockExclusive(&pool.lock);
        if (--pool.pending == 0) WakeConditionVariable(&pool.done);
    }
}

}  // namespace

void RunBands(int bands, BandJob job, void* context) {
    if (bands <= 1) {
        job(0, 1, context);
        return;
    }
    AcquireSRWLockExclusive(&pool.lock);
    while (pool.started < bands - 1) {
        Start& start = starts[pool.started];
        start.band = pool.started + 1;
        const HANDLE thread = CreateThread(nullptr, 0, Work, &start, 0, nullptr);
        if (!thread) break;  // the bands without a thread run here below
        CloseHandle(thread);
        ++pool.started;
    }
    const int threaded = pool.started < bands - 1 ? pool.started + 1 : bands;
    pool.job = job;
    pool.context = context;
    pool.bands = threaded;
    pool.pending = threaded - 1;
    pool.bandsInJob = bands;
    ++pool.generation;
    ReleaseSRWLockExclusive(&pool.lock);
    WakeAllConditionVariable(&pool.wake);
    job(0, bands, context);
    for (int band = threaded; band < bands; ++band) job(band, bands, context);
    AcquireSRWLockExclusive(&pool.lock);
    while (pool.pending != 0) SleepConditionVariableSRW(&pool.done, &pool.lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&pool.lock);
}
