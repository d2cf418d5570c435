#pragma once

#include <functional>

namespace aqv {

// What a caller of ParallelFor knows about its job beyond the index range.
struct TParallelWork {
  // Estimated time of one index on one thread, nanoseconds; 0 when unknown. A job whose whole
  // estimate is below kMinHandOffNanoseconds stays on the calling thread, and chunks are made
  // at least kMinChunkNanoseconds long.
  double NanosecondsPerIndex = 0.0;
  // Worker numbers passed to the body stay below this: the number of per-worker workspaces the
  // caller holds (sized by WorkerCount() before the job).
  int MaxWorkers = 64;
};

// Work below this (nanoseconds on one thread) costs more to hand to other threads than it
// saves: waking a sleeping thread takes some 5 to 30 microseconds, measured on 8 cores.
inline constexpr double kMinHandOffNanoseconds = 60000.0;
// Chunks shorter than this are merged, so that the shared counter is not the bottleneck.
inline constexpr double kMinChunkNanoseconds = 6000.0;

// Runs body(begin, end, worker) over the index range [0, count) in chunks of at most `chunk`
// indices (larger ones when work says the chunks would be tiny), spread over a process-wide
// pool of worker threads; the calling thread works too and the call returns when every chunk
// is done. worker is 0..min(WorkerCount(), work.MaxWorkers)-1 and identifies the per-thread
// workspace a body may use; no two chunks run on the same worker number at the same time. The
// result is deterministic as long as each chunk writes only its own outputs: which thread runs
// a chunk never matters. A body must not throw; it may be called concurrently for different
// chunks. A ParallelFor inside a body runs on that body's thread.
void ParallelFor(int count, int chunk,
                 const std::function<void(int begin, int end, int worker)>& body,
                 const TParallelWork& work = {});

// Number of threads ParallelFor uses (at least 1); by default the machine's cores.
int WorkerCount();
// Sets the number of threads (clamped to 1..64); 1 runs everything on the calling thread. A
// ParallelFor running on another thread is waited for first, so its pool is never freed under
// it; called from inside a body, the change takes effect when the last running job ends.
void SetWorkerCount(int count);

}  // namespace aqv
