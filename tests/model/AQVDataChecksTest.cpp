#include <gtest/gtest.h>

#include <initializer_list>
#include <source_location>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

// --- Strict number parsing -------------------------------------------------------------------

TEST(TryStrToFloat, AcceptsDecimalNumbersOnly) {
  const std::pair<const char*, double> good[] = {
      {"1", 1},        {"-2.5", -2.5},  {"+3", 3},   {" 4.5 ", 4.5}, {"\t7\t", 7}, {"1E5", 100000},
      {"1e-3", 0.001}, {"2.5E+2", 250}, {".5", 0.5}, {"5.", 5},      {"-0", 0},    {"0003", 3}};
  for (auto [text, expected] : good) {
    double value = -99;
    EXPECT_TRUE(TryStrToFloat(text, value, '.')) << text;
    EXPECT_EQ(value, expected) << text;
  }
  double largest = -99;
  EXPECT_TRUE(TryStrToFloat("1.7976931348623157e308", largest, '.'));
  EXPECT_EQ(largest, 1.7976931348623157e308);
  const char* bad[] = {"",      " ",  "nan", "NaN",   "inf",  "-inf",  "infinity", "0x10",
                       "0X1p3", "1e", "1e+", "e5",    "1.5x", "1 2",   "1,5",      "--1",
                       "+-1",   ".",  "-",   "1e400", "$10",  "1.2.3", "1_000",    "١"};
  for (const char* text : bad) {
    double value = -99;
    EXPECT_FALSE(TryStrToFloat(text, value, '.')) << text;
    EXPECT_EQ(value, -99) << "a failed conversion leaves the value: " << text;
  }
}

TEST(TryStrToFloat, UsesTheGivenDecimalSeparatorOnly) {
  double value = 0;
  EXPECT_TRUE(TryStrToFloat("1,5", value, ','));
  EXPECT_EQ(value, 1.5);
  EXPECT_TRUE(TryStrToFloat("-2,5E-1", value, ','));
  EXPECT_EQ(value, -0.25);
  EXPECT_FALSE(TryStrToFloat("1.5", value, ','));
  EXPECT_FALSE(TryStrToFloat("1.000,5", value, ','));
}

