#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <tuple>

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

// One call of a check: whether it must pass and the message it must leave.
struct TCheckCase {
  std::function<bool(const TAQVData&)> Check;
  bool Passes;
  const char* Message;
};

// Calls a check routine with its arguments.
template <class... P, class... A>
std::function<bool(const TAQVData&)> Call(bool (TAQVData::*check)(P...) const, A... args) {
  return [=](const TAQVData& d) { return (d.*check)(static_cast<P>(args)...); };
}

void ExpectChecks(const TAQVData& d, std::span<const TCheckCase> cases) {
  for (std::size_t k = 0; k < cases.size(); ++k) {
    Globals().DataErrorText = "Invalid value!";
    EXPECT_EQ(cases[k].Check(d), cases[k].Passes) << "case " << k;
    EXPECT_EQ(Globals().DataErrorText, cases[k].Message) << "case " << k;
  }
}

constexpr const char* kLargerThan0 = "Value must be larger than 0!";

TEST_F(TAQVDataChecksTest, LayerValueChecksAcceptTheirBounds) {
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  const TCheckCase cases[] = {
      {Call(&D::CheckConductivity, 0), false, kLargerThan0},
      {Call(&D::CheckConductivity, 1e-12), true, kLargerThan0},
      {Call(&D::CheckStorativity, 0), true, kLargerThan0},
      {Call(&D::CheckStorativity, -0.1), false, kLargerThan0},
      {Call(&D::CheckTransmissivityOrResistance, 2, 0), false, kLargerThan0},
      {Call(&D::CheckTransmissivityOrResistance, 2, 1), true, kLargerThan0},
      // A resistance above a thousandth of a day, in hours.
      {Call(&D::CheckTransmissivityOrResistance, 1, 0.024), false,
       "Value must be larger than 0.024!"},
      {Call(&D::CheckTransmissivityOrResistance, 3, 0.025), true,
       "Value must be larger than 0.024!"}};
  ExpectChecks(*mData, cases);
}

TEST_F(TAQVDataChecksTest, OnlyAMiddleAquitardMayHaveNoThickness) {
  mData->SetAquiferCount(2);
  mData->SetSurfaceLevel(10);
  // Rows: aquitard 1 from 10, aquifer 1 from 9, aquitard 2 from 8, aquifer 2, aquitard 3 from 6.
  const TCheckCase cases[] = {
      {Call(&D::CheckThickness, 3, 0), true, kLargerThan0},
      {Call(&D::CheckThickness, 1, 0), false, kLargerThan0},
      {Call(&D::CheckThickness, 5, 0), false, kLargerThan0},
      {Call(&D::CheckThickness, 2, 0), false, kLargerThan0},
      {Call(&D::CheckBaseLevel, 3, 8), true, "Value must be smaller than 8!"},
      {Call(&D::CheckBaseLevel, 3, 8 + 5e-7), true, "Value must be smaller than 8!"},
      {Call(&D::CheckBaseLevel, 1, 10), false, "Value must be smaller than 10!"},
      {Call(&D::CheckBaseLevel, 5, 6), false, "Value must be smaller than 6!"},
      {Call(&D::CheckBaseLevel, 4, 6.5), true, "Value must be smaller than 7!"}};
  ExpectChecks(*mData, cases);
}

TEST_F(TAQVDataChecksTest, ParameterMarksAreBlankOrOneToZ) {
  for (const char* text : {"", " ", "1", "9", "A", "Z", "a", "z", "1x"}) {
    EXPECT_TRUE(mData->CheckParameterMark(text)) << '"' << text << '"';
    EXPECT_EQ(Globals().DataErrorText, "Character not allowed!");
  }
  for (const char* text : {"0", "#", "-", "{", "~", "\xC3\xA9"}) {
    EXPECT_FALSE(mData->CheckParameterMark(text)) << '"' << text << '"';
    EXPECT_EQ(Globals().DataErrorText, "Character not allowed!");
  }
}

