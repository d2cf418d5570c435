// The drawdown engine against independent solutions of well hydraulics.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

#include "model/engine/AQVStehfest.h"
#include "tests/support/ClosedForms.h"
#include "tests/support/EngineInputs.h"

namespace aqv {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDischarge = 800.0;  // m3/d

using test::ConfinedAquifer;

TAquiferSystemInput TwoAquiferSystem(double resistance) {
  TAquiferSystemInput system;
  system.AquiferCount = 2;
  std::tie(system.T[1], system.T[2], system.S[1], system.S[2]) =
      std::tuple(300.0, 700.0, 1e-4, 3e-4);
  system.Resistance.Fill(resistance);
  system.SAquitard.Fill(0.0);
  system.TopAquitardImpervious = system.BottomAquitardImpervious = true;
  return system;
}

// A well of small radius without well storage: a line sink to the accuracy of these tests;
// or, with radii and skin, a well of finite size.
TPumpingWellInput LineSinkWell(int screenedAquifer, double rw = 0.01, double rc = 0.0,
                               double skin = 0.0) {
  TPumpingWellInput well{.Rc = rc, .Rw = rw, .Skin = skin};
  well.Screened[screenedAquifer] = true;
  return well;
}

// The Stehfest weights of N terms with a work state, as every engine call takes them.
struct TEngine {
  explicit TEngine(int terms) : Weights(ComputeStehfestWeights(terms)) {}
  TStehfestWeights Weights;
  TAquiferSystemState Work;
};

// One aquifer of T = 1000 and S = 1e-3 below a leaky aquitard of c = 500 without storage.
TAquiferSystemInput LeakyAquifer() {
  TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  system.Resistance[1] = 500.0;
  system.TopAquitardImpervious = false;
  return system;
}

// A point without casing or screen.
TObservationPointInput PiezometerAt(double x, double y, int layer) {
  return {.X = x, .Y = y, .Layer = layer};
}

double Drawdown(const TAquiferSystemInput& system, const TPumpingWellInput& well, double rate,
                double elapsedDays, const TObservationPointInput& point, int terms = 12) {
  TEngine e(terms);
  double drawdown = std::numeric_limits<double>::quiet_NaN();
  const TEngineResult result =
      PointDrawdown(system, e.Weights, well, rate, elapsedDays, point, e.Work, drawdown);
  EXPECT_TRUE(result.IsSuccess()) << ToText(result.Fault);
  return drawdown;
}

double TheisDrawdown(double transmissivity, double storativity, double r, double t) {
  const double u = r * r * storativity / (4.0 * transmissivity * t);
  return kDischarge / (4.0 * kPi * transmissivity) * test::TheisWellFunction(u);
}

// Stehfest inverts the Theis transform for u up to 2 to about 4e-4 with N = 10, 7e-5 with
// N = 12 and 2e-5 with N = 16 (more terms lose digits to the size of the weights); the finite
// well radius 0.01 m changes the line-sink drawdown by less than 1e-6.
TEST(AQVDrawdown, ConfinedAquiferMatchesTheisWithinTheStehfestAccuracyOfEachTermCount) {
  const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  const TPumpingWellInput well = LineSinkWell(1);
  for (const auto& [terms, tolerance] : {std::pair{10, 1e-3}, {12, 2e-4}, {16, 5e-5}}) {
    for (double r : {5.0, 30.0, 200.0}) {
      for (double t : {0.001, 0.01, 0.1, 1.0, 10.0, 100.0}) {
        const double u = r * r * 1e-3 / (4000.0 * t);
        if (u > 2.0) continue;
        const double expected = TheisDrawdown(1000.0, 1e-3, r, t);
        const double s = Drawdown(system, well, kDischarge, t, PiezometerAt(r, 0.0, 1), terms);
        EXPECT_NEAR(s / expected, 1.0, tolerance)
            << "N = " << terms << " r = " << r << " t = " << t;
      }
    }
  }
}

TEST(AQVDrawdown, AbsentAquitardsEqualClosedAquitardsWithoutStorage) {
  TAquiferSystemInput closed = ConfinedAquifer(500.0, 2e-4);
  TAquiferSystemInput absent = closed;
  absent.TopAquitardAbsent = absent.BottomAquitardAbsent = true;
  const TPumpingWellInput well = LineSinkWell(1);
  const TObservationPointInput point = PiezometerAt(20.0, 10.0, 1);
  EXPECT_EQ(Drawdown(closed, well, kDischarge, 0.5, point),
            Drawdown(absent, well, kDischarge, 0.5, point));
}

// Hantush-Jacob: leaky top aquitard without storage, closed bottom; B = sqrt(T c). Late, the
// steady state K0.
TEST(AQVDrawdown, LeakyAquiferMatchesHantushJacobWithin2e4AndReachesTheSteadyStateK0Within1e6) {
  const TAquiferSystemInput system = LeakyAquifer();
  const double leakageFactor = std::sqrt(1000.0 * 500.0);
  const TPumpingWellInput well = LineSinkWell(1);
  for (double r : {10.0, 150.0, 700.0}) {
    for (double t : {0.01, 0.3, 3.0, 30.0}) {
      const double u = r * r * 1e-3 / (4000.0 * t);
      if (u > 2.0) continue;
      const double expected =
          kDischarge / (4.0 * kPi * 1000.0) * test::HantushWellFunction(u, r / leakageFactor);
      const double s = Drawdown(system, well, kDischarge, t, PiezometerAt(0.0, r, 1));
      EXPECT_NEAR(s / expected, 1.0, 2e-4) << "r = " << r << " t = " << t;
    }
    const double x = r / leakageFactor;
    const double steady =
        kDischarge / (2.0 * kPi * 1000.0) * test::ReferenceScaledBesselK0(x) * std::exp(-x);
    const double s = Drawdown(system, well, kDischarge, 1e5, PiezometerAt(r, 0.0, 1));
    EXPECT_NEAR(s / steady, 1.0, 1e-6) << "steady, r = " << r;
  }
}

// Papadopulos-Cooper: at early times the discharge comes from the casing, s = Q t / (pi rc^2),
// within 1 %; the full solution for the drawdown in a large-diameter well, from the early
// casing-storage line to the late Theis-like part, where Stehfest with N = 12 reaches 3e-5.
TEST(AQVDrawdown, LargeDiameterWellFollowsTheWellStorageLineAndMatchesPapadopulosCooper) {
  const TAquiferSystemInput system = ConfinedAquifer(100.0, 1e-4);
  const TPumpingWellInput well = LineSinkWell(1, 0.5, 0.5);
  const TObservationPointInput inWell = PiezometerAt(0.0, 0.0, 1);
  for (double t : {1e-6, 1e-5}) {
    const double expected = kDischarge * t / (kPi * well.Rc * well.Rc);
    EXPECT_NEAR(Drawdown(system, well, kDischarge, t, inWell) / expected, 1.0, 0.01) << t;
  }
  // Much later the casing no longer matters: the finite-radius well without storage.
  EXPECT_NEAR(Drawdown(system, well, kDischarge, 100.0, inWell) /
                  Drawdown(system, LineSinkWell(1, 0.5), kDischarge, 100.0, inWell),
              1.0, 1e-3);
  const double alpha = well.Rw * well.Rw * 1e-4 / (well.Rc * well.Rc);
  for (double t : {1e-5, 1e-3, 1e-2, 0.1, 10.0}) {
    const double u = well.Rw * well.Rw * 1e-4 / (4.0 * 100.0 * t);
    const double expected =
        kDischarge / (4.0 * kPi * 100.0) * test::PapadopulosCooperWellFunction(u, alpha);
    EXPECT_NEAR(Drawdown(system, well, kDischarge, t, inWell) / expected, 1.0, 1e-4)
        << "full " << t;
  }
}

// Skin enters the well matrix as skin / T: an extra well-face drawdown Q skin / (2 pi T), the
// van Everdingen skin, while a point outside the well does not see it.
TEST(AQVDrawdown, SkinAddsQSkinOverTwoPiTInThePumpingWellOnly) {
  const TAquiferSystemInput system = ConfinedAquifer(400.0, 5e-4);
  const TPumpingWellInput clean = LineSinkWell(1, 0.15);
  const TPumpingWellInput skinned = LineSinkWell(1, 0.15, 0.0, 3.0);
  const TObservationPointInput inWell = PiezometerAt(0.0, 0.0, 1);
  const TObservationPointInput outside = PiezometerAt(25.0, 0.0, 1);
  for (double t : {0.01, 1.0, 50.0}) {
    const double extra = Drawdown(system, skinned, kDischarge, t, inWell) -
                         Drawdown(system, clean, kDischarge, t, inWell);
    // The difference transforms to a constant over p, which Stehfest inverts to rounding.
    EXPECT_NEAR(extra / (kDischarge * 3.0 / (2.0 * kPi * 400.0)), 1.0, 1e-9) << t;
    // Equal in exact arithmetic; the weights of N = 12 (up to 1e6) magnify rounding.
    EXPECT_NEAR(Drawdown(system, skinned, kDischarge, t, outside) /
                    Drawdown(system, clean, kDischarge, t, outside),
                1.0, 1e-8)
        << t;
  }
}

// Recovery: the second period with discharge 0 is a step of -Q, so the residual drawdown is
// the Theis difference of the two steps.
TEST(AQVDrawdown, RecoveryIsTheSuperpositionOfBothRateStepsWithin1e4OfPeak) {
  const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  const TPumpingWellInput well = LineSinkWell(1);
  TArray1<double, 100> discharge{}, start{};
  TArrayRange<std::uint8_t, 0, 100> included{};
  included.Fill(1);
  start[2] = 1.0;  // periods at 0 and 1 day, pumping in the first
  discharge[1] = kDischarge;
  const double r = 20.0;
  const double peak = TheisDrawdown(1000.0, 1e-3, r, 1.0);
  const TObservationPointInput point = PiezometerAt(r, 0.0, 1);
  for (double t : {0.5, 1.01, 1.5, 3.0, 20.0}) {
    double s = 0.0;
    for (int k = 1; k <= 2; ++k) {
      if (t - start[k] > kObservationStartGap) {
        s += Drawdown(system, well, RateStep(discharge, included, k), t - start[k], point);
      }
    }
    double expected = TheisDrawdown(1000.0, 1e-3, r, t);
    if (t > 1.0) expected -= TheisDrawdown(1000.0, 1e-3, r, t - 1.0);
    EXPECT_NEAR(s, expected, 1e-4 * peak) << t;
  }
}

TEST(AQVDrawdown, TwoWellsAddTheirTheisDrawdownsWithin2e4) {
  const TAquiferSystemInput system = ConfinedAquifer(800.0, 2e-4);
  const TPumpingWellInput first = LineSinkWell(1);
  TPumpingWellInput second = LineSinkWell(1);
  std::tie(second.X, second.Y) = std::tuple(60.0, -20.0);
  const TObservationPointInput point = PiezometerAt(20.0, 30.0, 1);
  const double r1 = std::hypot(20.0, 30.0), r2 = std::hypot(40.0, 50.0);
  for (double t : {0.05, 2.0}) {
    const double s = Drawdown(system, first, kDischarge, t, point) +
                     Drawdown(system, second, 0.5 * kDischarge, t, point);
    const double expected =
        TheisDrawdown(800.0, 2e-4, r1, t) + 0.5 * TheisDrawdown(800.0, 2e-4, r2, t);
    EXPECT_NEAR(s / expected, 1.0, 2e-4) << t;
  }
}

// A very thin aquitard (c = 1e-3 d, leakage factor 0.46 m) makes two aquifers act as one with
// summed transmissivity and storativity at distances of many leakage factors.
TEST(AQVDrawdown, ThinAquitardGivesTheisWithSummedTAndSWithin1e3) {
  const TAquiferSystemInput system = TwoAquiferSystem(1e-3);
  const TPumpingWellInput well = LineSinkWell(1);
  for (int layer : {1, 2}) {
    for (double t : {0.01, 0.5, 20.0}) {
      const double r = 50.0;
      const double expected = TheisDrawdown(1000.0, 4e-4, r, t);
      const double s = Drawdown(system, well, kDischarge, t, PiezometerAt(r, 0.0, layer));
      EXPECT_NEAR(s / expected, 1.0, 1e-3) << "layer " << layer << " t = " << t;
    }
  }
}

// The Green's function is symmetric: a well in aquifer 1 seen in aquifer 2 equals the same well
// in aquifer 2 seen in aquifer 1, with aquitard storage and leaky faces. Same p values, so
// only rounding magnified by the weights of N = 12 (up to 1e6) separates them: 1e-8.
TEST(AQVDrawdown, ReciprocityBetweenAquifersWithin1e8) {
  TAquiferSystemInput system = TwoAquiferSystem(50.0);
  std::tie(system.SAquitard[1], system.SAquitard[2], system.SAquitard[3]) =
      std::tuple(2e-3, 5e-3, 1e-3);
  std::tie(system.Resistance[1], system.Resistance[3]) = std::tuple(300.0, 2000.0);
  system.TopAquitardImpervious = system.BottomAquitardImpervious = false;
  for (double t : {0.02, 1.0, 100.0}) {
    const double upward =
        Drawdown(system, LineSinkWell(2), kDischarge, t, PiezometerAt(40.0, 0.0, 1));
    const double downward =
        Drawdown(system, LineSinkWell(1), kDischarge, t, PiezometerAt(40.0, 0.0, 2));
    EXPECT_NEAR(upward / downward, 1.0, 1e-8) << t;
  }
}

double WellFaceFluxSum(const TAquiferSystemInput& system, const TPumpingWellInput& well, double t,
                       int terms) {
  TEngine e(terms);
  const TCurveRowLayout layout{1, system.AquiferCount, 1};
  std::vector<double> row(static_cast<std::size_t>(system.AquiferCount), 0.0);
  EXPECT_TRUE(
      CurveWellFluxes(system, e.Weights, well, kDischarge, t, 1, layout, e.Work, row).IsSuccess());
  double sum = 0.0;
  for (double value : row) sum += value;
  return sum;
}

// Mass balance at the well: the fluxes into the screened aquifers plus the rate of well
// storage pi rc^2 ds/dt equal the discharge (central difference of ds/dt over +-1 %).
TEST(AQVDrawdown, WellFaceFluxesPlusWellStorageBalanceTheDischargeWithin1e3) {
  TAquiferSystemInput system = TwoAquiferSystem(200.0);
  system.TopAquitardImpervious = false;
  TPumpingWellInput well = LineSinkWell(1, 0.3, 0.3, 0.5);
  well.Screened[2] = true;
  const TObservationPointInput inWell = PiezometerAt(0.0, 0.0, 1);
  for (double t : {1e-4, 1e-3, 1e-2, 1.0, 100.0}) {
    const double h = 0.01 * t;
    const double rate = (Drawdown(system, well, kDischarge, t + h, inWell, 16) -
                         Drawdown(system, well, kDischarge, t - h, inWell, 16)) /
                        (2.0 * h);
    const double storage = kPi * well.Rc * well.Rc * rate;
    const double fluxes = WellFaceFluxSum(system, well, t, 16);
    EXPECT_NEAR((fluxes + storage) / kDischarge, 1.0, 1e-3) << t;
  }
  // At late time the casing is at rest: the fluxes alone carry the discharge.
  EXPECT_NEAR(WellFaceFluxSum(system, well, 1000.0, 16) / kDischarge, 1.0, 1e-3);
}

// Two aquifers joined by a thin aquitard have the same head, so a well screened in both draws
// from each in proportion to its transmissivity.
TEST(AQVDrawdown, StronglyCoupledScreensShareTheFluxByTransmissivityWithin1Percent) {
  const TAquiferSystemInput system = TwoAquiferSystem(1e-3);
  TPumpingWellInput well = LineSinkWell(1);
  well.Screened[2] = true;
  TEngine e(12);
  std::vector<double> row(2, 0.0);
  ASSERT_TRUE(CurveWellFluxes(system, e.Weights, well, kDischarge, 10.0, 1, {1, 2, 1}, e.Work, row)
                  .IsSuccess());
  EXPECT_NEAR(row[0] / kDischarge, 0.3, 0.01 * 0.3);
  EXPECT_NEAR(row[1] / kDischarge, 0.7, 0.01 * 0.7);
}

TEST(AQVDrawdown, ObservationWellStorageDelaysTheEarlyResponseOnly) {
  const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  const TPumpingWellInput well = LineSinkWell(1);
  const TObservationPointInput open{.X = 15.0, .Layer = 1, .Rw = 0.05};
  TObservationPointInput cased = open;
  cased.Rc = 0.5;
  EXPECT_LT(Drawdown(system, well, kDischarge, 0.001, cased),
            0.9 * Drawdown(system, well, kDischarge, 0.001, open));
  EXPECT_NEAR(Drawdown(system, well, kDischarge, 100.0, cased) /
                  Drawdown(system, well, kDischarge, 100.0, open),
              1.0, 1e-3);
}

// The curve row shares the decomposition, the well term and the Bessel values of the well
// face between curves and aquifers. In a confined aquifer, a row of piezometers must give the
// Theis drawdowns (an independent value); in a leaky system, where nothing is known in closed
// form, each value must still be the drawdown of its point alone.
TEST(AQVDrawdown, CurveRowMatchesTheisAndThePointDrawdowns) {
  {
    const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
    const TPumpingWellInput well = LineSinkWell(1);
    const double distances[] = {5.0, 40.0, 150.0};
    std::vector<TObservationGeometry> curves;
    for (double r : distances) curves.push_back(ObservationGeometry(well, PiezometerAt(r, 0.0, 1)));
    TEngine e(12);
    std::vector<double> row(3, 0.0);
    ASSERT_TRUE(
        CurveDrawdowns(system, e.Weights, well, kDischarge, 2.0, curves, {1, 1, 3}, e.Work, row)
            .IsSuccess());
    for (std::size_t c = 0; c < 3; ++c) {
      // Stehfest with 12 terms: 2e-4 (see the Theis test above).
      EXPECT_NEAR(row[c] / TheisDrawdown(1000.0, 1e-3, distances[c], 2.0), 1.0, 2e-4) << c;
    }
  }
  TAquiferSystemInput system = TwoAquiferSystem(100.0);
  system.SAquitard[1] = 1e-3;
  system.TopAquitardImpervious = false;
  const TPumpingWellInput well = LineSinkWell(1, 0.1, 0.1);
  const std::vector<TObservationPointInput> points = {
      {.X = 10.0, .Y = 10.0, .Rc = 0.02, .Rw = 0.02},
      {.X = 0.05, .Rc = 0.02, .Rw = 0.02},
      {.X = 100.0, .Y = -40.0, .Rc = 0.02, .Rw = 0.02}};
  std::vector<TObservationGeometry> curves;
  for (const auto& point : points) curves.push_back(ObservationGeometry(well, point));
  TEngine e(10);
  std::vector<double> row(6, 0.0);
  ASSERT_TRUE(
      CurveDrawdowns(system, e.Weights, well, kDischarge, 2.0, curves, {1, 2, 3}, e.Work, row)
          .IsSuccess());
  for (int layer = 1; layer <= 2; ++layer) {
    for (int c = 1; c <= 3; ++c) {
      TObservationPointInput point = points[static_cast<std::size_t>(c - 1)];
      point.Layer = layer;
      const double expected = Drawdown(system, well, kDischarge, 2.0, point, 10);
      // Same terms in another order of rounding, magnified by the weights: 1e-9.
      EXPECT_NEAR(row[static_cast<std::size_t>((layer - 1) * 3 + c - 1)] / expected, 1.0, 1e-9)
          << layer << " " << c;
    }
  }
}

TEST(AQVDrawdown, UnscreenedAquiferHasNoWellFaceFlux) {
  TEngine e(10);
  std::vector<double> row(4, 0.0);
  ASSERT_TRUE(CurveWellFluxes(TwoAquiferSystem(100.0), e.Weights, LineSinkWell(2), kDischarge, 1.0,
                              2, {1, 2, 2}, e.Work, row)
                  .IsSuccess());
  // Both curves in aquifer 1, unscreened, and curve 1 in aquifer 2.
  for (int k = 0; k < 3; ++k) EXPECT_EQ(row[static_cast<std::size_t>(k)], 0.0) << k;
  EXPECT_NEAR(row[3] / kDischarge, 1.0, 1e-3);
}

TEST(AQVDrawdown, NoContributionBeforeTheStepOrWithoutAScreen) {
  const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  const TObservationPointInput point = PiezometerAt(10.0, 0.0, 1);
  EXPECT_EQ(Drawdown(system, LineSinkWell(1), kDischarge, 0.0, point), 0.0);
  EXPECT_EQ(Drawdown(system, LineSinkWell(1), kDischarge, -1.0, point), 0.0);
  EXPECT_EQ(Drawdown(system, LineSinkWell(1), 0.0, 1.0, point), 0.0);
  // Aquifer 2 does not exist in a one-aquifer system.
  EXPECT_EQ(Drawdown(system, LineSinkWell(2), kDischarge, 1.0, point), 0.0);
}

// A system without storage or leakage returned a constant drawdown as success.
TEST(AQVDrawdown, SystemWithoutStorageFailsWithStatus11) {
  TEngine e(10);
  double s = 1.0;
  const TEngineResult result =
      PointDrawdown(ConfinedAquifer(1000.0, 0.0), e.Weights, LineSinkWell(1), kDischarge, 1.0,
                    PiezometerAt(10.0, 0.0, 1), e.Work, s);
  EXPECT_EQ(std::tuple(static_cast<int>(result.Status), result.Fault, result.Message(), s),
            std::tuple(11, TEngineFault::efAquiferSystem, kAquiferSystemMessage, 0.0));
}

// A NaN parameter turned into a plotted number, or hung the Bessel series.
TEST(AQVDrawdown, NonFiniteParametersFailWithStatus11InsteadOfANumber) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TEngine e(10);
  const TAquiferSystemInput good = ConfinedAquifer(1000.0, 1e-3);
  const TObservationPointInput point = PiezometerAt(10.0, 0.0, 1);
  double s = 1.0;
  EXPECT_EQ(PointDrawdown(good, e.Weights, LineSinkWell(1, nan), kDischarge, 1.0, point, e.Work, s)
                .Status,
            TEngineStatus::esAquiferSystemFailed);
  const std::tuple<const char*, TAquiferSystemInput, double, TObservationPointInput> cases[] = {
      {"point", good, kDischarge, PiezometerAt(nan, 0.0, 1)},
      {"transmissivity", ConfinedAquifer(nan, 1e-3), kDischarge, point},
      {"rate", good, nan, point}};
  for (const auto& [name, input, rate, at] : cases)
    EXPECT_FALSE(
        PointDrawdown(input, e.Weights, LineSinkWell(1), rate, 1.0, at, e.Work, s).IsSuccess())
        << name;
  EXPECT_EQ(s, 0.0);
}

