#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "model/fit/AQVSvd.h"

namespace aqv {
namespace {

// A row-major m × kSvdMaxColumns buffer with its original contents kept for comparison.
struct TTestMatrix {
  int Rows = 0;
  int Columns = 0;
  std::vector<double> Original;
  std::vector<double> Work;

  TTestMatrix(int rows, int columns)
      : Rows(rows),
        Columns(columns),
        Original(static_cast<std::size_t>(rows) * kSvdMaxColumns, 0.0),
        Work(Original) {}

  // The given rows, zeros beyond them.
  TTestMatrix(int rows, int columns, std::initializer_list<std::vector<double>> values)
      : TTestMatrix(rows, columns) {
    int i = 0;
    for (const std::vector<double>& row : values) {
      ++i;
      for (int j = 1; j <= static_cast<int>(row.size()); ++j) At(i, j) = row[j - 1];
    }
    Reset();
  }

  double& At(int i, int j) {
    return Original[static_cast<std::size_t>((i - 1) * kSvdMaxColumns + (j - 1))];
  }
  TSvdMatrix View() { return TSvdMatrix(Work, Rows, Columns); }
  void Reset() { Work = Original; }
};

TSvdStatus Decompose(TTestMatrix& a, TSvdState& state, double epsilon = 1e-16) {
  a.Reset();
  SvdPrepare(state, a.Columns, epsilon, 1e-16);
  return SvdDecompose(a.View(), state);
}

double LargestElement(TTestMatrix& a) {
  double largest = 0.0;
  for (double x : a.Original) largest = std::max(largest, std::fabs(x));
  return largest;
}

// Largest |(U·diag(s)·Vᵀ − J)_ij|, absolute.
double AbsoluteReconstructionError(TTestMatrix& a, const TSvdState& state) {
  TSvdMatrix u = a.View();
  double error = 0.0;
  for (int i = 1; i <= a.Rows; ++i)
    for (int j = 1; j <= a.Columns; ++j) {
      double sum = 0.0;
      for (int k = 1; k <= a.Columns; ++k) sum += u(i, k) * state.SingularValues[k] * state.V[j][k];
      error = std::max(error, std::fabs(sum - a.At(i, j)));
    }
  return error;
}

// The same relative to the largest |J_ij|.
double ReconstructionError(TTestMatrix& a, const TSvdState& state) {
  const double largest = LargestElement(a);
  const double error = AbsoluteReconstructionError(a, state);
  return largest > 0.0 ? error / largest : error;
}

// Largest |(QᵀQ − I)_jk| over the n columns of Q, of the given rows, whose elements q(i, j) gives:
// U (m rows) or V (n rows).
double OrthogonalityError(int rows, int n, const auto& q) {
  double error = 0.0;
  for (int j = 1; j <= n; ++j)
    for (int k = 1; k <= n; ++k) {
      double sum = 0.0;
      for (int i = 1; i <= rows; ++i) sum += q(i, j) * q(i, k);
      error = std::max(error, std::fabs(sum - (j == k ? 1.0 : 0.0)));
    }
  return error;
}
double OrthogonalityErrorU(TTestMatrix& a) {
  TSvdMatrix u = a.View();
  return OrthogonalityError(a.Rows, a.Columns, [&u](int i, int j) { return u(i, j); });
}
double OrthogonalityErrorV(const TSvdState& state, int n) {
  return OrthogonalityError(n, n, [&state](int i, int j) { return state.V[i][j]; });
}

std::vector<double> SortedSingularValues(const TSvdState& state, int n) {
  std::vector<double> s;
  for (int k = 1; k <= n; ++k) s.push_back(state.SingularValues[k]);
  std::sort(s.begin(), s.end(), std::greater<>());
  return s;
}

enum class TShape { Full, ZeroColumn, RankDeficient, Scaled };

// Random matrices with fixed seeds: full rank, with a zero column, with a column that repeats a
// combination of two others, and with columns scaled over twelve decades.
void FillRandom(TTestMatrix& a, TShape shape, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int i = 1; i <= a.Rows; ++i)
    for (int j = 1; j <= a.Columns; ++j) a.At(i, j) = uniform(generator);
  const int n = a.Columns;
  for (int i = 1; i <= a.Rows; ++i) {
    if (shape == TShape::ZeroColumn) a.At(i, (n + 1) / 2) = 0.0;
    if (shape == TShape::RankDeficient && n >= 3) a.At(i, n) = 2.0 * a.At(i, 1) - 0.5 * a.At(i, 2);
    if (shape == TShape::Scaled)
      for (int j = 1; j <= n; ++j)
        a.At(i, j) *= std::pow(10.0, 12.0 * (j - 1) / std::max(n - 1, 1) - 6.0);
  }
}

// The reduction leaves a column or row part without a reflection when its sum of squares lies
// below ε·‖J‖∞; elements up to √(ε·‖J‖∞) may be dropped that way. With ε = 0 only exact
// zeros are skipped and the decomposition is accurate to rounding.
TEST(TSvd, ReconstructsRandomMatricesWithOrthogonalFactors) {
  const int rowCounts[] = {1, 2, 3, 5, 6, 7, 12, 40, 117, 200};
  const TShape shapes[] = {TShape::Full, TShape::ZeroColumn, TShape::RankDeficient, TShape::Scaled};
  unsigned seed = 1;
  int cases = 0;
  for (double epsilon : {1e-16, 0.0}) {
    for (int m : rowCounts) {
      for (int n = 1; n <= std::min(m, kSvdMaxColumns); ++n) {
        for (TShape shape : shapes) {
          TTestMatrix a(m, n);
          FillRandom(a, shape, seed++);
          TSvdState state;
          SCOPED_TRACE(testing::Message() << "m " << m << " n " << n << " shape "
                                          << static_cast<int>(shape) << " epsilon " << epsilon);
          ASSERT_EQ(Decompose(a, state, epsilon), TSvdStatus::ssConverged);
          const double allowed =
              1e-13 * LargestElement(a) + std::sqrt(epsilon * state.JacobianNorm);
          EXPECT_LE(AbsoluteReconstructionError(a, state), allowed);
          EXPECT_LT(OrthogonalityErrorV(state, n), 1e-13);
          EXPECT_LT(OrthogonalityErrorU(a), 1e-13);
          for (int k = 1; k <= n; ++k) EXPECT_GE(state.SingularValues[k], 0.0) << k;
          EXPECT_LE(state.SvdSweeps, state.SvdMaxSweeps);
          ++cases;
        }
      }
    }
  }
  EXPECT_GT(cases, 300);
}

TEST(TSvd, ColumnTailBelowTheToleranceIsLeftWithoutReflection) {
  // Column 1 is (1, 1e-9, 0): its part below the diagonal has the sum of squares 1e-18, below
  // 1e-16·‖J‖∞ = 2e-16, so s_1 is J_11 itself and the 1e-9 is dropped.
  TTestMatrix a(3, 2, {{1.0, 0.0}, {1e-9, 2.0}});
  TSvdState state;
  ASSERT_EQ(Decompose(a, state), TSvdStatus::ssConverged);
  EXPECT_FALSE(state.ColumnReflected[1]);
  EXPECT_NEAR(AbsoluteReconstructionError(a, state), 1e-9, 1e-15);
  ASSERT_EQ(Decompose(a, state, 0.0), TSvdStatus::ssConverged);
  EXPECT_TRUE(state.ColumnReflected[1]);
  EXPECT_LT(AbsoluteReconstructionError(a, state), 1e-15);
}

TEST(TSvd, SingularValuesOfAKnownMatrix) {
  // J = Q·diag(5, 3, 0.25)·Pᵀ with Q of orthonormal columns (a 4 × 3 Hadamard part) and P a
  // permutation with a sign; the singular values are 5, 3 and 0.25 exactly.
  const double q[4][3] = {{0.5, 0.5, 0.5}, {0.5, -0.5, 0.5}, {0.5, 0.5, -0.5}, {0.5, -0.5, -0.5}};
  const double sigma[3] = {5.0, 3.0, 0.25};
  const int column[3] = {2, 3, 1};
  const double sign[3] = {1.0, -1.0, 1.0};
  TTestMatrix a(4, 3);
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 3; ++k) a.At(i + 1, column[k]) = q[i][k] * sigma[k] * sign[k];
  TSvdState state;
  ASSERT_EQ(Decompose(a, state), TSvdStatus::ssConverged);
  const std::vector<double> s = SortedSingularValues(state, 3);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(s[k], sigma[k], 1e-14) << k;
  EXPECT_EQ(state.SvdRank, 3);
  EXPECT_DOUBLE_EQ(state.JacobianNorm, 0.5 * (5.0 + 3.0 + 0.25));
}

