#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "model/engine/ParallelFor.h"

namespace aqv {
namespace {

// A chunked computation whose result must not depend on the number of threads.
std::vector<double> Compute(int threads) {
  SetWorkerCount(threads);
  std::vector<double> out(10007);
  ParallelFor(static_cast<int>(out.size()), 64, [&](int begin, int end, int) {
    for (int i = begin; i < end; ++i) {
      double sum = 0;
      for (int k = 1; k < 50; ++k) sum += std::sin(i * 0.001 * k) / k;
      out[static_cast<std::size_t>(i)] = sum;
    }
  });
  return out;
}

TEST(ParallelFor, GivesTheSameBitsOnOneAndEightThreads) {
  const std::vector<double> one = Compute(1);
  const std::vector<double> eight = Compute(8);
  EXPECT_EQ(one, eight);
  SetWorkerCount(4);
}

TEST(ParallelFor, VisitsEveryIndexOnceWithValidWorkers) {
  SetWorkerCount(6);
  std::vector<std::atomic<int>> visits(1000);
  std::atomic<bool> badWorker{false};
  for (int round = 0; round < 20; ++round) {
    ParallelFor(1000, 7, [&](int begin, int end, int worker) {
      if (worker < 0 || worker >= WorkerCount()) badWorker = true;
      for (int i = begin; i < end; ++i) ++visits[static_cast<std::size_t>(i)];
    });
  }
  for (const auto& v : visits) EXPECT_EQ(v.load(), 20);
  EXPECT_FALSE(badWorker);
}

TEST(ParallelFor, EmptyAndTinyRangesRunOnTheCaller) {
  SetWorkerCount(8);
  int calls = 0;
  ParallelFor(0, 10, [&](int, int, int) { ++calls; });
  EXPECT_EQ(calls, 0);
  ParallelFor(3, 10, [&](int begin, int end, int worker) {
    ++calls;
    EXPECT_EQ(std::tuple(begin, end, worker), std::tuple(0, 3, 0));
  });
  EXPECT_EQ(calls, 1);
}

// Polls flag for at most `limit`; returns its last value.
bool WaitFor(const std::atomic<bool>& flag, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!flag && std::chrono::steady_clock::now() < end) std::this_thread::yield();
  return flag;
}

// Freeing the pool under a running job (its threads, mutex and condition variables) was
// possible from another thread: SetWorkerCount must wait until the job has ended.
TEST(ParallelFor, ChangingTheWorkerCountWaitsForTheRunningJob) {
  SetWorkerCount(2);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> callerInJob{false}, setterReturned{false};
  bool returnedDuringJob = true;
  std::thread setter([&] {
    WaitFor(callerInJob, std::chrono::seconds(10));
    SetWorkerCount(3);
    setterReturned = true;
  });
  // Two chunks on two workers: the helper holds its chunk until the caller has one, so the
  // caller is inside the job when the count changes.
  ParallelFor(2, 1, [&](int, int, int) {
    if (std::this_thread::get_id() != caller) {
      WaitFor(callerInJob, std::chrono::seconds(10));
      return;
    }
    callerInJob = true;
    returnedDuringJob = WaitFor(setterReturned, std::chrono::milliseconds(200));
  });
  setter.join();
  EXPECT_EQ(std::tuple(returnedDuringJob, setterReturned.load(), WorkerCount()),
            std::tuple(false, true, 3));
  SetWorkerCount(4);
}

TEST(ParallelFor, WorkerCountSetInsideAJobTakesEffectAfterIt) {
  SetWorkerCount(4);
  std::atomic<bool> badWorker{false};
  ParallelFor(64, 1, [&](int begin, int, int worker) {
    if (begin == 0) SetWorkerCount(2);
    if (worker < 0 || worker >= 4) badWorker = true;
  });
  EXPECT_EQ(std::tuple(badWorker.load(), WorkerCount()), std::tuple(false, 2));
  SetWorkerCount(4);
}

TEST(ParallelFor, WorkerNumbersStayBelowTheCallersWorkspaces) {
  SetWorkerCount(8);
  TParallelWork work;
  work.MaxWorkers = 2;
  std::vector<std::atomic<int>> visits(500);
  std::atomic<bool> badWorker{false};
  for (int round = 0; round < 10; ++round) {
    ParallelFor(
        500, 1,
        [&](int begin, int end, int worker) {
          if (worker < 0 || worker >= 2) badWorker = true;
          for (int i = begin; i < end; ++i) ++visits[static_cast<std::size_t>(i)];
        },
        work);
  }
  EXPECT_FALSE(badWorker);
  for (const auto& v : visits) EXPECT_EQ(v.load(), 10);
  SetWorkerCount(4);
}

TEST(ParallelFor, SmallWorkStaysOnTheCallingThread) {
  SetWorkerCount(8);
  const std::thread::id caller = std::this_thread::get_id();
  TParallelWork work;
  work.NanosecondsPerIndex = kMinHandOffNanoseconds / 200.0;  // the whole job is half a minimum
  std::set<std::thread::id> threads;
  int calls = 0;
  ParallelFor(
      100, 1,
      [&](int, int, int worker) {
        threads.insert(std::this_thread::get_id());
        EXPECT_EQ(worker, 0);
        ++calls;
      },
      work);
  EXPECT_EQ(threads, std::set<std::thread::id>{caller});
  // Chunks of 1 index would be tiny: they are merged into chunks of kMinChunkNanoseconds.
  EXPECT_EQ(calls, static_cast<int>(std::ceil(
                       100.0 / std::ceil(kMinChunkNanoseconds / work.NanosecondsPerIndex))));
  SetWorkerCount(4);
}

TEST(ParallelFor, NestedCallRunsOnTheBodysThread) {
  SetWorkerCount(4);
  std::atomic<int> inner{0};
  std::atomic<bool> foreign{false};
  ParallelFor(8, 1, [&](int, int, int) {
    const std::thread::id outer = std::this_thread::get_id();
    ParallelFor(4, 1, [&](int begin, int end, int worker) {
      if (std::this_thread::get_id() != outer || worker != 0) foreign = true;
      inner += end - begin;
    });
  });
  EXPECT_EQ(std::tuple(inner.load(), foreign.load()), std::tuple(32, false));
}

}  // namespace
}  // namespace aqv