// After a failure the row held partial sums that were drawn as if they were drawdowns.
TEST(AQVDrawdown, FailedCurveRowHoldsTheMissingValueNotPartialSums) {
  TEngine e(10);
  const std::vector<TObservationGeometry> curves = {
      ObservationGeometry(LineSinkWell(1), PiezometerAt(10.0, 0.0, 1))};
  std::vector<double> row = {0.25};
  const TEngineResult result =
      CurveDrawdowns(ConfinedAquifer(1000.0, 0.0), e.Weights, LineSinkWell(1), kDischarge, 1.0,
                     curves, {1, 1, 1}, e.Work, row);
  EXPECT_EQ(result.Status, TEngineStatus::esAquiferSystemFailed);
  EXPECT_EQ(result.Fault, TEngineFault::efAquiferSystem) << "stopped at the failure, not after it";
  EXPECT_EQ(row[0], kMissingCurveValue);
}

TEST(AQVDrawdown, LayoutOutsideTheRowOrSystemIsRefused) {
  const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  const TPumpingWellInput well = LineSinkWell(1);
  TEngine e(10);
  const std::vector<TObservationGeometry> curves(2);
  std::vector<double> row(2, 0.0), shortRow(1, 0.0);
  double s = 0.0;
  // Aquifer 2 of a one-aquifer system; more curves than the layout holds; a short row; a point
  // in aquifer 2.
  const TEngineFault faults[] = {
      CurveDrawdowns(system, e.Weights, well, kDischarge, 1.0, curves, {1, 2, 2}, e.Work, row)
          .Fault,
      CurveDrawdowns(system, e.Weights, well, kDischarge, 1.0, curves, {1, 1, 1}, e.Work, row)
          .Fault,
      CurveWellFluxes(system, e.Weights, well, kDischarge, 1.0, 2, {1, 1, 2}, e.Work, shortRow)
          .Fault,
      PointDrawdown(system, e.Weights, well, kDischarge, 1.0, PiezometerAt(1.0, 1.0, 2), e.Work, s)
          .Fault};
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(faults[k], TEngineFault::efInvalidInput) << k;
}