TEST_F(TAQVDataChecksTest, WellChecksQuoteTheirBounds) {
  const TCheckCase cases[] = {
      {Call(&D::CheckCasingRadius, 0), true, "Value must be between 0 and 1E+06!"},
      {Call(&D::CheckCasingRadius, -1), false, "Value must be between 0 and 1E+06!"},
      {Call(&D::CheckCasingRadius, 1e6), true, "Value must be between 0 and 1E+06!"},
      {Call(&D::CheckScreenRadius, 0), false, "Value must be between 9.90099E-07 and 1E+06!"},
      {Call(&D::CheckScreenRadius, 1e-6), true, "Value must be between 9.90099E-07 and 1E+06!"},
      {Call(&D::CheckSkinFactor, 0), true, kLargerThan0},
      {Call(&D::CheckSkinFactor, -0.1), false, kLargerThan0},
      {Call(&D::CheckPeriodCount, 100), true, "Value must be between 1 and 100!"},
      {Call(&D::CheckPeriodCount, 101), false, "Value must be between 1 and 100!"},
      {Call(&D::CheckObservationCount, 1000), true, "Value must be between 1 and 1000!"},
      {Call(&D::CheckObservationCount, 0), false, "Value must be between 1 and 1000!"},
      {Call(&D::CheckObservationLayer, 2), false, "Value must be between 1 and 1!"},
      {Call(&D::CheckObservationTime, 0), false, "Value must be between 1E-06 and 1E+10!"},
      {Call(&D::CheckObservationTime, 1e-6), true, "Value must be between 1E-06 and 1E+10!"},
      {Call(&D::CheckObservationTime, 1e10), true, "Value must be between 1E-06 and 1E+10!"},
      {Call(&D::CheckObservationTime, 10000000000.5), false,
       "Value must be between 1E-06 and 1E+10!"}};
  ExpectChecks(*mData, cases);
}

TEST_F(TAQVDataChecksTest, FeetBoundsAreTheMetreBoundsInFeet) {
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  const TCheckCase cases[] = {
      {Call(&D::CheckScreenRadius, 3e6), true,
       "Value must be between 3.24836E-06 and 3.28084E+06!"},
      {Call(&D::CheckScreenRadius, 3.3e6), false,
       "Value must be between 3.24836E-06 and 3.28084E+06!"},
      {Call(&D::CheckScreenRadius, 3e-6), false,
       "Value must be between 3.24836E-06 and 3.28084E+06!"},
      {Call(&D::CheckCasingRadius, 3.3e6), false, "Value must be between 0 and 3.28084E+06!"},
      {Call(&D::CheckContourInterval, 3e-8), false, "Value must be larger than 3.28084E-08!"},
      {Call(&D::CheckContourInterval, 4e-8), true, "Value must be larger than 3.28084E-08!"}};
  ExpectChecks(*mData, cases);
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
  const TCheckCase cases[] = {
      {Call(&D::CheckStartingTime, 1000), false, "Value must be smaller than 1000!"},
      {Call(&D::CheckStartingTime, 999), true, "Value must be larger than 9.9E-07!"},
      {Call(&D::CheckStartingTime, 9.9e-7), true, "Value must be larger than 9.9E-07!"},
      {Call(&D::CheckStartingTime, 9e-7), false, "Value must be larger than 9.9E-07!"},
      {Call(&D::CheckStoppingTime, 0.001), false, "Value must be between 0.001 and 1E+09!"},
      {Call(&D::CheckStoppingTime, 0.0011), true, "Value must be between 0.001 and 1E+09!"},
      {Call(&D::CheckStoppingTime, 1e9), true, "Value must be between 0.001 and 1E+09!"},
      {Call(&D::CheckStoppingTime, 1.1e9), false, "Value must be between 0.001 and 1E+09!"}};
  ExpectChecks(*mData, cases);
}

TEST_F(TAQVDataChecksTest, MapChecksQuoteTheirBounds) {
  mData->MapRadius = 300;
  mData->SetWorldX2(123456.789);
  mData->SetWorldY1(-2e8);
  const TCheckCase cases[] = {
      {Call(&D::CheckModelLength, 1800), true, "Value must be between 1800 and 2E+06!"},
      {Call(&D::CheckModelLength, 1799), false, "Value must be between 1800 and 2E+06!"},
      {Call(&D::CheckModelLength, 2e6), true, "Value must be between 1800 and 2E+06!"},
      {Call(&D::CheckWorldX1, 0), true, "Value must be smaller than 123456.8!"},
      {Call(&D::CheckWorldX1, 123456.789), false, "Value must be smaller than 123456.8!"},
      {Call(&D::CheckWorldX2, 0), false, "Value must be larger than 0!"},
      {Call(&D::CheckWorldY2, 0), true, "Value must be larger than -2E+08!"},
      {Call(&D::CheckWorldY1, 0), false, "Value must be smaller than 0!"},
      {Call(&D::CheckMinContour, 0.1), false, "Value must be smaller than 0.1!"},
      {Call(&D::CheckMaxContour, -0.1), false, "Value must be larger than -0.1!"},
      {Call(&D::CheckContourInterval, 1e-8), true, "Value must be larger than 1E-08!"},
      {Call(&D::CheckDisplayTime, 0), true, kLargerThan0},
      {Call(&D::CheckAnimationStartTime, 10), true, "Value must be between 0 and 10!"},
      {Call(&D::CheckAnimationStartTime, 10.5), false, "Value must be between 0 and 10!"},
      {Call(&D::CheckAnimationEndTime, 0), true, kLargerThan0},
      {Call(&D::CheckStoppingCriterion, 0), false, kLargerThan0}};
  ExpectChecks(*mData, cases);
  mData->MapRadius = 300000;
  EXPECT_TRUE(mData->CheckModelLength(3e6)) << "the upper bound grows with a large map";
  EXPECT_EQ(Globals().DataErrorText, "Value must be between 1.8E+06 and 3E+06!");
}

