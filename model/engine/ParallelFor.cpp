#include "model/engine/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace aqv {
namespace {

// A fixed set of threads that sleep until a job is posted. One job runs at a time; the
// chunks of a job are handed out through an atomic counter, so fast threads take more.
class TWorkerPool {
 public:
  explicit TWorkerPool(int threads) {
    for (int i = 1; i < threads; ++i) mThreads.emplace_back([this, i] { Work(i); });
  }
  ~TWorkerPool() {
    {
      std::lock_guard lock(mMutex);
      mStopping = true;
    }
    mWake.notify_all();
    for (std::thread& t : mThreads) t.join();
  }
  int Size() const { return static_cast<int>(mThreads.size()) + 1; }

  void Run(int count, int chunk, const std::function<void(int, int, int)>& body) {
    std::lock_guard serial(mRunMutex);
    {
      std::lock_guard lock(mMutex);
      mBody = &body;
      mCount = count;
      mChunk = chunk;
      mNext.store(0);
      mBusy = static_cast<int>(mThreads.size());
      ++mGeneration;
    }
    mWake.notify_all();
    TakeChunks(0);
    std::unique_lock lock(mMutex);
    mDone.wait(lock, [this] { return mBusy == 0; });
    mBody = nullptr;
  }

 private:
  void TakeChunks(int worker) {
    for (;;) {
      const int begin = mNext.fetch_add(mChunk);
      if (begin >= mCount) return;
      (*mBody)(begin, std::min(mCount, begin + mChunk), worker);
    }
  }

  void Work(int worker) {
    long seen = 0;
    for (;;) {
      {
        std::unique_lock lock(mMutex);
        mWake.wait(lock, [&] { return mStopping || mGeneration != seen; });
        if (mStopping) return;
        seen = mGeneration;
      }
      TakeChunks(worker);
      {
        std::lock_guard lock(mMutex);
        --mBusy;
      }
      mDone.notify_one();
    }
  }

  std::vector<std::thread> mThreads;
  std::mutex mRunMutex;
  std::mutex mMutex;
  std::condition_variable mWake;
  std::condition_variable mDone;
  const std::function<void(int, int, int)>* mBody = nullptr;
  std::atomic<int> mNext{0};
  int mCount = 0;
  int mChunk = 1;
  int mBusy = 0;
  long mGeneration = 0;
  bool mStopping = false;
};

struct TPoolHolder {
  std::mutex mutex;
  int size = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 64);
  std::unique_ptr<TWorkerPool> pool;
};

TPoolHolder& Holder() {
  static TPoolHolder holder;
  return holder;
}

}  // namespace

int WorkerCount() {
  TPoolHolder& h = Holder();
  std::lock_guard lock(h.mutex);
  return h.size;
}

void SetWorkerCount(int count) {
  TPoolHolder& h = Holder();
  std::lock_guard lock(h.mutex);
  count = std::clamp(count, 1, 64);
  if (count == h.size) return;
  h.size = count;
  h.pool.reset();
}

void ParallelFor(int count, int chunk, const std::function<void(int, int, int)>& body) {
  if (count <= 0) return;
  chunk = std::max(chunk, 1);
  TPoolHolder& h = Holder();
  TWorkerPool* pool = nullptr;
  {
    std::lock_guard lock(h.mutex);
    // Small jobs and a single worker stay on the calling thread: waking threads costs more.
    if (h.size > 1 && count > chunk) {
      if (!h.pool) h.pool = std::make_unique<TWorkerPool>(h.size);
      pool = h.pool.get();
    }
  }
  if (!pool) {
    for (int begin = 0; begin < count; begin += chunk)
      body(begin, std::min(count, begin + chunk), 0);
    return;
  }
  pool->Run(count, chunk, body);
}

}  // namespace aqv
