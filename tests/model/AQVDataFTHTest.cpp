#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "model/file/AQVFTHFormat.h"
#include "tests/model/SampleText.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// A time with a three-digit exponent keeps its whole exponent.
TEST(FormatFTHTime, WritesEachRangeInItsTenCharacterFormAndWholeExponents) {
  const std::vector<std::pair<double, const char*>> cases = {
      {0.5, "  0.500000"},         {2500, "2500.00000"},        {0.001, "1.0000E-03"},
      {50000, "5.0000E+04"},       {0.01, "1.0000E-02"},        {0.0100001, "  0.010000"},
      {1000, "1000.00000"},        {9999.5, "9999.50000"},      {10000, "1.0000E+04"},
      {0.00123456, "1.2346E-03"},  {1E100, "1.00E+0100"},       {2.5E150, "2.50E+0150"},
      {-0.00123456, "-1.235E-03"}, {999.9999999, "1000.00000"},  // rounded, then cut to 10
      {1E-150, "1.00E-0150"},      {9.99999E99, "1.00E+0100"},   // rounding adds a third digit
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatFTHTime(value), text) << value;
}

TEST(FormatFTHValue, WritesSixSignificantDigitsOrTheExponentForm) {
  const std::vector<std::pair<double, const char*>> cases = {
      {0.25, "   0.25000"},        {-0.25, "  -0.25000"},    {0, "   0.00000"},
      {-0.0, "   0.00000"},        {9.999994, "   9.99999"}, {12.3456789, "   12.3457"},
      {-123.456789, "  -123.457"}, {123456.7, "    123457"}, {1234567, " 1.2E+0006"},
      {-1234567, "-1.2E+0006"},    {1E15, " 1.0E+0015"},     {-1E15, "-1.0E+0015"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatFTHValue(value), text) << value;
}

TEST(FormatFTHValue, UsesAPointUnderADecimalCommaLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "nl_NL.UTF-8")) {
    GTEST_SKIP() << "no decimal-comma locale installed";
  }
  EXPECT_EQ(FormatFTHValue(0.25), "   0.25000");
  EXPECT_EQ(FormatFTHTime(0.5), "  0.500000");
  std::setlocale(LC_ALL, saved.c_str());
}

using test::Lines;

class TAQVDataFTHTest : public test::TDocumentTest {
 protected:
  // Two observation wells with a curve each, in the aquifers given, and computed curves filled
  // in by hand: heads are what the file must show.
  void SetUpCurves(int layerOfSecondWell) {
    if (layerOfSecondWell == 2) mData->SetAquiferCount(2);
    mData->SetObservationWellCount(2);
    mData->ObservationWells[1].Name = "Observation well 19";
    TObservationWell& second = mData->ObservationWells[2];
    std::tie(second.Name, second.X, second.Y, second.Layer) =
        std::tuple("Short", 30, 40, layerOfSecondWell);
    mData->GroupCoincidentWells();
    mData->AssignCurveStyles();
    mData->SelectCurves();
    mData->OutputTimes = {0.5, 2500};
    mData->CurveNames = {"Observation well 19", "Short"};
    mData->CurvesValid = true;
  }
  std::string Export() {
    mData->SaveCurvesAsFTH(mFolder.Path("curves.fth"));
    return mFolder.Read("curves.fth");
  }
  test::TTempFolder mFolder;
};

TEST_F(TAQVDataFTHTest, DrawdownCurvesAreWrittenAsHeads) {
  SetUpCurves(1);
  ASSERT_EQ(mData->CurveCount, 2);
  std::ranges::copy(std::vector{0.25, 1.5, 12.345678, 1234567.0}, mData->CurveValues.begin());
  const std::vector<std::string> expected = {
      "AQV Transient Flow :  File of Times & Heads",
      "1 2   1",
      "1 ",
      "        \"\"         1         2",
      "        \"\" n well 19     Short",
      "        \"\"      10.0      30.0",
      "        \"\"      10.0      40.0",
      "  0.500000  -0.25000  -1.50000",
      "2500.00000  -12.3457-1.2E+0006",
      "",
  };
  EXPECT_EQ(Lines(Export()), expected);
  EXPECT_TRUE(mUi.Messages.empty());
}

