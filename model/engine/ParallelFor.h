#pragma once

#include <functional>

namespace aqv {

// Runs body(begin, end, worker) over the index range [0, count) in chunks of at most `chunk`
// indices, spread over a process-wide pool of worker threads; the calling thread works too and
// the call returns when every chunk is done. worker is 0..WorkerCount()-1 and identifies the
// per-thread workspace a body may use. The result is deterministic as long as each chunk
// writes only its own outputs: which thread runs a chunk never matters.
// A body must not throw; it may be called concurrently for different chunks.
void ParallelFor(int count, int chunk,
                 const std::function<void(int begin, int end, int worker)>& body);

// Number of threads ParallelFor uses (at least 1); by default the machine's cores.
int WorkerCount();
// Sets the number of threads (clamped to 1..64); 1 runs everything on the calling thread.
void SetWorkerCount(int count);

}  // namespace aqv