TEST(TSvd, DiagonalMatrixWithNegativeEntryIsNegatedWithItsColumnOfV) {
  // A 3 × 2 matrix that is already bidiagonal with a zero superdiagonal: no sweep is needed, and
  // the negative diagonal entry −4 becomes the singular value 4 with column 2 of V negated.
  TTestMatrix a(3, 2, {{2.0, 0.0}, {0.0, -4.0}});
  TSvdState state;
  ASSERT_EQ(Decompose(a, state), TSvdStatus::ssConverged);
  EXPECT_EQ(state.SvdSweeps, 0);
  EXPECT_DOUBLE_EQ(state.SingularValues[1], 2.0);
  EXPECT_DOUBLE_EQ(state.SingularValues[2], 4.0);
  EXPECT_DOUBLE_EQ(state.V[1][1], 1.0);
  EXPECT_DOUBLE_EQ(state.V[2][2], -1.0);
  EXPECT_LT(ReconstructionError(a, state), 1e-15);
}

TEST(TSvd, SingleRowAndSingleColumn) {
  TTestMatrix row(1, 1, {{-3.5}});
  TSvdState state;
  ASSERT_EQ(Decompose(row, state), TSvdStatus::ssConverged);
  EXPECT_DOUBLE_EQ(state.SingularValues[1], 3.5);
  EXPECT_DOUBLE_EQ(state.V[1][1], -1.0);
  EXPECT_EQ(state.SvdRank, 1);

  TTestMatrix column(4, 1, {{1.0}, {1.0}, {1.0}, {1.0}});
  ASSERT_EQ(Decompose(column, state), TSvdStatus::ssConverged);
  EXPECT_NEAR(state.SingularValues[1], 2.0, 1e-15);
  EXPECT_LT(ReconstructionError(column, state), 1e-15);
}

