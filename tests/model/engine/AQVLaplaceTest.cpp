#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>

#include "model/engine/AQVLaplace.h"
#include "tests/support/ClosedForms.h"
#include "tests/support/EngineInputs.h"

namespace aqv {
namespace {

using test::ConfinedAquifer;

TAquiferSystemInput TwoAquifers() {
  TAquiferSystemInput system;
  system.AquiferCount = 2;
  std::tie(system.T[1], system.T[2], system.S[1], system.S[2]) =
      std::tuple(300.0, 1200.0, 2e-4, 5e-4);
  std::tie(system.Resistance[1], system.Resistance[2], system.Resistance[3], system.SAquitard[1],
           system.SAquitard[2], system.SAquitard[3]) =
      std::tuple(800.0, 150.0, 1000.0, 3e-3, 1e-3, 0.0);
  std::tie(system.TopAquitardImpervious, system.BottomAquitardImpervious) = std::tuple(false, true);
  return system;
}

// The decomposition of the system at the Laplace parameter p, which must succeed.
TAquiferSystemState Decomposed(const TAquiferSystemInput& system, double p) {
  TAquiferSystemState state;
  state.LaplaceP = p;
  EXPECT_TRUE(ComputeAquiferSystem(system, state)) << "p = " << p;
  return state;
}

// The unsymmetric leakage matrix K (K z = lambda T z) rebuilt from the aquitard terms.
double LeakageMatrix(const TAquiferSystemInput& system, const TAquiferSystemState& state, int i,
                     int j) {
  if (i == j) {
    return state.AquitardSelfTerm[i] + state.AquitardSelfTerm[i + 1] + state.LaplaceP * system.S[i];
  }
  if (std::abs(i - j) == 1) return -state.AquitardCouplingTerm[std::max(i, j)];
  return 0.0;
}

TEST(AQVLaplace, OneAquiferWithoutAquitardsHasEigenvaluePSOverT) {
  TAquiferSystemInput system = ConfinedAquifer(250.0, 4e-4);
  system.TopAquitardAbsent = system.BottomAquitardAbsent = true;
  const TAquiferSystemState state = Decomposed(system, 3.5);
  EXPECT_DOUBLE_EQ(state.SystemDiagonal[1], 3.5 * 4e-4 / 250.0);
  EXPECT_EQ(state.SystemOffDiagonal[1], 0.0);
  EXPECT_DOUBLE_EQ(state.Eigenvectors[1][1], 1.0 / std::sqrt(250.0));
  EXPECT_EQ(state.AquitardSelfTerm[1], 0.0);
  EXPECT_EQ(state.AquitardCouplingTerm[2], 0.0);
}

TEST(AQVLaplace, AquitardWithoutStorageGivesSteadyLeakageAndNothingWhenClosed) {
  TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  system.Resistance[1] = 400.0;
  system.TopAquitardImpervious = false;
  const TAquiferSystemState state = Decomposed(system, 2.0);
  EXPECT_DOUBLE_EQ(state.AquitardSelfTerm[1], 1.0 / 400.0);
  EXPECT_DOUBLE_EQ(state.AquitardCouplingTerm[1], 1.0 / 400.0);
  // The closed bottom aquitard without storage contributes nothing.
  EXPECT_EQ(state.AquitardSelfTerm[2], 0.0);
  EXPECT_DOUBLE_EQ(state.SystemDiagonal[1], (1.0 / 400.0 + 2.0 * 1e-3) / 1000.0);
}

// a and b of an aquitard with storage at x = c q, against their closed forms q coth x and
// q / sinh x (q tanh x for a closed outer face).
TEST(AQVLaplace, AquitardTermsWithStorageFollowCothAndSinhOverAllRanges) {
  const std::pair<double, bool> cases[] = {
      {0.01, false}, {0.1, false},  {0.1000001, false}, {2.0, false}, {17.5, false},
      {60.0, false}, {77.0, false}, {0.05, true},       {3.0, true},  {20.0, true}};
  for (const auto& [x, closed] : cases) {
    SCOPED_TRACE(x);
    TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
    const double resistance = 100.0;
    const double storativity = 0.01;
    std::tie(system.Resistance[1], system.SAquitard[1], system.TopAquitardImpervious) =
        std::tuple(resistance, storativity, closed);
    // x = c q = sqrt(p S' c) chooses p.
    const TAquiferSystemState state = Decomposed(system, x * x / (storativity * resistance));
    const double q = std::sqrt(state.LaplaceP * storativity / resistance);
    const double a = state.AquitardSelfTerm[1];
    const double b = state.AquitardCouplingTerm[1];
    // The sinh series is accurate to about 1e-13 relative at x = 0.1, the rest to rounding.
    if (closed)
      EXPECT_NEAR(a / (q * std::tanh(x)), 1.0, 1e-12);
    else if (x > 17.0)
      EXPECT_EQ(a, q);
    else
      EXPECT_NEAR(a / (q / std::tanh(x)), 1.0, 1e-12);
    if (x > 76.0)
      EXPECT_EQ(b, 0.0);
    else
      EXPECT_NEAR(b / (q / std::sinh(x)), 1.0, 1e-12);
  }
}

TEST(AQVLaplace, SinhAtExactlyOneTenthComesFromTheSeries) {
  TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  system.Resistance[1] = 1.0;
  system.SAquitard[1] = 1.0;
  system.TopAquitardImpervious = false;
  const TAquiferSystemState state = Decomposed(system, 0.01);  // q = 0.1, x = 0.1
  const double x = 0.1;
  const double x2 = x * x;
  const double series = ((0.000198454 * x2 + 0.0083333331783) * x2 + 0.16666666666675) * x2 * x + x;
  EXPECT_EQ(state.AquitardCouplingTerm[1], 0.1 / series);
}

TEST(AQVLaplace, TwoAquiferDecompositionSolvesTheGeneralisedEigenproblem) {
  const TAquiferSystemInput system = TwoAquifers();
  for (double p : {1e-4, 0.07, 3.0, 800.0}) {
    const TAquiferSystemState state = Decomposed(system, p);
    const auto& z = state.Eigenvectors;
    for (int k = 1; k <= 2; ++k) {
      const double lambda = state.SystemDiagonal[k];
      EXPECT_GT(lambda, 0.0);
      for (int i = 1; i <= 2; ++i) {
        double lhs = 0.0;
        for (int j = 1; j <= 2; ++j) lhs += LeakageMatrix(system, state, i, j) * z[j][k];
        const double rhs = lambda * system.T[i] * z[i][k];
        // Rounding relative to the largest term of the row.
        const double scale = std::fabs(LeakageMatrix(system, state, i, i)) *
                             (std::fabs(z[1][k]) + std::fabs(z[2][k]));
        EXPECT_NEAR(lhs, rhs, 1e-13 * scale) << p << " " << i << " " << k;
      }
      // Z^T T Z = I: the modes are T-orthonormal.
      for (int l = 1; l <= 2; ++l) {
        double product = 0.0;
        for (int i = 1; i <= 2; ++i) product += z[i][k] * system.T[i] * z[i][l];
        EXPECT_NEAR(product, k == l ? 1.0 : 0.0, 1e-13) << p;
      }
    }
  }
}

TEST(AQVLaplace, EqualAquifersUseTheShiftOfTheOffDiagonal) {
  TAquiferSystemInput system = TwoAquifers();
  system.T[2] = system.T[1];
  system.S[2] = system.S[1];
  system.SAquitard.Fill(0.0);
  system.TopAquitardImpervious = true;
  const TAquiferSystemState state = Decomposed(system, 0.5);
  const double d = (1.0 / 150.0 + 0.5 * system.S[1]) / system.T[1];
  const double e = (1.0 / 150.0) / system.T[1];
  EXPECT_NEAR(state.SystemDiagonal[2], d + e, 1e-15 * d);
  EXPECT_NEAR(state.SystemDiagonal[1], d - e, 1e-12 * d);
}

TEST(AQVLaplace, GeneralSweepDiagonalisesAThreeByThreeSystem) {
  // tridiag(-1, 2, -1) of order 3 has eigenvalues 2 - sqrt 2, 2 and 2 + sqrt 2.
  TAquiferSystemState state;
  state.SystemSize = 3;
  state.SystemDiagonal.Fill(2.0);
  std::tie(state.SystemOffDiagonal[1], state.SystemOffDiagonal[2], state.SystemOffDiagonal[3]) =
      std::tuple(-1.0, -1.0, 0.0);
  for (int i = 1; i <= 3; ++i) {
    state.SystemOffDiagonalSquared[i] = state.SystemOffDiagonal[i] * state.SystemOffDiagonal[i];
    state.Eigenvectors[i].Fill(0.0);
    state.Eigenvectors[i][i] = 1.0;
  }
  state.SystemTrace = 8.0;
  ASSERT_TRUE(EigenTridiagonalQL(state));
  const double matrix[3][3] = {{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}};
  double sum = 0.0;
  for (int k = 1; k <= 3; ++k) {
    const double lambda = state.SystemDiagonal[k];
    sum += lambda;
    const double distance =
        std::min({std::fabs(lambda - (2.0 - std::sqrt(2.0))), std::fabs(lambda - 2.0),
                  std::fabs(lambda - (2.0 + std::sqrt(2.0)))});
    EXPECT_LT(distance, 1e-13) << lambda;
    for (int i = 1; i <= 3; ++i) {
      double lhs = 0.0;
      for (int j = 1; j <= 3; ++j) lhs += matrix[i - 1][j - 1] * state.Eigenvectors[j][k];
      EXPECT_NEAR(lhs, lambda * state.Eigenvectors[i][k], 1e-13) << k;
    }
  }
  EXPECT_NEAR(sum, 6.0, 1e-13);
}

TEST(AQVLaplace, VerySmallLaplaceParameterFails) {
  // Closed outer faces: the smallest eigenvalue is about p (S1 + S2) / (T1 + T2).
  TAquiferSystemInput system = TwoAquifers();
  system.SAquitard.Fill(0.0);
  system.TopAquitardImpervious = true;
  TAquiferSystemState state;
  state.LaplaceP = 1e-9;
  EXPECT_TRUE(ComputeAquiferSystem(system, state));
  state.LaplaceP = 1e-30;
  EXPECT_FALSE(ComputeAquiferSystem(system, state));
}

// A constant drawdown in time was returned as success when no mode lost water.
TEST(AQVLaplace, SystemWithoutStorageOrLeakageFails) {
  TAquiferSystemState state;
  state.LaplaceP = 1.0;
  EXPECT_FALSE(ComputeAquiferSystem(ConfinedAquifer(1000.0, 0.0), state));

  TAquiferSystemInput two = TwoAquifers();
  std::tie(two.S[1], two.S[2], two.TopAquitardImpervious) = std::tuple(0.0, 0.0, true);
  two.SAquitard.Fill(0.0);
  EXPECT_FALSE(ComputeAquiferSystem(two, state));

  // Leakage alone (steady leaky aquifer) or aquitard storage alone is a proper system.
  TAquiferSystemInput leaky = ConfinedAquifer(1000.0, 0.0);
  leaky.TopAquitardImpervious = false;
  EXPECT_TRUE(ComputeAquiferSystem(leaky, state));
  two.SAquitard[2] = 1e-3;
  EXPECT_TRUE(ComputeAquiferSystem(two, state));
}

TEST(AQVLaplace, NonFiniteOrOutOfRangeInputFails) {
  static constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  static constexpr double inf = std::numeric_limits<double>::infinity();
  using TChange = void (*)(TAquiferSystemInput&, TAquiferSystemState&);
  const std::pair<const char*, TChange> cases[] = {
      {"NaN p", [](TAquiferSystemInput&, TAquiferSystemState& s) { s.LaplaceP = nan; }},
      {"infinite p", [](TAquiferSystemInput&, TAquiferSystemState& s) { s.LaplaceP = inf; }},
      {"zero T", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.T[2] = 0.0; }},
      {"NaN T", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.T[1] = nan; }},
      {"NaN S", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.S[1] = nan; }},
      {"zero c", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.Resistance[2] = 0.0; }},
      {"NaN S'", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.SAquitard[1] = nan; }},
      {"three aquifers", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.AquiferCount = 3; }},
      {"no aquifer", [](TAquiferSystemInput& a, TAquiferSystemState&) { a.AquiferCount = 0; }},
  };
  for (const auto& [name, change] : cases) {
    TAquiferSystemInput system = TwoAquifers();
    TAquiferSystemState state;
    state.LaplaceP = 1.0;
    change(system, state);
    EXPECT_FALSE(ComputeAquiferSystem(system, state)) << name;
  }
}