TEST(TryStrToInt, AcceptsDecimalWholeNumbersThatFit) {
  const std::pair<const char*, int> good[] = {
      {"42", 42}, {"-7", -7}, {"+3", 3}, {" 12 ", 12}, {"2147483647", 2147483647}};
  for (auto [text, expected] : good) {
    int value = -99;
    EXPECT_TRUE(TryStrToInt(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  const char* bad[] = {"", " ", "1.0", "1e3", "0x1F", "$1F", "2147483648", "12a", "nan", "- 1"};
  for (const char* text : bad) {
    int value = -99;
    EXPECT_FALSE(TryStrToInt(text, value)) << text;
    EXPECT_EQ(value, -99) << text;
  }
}

// --- Check routines ----------------------------------------------------------------------------

using TAQVDataChecksTest = test::TDocumentTest;
using D = TAQVData;

// Calls check with each argument list: those of pass must pass, those of fail must fail, and
// every call leaves message. A failure names the line of the call and its arguments.
template <class... P>
void ExpectCheck(const TAQVData& d, bool (TAQVData::*check)(P...) const, const std::string& message,
                 std::initializer_list<std::type_identity_t<std::tuple<P...>>> pass,
                 std::initializer_list<std::type_identity_t<std::tuple<P...>>> fail = {},
                 std::source_location where = std::source_location::current()) {
  const testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), message);
  for (const bool passes : {true, false}) {
    for (const std::tuple<P...>& args : passes ? pass : fail) {
      Globals().DataErrorText = "Invalid value!";
      const bool passed = std::apply([&](P... a) { return (d.*check)(a...); }, args);
      EXPECT_EQ(passed, passes) << testing::PrintToString(args);
      EXPECT_EQ(Globals().DataErrorText, message) << testing::PrintToString(args);
    }
  }
}

constexpr const char* kLargerThan0 = "Value must be larger than 0!";

TEST_F(TAQVDataChecksTest, LayerValueChecksAcceptTheirBoundsAndQuoteThemInTheLocalesForm) {
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  ExpectCheck(*mData, &D::CheckConductivity, kLargerThan0, {1e-12}, {0});
  ExpectCheck(*mData, &D::CheckStorativity, kLargerThan0, {0}, {-0.1});
  ExpectCheck(*mData, &D::CheckTransmissivityOrResistance, kLargerThan0, {{2, 1}}, {{2, 0}});
  // A resistance above a thousandth of a day, in hours.
  ExpectCheck(*mData, &D::CheckTransmissivityOrResistance, "Value must be larger than 0.024!",
              {{3, 0.025}}, {{1, 0.024}});
  Globals().DecimalSeparator = ',';  // the bound is quoted in the locale's form
  ExpectCheck(*mData, &D::CheckTransmissivityOrResistance, "Value must be larger than 0,024!", {},
              {{1, 0.01}});
}

TEST_F(TAQVDataChecksTest, OnlyAMiddleAquitardMayHaveNoThickness) {
  mData->SetAquiferCount(2);
  mData->SetSurfaceLevel(10);
  // Rows: aquitard 1 from 10, aquifer 1 from 9, aquitard 2 from 8, aquifer 2, aquitard 3 from 6.
  ExpectCheck(*mData, &D::CheckThickness, kLargerThan0, {{3, 0}}, {{1, 0}, {5, 0}, {2, 0}});
  ExpectCheck(*mData, &D::CheckBaseLevel, "Value must be smaller than 8!", {{3, 8}, {3, 8 + 5e-7}});
  ExpectCheck(*mData, &D::CheckBaseLevel, "Value must be smaller than 10!", {}, {{1, 10}});
  ExpectCheck(*mData, &D::CheckBaseLevel, "Value must be smaller than 6!", {}, {{5, 6}});
  ExpectCheck(*mData, &D::CheckBaseLevel, "Value must be smaller than 7!", {{4, 6.5}});
}

TEST_F(TAQVDataChecksTest, ParameterMarksAreBlankOrOneToZ) {
  ExpectCheck(*mData, &D::CheckParameterMark, "Character not allowed!",
              {"", " ", "1", "9", "A", "Z", "a", "z", "1x"}, {"0", "#", "-", "{", "~", "\xC3\xA9"});
}

TEST_F(TAQVDataChecksTest, WellChecksQuoteTheirBounds) {
  ExpectCheck(*mData, &D::CheckCasingRadius, "Value must be between 0 and 1E+06!", {0, 1e6}, {-1});
  ExpectCheck(*mData, &D::CheckScreenRadius, "Value must be between 9.90099E-07 and 1E+06!", {1e-6},
              {0});
  ExpectCheck(*mData, &D::CheckSkinFactor, kLargerThan0, {0}, {-0.1});
  ExpectCheck(*mData, &D::CheckPeriodCount, "Value must be between 1 and 100!", {100}, {101});
  ExpectCheck(*mData, &D::CheckObservationCount, "Value must be between 1 and 1000!", {1000}, {0});
  ExpectCheck(*mData, &D::CheckObservationLayer, "Value must be between 1 and 1!", {}, {2});
  ExpectCheck(*mData, &D::CheckObservationTime, "Value must be between 1E-06 and 1E+10!",
              {1e-6, 1e10}, {0, 10000000000.5});
}

TEST_F(TAQVDataChecksTest, FeetBoundsAreTheMetreBoundsInFeet) {
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  ExpectCheck(*mData, &D::CheckScreenRadius, "Value must be between 3.24836E-06 and 3.28084E+06!",
              {3e6}, {3.3e6, 3e-6});
  ExpectCheck(*mData, &D::CheckCasingRadius, "Value must be between 0 and 3.28084E+06!", {},
              {3.3e6});
  ExpectCheck(*mData, &D::CheckContourInterval, "Value must be larger than 3.28084E-08!", {4e-8},
              {3e-8});
}

TEST_F(TAQVDataChecksTest, PeriodStartMustFollowThePreviousPeriod) {
  mData->SetCellText(12, 1, "2", TAQVGridKind::gkPumpingWells);
  mData->PumpingWells[1].StartTime[1] = 5;
  for (TAQVTimeUnit unit : {TAQVTimeUnit::tuDays, TAQVTimeUnit::tuHours}) {
    mData->SetTimeUnit(unit);
    const double tf = mData->TimeFactor();
    EXPECT_FALSE(mData->CheckPeriodStartTime(2, 5 * tf)) << "equal to the first start";
    EXPECT_TRUE(mData->CheckPeriodStartTime(2, (5 + 1e-6) * tf)) << "1e-6 days later";
    EXPECT_TRUE(mData->CheckPeriodStartTime(1, 0));
    EXPECT_FALSE(mData->CheckPeriodStartTime(1, -1e-9));
    EXPECT_FALSE(mData->CheckPeriodStartTime(1, 10000000000.5 * tf));
  }
  EXPECT_EQ(Globals().DataErrorText, "Value must be between 0 and 2.4E+11!");
  EXPECT_FALSE(mData->CheckPeriodStartTime(500, -1)) << "a row past the table stays inside it";
}

TEST_F(TAQVDataChecksTest, StartingTimeMustLieStrictlyBelowStoppingTime) {
  // Starting 0.001, stopping 1000 days.
  ExpectCheck(*mData, &D::CheckStartingTime, "Value must be smaller than 1000!", {}, {1000});
  ExpectCheck(*mData, &D::CheckStartingTime, "Value must be larger than 9.9E-07!", {999, 9.9e-7},
              {9e-7});
  ExpectCheck(*mData, &D::CheckStoppingTime, "Value must be between 0.001 and 1E+09!",
              {0.0011, 1e9}, {0.001, 1.1e9});
}

TEST_F(TAQVDataChecksTest, MapChecksQuoteTheirBounds) {
  mData->MapRadius = 300;
  mData->SetWorldX2(123456.789);
  mData->SetWorldY1(-2e8);
  ExpectCheck(*mData, &D::CheckModelLength, "Value must be between 1800 and 2E+06!", {1800, 2e6},
              {1799});
  ExpectCheck(*mData, &D::CheckWorldX1, "Value must be smaller than 123456.8!", {0}, {123456.789});
  ExpectCheck(*mData, &D::CheckWorldX2, "Value must be larger than 0!", {}, {0});
  ExpectCheck(*mData, &D::CheckWorldY2, "Value must be larger than -2E+08!", {0});
  ExpectCheck(*mData, &D::CheckWorldY1, "Value must be smaller than 0!", {}, {0});
  ExpectCheck(*mData, &D::CheckMinContour, "Value must be smaller than 0.1!", {}, {0.1});
  ExpectCheck(*mData, &D::CheckMaxContour, "Value must be larger than -0.1!", {}, {-0.1});
  ExpectCheck(*mData, &D::CheckContourInterval, "Value must be larger than 1E-08!", {1e-8});
  ExpectCheck(*mData, &D::CheckDisplayTime, kLargerThan0, {0});
  ExpectCheck(*mData, &D::CheckAnimationStartTime, "Value must be between 0 and 10!", {10}, {10.5});
  ExpectCheck(*mData, &D::CheckAnimationEndTime, kLargerThan0, {0});
  ExpectCheck(*mData, &D::CheckStoppingCriterion, kLargerThan0, {}, {0});
  mData->MapRadius = 300000;
  EXPECT_TRUE(mData->CheckModelLength(3e6)) << "the upper bound grows with a large map";
  EXPECT_EQ(Globals().DataErrorText, "Value must be between 1.8E+06 and 3E+06!");
}

TEST_F(TAQVDataChecksTest, CountChecksQuoteIntegerBounds) {
  mData->SetAquiferCount(2);
  mData->SetLowerLayer(2);
  mData->SetUpperLayer(2);
  const std::string oneToTwo = "Value must be between 1 and 2!";
  ExpectCheck(*mData, &D::CheckAquiferCount, oneToTwo, {}, {3});
  ExpectCheck(*mData, &D::CheckPumpingWellCount, oneToTwo, {}, {0});
  ExpectCheck(*mData, &D::CheckObservationWellCount, "Value must be between 1 and 5!", {5}, {6});
  ExpectCheck(*mData, &D::CheckUpperLayer, oneToTwo, {}, {3});
  ExpectCheck(*mData, &D::CheckLowerLayer, "Value must be between 2 and 2!", {}, {1});
  ExpectCheck(*mData, &D::CheckTimeSteps, "Value must be larger than 1!", {1}, {0});
  ExpectCheck(*mData, &D::CheckDrawLayer, oneToTwo, {2});
  ExpectCheck(*mData, &D::CheckDensity, "Value must be between 1 and 10!", {}, {11});
}

TEST_F(TAQVDataChecksTest, ChecksNeverChangeTheDocument) {
  mData->Saved = true;
  (void)mData->CheckLayerList("1");
  (void)mData->CheckStoppingTime(5);
  (void)mData->CheckBaseLevel(2, -5);
  EXPECT_EQ(std::tuple(mChanges, mData->Saved, mData->Modified()), std::tuple(0, true, true));
}

// --- Screened-aquifer lists ------------------------------------------------------------------

TEST_F(TAQVDataChecksTest, LayerListsThatParse) {
  mData->SetAquiferCount(2);
  // Each list with the flags of aquifers 1 and 2 it sets.
  const std::tuple<const char*, bool, bool> cases[] = {
      {"1", true, false},   {"2", false, true},  {"1-2", true, true},  {"1,2", true, true},
      {"2-2", false, true}, {"2,1", true, true}, {"1-1,2", true, true}};
  for (const auto& [text, first, second] : cases) {
    TArray1<bool, kMaxAquifers> flags;
    flags.Fill(true);
    EXPECT_TRUE(mData->TextToLayerSet(text, flags)) << text;
    EXPECT_EQ(std::tuple(flags[1], flags[2]), std::tuple(first, second)) << text;
    EXPECT_TRUE(mData->CheckLayerList(text)) << text;
  }
}

TEST_F(TAQVDataChecksTest, LayerListsThatDoNotParseSayWhy) {
  mData->SetAquiferCount(2);
  // Each message with the lists that leave it.
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {"Cannot parse empty string!", {""}},
      {"First character in string must be an integer!", {",1", "a"}},
      {"Last character in string must be an integer!", {"1,", "1-", "1 "}},
      {"Expected integer value!", {"1,,2", "1-,2"}},
      {"Hyphen can not be followed by another hyphen!", {"1-2-2"}},
      {"Value must be between 1 and 2!", {"3", "0", "1-99999999999999"}},
      {"Values must be in ascending order!", {"2-1"}},
      {"Invalid character!", {"1a2", "1 2", "1;2"}}};
  for (const auto& [message, texts] : cases) {
    for (const char* text : texts) {
      TArray1<bool, kMaxAquifers> flags;
      EXPECT_FALSE(mData->TextToLayerSet(text, flags)) << text;
      EXPECT_EQ(Globals().DataErrorText, message) << text;
      EXPECT_FALSE(mData->CheckLayerList(text)) << text;
    }
  }
}

TEST_F(TAQVDataChecksTest, FlagsSetBeforeALayerListErrorStaySet) {
  TArray1<bool, kMaxAquifers> flags;
  EXPECT_FALSE(mData->TextToLayerSet("1,3", flags));
  EXPECT_EQ(Globals().DataErrorText, "Value must be between 1 and 1!");
  EXPECT_EQ(std::tuple(flags[1], flags[2]), std::tuple(true, false));
}

TEST_F(TAQVDataChecksTest, LayerSetToTextListsTheScreenedAquifers) {
  mData->SetAquiferCount(2);
  TArray1<bool, kMaxAquifers> flags;
  flags.Fill(true);
  EXPECT_EQ(mData->LayerSetToText(flags), "1,2");
  flags[1] = false;
  EXPECT_EQ(mData->LayerSetToText(flags), "2");
  flags[2] = false;
  EXPECT_EQ(mData->LayerSetToText(flags), "");
  mData->SetAquiferCount(1);
  flags.Fill(true);
  EXPECT_EQ(mData->LayerSetToText(flags), "1") << "only aquifers the system has";
}

}  // namespace
}  // namespace aqv
