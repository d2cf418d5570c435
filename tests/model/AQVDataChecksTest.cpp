#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "model/AQVData.h"
#include "tests/support/FakeUserInterface.h"

namespace aqv {
namespace {

// --- Strict number parsing -------------------------------------------------------------------

TEST(TryStrToFloat, AcceptsDecimalNumbersOnly) {
  const std::pair<const char*, double> good[] = {
      {"1", 1},
      {"-2.5", -2.5},
      {"+3", 3},
      {" 4.5 ", 4.5},
      {"\t7\t", 7},
      {"1E5", 100000},
      {"1e-3", 0.001},
      {"2.5E+2", 250},
      {".5", 0.5},
      {"5.", 5},
      {"-0", 0},
      {"0003", 3},
      {"1.7976931348623157e308", 1.7976931348623157e308}};
  for (auto [text, expected] : good) {
    double value = -99;
    EXPECT_TRUE(TryStrToFloat(text, value, '.')) << text;
    EXPECT_EQ(value, expected) << text;
  }
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

class TAQVDataChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mData = std::make_unique<TAQVData>(&mUi);
  }
  test::TFakeUserInterface mUi;
  std::unique_ptr<TAQVData> mData;
};

// One call of a check: whether it must pass and the message it must leave.
struct TCheckCase {
  const char* Name;
  std::function<bool(const TAQVData&)> Check;
  bool Passes;
  const char* Message;
};

void ExpectChecks(const TAQVData& d, std::initializer_list<TCheckCase> cases) {
  for (const TCheckCase& c : cases) {
    Globals().DataErrorText = "Invalid value!";
    EXPECT_EQ(c.Check(d), c.Passes) << c.Name;
    EXPECT_EQ(Globals().DataErrorText, c.Message) << c.Name;
  }
}

constexpr const char* kLargerThan0 = "Value must be larger than 0!";

TEST_F(TAQVDataChecksTest, LayerValueChecksAcceptTheirBounds) {
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  ExpectChecks(
      *mData,
      {
          {"Kh 0", [](auto& d) { return d.CheckConductivity(0); }, false, kLargerThan0},
          {"Kh tiny", [](auto& d) { return d.CheckConductivity(1e-12); }, true, kLargerThan0},
          {"S 0", [](auto& d) { return d.CheckStorativity(0); }, true, kLargerThan0},
          {"S -0.1", [](auto& d) { return d.CheckStorativity(-0.1); }, false, kLargerThan0},
          {"T 0", [](auto& d) { return d.CheckTransmissivityOrResistance(2, 0); }, false,
           kLargerThan0},
          {"T 1", [](auto& d) { return d.CheckTransmissivityOrResistance(2, 1); }, true,
           kLargerThan0},
          // A resistance above a thousandth of a day, in hours.
          {"c at bound", [](auto& d) { return d.CheckTransmissivityOrResistance(1, 0.024); }, false,
           "Value must be larger than 0.024!"},
          {"c above", [](auto& d) { return d.CheckTransmissivityOrResistance(3, 0.025); }, true,
           "Value must be larger than 0.024!"},
      });
}

TEST_F(TAQVDataChecksTest, OnlyAMiddleAquitardMayHaveNoThickness) {
  mData->SetAquiferCount(2);
  mData->SetSurfaceLevel(10);
  // Rows: aquitard 1 from 10, aquifer 1 from 9, aquitard 2 from 8, aquifer 2, aquitard 3 from 6.
  ExpectChecks(
      *mData,
      {
          {"middle thickness 0", [](auto& d) { return d.CheckThickness(3, 0); }, true,
           kLargerThan0},
          {"top thickness 0", [](auto& d) { return d.CheckThickness(1, 0); }, false, kLargerThan0},
          {"bottom thickness 0", [](auto& d) { return d.CheckThickness(5, 0); }, false,
           kLargerThan0},
          {"aquifer thickness 0", [](auto& d) { return d.CheckThickness(2, 0); }, false,
           kLargerThan0},
          {"middle base at top", [](auto& d) { return d.CheckBaseLevel(3, 8); }, true,
           "Value must be smaller than 8!"},
          {"middle base just above top", [](auto& d) { return d.CheckBaseLevel(3, 8 + 5e-7); },
           true, "Value must be smaller than 8!"},
          {"top base at top", [](auto& d) { return d.CheckBaseLevel(1, 10); }, false,
           "Value must be smaller than 10!"},
          {"bottom base at top", [](auto& d) { return d.CheckBaseLevel(5, 6); }, false,
           "Value must be smaller than 6!"},
          {"aquifer base below top", [](auto& d) { return d.CheckBaseLevel(4, 6.5); }, true,
           "Value must be smaller than 7!"},
      });
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
  ExpectChecks(
      *mData,
      {
          {"Rc 0", [](auto& d) { return d.CheckCasingRadius(0); }, true,
           "Value must be between 0 and 1E+06!"},
          {"Rc -1", [](auto& d) { return d.CheckCasingRadius(-1); }, false,
           "Value must be between 0 and 1E+06!"},
          {"Rc 1e6", [](auto& d) { return d.CheckCasingRadius(1e6); }, true,
           "Value must be between 0 and 1E+06!"},
          {"Rw 0", [](auto& d) { return d.CheckScreenRadius(0); }, false,
           "Value must be between 9.90099E-07 and 1E+06!"},
          {"Rw 1e-6", [](auto& d) { return d.CheckScreenRadius(1e-6); }, true,
           "Value must be between 9.90099E-07 and 1E+06!"},
          {"skin 0", [](auto& d) { return d.CheckSkinFactor(0); }, true, kLargerThan0},
          {"skin -0.1", [](auto& d) { return d.CheckSkinFactor(-0.1); }, false, kLargerThan0},
          {"periods 100", [](auto& d) { return d.CheckPeriodCount(100); }, true,
           "Value must be between 1 and 100!"},
          {"periods 101", [](auto& d) { return d.CheckPeriodCount(101); }, false,
           "Value must be between 1 and 100!"},
          {"observations 1000", [](auto& d) { return d.CheckObservationCount(1000); }, true,
           "Value must be between 1 and 1000!"},
          {"observations 0", [](auto& d) { return d.CheckObservationCount(0); }, false,
           "Value must be between 1 and 1000!"},
          {"layer 2 of 1", [](auto& d) { return d.CheckObservationLayer(2); }, false,
           "Value must be between 1 and 1!"},
          {"observation time 0", [](auto& d) { return d.CheckObservationTime(0); }, false,
           "Value must be between 1E-06 and 1E+10!"},
          {"observation time 1e-6", [](auto& d) { return d.CheckObservationTime(1e-6); }, true,
           "Value must be between 1E-06 and 1E+10!"},
          {"observation time 1e10", [](auto& d) { return d.CheckObservationTime(1e10); }, true,
           "Value must be between 1E-06 and 1E+10!"},
          {"observation time limit", [](auto& d) { return d.CheckObservationTime(10000000000.5); },
           false, "Value must be between 1E-06 and 1E+10!"},
      });
}

TEST_F(TAQVDataChecksTest, FeetBoundsAreTheMetreBoundsInFeet) {
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  ExpectChecks(*mData, {
                           {"Rw 3e6", [](auto& d) { return d.CheckScreenRadius(3e6); }, true,
                            "Value must be between 3.24836E-06 and 3.28084E+06!"},
                           {"Rw 3.3e6", [](auto& d) { return d.CheckScreenRadius(3.3e6); }, false,
                            "Value must be between 3.24836E-06 and 3.28084E+06!"},
                           {"Rw 3e-6", [](auto& d) { return d.CheckScreenRadius(3e-6); }, false,
                            "Value must be between 3.24836E-06 and 3.28084E+06!"},
                           {"Rc 3.3e6", [](auto& d) { return d.CheckCasingRadius(3.3e6); }, false,
                            "Value must be between 0 and 3.28084E+06!"},
                           {"interval 3e-8", [](auto& d) { return d.CheckContourInterval(3e-8); },
                            false, "Value must be larger than 3.28084E-08!"},
                           {"interval 4e-8", [](auto& d) { return d.CheckContourInterval(4e-8); },
                            true, "Value must be larger than 3.28084E-08!"},
                       });
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
  ExpectChecks(*mData,
               {
                   {"start at stop", [](auto& d) { return d.CheckStartingTime(1000); }, false,
                    "Value must be smaller than 1000!"},
                   {"start below stop", [](auto& d) { return d.CheckStartingTime(999); }, true,
                    "Value must be larger than 9.9E-07!"},
                   {"start at lower bound", [](auto& d) { return d.CheckStartingTime(9.9e-7); },
                    true, "Value must be larger than 9.9E-07!"},
                   {"start below lower bound", [](auto& d) { return d.CheckStartingTime(9e-7); },
                    false, "Value must be larger than 9.9E-07!"},
                   {"stop at start", [](auto& d) { return d.CheckStoppingTime(0.001); }, false,
                    "Value must be between 0.001 and 1E+09!"},
                   {"stop above start", [](auto& d) { return d.CheckStoppingTime(0.0011); }, true,
                    "Value must be between 0.001 and 1E+09!"},
                   {"stop at upper bound", [](auto& d) { return d.CheckStoppingTime(1e9); }, true,
                    "Value must be between 0.001 and 1E+09!"},
                   {"stop above upper bound", [](auto& d) { return d.CheckStoppingTime(1.1e9); },
                    false, "Value must be between 0.001 and 1E+09!"},
               });
}

TEST_F(TAQVDataChecksTest, MapChecksQuoteTheirBounds) {
  mData->MapRadius = 300;
  mData->SetWorldX2(123456.789);
  mData->SetWorldY1(-2e8);
  ExpectChecks(
      *mData,
      {
          {"model length 1800", [](auto& d) { return d.CheckModelLength(1800); }, true,
           "Value must be between 1800 and 2E+06!"},
          {"model length 1799", [](auto& d) { return d.CheckModelLength(1799); }, false,
           "Value must be between 1800 and 2E+06!"},
          {"model length 2e6", [](auto& d) { return d.CheckModelLength(2e6); }, true,
           "Value must be between 1800 and 2E+06!"},
          {"X1 below X2", [](auto& d) { return d.CheckWorldX1(0); }, true,
           "Value must be smaller than 123456.8!"},
          {"X1 at X2", [](auto& d) { return d.CheckWorldX1(123456.789); }, false,
           "Value must be smaller than 123456.8!"},
          {"X2 at X1", [](auto& d) { return d.CheckWorldX2(0); }, false,
           "Value must be larger than 0!"},
          {"Y2 above Y1", [](auto& d) { return d.CheckWorldY2(0); }, true,
           "Value must be larger than -2E+08!"},
          {"Y1 at Y2", [](auto& d) { return d.CheckWorldY1(0); }, false,
           "Value must be smaller than 0!"},
          {"min contour", [](auto& d) { return d.CheckMinContour(0.1); }, false,
           "Value must be smaller than 0.1!"},
          {"max contour", [](auto& d) { return d.CheckMaxContour(-0.1); }, false,
           "Value must be larger than -0.1!"},
          {"interval 1e-8", [](auto& d) { return d.CheckContourInterval(1e-8); }, true,
           "Value must be larger than 1E-08!"},
          {"display time 0", [](auto& d) { return d.CheckDisplayTime(0); }, true, kLargerThan0},
          {"animation start", [](auto& d) { return d.CheckAnimationStartTime(10); }, true,
           "Value must be between 0 and 10!"},
          {"animation start late", [](auto& d) { return d.CheckAnimationStartTime(10.5); }, false,
           "Value must be between 0 and 10!"},
          {"animation end", [](auto& d) { return d.CheckAnimationEndTime(0); }, true, kLargerThan0},
          {"criterion 0", [](auto& d) { return d.CheckStoppingCriterion(0); }, false, kLargerThan0},
      });
  mData->MapRadius = 300000;
  EXPECT_TRUE(mData->CheckModelLength(3e6)) << "the upper bound grows with a large map";
  EXPECT_EQ(Globals().DataErrorText, "Value must be between 1.8E+06 and 3E+06!");
}

TEST_F(TAQVDataChecksTest, CountChecksQuoteIntegerBounds) {
  mData->SetAquiferCount(2);
  mData->SetLowerLayer(2);
  mData->SetUpperLayer(2);
  ExpectChecks(*mData,
               {
                   {"aquifers 3", [](auto& d) { return d.CheckAquiferCount(3); }, false,
                    "Value must be between 1 and 2!"},
                   {"pumping wells 0", [](auto& d) { return d.CheckPumpingWellCount(0); }, false,
                    "Value must be between 1 and 2!"},
                   {"observation wells 5", [](auto& d) { return d.CheckObservationWellCount(5); },
                    true, "Value must be between 1 and 5!"},
                   {"observation wells 6", [](auto& d) { return d.CheckObservationWellCount(6); },
                    false, "Value must be between 1 and 5!"},
                   {"upper above lower", [](auto& d) { return d.CheckUpperLayer(3); }, false,
                    "Value must be between 1 and 2!"},
                   {"lower below upper", [](auto& d) { return d.CheckLowerLayer(1); }, false,
                    "Value must be between 2 and 2!"},
                   {"time steps 0", [](auto& d) { return d.CheckTimeSteps(0); }, false,
                    "Value must be larger than 1!"},
                   {"time steps 1", [](auto& d) { return d.CheckTimeSteps(1); }, true,
                    "Value must be larger than 1!"},
                   {"draw layer 2", [](auto& d) { return d.CheckDrawLayer(2); }, true,
                    "Value must be between 1 and 2!"},
                   {"density 11", [](auto& d) { return d.CheckDensity(11); }, false,
                    "Value must be between 1 and 10!"},
               });
}

TEST_F(TAQVDataChecksTest, BoundsUseTheLocaleDecimalSeparator) {
  Globals().DecimalSeparator = ',';
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  EXPECT_FALSE(mData->CheckTransmissivityOrResistance(1, 0.01));
  EXPECT_EQ(Globals().DataErrorText, "Value must be larger than 0,024!");
}

TEST_F(TAQVDataChecksTest, ChecksNeverChangeTheDocument) {
  int changes = 0;
  mData->OnChange = [&](TObject*) { ++changes; };
  mData->Saved = true;
  (void)mData->CheckLayerList("1");
  (void)mData->CheckStoppingTime(5);
  (void)mData->CheckBaseLevel(2, -5);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(mData->Saved);
  EXPECT_TRUE(mData->Modified());
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
    EXPECT_EQ(flags[1], c.First) << c.Text;
    EXPECT_EQ(flags[2], c.Second) << c.Text;
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
      {"1;2", "Invalid character!"},
  };
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
  EXPECT_TRUE(flags[1]);
  EXPECT_FALSE(flags[2]);
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
