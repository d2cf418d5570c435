#include "model/engine/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace aqv {
namespace {

// ParallelFor calls running on this thread, as caller or inside a body: a nested call runs
// serially, and SetWorkerCount from inside a body defers instead of waiting for itself.
thread_local int tParallelDepth = 0;

// How long a worker thread watches for the next job before it sleeps.
constexpr std::chrono::microseconds kSpinAfterJob{50};

struct TDepthGuard {
  TDepthGuard() { ++tParallelDepth; }
  ~TDepthGuard() { --tParallelDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;
};

// A fixed set of threads that sleep until a job is posted. One job runs at a time; the chunks
// of a job are handed out through an atomic counter, so fast threads take more. A thread joins
// a job only while it is open and takes the next free worker number; the caller closes the job
// when every chunk has been taken and waits only for the threads that joined, never for
// threads that have not woken up yet: a thread that wakes late finds the job closed and sleeps
// on. So a job that the caller finishes alone costs it no more than the wake-up calls.
class TWorkerPool {
 public:
  explicit TWorkerPool(int threads) {
    for (int i = 1; i < threads; ++i) mThreads.emplace_back([this] { Work(); });
  }
  ~TWorkerPool() {
    {
      std::lock_guard lock(mMutex);
      mStopping = true;
    }
    mWake.notify_all();
    for (std::thread& t : mThreads) t.join();
  }
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  int Size() const { return static_cast<int>(mThreads.size()) + 1; }

  // Runs the job with at most `helpers` other threads (worker numbers 1..helpers).
  void Run(int count, int chunk, int helpers, const std::function<void(int, int, int)>& body) {
    std::lock_guard serial(mRunMutex);
    {
      std::lock_guard lock(mMutex);
      mBody = &body;
      mCount = count;
      mChunk = chunk;
      mMaxSlots = helpers + 1;
      mNextSlot = 1;
      mNext.store(0, std::memory_order_relaxed);
      mOpen = true;
      ++mGeneration;
      mPosted.store(mGeneration, std::memory_order_release);
    }
    if (helpers >= static_cast<int>(mThreads.size())) {
      mWake.notify_all();
    } else {
      for (int i = 0; i < helpers; ++i) mWake.notify_one();
    }
    TakeChunks(body, count, chunk, 0);
    std::unique_lock lock(mMutex);
    mOpen = false;
    mDone.wait(lock, [this] { return mActive == 0; });
    mBody = nullptr;
  }

 private:
  void TakeChunks(const std::function<void(int, int, int)>& body, int count, int chunk,
                  int worker) {
    for (;;) {
      const int begin = mNext.fetch_add(chunk, std::memory_order_relaxed);
      if (begin >= count) return;
      body(begin, std::min(count, begin + chunk), worker);
    }
  }

  // Before it sleeps, a thread that has finished a job watches for the next one for a short
  // while: the chunks of a curve computation, and the evaluations of a fit, follow each other
  // closely, and a sleeping thread takes tens of microseconds to wake.
  void SpinForNextJob(long seen) {
    const auto until = std::chrono::steady_clock::now() + kSpinAfterJob;
    for (int i = 1; mPosted.load(std::memory_order_acquire) == seen; ++i) {
      if (i % 64 == 0 && std::chrono::steady_clock::now() > until) return;
      std::this_thread::yield();
    }
  }

  void Work() {
    long seen = 0;
    std::unique_lock lock(mMutex);
    for (;;) {
      if (seen != 0 && !mStopping) {
        lock.unlock();
        SpinForNextJob(seen);
        lock.lock();
      }
      mWake.wait(lock, [&] { return mStopping || (mOpen && mGeneration != seen); });
      if (mStopping) return;
      seen = mGeneration;
      if (mNextSlot >= mMaxSlots) continue;
      const int worker = mNextSlot++;
      const auto* body = mBody;
      const int count = mCount;
      const int chunk = mChunk;
      ++mActive;
      lock.unlock();
      {
        TDepthGuard depth;
        TakeChunks(*body, count, chunk, worker);
      }
      lock.lock();
      if (--mActive == 0) mDone.notify_one();
    }
  }