TEST(AQVLaplace, LUSolveSolvesWithPivoting) {
  TMatrix3 a{};
  const double values[3][3] = {{0.0, 2.0, 1.0}, {1.0, 1.0, 1.0}, {4.0, -1.0, 3.0}};
  const double solution[3] = {1.0, -2.0, 3.0};
  TLayerValues b{};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) {
      a[i][j] = values[i - 1][j - 1];
      b[i] += values[i - 1][j - 1] * solution[j - 1];
    }
  ASSERT_TRUE(LUSolve(a, 3, b));
  for (int i = 1; i <= 3; ++i) EXPECT_NEAR(b[i], solution[i - 1], 1e-14) << i;
}

TEST(AQVLaplace, LUDecompositionRefusesAZeroRow) {
  TMatrix3 a{};
  std::tie(a[1][1], a[1][2]) = std::tuple(1.0, 2.0);
  TIndex3 index{};
  double d = 0.0;
  EXPECT_FALSE(LUDCMP(a, 2, index, d));
}

TEST(AQVLaplace, SingleScreenUsesTheInverseWellMatrixAndTwoScreensSumTheirV) {
  const TAquiferSystemInput system = TwoAquifers();
  const TAquiferSystemState state = Decomposed(system, 0.3);
  TPumpingWellInput well{.Rc = 0.0, .Rw = 0.15, .Skin = 0.5};
  well.Screened[2] = true;
  TWellLaplaceTerm term;
  ASSERT_TRUE(ComputeWellTerm(system, state, well, 800.0, term).IsSuccess());
  const auto& z = state.Eigenvectors;
  double m22 = well.Skin / system.T[2];
  for (int k = 1; k <= 2; ++k)
    m22 += z[2][k] * z[2][k] * BesselK0OverXK1(std::sqrt(state.SystemDiagonal[k]) * well.Rw);
  EXPECT_DOUBLE_EQ(term.V[2], 1.0 / m22);
  EXPECT_EQ(term.V[1], 0.0);
  EXPECT_DOUBLE_EQ(term.W, 800.0 / (std::numbers::pi * 0.3 * 2.0 * term.A));
  EXPECT_EQ(WellFaceFluxTerm(term, 1), 0.0);

  well.Screened[1] = true;
  ASSERT_TRUE(ComputeWellTerm(system, state, well, 800.0, term).IsSuccess());
  for (int i = 1; i <= 2; ++i) EXPECT_GT(term.V[i], 0.0) << i;
  EXPECT_DOUBLE_EQ(term.A, term.V[1] + term.V[2]);
  // The well-face fluxes of both screens add up to Q/p without well storage.
  EXPECT_NEAR((WellFaceFluxTerm(term, 1) + WellFaceFluxTerm(term, 2)) * 0.3 / 800.0, 1.0, 1e-14);
}

