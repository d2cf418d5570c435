// The document's drawdown computations: observation drawdowns, curve times and curves.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"
#include "tests/support/ClosedForms.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

class DocumentEngineTest : public test::TDocumentTest {
 protected:
  void TearDown() override { SetWorkerCount(4); }

  // A confined aquifer: both aquitards impervious and without storage, so the aquitards
  // contribute nothing; with no casing storage in the wells the Theis solution holds.
  void MakeConfined() {
    TAQVData& d = *mData;
    d.SetTopAquitardImpervious(true);
    d.SetBottomAquitardImpervious(true);
    d.PumpingWells[1].Rc = 0;
    for (int j = 1; j <= kMaxObservationWells; ++j) d.ObservationWells[j].Rc = 0;
  }

  // Every observation well of the document observes aquifer 1 at 10 log-spaced times.
  void SpreadObservations() {
    TAQVData& d = *mData;
    d.SetObservationWellCount(3);
    for (int j = 1; j <= 3; ++j) {
      d.SetObservationCount(j, 10);
      for (int k = 1; k <= 10; ++k) d.ObservationWells[j].Time[k] = 0.001 * std::pow(10.0, 0.5 * k);
    }
    d.CollectIncludedObservations();
  }
};

TEST_F(DocumentEngineTest, ObservationDrawdownsMatchTheisWithinOnePerMille) {
  MakeConfined();
  SpreadObservations();
  TAQVData& d = *mData;
  // Confined by impervious aquitards, then by absent ones (whose resistances stay in the rows).
  for (const bool absent : {false, true}) {
    d.SetTopAquitardImpervious(!absent);
    d.SetBottomAquitardImpervious(!absent);
    d.SetTopAquitardAbsent(absent);
    d.SetBottomAquitardAbsent(absent);
    d.ComputeObservationDrawdowns();
    ASSERT_EQ(d.StatusCode, 0);
    const double pi = std::numbers::pi;
    for (int j = 1; j <= 3; ++j) {
      const TObservationWell& obs = d.ObservationWells[j];
      const double r2 = obs.X * obs.X + obs.Y * obs.Y;
      for (int k = 1; k <= 10; ++k) {
        const double u = r2 * 0.001 / (4 * 1000 * obs.Time[k]);
        const double theis = 800 / (4 * pi * 1000) * test::TheisWellFunction(u);
        EXPECT_NEAR(obs.Computed[k], theis, 1e-3 * theis)
            << "well " << j << " time " << obs.Time[k] << (absent ? " absent" : "");
      }
    }
  }
  // The fitting list takes the computed column in its own order.
  EXPECT_EQ(d.FitComputed[11], d.ObservationWells[2].Computed[1]);
}

TEST_F(DocumentEngineTest, RecoveryAfterAnExcludedMiddlePeriodStepsFromTheLastIncludedOne) {
  MakeConfined();
  TAQVData& d = *mData;
  TPumpingWell& w = d.PumpingWells[1];
  w.SetPeriodCount(3);
  std::tie(w.Discharge[1], w.Discharge[2], w.Discharge[3], w.Included[2]) =
      std::tuple(800, 5000, 0, false);
  EXPECT_EQ(d.RateStep(1, 1), 800);
  EXPECT_EQ(d.RateStep(1, 3), -800) << "the excluded period neither starts nor ends a step";
}

TEST_F(DocumentEngineTest, ComputationsGiveTheSameBitsOnOneAndEightThreads) {
  TAQVData& d = *mData;
  d.SetAquiferCount(2);
  d.SAquitard[1] = 0.001;
  d.SetObservationWellCount(5);
  for (int j = 1; j <= 5; ++j) {
    d.ObservationWells[j].Layer = j % 2 + 1;
    d.SetObservationCount(j, 200);
    for (int k = 1; k <= 200; ++k) d.ObservationWells[j].Time[k] = 0.0001 * std::pow(1.05, k);
  }
  d.GroupCoincidentWells();
  d.AssignCurveStyles();
  d.CollectIncludedObservations();

  // The fitted drawdowns and the curves computed on the given number of threads.
  const auto compute = [&d](int threads) {
    SetWorkerCount(threads);
    d.ComputeObservationDrawdowns();
    const std::vector<double> fit(d.FitComputed.begin(), d.FitComputed.end());
    d.CurvesValid = false;
    d.BuildCurveTimes();
    return std::tuple(fit, d.CurveValues);
  };
  const auto one = compute(1);
  EXPECT_EQ(one, compute(8));
  EXPECT_GT(d.CurveValues[d.CurveValueIndex(60, 1, 1)], 0.0);
}

TEST_F(DocumentEngineTest, DefaultCurveTimesInsertFiftyNinePointsInOneInterval) {
  TAQVData& d = *mData;
  d.BuildCurveTimes();
  ASSERT_EQ(d.OutputTimeCount(), 61);
  EXPECT_EQ(std::tuple(d.OutputTimes.front(), d.OutputTimes.back(), d.CurvesValid, d.Busy),
            std::tuple(0.001, 1000, true, false));
}

