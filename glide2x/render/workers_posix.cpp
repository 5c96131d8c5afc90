// The band workers on std::thread (pthreads). Threads start on first use and
// sleep on a condition variable between jobs; they are stopped and joined
// when the library is unloaded.
#include "render/workers.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

int CoreCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

}  // namespace

#include "render/workers_common.inc"

namespace {

class Pool {
public:
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (int i = 0; i < started_; ++i) threads_[i].join();
    }

    void Run(int bands, BandJob job, void* context) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (started_ < bands - 1) {
            const int band = started_ + 1;
            threads_[started_++] = std::thread([this, band] { Work(band); });
        }
        job_ = job;
        context_ = context;
        bands_ = bands;
        pending_ = bands - 1;
        ++generation_;
        lock.unlock();
        wake_.notify_all();
        job(0, bands, context);
        lock.lock();
        done_.wait(lock, [this] { return pending_ == 0; });
    }

private:
    void Work(int band) {
        unsigned seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
            if (stop_) return;
            seen = generation_;
            if (band >= bands_) continue;  // a job with fewer bands
            const BandJob job = job_;
            void* const context = context_;
            const int bands = bands_;
            lock.unlock();
            job(band, bands, context);
            lock.lock();
            if (--pending_ == 0) done_.notify_one();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::thread threads_[kMaxWorkers];
    int started_ = 0;
    bool stop_ = false;
    unsigned generation_ = 0;
    BandJob job_ = nullptr;
    void* context_ = nullptr;
    int bands_ = 0, pending_ = 0;
};

}  // namespace

void RunBands(int bands, BandJob job, void* context) {
    if (bands <= 1) {
        job(0, 1, context);
        return;
    }
    static Pool pool;
    pool.Run(bands, job, context);
}