TEST(AQVLaplace, ObservationRadiusIsReducedWhereScreensWouldOverlap) {
  TPumpingWellInput well{.Rw = 0.2};
  TObservationPointInput point{.X = 0.3, .Rc = 0.05, .Rw = 0.25};
  TObservationGeometry geometry = ObservationGeometry(well, point);
  EXPECT_DOUBLE_EQ(geometry.Distance, 0.3);
  EXPECT_NEAR(geometry.ReducedRadius, 0.1, 1e-15);
  EXPECT_EQ(geometry.ScreenRadius, 0.25);

  point.X = 0.05;  // inside the pumping well: at its radius, no room for a screen
  geometry = ObservationGeometry(well, point);
  EXPECT_EQ(geometry.Distance, 0.2);
  EXPECT_EQ(geometry.ReducedRadius, 0.0);
  std::tie(well.Screened[1], well.Screened[2]) = std::tuple(true, false);
  EXPECT_TRUE(IsInWellScreen(well, geometry, 1));
  EXPECT_FALSE(IsInWellScreen(well, geometry, 2));
}

TEST(AQVLaplace, PointInTheScreenSeesTheWellDrawdown) {
  const TAquiferSystemInput system = TwoAquifers();
  const TAquiferSystemState state = Decomposed(system, 2.0);
  TPumpingWellInput well;
  well.Screened[1] = true;
  TWellLaplaceTerm term;
  ASSERT_TRUE(ComputeWellTerm(system, state, well, 500.0, term).IsSuccess());
  const TObservationPointInput point{.X = 0.01, .Rc = 0.02, .Rw = 0.02};
  const TObservationGeometry geometry = ObservationGeometry(well, point);
  TPointModeFactors factors;
  ComputePointModeFactors(state, term, geometry, factors);
  EXPECT_EQ(ObservationTerm(system, state, well, term, geometry, factors, 1), term.W);
  // In the unscreened aquifer below the same point sees the leakage response only.
  const double below = ObservationTerm(system, state, well, term, geometry, factors, 2);
  EXPECT_GT(below, 0.0);
  EXPECT_LT(below, term.W);
}