TEST_F(TAQVDataChecksTest, CountChecksQuoteIntegerBounds) {
  mData->SetAquiferCount(2);
  mData->SetLowerLayer(2);
  mData->SetUpperLayer(2);
  const TCheckCase cases[] = {
      {Call(&D::CheckAquiferCount, 3), false, "Value must be between 1 and 2!"},
      {Call(&D::CheckPumpingWellCount, 0), false, "Value must be between 1 and 2!"},
      {Call(&D::CheckObservationWellCount, 5), true, "Value must be between 1 and 5!"},
      {Call(&D::CheckObservationWellCount, 6), false, "Value must be between 1 and 5!"},
      {Call(&D::CheckUpperLayer, 3), false, "Value must be between 1 and 2!"},
      {Call(&D::CheckLowerLayer, 1), false, "Value must be between 2 and 2!"},
      {Call(&D::CheckTimeSteps, 0), false, "Value must be larger than 1!"},
      {Call(&D::CheckTimeSteps, 1), true, "Value must be larger than 1!"},
      {Call(&D::CheckDrawLayer, 2), true, "Value must be between 1 and 2!"},
      {Call(&D::CheckDensity, 11), false, "Value must be between 1 and 10!"}};
  ExpectChecks(*mData, cases);
}

TEST_F(TAQVDataChecksTest, BoundsUseTheLocaleDecimalSeparator) {
  Globals().DecimalSeparator = ',';
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  EXPECT_FALSE(mData->CheckTransmissivityOrResistance(1, 0.01));
  EXPECT_EQ(Globals().DataErrorText, "Value must be larger than 0,024!");
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
  struct TCase {
    const char* Text;
    bool First, Second;
  };
  for (const TCase& c : {TCase{"1", true, false}, TCase{"2", false, true}, TCase{"1-2", true, true},
                         TCase{"1,2", true, true}, TCase{"2-2", false, true},
                         TCase{"2,1", true, true}, TCase{"1-1,2", true, true}}) {
    TArray1<bool, kMaxAquifers> flags;
    flags.Fill(true);
    EXPECT_TRUE(mData->TextToLayerSet(c.Text, flags)) << c.Text;
    EXPECT_EQ(std::tuple(flags[1], flags[2]), std::tuple(c.First, c.Second)) << c.Text;
    EXPECT_TRUE(mData->CheckLayerList(c.Text)) << c.Text;
  }
}

TEST_F(TAQVDataChecksTest, LayerListsThatDoNotParseSayWhy) {
  mData->SetAquiferCount(2);
  const std::pair<const char*, const char*> cases[] = {
      {"", "Cannot parse empty string!"},
      {",1", "First character in string must be an integer!"},
      {"a", "First character in string must be an integer!"},
      {"1,", "Last character in string must be an integer!"},
      {"1-", "Last character in string must be an integer!"},
      {"1 ", "Last character in string must be an integer!"},
      {"1,,2", "Expected integer value!"},
      {"1-,2", "Expected integer value!"},
      {"1-2-2", "Hyphen can not be followed by another hyphen!"},
      {"3", "Value must be between 1 and 2!"},
      {"0", "Value must be between 1 and 2!"},
      {"1-99999999999999", "Value must be between 1 and 2!"},
      {"2-1", "Values must be in ascending order!"},
      {"1a2", "Invalid character!"},
      {"1 2", "Invalid character!"},
      {"1;2", "Invalid character!"}};
  for (auto [text, message] : cases) {
    TArray1<bool, kMaxAquifers> flags;
    EXPECT_FALSE(mData->TextToLayerSet(text, flags)) << text;
    EXPECT_EQ(Globals().DataErrorText, message) << text;
    EXPECT_FALSE(mData->CheckLayerList(text)) << text;
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