// Points evaluated together at one elapsed time share the decompositions and the well term;
// each must still get exactly what it gets alone, failures included.
TEST(AQVDrawdown, SharedEvaluationGivesEachPointItsOwnResult) {
  TAquiferSystemInput system = TwoAquiferSystem(100.0);
  system.SAquitard[1] = 1e-3;
  system.TopAquitardImpervious = false;
  TPumpingWellInput well = LineSinkWell(1, 0.1, 0.15, 0.01);
  well.Screened[2] = true;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<TObservationPointInput> points = {
      {.X = 10.0, .Y = 10.0, .Layer = 1, .Rc = 0.05, .Rw = 0.05, .Skin = 0.002},
      {.X = 0.05, .Y = 0.0, .Layer = 2},   // inside the pumping well's screen
      {.X = 300.0, .Y = 0.0, .Layer = 2},  // no casing
      {.X = nan, .Y = 0.0, .Layer = 1},    // not finite
      {.X = 20.0, .Y = 0.0, .Layer = 3}};  // no such aquifer
  const TStehfestWeights weights = ComputeStehfestWeights(12);
  TAquiferSystemInput noStorage = ConfinedAquifer(500.0, 0.0);
  std::tie(noStorage.AquiferCount, noStorage.T[2]) = std::tuple(2, 500.0);
  const std::tuple<const char*, TAquiferSystemInput, double> cases[] = {
      {"leaky", system, kDischarge},
      {"no storage", noStorage, kDischarge},
      {"no rate", system, 0.0}};
  for (const auto& [name, input, rate] : cases) {
    TInversionCache cache;
    std::vector<double> drawdowns(points.size(), nan);
    std::vector<TEngineResult> results(points.size());
    for (double elapsed : {0.002, 3.0, 0.002}) {
      PointDrawdowns(input, weights, well, rate, elapsed, cache, points, drawdowns, results);
      for (std::size_t i = 0; i < points.size(); ++i) {
        TAquiferSystemState work;
        double alone = nan;
        const TEngineResult result =
            PointDrawdown(input, weights, well, rate, elapsed, points[i], work, alone);
        EXPECT_EQ(results[i], result) << name << " " << elapsed << " " << i;
        EXPECT_EQ(drawdowns[i], alone) << name << " " << elapsed << " " << i;
      }
    }
    // The second evaluation at 0.002 days found its decompositions in the cache.
    EXPECT_EQ(cache.Computations(), rate == 0.0 ? 0 : 2) << name;
  }
}

TEST(AQVDrawdown, InversionCacheKeepsTheLastFourElapsedTimes) {
  const TAquiferSystemInput system = ConfinedAquifer(1000.0, 1e-3);
  const TStehfestWeights weights = ComputeStehfestWeights(10);
  TInversionCache cache;
  for (double t : {1.0, 2.0, 3.0, 4.0, 1.0, 4.0}) {
    const TInversionSystems& systems = cache.Get(system, weights, t);
    EXPECT_EQ(std::tuple(systems.ElapsedDays, systems.Count, systems.States[3].LaplaceP),
              std::tuple(t, 10, 3 * (std::numbers::ln2 / t)));
  }
  EXPECT_EQ(cache.Computations(), 4);
  cache.Get(system, weights, 5.0);  // replaces the oldest, 1.0
  cache.Get(system, weights, 1.0);
  EXPECT_EQ(cache.Computations(), 6);
  cache.Clear();
  cache.Get(system, weights, 5.0);
  EXPECT_EQ(cache.Computations(), 1);
}

}  // namespace
}  // namespace aqv
