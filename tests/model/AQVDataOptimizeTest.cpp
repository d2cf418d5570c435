// The optimisation run of the document: parameter links, fits of synthetic pumping tests, every
// status of a run, the exact restore of a run that is not kept, and the console's buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/FitScenarios.h"

namespace aqv {
namespace {

double RelativeError(double value, double truth) {
  return std::fabs(value / truth - 1);
}

class OptimizeTest : public test::TDocumentTest {
 protected:
  void TearDown() override { SetWorkerCount(4); }

  TAQVData& Doc() { return *mData; }
  // The document made into the single-aquifer or the two-aquifer test.
  TAQVData& SingleAquifer(int times = 12) {
    test::MakeSingleAquiferTest(*mData, times);
    return *mData;
  }
  TAQVData& TwoAquifers(int times) {
    test::MakeTwoAquiferTest(*mData, times);
    return *mData;
  }
  // Keeps the tables as bytes, so that Unchanged() shows a run restored them bit for bit.
  void Remember() { mBefore = test::TableBytes(*mData); }
  bool Unchanged() const { return test::TableBytes(*mData) == mBefore; }
  // Runs, then checks the status, its line on the console and that every table is restored.
  void ExpectRestoringRun(TRunStatus status, const std::string& line) {
    Remember();
    mData->Optimize();
    EXPECT_EQ(mData->FitStatus, status);
    EXPECT_EQ(std::tuple(ConsoleHasStatusLine(line), Unchanged()), std::tuple(true, true)) << line;
  }
  bool ButtonLogHas(const std::string& line) const {
    return std::ranges::find(mUi.ConsoleButtonLog, line) != mUi.ConsoleButtonLog.end();
  }
  // Runs a fit and checks each found value against the value the observations were made with.
  void ExpectRecovered(const std::vector<std::pair<const double*, double>>& truths,
                       double tolerance = 1e-4) {
    mData->AbsStoppingCriterion = 1e-7;
    mData->Optimize();
    ASSERT_EQ(mData->FitStatus, TRunStatus::rsParametersFound) << mData->OptimizerSummary.Message;
    for (auto [found, truth] : truths) EXPECT_LT(RelativeError(*found, truth), tolerance) << *found;
  }
  // Whether a console line equals the status line of a run.
  bool ConsoleHasStatusLine(const std::string& text) const {
    return std::ranges::find(mUi.ConsoleLines, std::string(24, ' ') + text) !=
           mUi.ConsoleLines.end();
  }
  std::string mBefore;
};

// --- Parameter links -------------------------------------------------------------------------

TEST_F(OptimizeTest, EqualMarksShareAParameterAndWellMarksAreRaised) {
  TAQVData& d = Doc();
  d.LinkCount = 0;
  d.AddParameter('1', 'T', 500, 1);
  d.AddParameter('1', 'T', 1500, 2);
  d.AddParameter('1', 'W', 0.2, 2);
  d.AddParameter('\0', 'S', 1e-4, 1);  // unmarked
  d.AddParameter(' ', 'S', 1e-4, 2);   // a blank is no mark either
  d.AddParameter('2', 'c', 300, 1);
  ASSERT_EQ(d.LinkCount, 4);
  EXPECT_EQ(d.ParameterCount, 3);
  EXPECT_EQ(std::tuple(d.LinkParameter[1], d.LinkParameter[2], d.LinkParameter[4]),
            std::tuple(1, 1, 3));
  EXPECT_EQ(d.LinkParameter[3], 2) << "a well value never joins a layer value of the same mark";
  EXPECT_EQ(std::tuple(d.ParameterFirstLink[2], d.LinkLabel[1], d.LinkLabel[3], d.LinkLabel[4]),
            std::tuple(3, " T 1", "rw 2", " c 1"));
  EXPECT_EQ(std::tuple(d.ParameterStart[1], d.ParameterStart[2]), std::tuple(0.0, 1.0));
  EXPECT_EQ(static_cast<unsigned char>(d.ParameterMarks[1]), '1' + 100);
}

TEST_F(OptimizeTest, LabelsOfEveryKind) {
  const std::tuple<char, int, const char*, TLinkKind> cases[] = {
      {'c', 3, " c 3", TLinkKind::lkResistance},
      {'T', 1, " T 1", TLinkKind::lkTransmissivity},
      {'S', 2, " S 2", TLinkKind::lkStorativity},
      {'Z', 1, "S' 1", TLinkKind::lkAquitardStorativity},
      {'R', 1, "rc 1", TLinkKind::lkCasingRadius},
      {'W', 2, "rw 2", TLinkKind::lkScreenRadius},
      {'K', 1, "Sk 1", TLinkKind::lkSkin}};
  for (const auto& [code, index, label, kind] : cases) {
    TAQVData& d = Doc();
    d.LinkCount = 0;
    d.AddParameter('a', code, 2.0, index);
    ASSERT_EQ(d.LinkCount, 1) << code;
    EXPECT_EQ(std::tuple(d.LinkLabel[1], d.LinkKind[1]), std::tuple(label, kind)) << code;
  }
}

TEST_F(OptimizeTest, SeventhDistinctMarkAndMarksOutsideTheRangeStayUnlinked) {
  TAQVData& d = Doc();
  d.LinkCount = 0;
  const char marks[] = "1234567";
  for (int i = 0; i < 7; ++i) d.AddParameter(marks[i], 'T', 100.0 * (i + 1), 1);
  EXPECT_EQ(std::tuple(d.ParameterCount, d.LinkCount), std::tuple(6, 6));
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(d.LinkValue[i], 100.0 * i);
  d.AddParameter('3', 'S', 0.5, 1);  // an existing mark still links
  EXPECT_EQ(std::tuple(d.LinkCount, d.LinkParameter[7]), std::tuple(7, 3));
  for (char mark : {'0', '{', '~', static_cast<char>(0xE9)}) {
    d.LinkCount = 0;
    d.AddParameter(mark, 'T', 1.0, 1);
    EXPECT_EQ(std::tuple(d.LinkCount, d.ParameterCount), std::tuple(0, 0))
        << static_cast<int>(mark);
  }
  d.AddParameter('z', 'T', 1.0, 1);
  EXPECT_EQ(d.LinkCount, 1);
}

TEST_F(OptimizeTest, DeviationsAreZeroWithAsManyPointsAsParameters) {
  TAQVData& d = Doc();
  d.LinkCount = 0;
  d.AddParameter('1', 'T', 1000, 1);
  d.AddParameter('2', 'S', 1e-3, 1);
  d.SetObservationCount(1, 2);
  d.CollectIncludedObservations();
  ASSERT_EQ(d.FitCount(), 2);
  d.ResidualNorm = 0.5;
  d.Covariance[1][1] = 4;
  d.Covariance[2][2] = 9;
  d.ParameterDeviations();
  EXPECT_EQ(std::tuple(d.LinkDeviation[1], d.LinkDeviation[2]), std::tuple(0.0, 0.0));
  d.SetObservationCount(1, 6);
  d.CollectIncludedObservations();
  d.ParameterDeviations();
  // s = sqrt(0.25 / 4) = 0.25; deviation = sqrt(Cov_pp) * s * value.
  EXPECT_DOUBLE_EQ(d.LinkDeviation[1], 2 * 0.25 * 1000);
  EXPECT_DOUBLE_EQ(d.LinkDeviation[2], 3 * 0.25 * 1e-3);
}

// --- Fits of synthetic tests -----------------------------------------------------------------

TEST_F(OptimizeTest, SingleAquiferRecoversTransmissivityAndStorativity) {
  TAQVData& d = SingleAquifer();
  std::tie(d.T[1], d.S[1], d.TCode[1], d.SCode[1]) = std::tuple(2400, 5e-5, '1', '2');
  ExpectRecovered({{&d.T[1], 800}, {&d.S[1], 2e-4}});
  EXPECT_EQ(std::tuple(ConsoleHasStatusLine("parameters found"), d.ResultsExist, d.Rejected),
            std::tuple(true, true, false));
}

TEST_F(OptimizeTest, TwoAquiferSystemRecoversItsParameters) {
  TAQVData& d = TwoAquifers(20);
  const double factors[] = {0.3, 2, 3, 0.5, 0.4, 2.5};
  const double truths[] = {500, 1500, 1e-4, 5e-4, 2000, 500};
  double* values[] = {&d.T[1], &d.T[2], &d.S[1], &d.S[2], &d.Resistance[1], &d.Resistance[2]};
  char* codes[] = {&d.TCode[1], &d.TCode[2],          &d.SCode[1],
                   &d.SCode[2], &d.ResistanceCode[1], &d.ResistanceCode[2]};
  std::vector<std::pair<const double*, double>> recovered;
  for (int i = 0; i < 6; ++i) {
    *values[i] *= factors[i];
    *codes[i] = static_cast<char>('1' + i);
    recovered.emplace_back(values[i], truths[i]);
  }
  ExpectRecovered(recovered, 1e-3);
}

// At the well face the screen radius and the skin act together as one effective radius, so
// they are fitted in two runs, each with the casing radius, whose storage shapes the early times.
TEST_F(OptimizeTest, WellFaceRecoversCasingRadiusWithSkinOrScreenRadius) {
  for (const bool skin : {true, false}) {
    ResetGlobals();
    mData = std::make_unique<TAQVData>(&mUi);
    TAQVData& d = Doc();
    test::MakeWellFaceTest(d);
    TPumpingWell& w = d.PumpingWells[1];
    w.Rc = skin ? 0.3 : 0.06;
    w.RcCode = '1';
    (skin ? w.Skin : w.Rw) = skin ? 0.006 : 0.25;
    (skin ? w.SkinCode : w.RwCode) = '2';
    ExpectRecovered({{&w.Rc, 0.15}, {skin ? &w.Skin : &w.Rw, skin ? 0.02 : 0.1}});
    if (skin) {
      EXPECT_EQ(w.Rw, 0.1);
    }
  }
}

TEST_F(OptimizeTest, LeakyAquiferRecoversTheAquitardResistance) {
  TAQVData& d = SingleAquifer(20);
  std::tie(d.Resistance[1], d.T[1], d.ResistanceCode[1], d.TCode[1]) =
      std::tuple(3000, 400, 'c', 't');
  ExpectRecovered({{&d.Resistance[1], 400}, {&d.T[1], 800}});
}

TEST_F(OptimizeTest, LogarithmicFittingRecoversTransmissivityAndStorativity) {
  TAQVData& d = SingleAquifer();
  d.SetLinearResiduals(false);
  std::tie(d.T[1], d.S[1], d.TCode[1], d.SCode[1]) = std::tuple(300, 1e-3, '1', '2');
  ExpectRecovered({{&d.T[1], 800}, {&d.S[1], 2e-4}});
}

TEST_F(OptimizeTest, LogarithmicResidualOfATinyDrawdownIsZero) {
  TAQVData& d = SingleAquifer(4);
  d.SetLinearResiduals(false);
  d.ObservationWells[1].Observed[1] = 5e-5;   // observed below 1e-4 m
  d.ObservationWells[1].Observed[2] *= 10;    // one decade too high
  d.ObservationWells[1].Observed[4] *= 2e-4;  // some 2e-4 m, still above 1e-4 m
  d.CollectIncludedObservations();
  d.LinkCount = 0;
  d.AddParameter('1', 'T', d.T[1], 1);
  ASSERT_TRUE(d.EvaluateObjective());
  EXPECT_EQ(d.Residuals[0], 0.0);
  EXPECT_NEAR(d.Residuals[1], -1.0, 1e-9);
  EXPECT_NEAR(d.Residuals[2], 0.0, 1e-12);
  EXPECT_NEAR(d.Residuals[3], std::log10(5000.0), 1e-9);
}

// --- The bits of a fit -----------------------------------------------------------------------

TEST_F(OptimizeTest, FitGivesTheSameBitsOnOneAndEightThreads) {
  std::string tables[2];
  TArray1<double, kMaxLinks> links[2];
  int evaluations[2] = {0, 0};
  for (const int run : {0, 1}) {
    SetWorkerCount(run == 0 ? 1 : 8);
    ResetGlobals();
    test::TFakeUserInterface ui;
    TAQVData d(&ui);
    test::MakeTwoAquiferTest(d, 30);
    std::tie(d.T[1], d.S[2], d.Resistance[2]) =
        std::tuple(d.T[1] * 0.5, d.S[2] * 2, d.Resistance[2] * 3);
    std::tie(d.TCode[1], d.SCode[2], d.ResistanceCode[2]) = std::tuple('1', '2', '3');
    d.Optimize();
    ASSERT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
    tables[run] = test::TableBytes(d);
    links[run] = d.LinkValue;
    evaluations[run] = d.EvaluationCount;
  }
  EXPECT_EQ(evaluations[0], evaluations[1]);
  EXPECT_EQ(std::memcmp(links[0].Data(), links[1].Data(), sizeof(double) * kMaxLinks), 0);
  EXPECT_TRUE(tables[0] == tables[1]);
}

// --- Statuses of a run -----------------------------------------------------------------------

TEST_F(OptimizeTest, CountsDecideTheStatusesBeforeAnyComputation) {
  const std::tuple<int, int, TRunStatus> cases[] = {
      {5001, 1, TRunStatus::rsTooManyMeasurements}, {5001, 0, TRunStatus::rsTooManyMeasurements},
      {5000, 6, TRunStatus::rsParametersFound},     {1, 2, TRunStatus::rsTooManyParameters},
      {0, 1, TRunStatus::rsTooManyParameters},      {2, 2, TRunStatus::rsParametersFound},
      {0, 0, TRunStatus::rsParametersFound}};
  for (const auto& [fitCount, parameters, status] : cases)
    EXPECT_EQ(RunStatusForCounts(fitCount, parameters), status)
        << fitCount << " points, " << parameters << " parameters";
}

TEST_F(OptimizeTest, FewerPointsThanParametersAsksAndChangesNothing) {
  for (test::TConsoleAnswer answer :
       {test::TConsoleAnswer::caAccept, test::TConsoleAnswer::caReject}) {
    mUi.ConsoleAnswer = answer;
    mUi.ConsoleButtonLog.clear();
    TAQVData& d = SingleAquifer(1);
    d.SetObservationWellCount(1);
    d.CollectIncludedObservations();
    std::tie(d.TCode[1], d.SCode[1]) = std::tuple('1', '2');
    d.D[1] = 7;  // Kh stays 1000, not T/D: an accept must not touch it
    ExpectRestoringRun(TRunStatus::rsTooManyParameters, "too many unknown parameters");
    EXPECT_FALSE(d.ResultsExist);
    EXPECT_TRUE(ButtonLogHas("Left Accept result 1 | Right Reject result 1"));
  }
}

TEST_F(OptimizeTest, PlainEvaluationCalculatesDrawdownsAndReportsTheSumOfSquares) {
  TAQVData& d = SingleAquifer(5);
  d.T[1] = 1000;  // observations were made with 800
  d.Optimize();
  EXPECT_EQ(std::tuple(d.FitStatus, d.StatusCode, ConsoleHasStatusLine("drawdowns calculated")),
            std::tuple(TRunStatus::rsDrawdownsCalculated, -1, true));
  EXPECT_TRUE(d.ResultsExist);
  double ssr = 0;
  for (int i = 1; i <= d.FitCount(); ++i) ssr += std::pow(d.FitComputed[i] - d.FitObserved[i], 2);
  EXPECT_GT(ssr, 0);
  EXPECT_DOUBLE_EQ(d.ResidualNorm, std::sqrt(ssr));
  const auto sum = std::find_if(
      mUi.ConsoleLines.begin(), mUi.ConsoleLines.end(),
      [](const std::string& l) { return l.find("sum of squares :") != std::string::npos; });
  ASSERT_NE(sum, mUi.ConsoleLines.end());
  EXPECT_EQ(std::tuple(sum->substr(0, 41), sum->substr(sum->size() - 4), *(sum + 1)),
            std::tuple(std::string(24, ' ') + "sum of squares : ", " m²", std::string(104, '=')));
}

TEST_F(OptimizeTest, FailedStartEvaluationBreaksOffAndRestores) {
  TAQVData& d = SingleAquifer(4);
  // A confined aquifer without storage has no transient solution.
  d.SetTopAquitardImpervious(true);
  d.S[1] = 0;
  d.TCode[1] = '1';
  ExpectRestoringRun(TRunStatus::rsBrokenOff, "calculation broken off");
  EXPECT_EQ(d.OptimizerSummary.Fault, TOptimizerFault::ofStartEvaluationFailed);
  EXPECT_EQ(mUi.Messages.size(), 1u) << "the aquifer system's message comes once";
}

TEST_F(OptimizeTest, ParameterWithoutInfluenceEndsWithStatusSix) {
  TAQVData& d = SingleAquifer(4);
  d.PumpingWells[1].SkinCode = '1';  // skin 0: a factor on 0 moves nothing
  ExpectRestoringRun(TRunStatus::rsNoUsableJacobian, "calculation broken off");
}

TEST_F(OptimizeTest, FailedPlainEvaluationBeepsAndCannotEvaluate) {
  TAQVData& d = SingleAquifer(4);
  d.SetTopAquitardImpervious(true);
  d.S[1] = 0;
  mUi.Beeps = 0;
  ExpectRestoringRun(TRunStatus::rsAquiferSystemFailed, "cannot evaluate one or more drawdowns");
  EXPECT_EQ(std::tuple(d.StatusCode, mUi.Beeps, d.ResultsExist), std::tuple(11, 2, false))
      << "the engine's beep with its message, then the run's";
}

// --- Restoring a run that is not kept --------------------------------------------------------

TEST_F(OptimizeTest, RejectedFitLeavesEveryTableBitIdentical) {
  TAQVData& d = TwoAquifers(8);
  d.T[1] *= 0.5;
  d.Resistance[1] *= 2;
  d.PumpingWells[1].Rc = 0.3;
  std::tie(d.TCode[1], d.TCode[2], d.ResistanceCode[1], d.PumpingWells[1].RcCode) =
      std::tuple('1', '1', '2', '1');
  mUi.ConsoleAnswer = test::TConsoleAnswer::caReject;
  Remember();
  d.Saved = true;
  d.Optimize();
  ASSERT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
  EXPECT_TRUE(Unchanged() && d.Rejected);
  EXPECT_FALSE(d.Saved) << "closing asks also after a rejected fit";
  EXPECT_TRUE(d.ResultsExist) << "the rejected result is still reported";
  EXPECT_NE(d.LinkFittedValue[1], d.LinkValue[1]) << "the report keeps the rejected value";
}

TEST_F(OptimizeTest, RejectedPlainEvaluationKeepsThePreviousDrawdowns) {
  TAQVData& d = SingleAquifer(5);
  d.T[1] = 1000;
  mUi.ConsoleAnswer = test::TConsoleAnswer::caReject;
  Remember();
  d.Optimize();
  EXPECT_EQ(d.FitStatus, TRunStatus::rsDrawdownsCalculated);
  EXPECT_TRUE(Unchanged() && d.Rejected);
}

TEST_F(OptimizeTest, SilentInterfaceRejectsEveryResult) {
  ResetGlobals();
  TAQVData d;  // no window: the silent interface
  test::MakeSingleAquiferTest(d, 6);
  std::tie(d.T[1], d.TCode[1]) = std::tuple(2000, '1');
  const std::string before = test::TableBytes(d);
  d.Optimize();
  EXPECT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
  EXPECT_TRUE(test::TableBytes(d) == before && d.Rejected);
  EXPECT_EQ(d.OutputForm(), nullptr);
}

// --- Accepting -------------------------------------------------------------------------------

TEST_F(OptimizeTest, AcceptedFitDerivesEveryConductivityWithMissingNeighboursAsZero) {
  TAQVData& d = TwoAquifers(8);
  d.D[1] = 5;
  d.D[2] = 0.5;  // thinner than one length unit
  // Without thickness: the top aquitard has nothing above it, the middle one takes half of both
  // aquifers, the bottom one is not fitted but derived all the same.
  d.DAquitard[1] = d.DAquitard[2] = d.DAquitard[3] = 0;
  d.Kv[3] = 0.125;
  d.T[1] *= 0.7;
  d.Resistance[1] *= 1.5;
  d.Resistance[2] *= 0.6;
  std::tie(d.TCode[1], d.ResistanceCode[1], d.ResistanceCode[2]) = std::tuple('1', '2', '3');
  d.Saved = true;
  d.Optimize();
  ASSERT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
  EXPECT_EQ(d.Kh[1], d.T[1] / 5);
  EXPECT_EQ(d.Kh[2], d.T[2] / 0.5) << "also an aquifer whose T was not fitted";
  EXPECT_EQ(d.Kv[1], 5 / (2 * d.Resistance[1]));
  EXPECT_EQ(d.Kv[2], 5.5 / (2 * d.Resistance[2]));
  EXPECT_EQ(d.Kv[3], 0.5 / (2 * d.Resistance[3])) << "nothing below the bottom aquitard";
  EXPECT_FALSE(d.Saved) << "the fitted values are not in the file yet";
  EXPECT_TRUE(std::isfinite(d.Kv[1]) && std::isfinite(d.Kv[2]));
  EXPECT_EQ(std::tuple(d.Rejected, d.Modified(), d.CurvesValid), std::tuple(false, true, false));
}

// S and S' may be 0 (steady flow, an aquitard without storage): their Jacobian column is then
// zero and the other parameters are fitted.
TEST_F(OptimizeTest, MarkedZeroStorativityLeavesTheOthersToBeFitted) {
  for (const bool aquifer : {false, true}) {
    mData = std::make_unique<TAQVData>(&mUi);
    TAQVData& d = SingleAquifer(8);
    double& storativity = aquifer ? d.S[1] : d.SAquitard[1];
    storativity = 0;
    test::ObserveModel(d);
    (aquifer ? d.SCode[1] : d.SAquitardCode[1]) = '2';
    d.T[1] = 1200;
    d.TCode[1] = '1';
    ExpectRecovered({{&d.T[1], 800}});
    EXPECT_EQ(storativity, 0) << aquifer;
  }
}

// After the iteration limit or a run without an acceptable step every table is restored, and the
// report's Calculated column and its residual sum of squares both belong to the last accepted
// point.
TEST_F(OptimizeTest, StatusOneOrFourRestoresTheModelAndReportsTheLastAcceptedPoint) {
  for (const bool limit : {true, false}) {
    SCOPED_TRACE(limit ? "iteration limit" : "stopping criteria too small");
    mData = std::make_unique<TAQVData>(&mUi);
    TAQVData& d = Doc();
    if (limit) {  // two aquifers started away from their truth with too few iterations allowed
      test::MakeTwoAquiferTest(d, 10);
      std::tie(d.T[1], d.S[1], d.TCode[1], d.SCode[1]) =
          std::tuple(d.T[1] * 0.3, d.S[1] * 3, '1', '2');
      d.MaxIterations = 2;
    } else {  // stopping criteria of 0, which no step can meet
      test::MakeSingleAquiferTest(d, 6);
      std::tie(d.T[1], d.TCode[1]) = std::tuple(1200, '1');
      d.AbsStoppingCriterion = d.RelStoppingCriterion = 0;
    }
    ExpectRestoringRun(limit ? TRunStatus::rsIterationLimit : TRunStatus::rsNoAcceptableStep,
                       limit ? "calculation broken off after 2 iterations"
                             : "calculation broken off (stopping criteria too small)");
    ASSERT_EQ(static_cast<int>(d.FittedDrawdowns.size()), d.FitCount());
    double sum = 0;
    for (int i = 1; i <= d.FitCount(); ++i)
      sum += std::pow(d.FittedDrawdowns[static_cast<std::size_t>(i - 1)] - d.FitObserved[i], 2);
    EXPECT_LT(RelativeError(sum, d.ResidualNorm * d.ResidualNorm), 1e-12) << sum;
    if (limit) {
      EXPECT_EQ(std::tuple(d.IterationCount, d.ResultsExist), std::tuple(2, false));
      EXPECT_FALSE(ButtonLogHas("Left Accept result 1 | Right Reject result 1"))
          << "status 1 asks nothing";
    } else {
      EXPECT_EQ(d.T[1], 1200);
    }
  }
}

// Whatever goes wrong inside a run, its end still comes: the values from before the run are
// back, the console closes, the document lets go of it and the stop event fires, so that the
// next Optimize runs.
TEST_F(OptimizeTest, ExceptionDuringARunStillEndsIt) {
  TAQVData& d = SingleAquifer(6);
  std::tie(d.T[1], d.TCode[1]) = std::tuple(2000, '1');
  int stops = 0;
  d.OnStopOptimize = [&](TObject*) { ++stops; };
  bool thrown = false;
  mUi.OnProcessMessages = [&] {
    if (thrown) return;
    thrown = true;
    throw std::runtime_error("window gone");
  };
  Remember();
  EXPECT_THROW(d.Optimize(), std::runtime_error);
  EXPECT_TRUE(thrown && Unchanged());
  EXPECT_EQ(std::tuple(stops, d.OutputForm(), mUi.ConsolesClosed), std::tuple(1, nullptr, 1));
  d.Optimize();
  EXPECT_EQ(std::tuple(mUi.ConsolesOpened, stops, d.FitStatus),
            std::tuple(2, 2, TRunStatus::rsParametersFound));
}

TEST_F(OptimizeTest, RunFiresStartChangeAndStopInOrder) {
  TAQVData& d = SingleAquifer(4);
  std::vector<std::string> events;
  d.OnStartOptimize = [&](TObject*) { events.push_back("start"); };
  d.OnChange = [&](TObject*) { events.push_back("change"); };
  d.OnStopOptimize = [&](TObject*) { events.push_back("stop"); };
  d.Optimize();
  EXPECT_EQ(std::tuple(events, mUi.ConsolesOpened, mUi.ConsolesClosed, mUi.Console),
            std::tuple((std::vector<std::string>{"start", "change", "stop"}), 1, 1, nullptr));
}

TEST_F(OptimizeTest, InvalidGridsRunNothingButTheEvents) {
  TAQVData& d = SingleAquifer(4);
  d.TCode[1] = '1';
  std::vector<std::string> events;
  d.OnStartOptimize = [&](TObject* sender) {
    events.push_back("start");
    static_cast<TAQVData*>(sender)->GridsValid = false;  // the window's validation failed
  };
  d.OnChange = [&](TObject*) { events.push_back("change"); };
  d.OnStopOptimize = [&](TObject*) { events.push_back("stop"); };
  Remember();
  d.Optimize();
  EXPECT_EQ(std::tuple(events, mUi.ConsolesOpened, Unchanged()),
            std::tuple((std::vector<std::string>{"start", "stop"}), 0, true));
}

TEST_F(OptimizeTest, ASecondRunWhileTheFirstWaitsIsRefused) {
  TAQVData& d = SingleAquifer(4);
  int nested = 0;
  mUi.OnProcessMessages = [&] {
    if (mUi.Console && mUi.Console->LeftButton().Caption == kAcceptCaption && nested++ == 0)
      d.Optimize();
  };
  d.Optimize();
  EXPECT_EQ(std::tuple(nested, mUi.ConsolesOpened, d.OutputForm()), std::tuple(1, 1, nullptr));
}

// --- Trial points the model refuses ----------------------------------------------------------

TEST_F(OptimizeTest, TrialOutsideTheCheckedRangesIsRefusedNotEvaluated) {
  // Name, mark kind, the trial's parameter.
  const std::tuple<const char*, char, double> cases[] = {
      {"negative casing radius", 'R', -0.5},     {"zero screen radius", 'W', 0.0},
      {"screen radius below 1e-6 m", 'W', 1e-6}, {"negative skin", 'K', -1.0},
      {"transmissivity overflowing", 'T', 800},  {"storativity vanishing", 'S', -800}};
  for (const auto& [name, code, x] : cases) {
    ResetGlobals();
    TAQVData& d = SingleAquifer(3);
    TPumpingWell& w = d.PumpingWells[1];
    w.Skin = 0.01;
    Globals().DataErrorText = "left by the grid";
    Remember();
    const double value = code == 'R'   ? w.Rc
                         : code == 'W' ? w.Rw
                         : code == 'K' ? w.Skin
                         : code == 'T' ? d.T[1]
                                       : d.S[1];
    d.LinkCount = 0;
    d.AddParameter('1', code, value, 1);
    d.ParameterStart[1] = x;
    EXPECT_FALSE(d.EvaluateObjective()) << name;
    d.ParameterStart[1] = code == 'R' || code == 'W' || code == 'K' ? 1.0 : 0.0;
    d.ApplyParameters();
    EXPECT_TRUE(Unchanged()) << name << ": no drawdown was computed";
    EXPECT_EQ(Globals().DataErrorText, "left by the grid") << name;
  }
}

// Observations below what any skin of 0 or more can give: the best fit lies at a negative skin,
// which the model refuses; the fit must stop at the boundary, never beyond it.
TEST_F(OptimizeTest, FitTowardsANegativeSkinNeverReportsOne) {
  TAQVData& d = Doc();
  TPumpingWell& w = d.PumpingWells[1];
  test::MakeWellFaceTest(d);
  w.Skin = 0;
  test::ObserveModel(d);
  for (int k = 1; k <= d.ObservationWells[1].ObservationCount(); ++k)
    d.ObservationWells[1].Observed[k] *= 0.8;
  d.CollectIncludedObservations();
  w.Skin = 0.05;
  w.SkinCode = '1';
  d.InitialLambda = 1e-9;  // nearly Gauss-Newton steps, which overshoot
  d.Optimize();
  const long refused = std::count_if(mUi.ConsoleLines.begin(), mUi.ConsoleLines.end(),
                                     [](const std::string& l) { return l.ends_with("refused"); });
  EXPECT_GT(refused, 0) << "some trial went below zero";
  EXPECT_TRUE(w.Skin >= 0 && d.LinkFittedValue[1] >= 0) << w.Skin << " " << d.LinkFittedValue[1];
  // Every evaluated point (a line with a sum of squares) has a skin of 0 or more.
  int evaluated = 0;
  for (const std::string& line : mUi.ConsoleLines) {
    if (line.size() != 32 || line.ends_with("refused") || line[2] < '0' || line[2] > '9') continue;
    const std::string skin = line.substr(4, 12);
    EXPECT_NE(skin[skin.find_first_not_of(' ')], '-') << line;
    ++evaluated;
  }
  EXPECT_GT(evaluated, 2);
}

// --- The console's buttons -------------------------------------------------------------------

TEST_F(OptimizeTest, EscapePausesAndRunResumesButNeverCancels) {
  TAQVData& d = SingleAquifer(6);
  std::tie(d.T[1], d.TCode[1]) = std::tuple(2000, '1');
  int waitsWhilePaused = 0;
  mUi.OnProcessMessages = [&] {
    TOptimizeConsole* c = mUi.Console;
    if (c == nullptr) return;
    if (c->LeftButton().Caption == kStopCaption && waitsWhilePaused == 0) {
      c->EscapePressed();
      EXPECT_EQ(c->LeftButton().Caption, kRunCaption);
      EXPECT_TRUE(c->RightButton().Enabled);
      EXPECT_TRUE(Globals().OptimizePaused);
    } else if (c->LeftButton().Caption == kRunCaption) {
      c->EscapePressed();  // a second Escape changes nothing
      EXPECT_FALSE(Globals().OptimizeCancelled);
      if (++waitsWhilePaused == 3) c->LeftButtonClick();  // "Run"
    }
  };
  d.Optimize();
  EXPECT_EQ(std::tuple(waitsWhilePaused, d.FitStatus),
            std::tuple(3, TRunStatus::rsParametersFound));
  EXPECT_LT(RelativeError(d.T[1], 800), 1e-3);
  const std::vector<std::string> expected = {"Left Stop 1 | Right Cancel 0",
                                             "Left Run 1 | Right Cancel 1",
                                             "Left Stop 1 | Right Cancel 0",
                                             "Left Accept result 1 | Right Cancel 0",
                                             "Left Accept result 1 | Right Reject result 1",
                                             "focus"};
  const auto first =
      std::find(mUi.ConsoleButtonLog.begin(), mUi.ConsoleButtonLog.end(), expected.front());
  ASSERT_GE(mUi.ConsoleButtonLog.end() - first, static_cast<std::ptrdiff_t>(expected.size()));
  EXPECT_EQ(std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
}

TEST_F(OptimizeTest, CancelBreaksOffAndRestores) {
  TAQVData& d = TwoAquifers(8);
  d.T[1] *= 0.5;
  d.TCode[1] = '1';
  Remember();
  int calls = 0;
  mUi.OnProcessMessages = [&] {
    TOptimizeConsole* c = mUi.Console;
    if (c == nullptr) return;
    ++calls;
    if (calls == 2) c->EscapePressed();     // in the second iteration
    if (calls == 3) c->RightButtonClick();  // "Cancel"
  };
  d.Optimize();
  EXPECT_EQ(std::tuple(d.FitStatus, d.OptimizerSummary.Fault),
            std::tuple(TRunStatus::rsBrokenOff, TOptimizerFault::ofCancelled));
  EXPECT_TRUE(ConsoleHasStatusLine("calculation broken off") && Unchanged());
  EXPECT_FALSE(d.Rejected || d.ResultsExist);
  EXPECT_FALSE(ButtonLogHas("Left Done 1 | Right Cancel 0"))
      << "after Cancel the window may close at once";
  EXPECT_EQ(mUi.ConsolesClosed, 1);
}

TEST_F(OptimizeTest, BrokenOffRunWaitsForDone) {
  TAQVData& d = SingleAquifer(4);
  std::tie(d.T[1], d.TCode[1], d.MaxIterations) = std::tuple(3000, '1', 1);
  d.Optimize();
  ASSERT_EQ(d.FitStatus, TRunStatus::rsIterationLimit);
  const auto done = std::find(mUi.ConsoleButtonLog.begin(), mUi.ConsoleButtonLog.end(),
                              "Left Done 1 | Right Cancel 0");
  ASSERT_NE(done, mUi.ConsoleButtonLog.end());
  ASSERT_NE(done + 1, mUi.ConsoleButtonLog.end());
  EXPECT_EQ(*(done + 1), "focus");
  EXPECT_GE(mUi.ConsoleWaits, 1);
  EXPECT_EQ(mUi.ConsolesClosed, 1);
}

TEST(OptimizeConsole, ButtonsActByTheirCaptions) {
  ResetGlobals();
  test::TFakeUserInterface ui;
  std::unique_ptr<TOptimizeConsole> owned = ui.OpenOptimizeConsole(872);
  TOptimizeConsole& c = *owned;
  EXPECT_EQ(std::tuple(c.FormWidth(), c.LeftButton().Left, c.RightButton().Left, c.CloseQuery()),
            std::tuple(872, (872 - 75) * 4 / 5, c.LeftButton().Left + 75 + 4, false));

  c.SetLeftButton(kStopCaption, true);
  c.SetRightButton(kCancelCaption, false);
  c.RightButtonClick();  // disabled: nothing
  EXPECT_FALSE(Globals().OptimizeCancelled);
  c.LeftButtonClick();  // Stop
  EXPECT_EQ(std::tuple(c.LeftButton().Caption, Globals().OptimizePaused),
            std::tuple(kRunCaption, true));
  c.LeftButtonClick();  // Run
  EXPECT_EQ(std::tuple(c.LeftButton().Caption, Globals().OptimizePaused),
            std::tuple(kStopCaption, false));
  EXPECT_FALSE(c.RightButton().Enabled || c.CloseQuery());

  c.SetLeftButton(kAcceptCaption, true);
  c.SetRightButton(kRejectCaption, true);
  Globals().OptimizePaused = true;
  c.EscapePressed();  // only a running fit pauses
  EXPECT_EQ(c.LeftButton().Caption, kAcceptCaption);
  c.RightButtonClick();
  EXPECT_EQ(std::tuple(Globals().OptimizeRejected, Globals().OptimizeCancelled,
                       Globals().OptimizePaused, c.CloseQuery()),
            std::tuple(true, true, false, true));

  ResetGlobals();
  std::unique_ptr<TOptimizeConsole> second = ui.OpenOptimizeConsole(872);
  second->SetLeftButton(kAcceptCaption, true);
  Globals().OptimizePaused = true;
  second->LeftButtonClick();
  EXPECT_FALSE(Globals().OptimizePaused || Globals().OptimizeCancelled);
  EXPECT_TRUE(second->CloseQuery());

  std::unique_ptr<TOptimizeConsole> third = ui.OpenOptimizeConsole(872);
  third->SetLeftButton(kDoneCaption, true);
  EXPECT_FALSE(third->CloseQuery());
  third->LeftButtonClick();
  EXPECT_TRUE(third->CloseQuery());
}

}  // namespace
}  // namespace aqv
