// The threads that rasterise bands of the frame. Run hands a job to every
// worker at once (band 0 runs on the calling thread) and returns when all
// have finished it. One file per platform behind this interface: pthreads
// through std::thread on Linux, the Win32 API on Windows (MinGW's win32
// thread model has no std::thread).
#pragma once

using BandJob = void (*)(int band, int bands, void* context);

// Number of bands Run splits a job into: the last SetWorkerCount, else
// VRASTEX_GLIDE_THREADS, else one per core; at least 1, at most kMaxWorkers.
int WorkerCount();
// 0 restores the default.
void SetWorkerCount(int count);
constexpr int kMaxWorkers = 64;

// Runs job(band, bands, context) for band 0 .. bands - 1 in parallel.
void RunBands(int bands, BandJob job, void* context);