TEST_F(TAQVDataFTHTest, TwoAquifersGiveOneBlockOfCurvesPerAquifer) {
  SetUpCurves(2);
  ASSERT_EQ(std::tuple(mData->UpperLayer(), mData->LowerLayer()), std::tuple(1, 2));
  std::ranges::copy(std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}, mData->CurveValues.begin());
  const std::vector<std::string> lines = Lines(Export());
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(std::tuple(lines[1], lines[2], lines[3]),
            std::tuple("2 2   1", "1 2 ", "        \"\"         1         2         1         2"));
  EXPECT_EQ(lines[5], "        \"\"      10.0      30.0      10.0      30.0");
  // Time, then aquifer 1 (curves 1 and 2), then aquifer 2.
  EXPECT_EQ(lines[7], "  0.500000  -1.00000  -2.00000  -3.00000  -4.00000");
  EXPECT_EQ(lines[8], "2500.00000  -5.00000  -6.00000  -7.00000  -8.00000");
}

TEST_F(TAQVDataFTHTest, WellFluxesAreWrittenUnsignedUnderTheirOwnTitle) {
  mData->SetWellFluxMode(true);
  mData->OutputTimes = {0.001};
  mData->CurveNames = {"Pumping well 1"};
  mData->CurveValues[0] = 0.25;
  mData->CurvesValid = true;
  const std::vector<std::string> lines = Lines(Export());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "AQV Transient Flow :  File of Times & Fluxes");
  EXPECT_EQ(lines[1], "1 1   1");
  EXPECT_EQ(lines[4], "        \"\" ng well 1");  // the last 9 of "Pumping well 1"
  EXPECT_EQ(lines[5], "        \"\"       0.0");
  EXPECT_EQ(lines[7], "1.0000E-03   0.25000");
}

TEST_F(TAQVDataFTHTest, WithoutComputedCurvesOrWithDataChangedSinceNothingIsWritten) {
  mData->SaveCurvesAsFTH(mFolder.Path("curves.fth"));
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(std::tuple(mUi.Messages[0].Text, mUi.Messages[0].Type, mUi.Messages[0].Buttons),
            std::tuple("No results to write to FTH file. Update chart first!", TMsgDlgType::mtError,
                       TMsgDlgButtons::mbOK));
  EXPECT_TRUE(mFolder.Names().empty());
  mUi.Messages.clear();
  SetUpCurves(1);
  mData->SetCellText(3, 1, "15", TAQVGridKind::gkObservationWells);  // X of well 1
  mData->SaveCurvesAsFTH(mFolder.Path("curves.fth"));
  EXPECT_EQ(mUi.OnlyMessage(), "No results to write to FTH file. Update chart first!");
  EXPECT_TRUE(mFolder.Names().empty());
}

TEST_F(TAQVDataFTHTest, FailedExportKeepsTheOldFileAndSaysSo) {
  SetUpCurves(1);
  std::filesystem::create_directory(mFolder.Root() / "folder.fth");
  mData->SaveCurvesAsFTH(mFolder.Path("folder.fth"));
  EXPECT_EQ(mUi.OnlyMessage(),
            "Could not save " + mFolder.Path("folder.fth") + "!\nThere is a folder of that name.");
  EXPECT_EQ(mFolder.Names(), std::vector<std::string>{"folder.fth"});
}

// A computation that broke off leaves the missing value from the failing time on; the export
// stops before that time and refuses when no time is left.
TEST_F(TAQVDataFTHTest, TimesFromAFailedEvaluationOnAreLeftOut) {
  SetUpCurves(1);
  std::ranges::copy(std::vector{0.25, 1.5, 0.5, kMissingCurveValue}, mData->CurveValues.begin());
  std::vector<std::string> lines = Lines(Export());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(std::tuple(lines[7], lines[8]), std::tuple("  0.500000  -0.25000  -1.50000", ""));
  mData->CurveValues[0] = kMissingCurveValue;
  mData->SaveCurvesAsFTH(mFolder.Path("none.fth"));
  EXPECT_EQ(mUi.OnlyMessage(), "No results to write to FTH file. Update chart first!");
  EXPECT_EQ(mFolder.Names(), std::vector<std::string>{"curves.fth"});
}

TEST_F(TAQVDataFTHTest, ComputedCurvesOfANewDocumentAreExported) {
  mData->BuildCurveTimes();
  ASSERT_TRUE(mData->CurvesValid);
  const std::vector<std::string> lines = Lines(Export());
  const int n = mData->OutputTimeCount();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(7 + n + 1));
  EXPECT_EQ(lines[4], "        \"\" on well 1");
  EXPECT_EQ(lines[7],
            FormatFTHTime(mData->OutputTimes[0]) + FormatFTHValue(-mData->CurveValues[0]));
  EXPECT_EQ(lines[6 + n], FormatFTHTime(mData->OutputTimes.back()) +
                              FormatFTHValue(-mData->CurveValues[static_cast<std::size_t>(n - 1)]));
}

}  // namespace
}  // namespace aqv
