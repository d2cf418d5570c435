#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
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
    EXPECT_EQ(begin, 0);
    EXPECT_EQ(end, 3);
    EXPECT_EQ(worker, 0);
  });
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace aqv