TEST(TSvd, RankCountsSingularValuesAboveTheAbsoluteZeroTolerance) {
  // Diagonal entries 3, 0, 1e-20, −2 and 1e-15: the values 0 and 1e-20 are at or below the
  // tolerance 1e-16; 1e-15 lies above it and counts.
  TTestMatrix diagonal(6, 5);
  const double entries[5] = {3.0, 0.0, 1e-20, -2.0, 1e-15};
  for (int k = 1; k <= 5; ++k) diagonal.At(k, k) = entries[k - 1];
  TSvdState state;
  ASSERT_EQ(Decompose(diagonal, state), TSvdStatus::ssConverged);
  EXPECT_EQ(std::tuple(state.SvdRank, state.SvdSweeps), std::tuple(3, 0));

  // A zero first column keeps an exact zero singular value through the reduction.
  for (int n = 1; n <= kSvdMaxColumns; ++n) {
    TTestMatrix a(9, n);
    FillRandom(a, TShape::Full, 300 + static_cast<unsigned>(n));
    for (int i = 1; i <= 9; ++i) a.At(i, 1) = 0.0;
    ASSERT_EQ(Decompose(a, state), TSvdStatus::ssConverged);
    EXPECT_EQ(state.SvdRank, n - 1) << "n " << n;
    EXPECT_EQ(SortedSingularValues(state, n).back(), 0.0);
    EXPECT_LT(ReconstructionError(a, state), 1e-13);
  }

  TTestMatrix full(10, 4);
  FillRandom(full, TShape::Full, 78);
  ASSERT_EQ(Decompose(full, state), TSvdStatus::ssConverged);
  EXPECT_EQ(state.SvdRank, 4);
}