// The Laplace-domain drawdown in a cased observation well near a well with storage and skin,
// in one confined aquifer, written out with independent Bessel values: well storage
// (Papadopulos-Cooper), the finite radii of both wells (the y K1(y) factor) and the
// observation well's storage and skin (1/(1 + p B)). Large p puts y = q rho in the band where
// y K1(y) is subnormal (740) or 0 (755), where the division by it lost its accuracy or was
// skipped and K0(a) was 0.
TEST(AQVLaplace, ObservationWellStorageAndRadiusFollowIndependentBesselValues) {
  const double transmissivity = 1000.0;
  const double storativity = 1e-3;
  const TAquiferSystemInput system = ConfinedAquifer(transmissivity, storativity);
  TPumpingWellInput well{.Rc = 0.15, .Rw = 0.1, .Skin = 0.02};
  well.Screened[1] = true;
  const double rate = 800.0;
  // The distance r and q rho, which sets p.
  const std::pair<double, double> cases[] = {{25.0, 0.004},  {3.0, 0.3},     {0.3, 40.0},
                                             {0.145, 600.0}, {0.145, 720.0}, {0.145, 740.0},
                                             {0.1405, 755.0}};
  for (const auto& [distance, qRho] : cases) {
    SCOPED_TRACE(qRho);
    TObservationPointInput point{.X = distance, .Layer = 1, .Rc = 0.05, .Rw = 0.04, .Skin = 0.003};
    const double rho = point.Rw;  // rw + rho stays below r: no reduction
    const double q = qRho / rho;
    const double p = q * q * transmissivity / storativity;
    const TAquiferSystemState state = Decomposed(system, p);
    TWellLaplaceTerm term;
    ASSERT_TRUE(ComputeWellTerm(system, state, well, rate, term).IsSuccess());
    const TObservationGeometry geometry = ObservationGeometry(well, point);
    TPointModeFactors factors;
    ComputePointModeFactors(state, term, geometry, factors);
    const double s = ObservationTerm(system, state, well, term, geometry, factors, point.Layer);

    const double a = q * distance;
    const double b = q * well.Rw;
    const double y = q * rho;
    const auto wellFace = [](double x) {
      return test::ReferenceScaledBesselK0(x) / (x * test::ReferenceScaledBesselK1(x));
    };
    const double v = transmissivity / (wellFace(b) + well.Skin);
    const double w = rate / (std::numbers::pi * p * (well.Rc * well.Rc * p + 2.0 * v));
    const double f = std::exp(b + y - a) * test::ReferenceScaledBesselK0(a) /
                     (b * test::ReferenceScaledBesselK1(b) * y * test::ReferenceScaledBesselK1(y));
    const double storage = point.Rc * point.Rc / 2.0 * (wellFace(y) + point.Skin) / transmissivity;
    const double expected = w / (1.0 + p * storage) * v / transmissivity * f;
    // Double precision below an argument of 300; three asymptotic terms from 300 to 700 (about
    // 0.2/x^3 relative), four from 700 on, with the rounding of a in e^(b + y - a).
    double tolerance = 5e-12;
    for (double x : {a, b, y})
      if (x >= 300.0 && x < 700.0) tolerance = std::max(tolerance, 0.2 / (x * x * x));
    EXPECT_NEAR(s / expected, 1.0, tolerance);
  }
}

TEST(AQVLaplace, EngineResultCarriesTheUserTexts) {
  EXPECT_TRUE(TEngineResult{}.Message().empty());
  const auto system = TEngineResult::Failure(TEngineFault::efAquiferSystem);
  EXPECT_EQ(static_cast<int>(system.Status), 11);
  EXPECT_EQ(system.Message(),
            "Cannot compute aquifer system: Check for extreme low or high values.");
  EXPECT_EQ(TEngineResult::Failure(TEngineFault::efNonFinite).Message(), system.Message());
  EXPECT_EQ(TEngineResult::Failure(TEngineFault::efWellMatrix).Message(),
            "Cannot compute aquifer system. Error in LUDCMP.");
}

}  // namespace
}  // namespace aqv
