// The optimisation run's console lines and the least-squares report, down to the byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "model/fit/AQVReportFormat.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/FitScenarios.h"
#include "tests/support/ReviewPicture.h"

namespace aqv {
namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string ReadGolden(const std::string& name) {
  std::ifstream in(AQV_TEST_DATA_DIR "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Compares with a golden file byte for byte; a differing text is left under the build folder
// for a look.
void ExpectGolden(const std::vector<std::string>& lines, const std::string& name) {
  const std::string actual = Joined(lines);
  if (actual == ReadGolden(name)) return;
  const std::string written = test::ReviewPath(name);
  std::ofstream(written, std::ios::binary) << actual;
  EXPECT_EQ(actual, ReadGolden(name)) << "the text written is in " << written;
}

class ReportTest : public test::TDocumentTest {
 protected:
  // The reference run: the single-aquifer test with observations disturbed by a fixed pattern
  // of up to ±3 % and rounded to millimetres, fitted for T, S and the resistances of both
  // aquitards under one mark (the bottom one has no influence, so the pair is one parameter
  // with two links); the pumping well's casing radius carries T's mark but, as a well value,
  // becomes a parameter of its own, one that the observations hardly determine.
  void MakeReferenceRun() {
    TAQVData& d = *mData;
    test::MakeSingleAquiferTest(d, 6);
    for (int j = 1; j <= 2; ++j) {
      TObservationWell& well = d.ObservationWells[j];
      for (int k = 1; k <= well.ObservationCount(); ++k)
        well.Observed[k] =
            std::round(well.Observed[k] * (1 + 0.03 * std::sin(7.0 * j + k)) * 1000) / 1000;
    }
    d.CollectIncludedObservations();
    std::tie(d.T[1], d.S[1], d.Resistance[1]) = std::tuple(1200, 1e-4, 250);
    std::tie(d.TCode[1], d.SCode[1], d.ResistanceCode[1], d.ResistanceCode[2]) =
        std::tuple('1', '2', '3', '3');
    std::tie(d.PumpingWells[1].Rc, d.PumpingWells[1].RcCode) = std::tuple(0.2, '1');
    d.Optimize();
  }
};

TEST_F(ReportTest, ReferenceRunMatchesTheGoldenReportAndConsole) {
  MakeReferenceRun();
  ExpectGolden(mUi.ConsoleLines, "least-squares-console.txt");
  ASSERT_EQ(mData->FitStatus, TRunStatus::rsParametersFound);
  std::vector<std::string> lines;
  mData->WriteLeastSquaresReport(lines);
  ExpectGolden(lines, "least-squares-report.txt");
}

TEST_F(ReportTest, FixedParameterRunWritesItsHeadAndTheSumOfSquares) {
  TAQVData& d = *mData;
  test::MakeSingleAquiferTest(d, 2);
  d.ObservationWells[1].Observed[1] += 0.01;
  d.ObservationWells[2].Observed[2] -= 0.02;
  d.CollectIncludedObservations();
  d.Optimize();
  ASSERT_EQ(d.FitStatus, TRunStatus::rsDrawdownsCalculated);
  const std::string rule(104, '=');
  const std::vector<std::string> expected = {
      rule,
      "                      Calculation   of   Drawdowns   using   Fixed   Parameters",
      rule,
      "",
      "",
      "                        drawdowns calculated",
      "                        sum of squares :  5.0000E-04 m²",
      rule};
  EXPECT_EQ(mUi.ConsoleLines, expected);

  std::vector<std::string> lines;
  d.WriteLeastSquaresReport(lines);
  ASSERT_EQ(lines.size(), 2u + 4u + 2u * 3u);
  EXPECT_EQ(std::tuple(lines[2], lines[3].substr(0, 16)), std::tuple("", "Observation well"));
  EXPECT_EQ(lines[6], "") << "one empty line, no parameter table before the observations";
  EXPECT_EQ(lines[7].substr(0, 20), "  Observation well 1");
  EXPECT_EQ(lines.back().substr(lines.back().size() - 12), "       0.020") << "computed - observed";
}

TEST_F(ReportTest, SecondsShowResistancesTransmissivitiesAndTimesPerSecond) {
  TAQVData& d = *mData;
  test::MakeSingleAquiferTest(d, 3);
  d.SetTimeUnit(TAQVTimeUnit::tuSeconds);
  ASSERT_EQ(d.TimeFactor(), 86400);
  std::tie(d.T[1], d.Resistance[1], d.TCode[1], d.ResistanceCode[1]) =
      std::tuple(864, 500, '1', '2');
  d.Optimize();
  ASSERT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
  ASSERT_GE(mUi.ConsoleLines.size(), 8u);
  EXPECT_EQ(mUi.ConsoleLines[4], " No.         T 1         c 1             SSE");
  EXPECT_EQ(mUi.ConsoleLines[5], "          [m²/s]         [s]            [m²]");
  EXPECT_EQ(mUi.ConsoleLines[7],
            "  0    1.000E-02   4.320E+07      " +
                FormatConsoleSumOfSquares(d.InitialResidualNorm * d.InitialResidualNorm).substr(6));

  std::vector<std::string> lines;
  d.WriteLeastSquaresReport(lines);
  EXPECT_EQ(lines[5].substr(10, 16), FormatReportFloat(d.T[1] / 86400, 16));
  EXPECT_EQ(lines[6].substr(10, 16), FormatReportFloat(d.Resistance[1] * 86400, 16));
  const auto head =
      std::find(lines.begin(), lines.end(), "                                  (sec)      ");
  ASSERT_NE(head, lines.end());
  const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.starts_with("  Observation well 1");
  });
  ASSERT_NE(first, lines.end());
  EXPECT_EQ(first->substr(27, 13), FormatFixField(1e-3 * 86400, 13, 5));
}

TEST_F(ReportTest, LogarithmicFittingReportsTheLinearSumOfSquaresToo) {
  TAQVData& d = *mData;
  test::MakeSingleAquiferTest(d, 4);
  d.ObservationWells[1].Observed[2] += 0.01;
  d.CollectIncludedObservations();
  d.SetLinearResiduals(false);
  std::tie(d.T[1], d.TCode[1]) = std::tuple(900, '1');
  d.Optimize();
  ASSERT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
  EXPECT_EQ(mUi.ConsoleLines[5], "          [m²/d]             [-]");
  std::vector<std::string> lines;
  d.WriteLeastSquaresReport(lines);
  double linear = 0;
  for (int i = 1; i <= d.FitCount(); ++i)
    linear += std::pow(d.FitComputed[i] - d.FitObserved[i], 2);
  const auto line =
      std::find(lines.begin(), lines.end(),
                "   Residual sum of squares (m²)    " + FormatFixField(linear, 10, 4));
  ASSERT_NE(line, lines.end());
  EXPECT_EQ(*(line - 1), "   Residual sum of squares is      " +
                             FormatFixField(d.ResidualNorm * d.ResidualNorm, 10, 4));
}

TEST_F(ReportTest, RejectedResultIsReportedWithItsFittedValues) {
  mUi.ConsoleAnswer = test::TConsoleAnswer::caReject;
  MakeReferenceRun();
  TAQVData& d = *mData;
  ASSERT_TRUE(d.Rejected);
  EXPECT_EQ(d.T[1], 1200) << "the document is back where it was";
  std::vector<std::string> lines;
  d.WriteLeastSquaresReport(lines);
  ExpectGolden(lines, "least-squares-report.txt");  // the report shows what was rejected
}

TEST_F(ReportTest, PercentageOnlyWhileTheDeviationIsBelowTenTimesTheValue) {
  TAQVData& d = *mData;
  test::MakeSingleAquiferTest(d, 2);
  d.LinkCount = 0;
  d.AddParameter('1', 'S', 2e-4, 1);
  d.AddParameter('1', 'Z', 1e-3, 1);
  d.AddParameter('2', 'K', 0.0, 1);
  d.FitStatus = TRunStatus::rsParametersFound;
  // The first deviation is exactly ten times its value; of nothing there is no percentage.
  std::tie(d.LinkFittedValue[1], d.LinkFittedValue[2], d.LinkFittedValue[3]) =
      std::tuple(2e-4, 1e-3, 0.0);
  std::tie(d.LinkDeviation[1], d.LinkDeviation[2], d.LinkDeviation[3]) =
      std::tuple(2e-3, 9.99e-3, 0.0);
  // A parameter without variance correlates with nothing.
  std::tie(d.Covariance[1][1], d.Covariance[2][2]) = std::tuple(1, 0);
  std::vector<std::string> lines;
  d.WriteLeastSquaresReport(lines);
  EXPECT_EQ(lines[5], "       S 1       2.000E-04  +   2.000E-03");
  EXPECT_EQ(lines[6], "      S' 1       1.000E-03  +   9.990E-03   (999 % )");
  EXPECT_EQ(lines[7], "      Sk 1       0.000E+00  +   0.000E+00");
  const auto matrix = std::find(lines.begin(), lines.end(), "   Correlation matrix  (%) ");
  ASSERT_NE(matrix, lines.end());
  EXPECT_EQ(std::tuple(*(matrix + 1), *(matrix + 2)),
            std::tuple("    S 1   100", "   Sk 1     0     0"));
}

}  // namespace
}  // namespace aqv
