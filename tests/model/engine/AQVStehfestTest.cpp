#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

#include "model/engine/AQVStehfest.h"

namespace aqv {
namespace {

TEST(AQVStehfest, TenWeightsAreTheExactRationals) {
  // Stehfest's table for N = 10.
  const double expected[10] = {1.0 / 12.0,     -385.0 / 12.0,   1279.0,          -46871.0 / 3.0,
                               505465.0 / 6.0, -473915.0 / 2.0, 1127735.0 / 3.0, -1020215.0 / 3.0,
                               328125.0 / 2.0, -65625.0 / 2.0};
  const TStehfestWeights weights = ComputeStehfestWeights(10);
  ASSERT_EQ(weights.Count, 10);
  double sum = 0.0;
  for (int i = 1; i <= 10; ++i) {
    EXPECT_NEAR(weights.V[i] / expected[i - 1], 1.0, 1e-15) << i;
    sum += weights.V[i];
  }
  EXPECT_NEAR(sum, 0.0, 1e-9);
  for (int i = 11; i <= kMaxStehfestTerms; ++i) EXPECT_EQ(weights.V[i], 0.0);
}

TEST(AQVStehfest, WeightsSumToZeroForEveryEvenCount) {
  // The inverse of 1/p is exact only if sum V_i = 0 and sum V_i / i = 1. The weights of N = 20
  // reach 1e10, so rounding allows a few units of 1e-16 times the sum of their magnitudes.
  for (int n = 2; n <= 20; n += 2) {
    const TStehfestWeights weights = ComputeStehfestWeights(n);
    double sum = 0.0, harmonic = 0.0, magnitude = 0.0;
    for (int i = 1; i <= n; ++i) {
      sum += weights.V[i];
      harmonic += weights.V[i] / i;
      magnitude += std::fabs(weights.V[i]);
    }
    EXPECT_NEAR(sum, 0.0, 1e-15 * magnitude) << n;
    EXPECT_NEAR(harmonic, 1.0, 1e-15 * magnitude) << n;
  }
}

// An odd count or a count out of range was used as given, with undefined weights.
TEST(AQVStehfest, TermCountIsForcedToAnEvenNumberFromTwoToTwenty) {
  const int requested[] = {-5, 0, 1, 2, 3, 7, 10, 11, 16, 19, 20, 21, 1000};
  const int used[] = {2, 2, 2, 2, 2, 6, 10, 10, 16, 18, 20, 20, 20};
  for (std::size_t i = 0; i < std::size(requested); ++i) {
    EXPECT_EQ(StehfestTermCount(requested[i]), used[i]) << requested[i];
    EXPECT_EQ(ComputeStehfestWeights(requested[i]), ComputeStehfestWeights(used[i]));
  }
}

TEST(AQVStehfest, InvertsKnownTransforms) {
  const TStehfestWeights weights = ComputeStehfestWeights(16);
  for (double t : {0.01, 1.0, 250.0}) {
    // 1/p -> 1 and 1/p^2 -> t are inverted to rounding (weights of N = 16 reach 1e8).
    EXPECT_NEAR(InvertLaplace(weights, t, [](double p) { return 1.0 / p; }), 1.0, 1e-6);
    EXPECT_NEAR(InvertLaplace(weights, t, [](double p) { return 1.0 / (p * p); }) / t, 1.0, 1e-6);
    // 1/(p + a) -> e^(-a t): Stehfest's error grows with a t; 1e-4 relative up to a t = 2.
    for (double at : {0.1, 1.0, 2.0}) {
      const double a = at / t;
      const double value = InvertLaplace(weights, t, [a](double p) { return 1.0 / (p + a); });
      EXPECT_NEAR(value / std::exp(-at), 1.0, 1e-4) << t << " " << at;
    }
  }
}

TEST(AQVStehfest, RateStepIsTheDifferenceToTheLastIncludedEarlierPeriod) {
  TArray1<double, 100> discharge{};
  TArrayRange<std::uint8_t, 0, 100> included{};
  included.Fill(1);
  std::tie(discharge[1], discharge[2], discharge[3], discharge[4]) =
      std::tuple(800.0, 800.0, 500.0, 0.0);
  // The same discharge in period 2 adds nothing.
  const double steps[] = {800.0, 0.0, -300.0, -500.0};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(RateStep(discharge, included, k), steps[k - 1]) << k;
  included[3] = 0;  // an excluded middle period neither starts nor ends a step
  EXPECT_EQ(RateStep(discharge, included, 4), -800.0);
  included[1] = included[2] = 0;
  EXPECT_EQ(RateStep(discharge, included, 4), 0.0);
  EXPECT_EQ(RateStep(discharge, included, 3), 500.0);  // no earlier included period
}

TEST(AQVStehfest, CurveTimesOfOnePeriodAtZeroInsertFiftyNinePoints) {
  const std::vector<double> starts = {0.0};
  const std::vector<double> times = BuildCurveTimes(0.001, 1000.0, starts, 10);
  // dt = 0.001, n = Round(log10(999999) * 10) - 1 = 59, plus the two ends.
  ASSERT_EQ(times.size(), 61u);
  EXPECT_EQ(std::tuple(times.front(), times.back()), std::tuple(0.001, 1000.0));
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  // Evenly spaced in log(t - t0 + dt), the last point before the end.
  const double dt = 0.001;
  const double step = std::log(999.999 / dt + 1.0) / 60.0;
  for (int k = 1; k <= 59; ++k)
    EXPECT_NEAR(std::log(times[k] - 0.001 + dt), std::log(dt) + k * step, 1e-12) << k;
  EXPECT_LT(times[59], 1000.0);
}

TEST(AQVStehfest, PeriodStartsInsideTheRangeBecomeBreakPoints) {
  const std::vector<double> starts = {0.0, 10.0, 10.0003, 0.0012, 1000.0, 2000.0, 5.0};
  const std::vector<double> times = BuildCurveTimes(0.001, 1000.0, starts, 10);
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  for (double t : {10.0, 5.0})
    EXPECT_NE(std::find(times.begin(), times.end(), t), times.end()) << t;
  // Within 0.0005 of the start or another break point, or at or after the stop: none.
  for (double t : {10.0003, 0.0012})
    EXPECT_EQ(std::find(times.begin(), times.end(), t), times.end()) << t;
  EXPECT_EQ(std::count(times.begin(), times.end(), 1000.0), 1);
  // Each interval starts over at a fine step: the first point after 5 lies within 0.01.
  const auto afterFive = std::upper_bound(times.begin(), times.end(), 5.0);
  ASSERT_NE(afterFive, times.end());
  EXPECT_LT(*afterFive - 5.0, 0.01);
}

TEST(AQVStehfest, CurveTimeCountRoundsHalvesToEven) {
  // log10(L / dt) is exactly 2.5 here: Round gives 2, so one point is inserted (3 in all).
  const double stop = 0.31722776601683794;
  ASSERT_EQ(std::log10((stop - 0.001) / 0.001), 2.5);
  EXPECT_EQ(BuildCurveTimes(0.001, stop, {}, 1).size(), 3u);
}

// An empty or reversed range made a logarithm of zero or of a negative number.
TEST(AQVStehfest, EmptyReversedOrNonFiniteRangeGivesNoTimes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [start, stop] : {std::pair{5.0, 5.0}, {10.0, 1.0}, {nan, 1.0}, {0.001, inf}})
    EXPECT_TRUE(BuildCurveTimes(start, stop, {}, 10).empty()) << start << " " << stop;
  // A starting time of 0 leaves its first interval without points but stays defined.
  const std::vector<double> starts = {1.0};
  const std::vector<double> times = BuildCurveTimes(0.0, 10.0, starts, 10);
  ASSERT_GE(times.size(), 3u);
  EXPECT_EQ(std::tuple(times[0], times[1]), std::tuple(0.0, 1.0));
}

TEST(AQVStehfest, TimesPerLogCycleAreClamped) {
  for (const auto& [given, used] : {std::pair{0, 1}, {-7, 1}, {100000, 100}})
    EXPECT_EQ(BuildCurveTimes(0.001, 1000.0, {}, given), BuildCurveTimes(0.001, 1000.0, {}, used))
        << given;
  EXPECT_EQ(ClampTimesPerLogCycle(40), 40);
}

TEST(AQVStehfest, CurveTimesAreCappedAtFiveThousand) {
  std::vector<double> starts;
  for (int k = 0; k < 200; ++k) starts.push_back(1.0 + 4.0 * k);
  const std::vector<double> times = BuildCurveTimes(0.001, 1000.0, starts, 100);
  EXPECT_EQ(times.size(), static_cast<std::size_t>(kMaxOutputTimes));
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  EXPECT_EQ(times.back(), 1000.0);
}

}  // namespace
}  // namespace aqv