TEST(TSvd, ZeroMatrixHasRankZeroWithoutDividingByZero) {
  TTestMatrix a(5, 3);
  TSvdState state;
  ASSERT_EQ(Decompose(a, state), TSvdStatus::ssConverged);
  EXPECT_EQ(std::tuple(state.SvdRank, state.JacobianNorm), std::tuple(0, 0.0));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(state.SingularValues[k], 0.0);
  EXPECT_LT(OrthogonalityErrorV(state, 3), 1e-15);
}

TEST(TSvd, SweepLimitExceededIsReportedAsNotConverged) {
  TTestMatrix a(8, 4);
  FillRandom(a, TShape::Full, 5);
  TSvdState state;
  a.Reset();
  SvdPrepare(state, 4, 1e-16, 1e-16, 0);  // no sweep allowed
  EXPECT_EQ(SvdDecompose(a.View(), state), TSvdStatus::ssNotConverged);
  EXPECT_EQ(std::tuple(state.SvdSweeps, state.Converged[1]), std::tuple(1, false));

  // The default limit of 10 sweeps per column is ample for the same matrix.
  ASSERT_EQ(Decompose(a, state), TSvdStatus::ssConverged);
  EXPECT_EQ(state.SvdMaxSweeps, 40);
  EXPECT_LE(state.SvdSweeps, 40);
}

// A state whose last decomposition stopped at its sweep limit decomposes the next matrix exactly
// as a new state does: nothing of the failed sweeps is carried over.
TEST(TSvd, StateReusedAfterTheSweepLimitDecomposesLikeANewOne) {
  TTestMatrix a(8, 4);
  FillRandom(a, TShape::Full, 5);
  TTestMatrix b(7, 4);
  FillRandom(b, TShape::Scaled, 9);
  TSvdState reused;
  a.Reset();
  SvdPrepare(reused, 4, 1e-16, 1e-16, 0);
  ASSERT_EQ(SvdDecompose(a.View(), reused), TSvdStatus::ssNotConverged);
  TSvdState fresh;
  ASSERT_EQ(Decompose(b, fresh), TSvdStatus::ssConverged);
  const std::vector<double> u = b.Work;
  ASSERT_EQ(Decompose(b, reused), TSvdStatus::ssConverged);
  EXPECT_EQ(b.Work, u);
  EXPECT_EQ(std::tuple(reused.SvdSweeps, reused.SvdNeglected, reused.SvdRank, reused.Converged,
                       reused.SingularValues, reused.V),
            std::tuple(fresh.SvdSweeps, fresh.SvdNeglected, fresh.SvdRank, fresh.Converged,
                       fresh.SingularValues, fresh.V));
}

TEST(TSvd, NonFiniteOrMisfitMatricesAreRefused) {
  TTestMatrix a(3, 2);
  a.At(2, 1) = std::nan("");
  TSvdState state;
  EXPECT_EQ(Decompose(a, state), TSvdStatus::ssNonFinite);
  a.At(2, 1) = HUGE_VAL;
  EXPECT_EQ(Decompose(a, state), TSvdStatus::ssNonFinite);

  std::vector<double> buffer(2 * kSvdMaxColumns, 1.0);
  EXPECT_EQ(SvdDecompose(TSvdMatrix(buffer, 2, 3), state), TSvdStatus::ssInvalidSize);
  EXPECT_EQ(SvdDecompose(TSvdMatrix(buffer, 3, 2), state), TSvdStatus::ssInvalidSize);
  EXPECT_EQ(SvdDecompose(TSvdMatrix(buffer, 2, 0), state), TSvdStatus::ssInvalidSize);
}

TEST(TSvd, JacobianNormIsTheLargestAbsoluteRowSum) {
  TTestMatrix a(3, 2, {{1.0, -2.0}, {-4.0, 0.0}, {0.0, 3.5}});
  EXPECT_DOUBLE_EQ(JacobianNorm(a.View()), 4.0);
}

}  // namespace
}  // namespace aqv