  std::vector<std::thread> mThreads;
  std::mutex mRunMutex;  // one job at a time, whichever thread posts it
  std::mutex mMutex;     // guards everything below except mNext
  std::condition_variable mWake;
  std::condition_variable mDone;
  const std::function<void(int, int, int)>* mBody = nullptr;
  std::atomic<int> mNext{0};
  int mCount = 0;
  int mChunk = 1;
  int mMaxSlots = 1;
  int mNextSlot = 1;
  int mActive = 0;  // threads inside the current job
  long mGeneration = 0;
  std::atomic<long> mPosted{0};  // mGeneration, for threads that watch without the lock
  bool mOpen = false;
  bool mStopping = false;
};

// The process-wide pool and its size. `Running` counts the ParallelFor calls in progress; the
// pool is replaced only while it is 0, so that no job ever loses its threads.
struct TPoolHolder {
  std::mutex Mutex;
  std::condition_variable Idle;
  int Size = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 64);
  int PendingSize = 0;  // a size set from inside a job, applied when the last job ends
  int Running = 0;
  std::unique_ptr<TWorkerPool> Pool;
};

TPoolHolder& Holder() {
  static TPoolHolder holder;
  return holder;
}

void ApplySize(TPoolHolder& h, int count) {
  if (count == h.Size) return;
  h.Size = count;
  h.Pool.reset();
}

// Ends one ParallelFor call: the last one applies a deferred size and wakes waiting setters.
struct TRunningGuard {
  explicit TRunningGuard(TPoolHolder& holder) : h(holder) {}
  ~TRunningGuard() {
    std::unique_ptr<TWorkerPool> retired;
    {
      std::lock_guard lock(h.Mutex);
      if (--h.Running == 0) {
        if (h.PendingSize != 0) {
          if (h.PendingSize != h.Size) {
            h.Size = h.PendingSize;
            retired = std::move(h.Pool);
          }
          h.PendingSize = 0;
        }
        h.Idle.notify_all();
      }
    }
    // Joining the old threads happens outside the lock; no job uses them any more.
    retired.reset();
  }
  TRunningGuard(const TRunningGuard&) = delete;
  TRunningGuard& operator=(const TRunningGuard&) = delete;
  TPoolHolder& h;
};

}  // namespace

int WorkerCount() {
  TPoolHolder& h = Holder();
  std::lock_guard lock(h.Mutex);
  return h.Size;
}

void SetWorkerCount(int count) {
  TPoolHolder& h = Holder();
  count = std::clamp(count, 1, 64);
  std::unique_lock lock(h.Mutex);
  if (tParallelDepth > 0) {
    // Waiting here would wait for the job this thread is part of.
    h.PendingSize = count;
    return;
  }
  h.Idle.wait(lock, [&] { return h.Running == 0; });
  h.PendingSize = 0;
  ApplySize(h, count);
}

void ParallelFor(int count, int chunk, const std::function<void(int, int, int)>& body,
                 const TParallelWork& work) {
  if (count <= 0) return;
  chunk = std::max(chunk, 1);
  const double perIndex = std::isfinite(work.NanosecondsPerIndex) && work.NanosecondsPerIndex > 0.0
                              ? work.NanosecondsPerIndex
                              : 0.0;
  if (perIndex > 0.0) {
    const double minimum = std::ceil(kMinChunkNanoseconds / perIndex);
    chunk = static_cast<int>(
        std::clamp(minimum, static_cast<double>(chunk), static_cast<double>(count)));
  }
  const int chunks = (count - 1) / chunk + 1;
  const bool small = perIndex > 0.0 && perIndex * count < kMinHandOffNanoseconds;

  TPoolHolder& h = Holder();
  TWorkerPool* pool = nullptr;
  int helpers = 0;
  {
    std::lock_guard lock(h.Mutex);
    ++h.Running;
    // Small jobs, single chunks, a single worker and nested calls stay on the calling thread.
    const int workers = std::min(h.Size, std::max(work.MaxWorkers, 1));
    if (!small && chunks > 1 && workers > 1 && tParallelDepth == 0) {
      if (!h.Pool) h.Pool = std::make_unique<TWorkerPool>(h.Size);
      pool = h.Pool.get();
      helpers = std::min(workers, chunks) - 1;
    }
  }
  TRunningGuard running(h);
  TDepthGuard depth;
  if (!pool) {
    for (int begin = 0; begin < count; begin += chunk)
      body(begin, std::min(count, begin + chunk), 0);
    return;
  }
  pool->Run(count, chunk, helpers, body);
}

}  // namespace aqv