TEST_F(DocumentEngineTest, CurvesAtEveryTimeMatchTheObservationDrawdownThere) {
  MakeConfined();
  TAQVData& d = *mData;
  d.BuildCurveTimes();
  const TObservationWell& obs = d.ObservationWells[1];
  for (int i = 0; i < d.OutputTimeCount(); i += 10) {
    const double t = d.OutputTimes[static_cast<std::size_t>(i)];
    const double point = d.PointDrawdown(1, 1, obs.X, obs.Y, 1, obs.Rc, obs.Rw, obs.Skin, t);
    // The two roads sum in another order; Stehfest's alternating weights (up to about 1e5 for
    // N = 10) amplify that rounding to about 1e-11.
    EXPECT_NEAR(d.CurveValues[d.CurveValueIndex(i, 1, 1)], point, 1e-9 * std::fabs(point) + 1e-15)
        << t;
  }
}

TEST_F(DocumentEngineTest, SystemWithoutStorageFailsOnceWithStatusElevenAndMissingValues) {
  TAQVData& d = *mData;
  MakeConfined();
  d.S[1] = 0;  // no storage and no leakage: the drawdown would never change in time
  d.BuildCurveTimes();
  EXPECT_EQ(std::tuple(d.StatusCode, mUi.Beeps), std::tuple(11, 1));
  ASSERT_EQ(mUi.Messages.size(), 1u) << "the message is shown once, not once per time";
  EXPECT_EQ(std::tuple(mUi.Messages[0].Text, mUi.Messages[0].Type),
            std::tuple("Cannot compute aquifer system: Check for extreme low or high values.",
                       TMsgDlgType::mtError));
  for (int i = 0; i < d.OutputTimeCount(); ++i)
    EXPECT_EQ(d.CurveValues[d.CurveValueIndex(i, 1, 1)], kMissingCurveValue) << i;

  mUi.Messages.clear();
  d.ComputeObservationDrawdowns();
  EXPECT_EQ(std::tuple(d.StatusCode, mUi.Messages.size()), std::tuple(11, 1u));
}

TEST_F(DocumentEngineTest, NonFiniteInputFailsInsteadOfPlottingANumber) {
  TAQVData& d = *mData;
  d.T[1] = std::nan("");
  d.BuildCurveTimes();
  EXPECT_EQ(d.StatusCode, 11);
  EXPECT_EQ(d.CurveValues[d.CurveValueIndex(d.OutputTimeCount() - 1, 1, 1)], kMissingCurveValue);
}

TEST_F(DocumentEngineTest, CancelLeavesCurvesInvalidAndProgressAtZero) {
  TAQVData& d = *mData;
  TProgressBarState progress;
  d.ProgressBar = &progress;
  int progressEvents = 0;
  d.OnProgressBarChange = [&](TObject*) { ++progressEvents; };
  mUi.OnProcessMessages = [&] { d.Cancel = true; };
  d.BuildCurveTimes();
  EXPECT_EQ(std::tuple(d.CurvesValid, d.Busy, progress.Position), std::tuple(false, false, 0));
  EXPECT_GE(progressEvents, 1);
  // The next update starts from scratch.
  mUi.OnProcessMessages = nullptr;
  d.BuildCurveTimes();
  EXPECT_EQ(std::tuple(d.CurvesValid, d.Cancel), std::tuple(true, false));
  // The curves of a cancelled computation keep none of the values of the one before.
  d.SetObservationWellCount(2);
  d.CurvesValid = false;
  d.BuildCurveTimes();
  const int last = d.CurveValueIndex(d.OutputTimeCount() - 1, 1, 2);
  ASSERT_GT(d.CurveValues[last], 0.0);
  mUi.OnProcessMessages = [&] { d.Cancel = true; };
  d.CurvesValid = false;
  d.BuildCurveTimes();
  EXPECT_EQ(d.CurveValues[last], 0.0);
}

TEST_F(DocumentEngineTest, WellFluxCurvesGoToTheIncludedWellAndZeroForUnscreenedAquifers) {
  TAQVData& d = *mData;
  d.SetAquiferCount(2);
  d.SetPumpingWellCount(2);
  d.PumpingWells[1].Included[0] = false;
  std::tie(d.PumpingWells[2].Screened[1], d.PumpingWells[2].Screened[2]) = std::tuple(true, false);
  d.AssignCurveStyles();
  d.SetWellFluxMode(true);
  d.SetUpperLayer(1);
  d.SetLowerLayer(2);
  d.CurvesValid = false;
  d.BuildCurveTimes();
  ASSERT_EQ(d.CurveCount, 1);
  const int last = d.OutputTimeCount() - 1;
  EXPECT_GT(d.CurveValues[d.CurveValueIndex(last, 1, 1)], 0.0);
  EXPECT_EQ(std::tuple(d.CurveValues[d.CurveValueIndex(last, 2, 1)], d.CurveNames[0]),
            std::tuple(0.0, "Pumping well 2"));
}

TEST_F(DocumentEngineTest, StehfestTermsChangeTheWeights) {
  TAQVData& d = *mData;
  EXPECT_EQ(d.StehfestWeights().Count, 10);
  EXPECT_NEAR(d.StehfestWeights().V[1], 1.0 / 12, 1e-15);
  d.SetStehfestTerms(16);
  EXPECT_EQ(d.StehfestWeights().Count, 16);
}

}  // namespace
}  // namespace aqv
