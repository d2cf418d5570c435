#include <algorithm>
#include <cmath>

#include "chart/NumberFormat.h"
#include "model/AQVData.h"

namespace aqv {

namespace {

// Bounds of a number as the messages quote them.
std::string Num(double value) {
  return FormatTickLabel(value, Globals().DecimalSeparator);
}
std::string Num(int value) {
  return std::to_string(value);
}

// The world-window bounds are coordinates that a person types with many digits.
std::string Coordinate(double value) {
  return FloatToStrTrim(7, 1e8, value, Globals().DecimalSeparator);
}

std::string Between(const std::string& lower, const std::string& upper) {
  return "Value must be between " + lower + " and " + upper + "!";
}
std::string Larger(const std::string& bound) {
  return "Value must be larger than " + bound + "!";
}
std::string Smaller(const std::string& bound) {
  return "Value must be smaller than " + bound + "!";
}

// Leaves the message of a check whether it passes or not, and passes the result on.
bool Report(bool ok, std::string message) {
  Globals().DataErrorText = std::move(message);
  return ok;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A gap below this between consecutive period starts would make two periods one (days).
constexpr double kMinPeriodGapDays = 1e-6;
// Upper bound (exclusive) of a period start or an observation time, days.
constexpr double kTimeLimitDays = 10000000000.5;

}  // namespace

// --- Aquifer-system table ------------------------------------------------------------------

bool TAQVData::CheckBaseLevel(int row, double value) const {
  int k = 1;
  const bool aquifer = RowToLayer(row, k);
  const double top = RowTopLevel(row) * mLengthFactor;
  // Only an aquitard between two aquifers may be left without thickness; the base then equals
  // its top within the rounding of a typed level.
  const bool inner = !aquifer && k >= 2 && k <= mAquiferCount;
  const bool ok = value < top || (inner && std::fabs(value - top) <= 1e-6);
  return Report(ok, Smaller(Num(top)));
}

bool TAQVData::CheckThickness(int row, double value) const {
  int k = 1;
  const bool aquifer = RowToLayer(row, k);
  const bool inner = !aquifer && k >= 2 && k <= mAquiferCount;
  return Report(value > 0 || (inner && value == 0), Larger(Num(0.0)));
}

bool TAQVData::CheckConductivity(double value) const {
  return Report(value > 0, Larger(Num(0.0)));
}

bool TAQVData::CheckTransmissivityOrResistance(int row, double value) const {
  int k = 1;
  if (RowToLayer(row, k)) return Report(value > 0, Larger(Num(0.0)));
  const double bound = 0.001 * mTimeFactor;
  return Report(value > bound, Larger(Num(bound)));
}

bool TAQVData::CheckStorativity(double value) const {
  return Report(value >= 0, Larger(Num(0.0)));
}

bool TAQVData::CheckParameterMark(std::string_view text) const {
  // The optimiser links the marks '1'..'z'; a blank is the typed form of "no mark".
  const bool ok =
      text.empty() || text.front() == ' ' || (text.front() >= '1' && text.front() <= 'z');
  return Report(ok, "Character not allowed!");
}

bool TAQVData::CheckLayerList(std::string_view text) const {
  TArray1<bool, kMaxAquifers> flags;
  return TextToLayerSet(text, flags);
}

// --- Wells ---------------------------------------------------------------------------------

namespace {

// A bound fixed in metres, in the document's unit.
double FixedLengthBound(const TAQVData& d, double metres) {
  const double bound = metres * d.LengthFactor();
  return d.LengthUnit() == TAQVLengthUnit::luFeet ? MetresToFeet(bound) : bound;
}

}  // namespace

bool TAQVData::CheckCasingRadius(double value) const {
  const double upper = FixedLengthBound(*this, 1e6);
  return Report(value >= 0 && value <= upper, Between(Num(0.0), Num(upper)));
}

bool TAQVData::CheckScreenRadius(double value) const {
  // The well-face terms divide by the screen radius, so it must stay above zero (1/1.01e6 m).
  const double lower = FixedLengthBound(*this, 9.900990099009902e-07);
  const double upper = FixedLengthBound(*this, 1e6);
  return Report(value >= lower && value <= upper, Between(Num(lower), Num(upper)));
}

bool TAQVData::CheckSkinFactor(double value) const {
  return Report(value >= 0, Larger(Num(0.0)));
}

bool TAQVData::CheckPeriodCount(int value) const {
  return Report(value >= 1 && value <= kMaxPeriods, Between(Num(1), Num(kMaxPeriods)));
}

bool TAQVData::CheckObservationLayer(int value) const {
  return Report(value >= 1 && value <= mAquiferCount, Between(Num(1), Num(mAquiferCount)));
}

bool TAQVData::CheckObservationCount(int value) const {
  return Report(value >= 1 && value <= kMaxObservations, Between(Num(1), Num(kMaxObservations)));
}

bool TAQVData::CheckPeriodStartTime(int row, double value) const {
  const TPumpingWell& well = PumpingWells[mCurrentPumpingWell];
  const int previous = std::min(row - 1, kMaxPeriods);
  const double lowerDays = previous < 1 ? 0.0 : well.StartTime[previous] + kMinPeriodGapDays;
  const double lower = lowerDays * mTimeFactor;
  const double upper = kTimeLimitDays * mTimeFactor;
  return Report(value >= lower && value < upper, Between(Num(lower), Num(upper)));
}

bool TAQVData::CheckObservationTime(double value) const {
  // Observations lie after the start of the test: the drawdown at time 0 is 0 by definition.
  const double lower = 1e-6 * mTimeFactor;
  const double upper = kTimeLimitDays * mTimeFactor;
  return Report(value >= lower && value < upper, Between(Num(lower), Num(upper)));
}

// --- Number edits --------------------------------------------------------------------------

bool TAQVData::CheckStoppingCriterion(double value) const {
  return Report(value > 0, Larger(Num(0.0)));
}

// The curves run from the starting to the stopping time on a logarithmic scale, so the range
// must be a proper one: the starting time strictly below the stopping time.
bool TAQVData::CheckStartingTime(double value) const {
  const double lower = 9.9e-07 * mTimeFactor;
  const double upper = mStoppingTime * mTimeFactor;
  if (value < lower) return Report(false, Larger(Num(lower)));
  if (!(value < upper)) return Report(false, Smaller(Num(upper)));
  return Report(true, Larger(Num(lower)));
}

bool TAQVData::CheckStoppingTime(double value) const {
  const double lower = mStartingTime * mTimeFactor;
  const double upper = 1e9 * mTimeFactor;
  return Report(value > lower && value <= upper, Between(Num(lower), Num(upper)));
}

bool TAQVData::CheckAnimationStartTime(double value) const {
  const double upper = mAnimationEndTime * mTimeFactor;
  return Report(value >= 0 && value <= upper, Between(Num(0.0), Num(upper)));
}

bool TAQVData::CheckAnimationEndTime(double value) const {
  const double lower = mAnimationStartTime * mTimeFactor;
  return Report(value >= lower, Larger(Num(lower)));
}

bool TAQVData::CheckDisplayTime(double value) const {
  return Report(value >= 0, Larger(Num(0.0)));
}

bool TAQVData::CheckMinContour(double value) const {
  const double upper = mMaxContour * mLengthFactor;
  return Report(value < upper, Smaller(Num(upper)));
}

bool TAQVData::CheckMaxContour(double value) const {
  const double lower = mMinContour * mLengthFactor;
  return Report(value > lower, Larger(Num(lower)));
}

bool TAQVData::CheckContourInterval(double value) const {
  const double lower = FixedLengthBound(*this, 1e-8);
  return Report(value >= lower, Larger(Num(lower)));
}

bool TAQVData::CheckWorldX1(double value) const {
  const double upper = mWorldX2 * mLengthFactor;
  return Report(value < upper, Smaller(Coordinate(upper)));
}

bool TAQVData::CheckWorldX2(double value) const {
  const double lower = mWorldX1 * mLengthFactor;
  return Report(value > lower, Larger(Coordinate(lower)));
}

bool TAQVData::CheckWorldY1(double value) const {
  const double upper = mWorldY2 * mLengthFactor;
  return Report(value < upper, Smaller(Coordinate(upper)));
}

bool TAQVData::CheckWorldY2(double value) const {
  const double lower = mWorldY1 * mLengthFactor;
  return Report(value > lower, Larger(Coordinate(lower)));
}

bool TAQVData::CheckModelLength(double value) const {
  // The mesh reaches well beyond the map, so that its outer boundary stays away from the wells.
  const double lower = 6 * MapRadius * mLengthFactor;
  const double upper = std::max(2e6 * mLengthFactor, 10 * MapRadius * mLengthFactor);
  return Report(value >= lower && value <= upper, Between(Num(lower), Num(upper)));
}

// --- Spin edits ----------------------------------------------------------------------------

bool TAQVData::CheckAquiferCount(int value) const {
  return Report(value >= 1 && value <= kMaxAquifers, Between(Num(1), Num(kMaxAquifers)));
}

bool TAQVData::CheckPumpingWellCount(int value) const {
  return Report(value >= 1 && value <= kMaxPumpingWells, Between(Num(1), Num(kMaxPumpingWells)));
}

bool TAQVData::CheckObservationWellCount(int value) const {
  return Report(value >= 1 && value <= kMaxObservationWells,
                Between(Num(1), Num(kMaxObservationWells)));
}

bool TAQVData::CheckUpperLayer(int value) const {
  return Report(value >= 1 && value <= mLowerLayer, Between(Num(1), Num(mLowerLayer)));
}

bool TAQVData::CheckLowerLayer(int value) const {
  return Report(value >= mUpperLayer && value <= mAquiferCount,
                Between(Num(mUpperLayer), Num(mAquiferCount)));
}

bool TAQVData::CheckTimeSteps(int value) const {
  return Report(value >= 1, Larger(Num(1)));
}

bool TAQVData::CheckDrawLayer(int value) const {
  return Report(value >= 1 && value <= mAquiferCount, Between(Num(1), Num(mAquiferCount)));
}

bool TAQVData::CheckDensity(int value) const {
  return Report(value >= 1 && value <= 10, Between(Num(1), Num(10)));
}

// --- Screened-aquifer lists ----------------------------------------------------------------

std::string TAQVData::LayerSetToText(const TArray1<bool, kMaxAquifers>& flags) const {
  std::string text;
  int first = 1;
  while (first <= mAquiferCount) {
    if (!flags[first]) {
      ++first;
      continue;
    }
    int last = first;
    while (last < mAquiferCount && flags[last + 1]) ++last;
    if (!text.empty()) text += ',';
    if (last - first >= 2) {
      text += std::to_string(first) + "-" + std::to_string(last);
    } else {
      for (int i = first; i <= last; ++i) text += (i > first ? "," : "") + std::to_string(i);
    }
    first = last + 1;
  }
  return text;
}

// Grammar: number { ("," | "-") number }, where "a-b" marks a to b. A hyphen opens a range
// that only a comma closes, so "1-2-3" is refused rather than read as two ranges.
bool TAQVData::TextToLayerSet(std::string_view text, TArray1<bool, kMaxAquifers>& flags) const {
  flags.Fill(false);
  const auto fail = [](const char* message) { return Report(false, message); };
  if (text.empty()) return fail("Cannot parse empty string!");
  if (!IsDigit(text.front())) return fail("First character in string must be an integer!");
  if (!IsDigit(text.back())) return fail("Last character in string must be an integer!");
  bool hyphenSeen = false;    // since the last comma
  bool rangePending = false;  // the next number ends a range
  int rangeStart = 0;
  std::size_t pos = 0;
  while (true) {
    // A run of digits, saturated so that a very long one stays out of range, not negative.
    int n = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
      n = std::min(n * 10 + (text[pos] - '0'), 1000000);
    if (n < 1 || n > mAquiferCount)
      return Report(false, "Value must be between 1 and " + std::to_string(mAquiferCount) + "!");
    if (rangePending) {
      if (n < rangeStart) return fail("Values must be in ascending order!");
      for (int l = rangeStart; l <= n; ++l) flags[l] = true;
      rangePending = false;
    } else {
      flags[n] = true;
    }
    if (pos == text.size()) return true;
    const char separator = text[pos++];
    if (separator != ',' && separator != '-') return fail("Invalid character!");
    // The text ends in a digit, so a separator is always followed by something.
    if (text[pos] == ',' || text[pos] == '-') return fail("Expected integer value!");
    if (!IsDigit(text[pos])) return fail("Invalid character!");
    if (separator == ',') {
      hyphenSeen = false;
    } else {
      if (hyphenSeen) return fail("Hyphen can not be followed by another hyphen!");
      hyphenSeen = true;
      rangePending = true;
      rangeStart = n;
    }
  }
}

}  // namespace aqv
