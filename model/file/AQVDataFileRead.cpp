#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <set>
#include <string>

#include "model/file/AQVDataFile.h"

namespace aqv {

namespace {

constexpr std::string_view kSeriesTitle = "=== Chart Series options";
// A negative time below this size marks an excluded item whose time is 0 (the writer writes
// -1E-31 for it).
constexpr double kExcludedZeroLimit = 1E-30;
// The highest parameter group a file may give: the group becomes the mark character 48 + g,
// which must stay a plain ASCII character.
constexpr int kMaxGroup = 127 - 48;

std::string_view AfterColon(std::string_view line) {
  const std::size_t colon = line.find(':');
  return colon == std::string_view::npos ? line : line.substr(colon + 1);
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A name at the end of a row: its leading blanks removed, line breaks restored, cut to width.
std::string RowName(std::string_view rest, std::size_t width) {
  return CutToChars(DecodeLineBreaks(TrimLeftBlanks(rest)), width);
}

// A text that is a number, but not a finite one: "nan", "inf", "-infinity", 1E999.
bool IsNonFiniteNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return false;
  return error == std::errc::result_out_of_range || (error == std::errc() && !std::isfinite(value));
}

// The refusals whose own text names their line need no second line.
bool NamesItsLine(TDataFileStatus status) {
  return status == TDataFileStatus::dsInvalidCount || status == TDataFileStatus::dsValueOutOfRange;
}

std::string Numbered(std::string_view what, std::size_t index) {
  return std::string(what) + std::to_string(index + 1);
}

double FiniteOr(double value, double fallback) {
  return std::isfinite(value) ? value : fallback;
}

char MarkOf(int group) {
  return group == 0 ? kNoMark : static_cast<char>(48 + group);
}

// The first line of the oldest form: ten integers.
struct TOldestHeader {
  int Aquifers = 0;
  int FirstScreen = 0, LastScreen = 0;  // screened aquifers of the pumping well
  int FitCount = 0;                     // observations in the flat list
  int UnitCode = 0;                     // 0 centimetres and minutes, 1 minutes, else days
};

// Reads one data file into plain content. Every step returns false once the read has stopped;
// the reason is then in mResult.
class TDataFileReader {
 public:
  TDataFileReader(std::string_view bytes, std::string_view path)
      : mBytes(bytes), mPath(path), mIn(bytes) {}

  TDataFileParse Run();

 private:
  // ---- Outcome ----
  bool Refuse(TDataFileStatus status, std::string reason);
  bool Check();
  void Explain(std::string reason);
  std::string ReadErrorReason() const;
  // Records a failure with its own reason, unless the read has failed before.
  void FailAs(TReadError error, std::string reason);
  void Expect(std::string what) { mIn.SetContext(std::move(what)); }
  TAQVDataFileContent& Content() { return mResult.Content; }

  // ---- Label lines and fields of a line ----
  std::optional<int> LabelInteger();
  std::optional<double> LabelReal(std::string_view name);
  std::vector<std::string_view> Fields(const std::string& line, std::size_t least);
  int FieldInteger(std::string_view field);
  double FieldReal(std::string_view field);
  TColor FieldColor(std::string_view field);
  template <typename E>
  E Ordinal(int value);
  int Group();
  int CountWithExclusion(int count, bool& excluded);

  // ---- Year forms ----
  bool ReadYearForm(TAQVDataFileForm form);
  bool ReadHead(TAQVDataFileForm form);
  bool ReadAquiferSystem();
  bool ReadLayerRows();
  void DeriveConductivities();
  bool ReadPumpingWells(TAQVDataFileForm form);
  bool ReadPumpingWell(TAQVDataFileForm form, TDataFilePumpingWell& well, std::size_t index);
  bool ReadObservationWells();
  bool ReadObservationWell(TDataFileObservationWell& well, std::size_t index, int& total);
  bool ReadContourSettings();
  bool ReadImages();
  bool ReadMapOptions();
  bool ReadTexts();

  // ---- Time-graph block ----
  bool ReadTimeGraph();
  TPatternsData ReadPatternLine();
  TFontData ReadFontLine();
  TMarkerData ReadMarkerLine();
  TDataFileScale ReadScaleLine();
  TByteSet ReadFlagsLine();
  std::array<TColor, kMaxAquifers> ReadColorList();
  TDataFileAxis ReadAxisOptions();
  bool ReadSeriesAndWellOptions(TDataFileTimeGraph& graph);

  // ---- Oldest form ----
  bool ReadOldestForm();
  bool ReadOldestHeader(TOldestHeader& head);
  bool ReadOldestWell(const TOldestHeader& head);
  bool ReadOldestObservations(const TOldestHeader& head,
                              std::vector<TDataFileObservationWell>& flat);
  bool ReadOldestLayers(int n);
  bool DistributeOldestObservations(const std::vector<TDataFileObservationWell>& flat);

  // ---- Parameter groups ----
  void WarnAboutAquiferParameters();
  void WarnAboutWellParameters(const TDataFilePumpingWell& well);

  std::string_view mBytes;
  std::string_view mPath;
  TTextReader mIn;
  TDataFileParse mResult;
  std::string mReason;       // the reason of the first failure recorded with FailAs
  std::set<char> mMarks;     // distinct marks of the aquifer system
  std::size_t mRunning = 0;  // running parameter count of steps over the wells
};

// ---- Outcome ------------------------------------------------------------------------------------

bool TDataFileReader::Refuse(TDataFileStatus status, std::string reason) {
  mResult.Status = status;
  mResult.Line = mIn.Line();
  mResult.Column = 0;
  mResult.Beep = status != TDataFileStatus::dsReadError;
  Explain(std::move(reason));
  return false;
}

bool TDataFileReader::Check() {
  if (mIn.Ok()) return true;
  mResult.Status = mIn.Error() == TReadError::reOutOfRange ? TDataFileStatus::dsValueOutOfRange
                                                           : TDataFileStatus::dsReadError;
  mResult.Line = mIn.ErrorLine();
  mResult.Column = mIn.ErrorColumn();
  mResult.Beep = mResult.Status != TDataFileStatus::dsReadError;
  Explain(ReadErrorReason());
  return false;
}

// The refusal's own text, and on a second line where the file is damaged and how, so that a
// person can mend the file.
void TDataFileReader::Explain(std::string reason) {
  mResult.Reason = std::move(reason);
  mResult.Message = ToText(mResult.Status, mPath, mResult.Line);
  if (!NamesItsLine(mResult.Status)) {
    mResult.Message += "\nLine " + std::to_string(mResult.Line) + ": " + mResult.Reason;
  }
}

std::string TDataFileReader::ReadErrorReason() const {
  if (!mReason.empty()) return mReason;
  const std::string& what = mIn.ErrorContext();
  switch (mIn.Error()) {
    case TReadError::rePastEnd:
      return "the file ends inside " + what + ".";
    case TReadError::reOutOfRange:
      return "a value of " + what + " is out of its range.";
    case TReadError::reNone:
    case TReadError::reMalformed:
      break;
  }
  return "a number was expected in " + what + ".";
}

void TDataFileReader::FailAs(TReadError error, std::string reason) {
  if (!mIn.Ok()) return;
  mReason = std::move(reason);
  mIn.Fail(error);
}

// ---- Label lines and fields ---------------------------------------------------------------------

std::optional<int> TDataFileReader::LabelInteger() {
  const std::string line = mIn.ReadLine();
  int value = 0;
  if (ParseInteger(TrimBlanks(AfterColon(line)), value) != TFieldParse::fpOK) return {};
  return value;
}

// A label's text that does not convert keeps the default value, but a number that is not
// finite is refused as it is in any row: no default may stand in for what the file says.
std::optional<double> TDataFileReader::LabelReal(std::string_view name) {
  const std::string line = mIn.ReadLine();
  const std::string_view text = TrimBlanks(AfterColon(line));
  double value = 0;
  if (ParseReal(text, value) == TFieldParse::fpOK) return value;
  if (IsNonFiniteNumber(text)) {
    FailAs(TReadError::reMalformed, std::string(name) + " is not a finite number.");
  }
  return {};
}

// The fields of a line split at single blanks; a line with fewer than least fields is a read
// error (an empty list then stands for the missing fields).
std::vector<std::string_view> TDataFileReader::Fields(const std::string& line, std::size_t least) {
  std::vector<std::string_view> fields = SplitAtBlanks(line);
  if (fields.size() < least) {
    FailAs(TReadError::reMalformed, "a value is missing in " + std::string(mIn.Context()) + ".");
    fields.assign(least, std::string_view());
  }
  return fields;
}

int TDataFileReader::FieldInteger(std::string_view field) {
  int value = 0;
  if (mIn.Ok() && ParseInteger(field, value) != TFieldParse::fpOK)
    mIn.Fail(TReadError::reMalformed);
  return value;
}

double TDataFileReader::FieldReal(std::string_view field) {
  double value = 0;
  if (mIn.Ok() && ParseReal(field, value) != TFieldParse::fpOK) mIn.Fail(TReadError::reMalformed);
  return value;
}

TColor TDataFileReader::FieldColor(std::string_view field) {
  TColor color = clBlack;
  if (!mIn.Ok()) return color;
  const TFieldParse status = ParseColor(field, color);
  if (status == TFieldParse::fpMalformed)
    FailAs(TReadError::reMalformed, "a colour was expected in " + mIn.Context() + ".");
  if (status == TFieldParse::fpOutOfRange) mIn.Fail(TReadError::reOutOfRange);
  return color;
}

template <typename E>
E TDataFileReader::Ordinal(int value) {
  E item{};
  if (mIn.Ok() && !TryOrdinalTo(value, item)) mIn.Fail(TReadError::reOutOfRange);
  return item;
}

int TDataFileReader::Group() {
  const int group = mIn.ReadInteger();
  if (mIn.Ok() && (group < 0 || group > kMaxGroup)) mIn.Fail(TReadError::reOutOfRange);
  return mIn.Ok() ? group : 0;
}

// The absolute value of a count whose sign marks exclusion.
int TDataFileReader::CountWithExclusion(int count, bool& excluded) {
  excluded = count < 0;
  if (count == INT_MIN) return INT_MAX;  // far beyond every capacity, refused by the caller
  return excluded ? -count : count;
}

// ---- Year forms ---------------------------------------------------------------------------------

bool TDataFileReader::ReadHead(TAQVDataFileForm form) {
  Expect("the file's title lines");
  mIn.SkipLine();
  mIn.SkipLine();
  if (form != TAQVDataFileForm::df2007) mIn.SkipLine();
  Expect("the general information");
  for (std::string& text : Content().InfoTexts) {
    text = CutToChars(DecodeLineBreaks(AfterColon(mIn.ReadLine())), kInfoTextWidth);
  }
  if (form >= TAQVDataFileForm::df2009) {
    Expect("the parameter optimization settings");
    mIn.SkipLine();
    if (const auto rel = LabelReal("the relative stopping criterion"))
      Content().RelStoppingCriterion = *rel;
    if (const auto abs = LabelReal("the absolute stopping criterion"))
      Content().AbsStoppingCriterion = *abs;
    Content().LinearResiduals = Contains(mIn.ReadLine(), "Linear");
  }
  return Check();
}

bool TDataFileReader::ReadAquiferSystem() {
  TAQVDataFileContent& c = Content();
  Expect("the aquifer system");
  mIn.SkipLine();
  const std::string length = mIn.ReadLine();
  c.LengthUnit = Contains(length, "m") || Contains(length, "M") ? TAQVLengthUnit::luMeters
                                                                : TAQVLengthUnit::luFeet;
  const std::string time = mIn.ReadLine();
  if (Contains(time, "day")) {
    c.TimeUnit = TAQVTimeUnit::tuDays;
  } else if (Contains(time, "min")) {
    c.TimeUnit = TAQVTimeUnit::tuMinutes;
  } else if (Contains(time, "sec")) {
    c.TimeUnit = TAQVTimeUnit::tuSeconds;
  }
  if (const auto level = LabelReal("the top level")) c.SurfaceLevel = *level;
  const int n = LabelInteger().value_or(1);
  if (!Check()) return false;
  if (n > kMaxAquifers) {
    return Refuse(TDataFileStatus::dsTooManyLayers,
                  "more than " + std::to_string(kMaxAquifers) + " aquifers.");
  }
  if (n < 1) return Refuse(TDataFileStatus::dsInvalidCount, {});
  c.Aquifers.assign(static_cast<std::size_t>(n), TDataFileAquifer{});
  c.Aquitards.assign(static_cast<std::size_t>(n + 1), TDataFileAquitard{});

  const std::string top = mIn.ReadLine();
  c.TopAquitardAbsent = Contains(top, "bsent");
  c.TopAquitardImpervious = c.TopAquitardAbsent || Contains(top, "mpervi");
  if (c.TopAquitardAbsent) c.Aquitards.front().SAquitard = 0;
  const std::string base = mIn.ReadLine();
  c.BottomAquitardAbsent = Contains(base, "bsent");
  c.BottomAquitardImpervious = c.BottomAquitardAbsent || Contains(base, "mpervi");
  if (c.BottomAquitardAbsent) c.Aquitards.back().SAquitard = 0;
  mIn.SkipLine();
  if (!ReadLayerRows()) return false;
  DeriveConductivities();
  WarnAboutAquiferParameters();
  return true;
}

bool TDataFileReader::ReadLayerRows() {
  TAQVDataFileContent& c = Content();
  const int n = c.AquiferCount();
  for (int i = 1; i <= n + 1; ++i) {
    TDataFileAquitard& t = c.Aquitards[static_cast<std::size_t>(i - 1)];
    Expect(Numbered("the row of aquitard ", static_cast<std::size_t>(i - 1)));
    if ((i == 1 && c.TopAquitardAbsent) || (i == n + 1 && c.BottomAquitardAbsent)) {
      t.Resistance = 1000;
      t.SAquitard = 0;
    } else {
      t.DAquitard = mIn.ReadReal();
      t.Resistance = mIn.ReadReal();
      t.ResistanceCode = MarkOf(Group());
      t.SAquitard = mIn.ReadReal();
      const int group = Group();
      t.SAquitardCode = t.SAquitard > 0 ? MarkOf(group) : kNoMark;
      t.Name = RowName(mIn.ReadLine(), kLayerNameWidth);
    }
    if (i <= n) {
      TDataFileAquifer& a = c.Aquifers[static_cast<std::size_t>(i - 1)];
      Expect(Numbered("the row of aquifer ", static_cast<std::size_t>(i - 1)));
      a.D = mIn.ReadReal();
      a.T = mIn.ReadReal();
      a.TCode = MarkOf(Group());
      a.S = mIn.ReadReal();
      const int group = Group();
      a.SCode = a.S > 0 ? MarkOf(group) : kNoMark;
      a.Name = RowName(mIn.ReadLine(), kLayerNameWidth);
    }
    if (!Check()) return false;
  }
  return true;
}

// Kh = T / D for aquifers; Kv = D' / c for aquitards, or with no aquitard thickness the mean
// thickness of the aquifers on either side over c. A zero thickness or resistance, for which
// no conductivity exists, and a quotient beyond the double range leave the default.
void TDataFileReader::DeriveConductivities() {
  TAQVDataFileContent& c = Content();
  const int n = c.AquiferCount();
  for (int i = 1; i <= n + 1; ++i) {
    if (i <= n) {
      TDataFileAquifer& a = c.Aquifers[static_cast<std::size_t>(i - 1)];
      if (a.D != 0) a.Kh = FiniteOr(a.T / a.D, a.Kh);
    }
    TDataFileAquitard& t = c.Aquitards[static_cast<std::size_t>(i - 1)];
    if (t.DAquitard == 0) {
      // No aquitard thickness, no aquitard storage; nor a mark for fitting it.
      t.SAquitard = 0;
      t.SAquitardCode = kNoMark;
    }
    if (t.Resistance == 0) continue;
    if (t.DAquitard > 0) {
      t.Kv = FiniteOr(t.DAquitard / t.Resistance, t.Kv);
    } else {
      const double above = i >= 2 ? c.Aquifers[static_cast<std::size_t>(i - 2)].D : 0;
      const double below = i <= n ? c.Aquifers[static_cast<std::size_t>(i - 1)].D : 0;
      t.Kv = FiniteOr((above + below) / t.Resistance / 2, t.Kv);
    }
  }
}

bool TDataFileReader::ReadPumpingWells(TAQVDataFileForm form) {
  TAQVDataFileContent& c = Content();
  Expect("the pumping well count");
  mIn.SkipLine();
  const int count = LabelInteger().value_or(0);
  if (!Check()) return false;
  if (count > kMaxPumpingWells) {
    return Refuse(TDataFileStatus::dsTooManyPumpingWells,
                  "more than " + std::to_string(kMaxPumpingWells) + " pumping wells.");
  }
  if (count < 1) return Refuse(TDataFileStatus::dsInvalidCount, {});
  mIn.SkipLine();
  c.PumpingWells.assign(static_cast<std::size_t>(count), TDataFilePumpingWell{});
  for (std::size_t w = 0; w < c.PumpingWells.size(); ++w) {
    Expect(Numbered("pumping well ", w));
    if (!ReadPumpingWell(form, c.PumpingWells[w], w)) return false;
    WarnAboutWellParameters(c.PumpingWells[w]);
  }
  Expect("the well screens");
  mIn.SkipLine();
  for (int layer = 0; layer < c.AquiferCount(); ++layer) {
    const std::string line = mIn.ReadLine();
    for (std::size_t w = 0; w < c.PumpingWells.size(); ++w) {
      c.PumpingWells[w].Screened[static_cast<std::size_t>(layer)] =
          w < line.size() && line[w] == '1';
    }
  }
  return Check();
}

// index: 0-based, for the messages.
bool TDataFileReader::ReadPumpingWell(TAQVDataFileForm form, TDataFilePumpingWell& well,
                                      std::size_t index) {
  well.X = mIn.ReadReal();
  well.Y = mIn.ReadReal();
  if (form == TAQVDataFileForm::df2007) {
    mIn.ReadReal();
    mIn.ReadReal();
  }
  well.Rc = mIn.ReadReal();
  const int rcGroup = Group();
  well.Rw = mIn.ReadReal();
  well.RwCode = MarkOf(Group());
  well.Skin = mIn.ReadReal();
  const int skinGroup = Group();
  const int rawCount = mIn.ReadInteger();
  well.Name = RowName(mIn.ReadLine(), kWellNameWidth);
  if (!Check()) return false;
  well.RcCode = well.Rc > 0 ? MarkOf(rcGroup) : kNoMark;
  well.SkinCode = well.Skin != 0 ? MarkOf(skinGroup) : kNoMark;
  bool excluded = false;
  const int count = CountWithExclusion(rawCount, excluded);
  well.Included = !excluded;
  if (count > kMaxPeriods) {
    return Refuse(
        TDataFileStatus::dsTooManyPeriods,
        "more than " + std::to_string(kMaxPeriods) + " pumping periods in " + mIn.Context() + ".");
  }
  if (count < 1) return Refuse(TDataFileStatus::dsInvalidCount, {});
  Expect("the pumping periods of " + Numbered("well ", index));
  well.Periods.assign(static_cast<std::size_t>(count), TDataFilePeriod{});
  for (TDataFilePeriod& period : well.Periods) {
    const double start = mIn.ReadReal();
    period.Discharge = mIn.ReadReal();
    mIn.SkipLine();
    if (!Check()) return false;
    period.Included = start >= 0;
    period.StartTime = !period.Included && start > -kExcludedZeroLimit ? 0 : std::fabs(start);
  }
  return true;
}

bool TDataFileReader::ReadObservationWells() {
  TAQVDataFileContent& c = Content();
  Expect("the observation well count");
  mIn.SkipLine();
  const int count = LabelInteger().value_or(0);
  if (!Check()) return false;
  if (count > kMaxObservationWells) {
    return Refuse(TDataFileStatus::dsTooManyObservationWells,
                  "more than " + std::to_string(kMaxObservationWells) + " observation wells.");
  }
  if (count < 0) return Refuse(TDataFileStatus::dsInvalidCount, {});
  mIn.SkipLine();
  c.ObservationWells.assign(static_cast<std::size_t>(count), TDataFileObservationWell{});
  int total = 0;
  for (std::size_t j = 0; j < c.ObservationWells.size(); ++j) {
    TDataFileObservationWell& well = c.ObservationWells[j];
    Expect(Numbered("observation well ", j));
    if (!ReadObservationWell(well, j, total)) return false;
    well.OwnCurve = std::none_of(c.ObservationWells.begin(),
                                 c.ObservationWells.begin() + static_cast<std::ptrdiff_t>(j),
                                 [&](const TDataFileObservationWell& earlier) {
                                   return earlier.X == well.X && earlier.Y == well.Y;
                                 });
  }
  return true;
}

// One observation well row and its observations; index is 0-based (for the messages) and total
// counts the observations of all wells.
bool TDataFileReader::ReadObservationWell(TDataFileObservationWell& well, std::size_t index,
                                          int& total) {
  well.X = mIn.ReadReal();
  well.Y = mIn.ReadReal();
  well.Layer = mIn.ReadInteger();
  well.Rc = mIn.ReadReal();
  mIn.ReadInteger();  // the groups of the observation wells are not used
  well.Rw = mIn.ReadReal();
  mIn.ReadInteger();
  well.Skin = mIn.ReadReal();
  mIn.ReadInteger();
  const int rawCount = mIn.ReadInteger();
  well.Name = RowName(mIn.ReadLine(), kWellNameWidth);
  if (!Check()) return false;
  if (well.Layer < 1 || well.Layer > Content().AquiferCount()) {
    return Refuse(TDataFileStatus::dsValueOutOfRange, {});
  }
  bool excluded = false;
  const int n = CountWithExclusion(rawCount, excluded);
  well.Included = !excluded;
  if (n > kMaxObservations) {
    return Refuse(TDataFileStatus::dsTooManyWellMeasurements,
                  "more than " + std::to_string(kMaxObservations) + " observations in " +
                      mIn.Context() + ".");
  }
  total += n;
  if (total > kMaxFitObservations) {
    return Refuse(TDataFileStatus::dsTooManyMeasurements,
                  "more than " + std::to_string(kMaxFitObservations) +
                      " observations in the observation wells together.");
  }
  Expect("the observations of " + Numbered("well ", index));
  well.Observations.assign(static_cast<std::size_t>(n), TDataFileObservation{});
  for (TDataFileObservation& obs : well.Observations) {
    const double time = mIn.ReadReal();
    obs.Observed = mIn.ReadReal();
    mIn.SkipLine();
    if (!Check()) return false;
    obs.Included = time >= 0;
    obs.Time = !obs.Included && time > -kExcludedZeroLimit ? 0 : std::fabs(time);
  }
  return true;
}

bool TDataFileReader::ReadContourSettings() {
  TAQVDataFileContent& c = Content();
  Expect("the contour plot settings");
  mIn.SkipLine();
  mIn.SkipLine();
  c.WorldX1 = mIn.ReadReal();
  c.WorldX2 = mIn.ReadReal();
  c.WorldY1 = mIn.ReadReal();
  c.WorldY2 = mIn.ReadReal();
  c.AnimationStartTime = mIn.ReadReal();
  c.TimeSteps = mIn.ReadInteger();
  c.AnimationEndTime = mIn.ReadReal();
  const int layer = mIn.ReadInteger();
  c.SavedContourInterval = mIn.ReadReal();
  mIn.SkipLine();
  c.DrawLayer = std::clamp(layer, 1, c.AquiferCount());
  // The animation runs from a start at or after time 0 to an end not before it, in at least
  // one step, as the settings' own checks demand. A file outside that is brought into it rather
  // than refused: the settings only shape the animation, and a document whose values got there
  // some other way must still open again after a save.
  c.TimeSteps = std::max(c.TimeSteps, 1);
  c.AnimationStartTime = std::max(c.AnimationStartTime, 0.0);
  c.AnimationEndTime = std::max(c.AnimationEndTime, c.AnimationStartTime);
  return Check();
}

bool TDataFileReader::ReadImages() {
  TAQVDataFileContent& c = Content();
  Expect("the image files");
  mIn.SkipLine();
  if (const auto transparency = LabelInteger()) c.BackgroundTransparency = *transparency;
  if (const auto enabled = LabelInteger()) c.ShowBackgroundImages = *enabled != 0;
  const int count = LabelInteger().value_or(0);
  if (!Check()) return false;
  if (count < 0 || count > kMaxImageFiles) return Refuse(TDataFileStatus::dsInvalidCount, {});
  for (int k = 0; k < count; ++k) {
    Expect(Numbered("the entry of image file ", static_cast<std::size_t>(k)));
    for (int reserved = 0; reserved < 6; ++reserved) mIn.ReadReal();
    const int shown = mIn.ReadInteger();
    const std::string path = DecodeLineBreaks(TrimBlanks(mIn.ReadLine()));
    if (!Check()) return false;
    c.BackgroundFiles.push_back(TBackgroundFile{shown == 1, path});
  }
  return true;
}

bool TDataFileReader::ReadMapOptions() {
  TDataFileMapOptions options;
  Expect("the contour plot options");
  mIn.SkipLine();
  const auto boundary = LabelInteger();
  options.Boundary = boundary && *boundary == 1;
  const auto grid = LabelInteger();
  options.Grid = grid && *grid == 1;
  if (const auto placement = LabelInteger()) {
    options.Placement = Ordinal<TPlacement>(*placement);
  }
  if (!Check()) return false;
  Content().MapOptions = options;
  return true;
}

bool TDataFileReader::ReadTexts() {
  Expect("the map texts");
  mIn.SkipLine();
  // Only a file with boxes has this block, so a count that does not convert is damage.
  const std::optional<int> read = LabelInteger();
  if (!read) mIn.Fail(TReadError::reMalformed);
  const int count = read.value_or(0);
  if (!Check()) return false;
  if (count < 0 || count > kMaxTextBoxes) return Refuse(TDataFileStatus::dsInvalidCount, {});
  for (int k = 0; k < count; ++k) {
    Expect(Numbered("map text ", static_cast<std::size_t>(k)));
    TAQVTextBoxProperties box;
    const std::string record = mIn.ReadLine();
    const TFieldParse status = ParseTextBoxProperties(record, box);
    if (status == TFieldParse::fpMalformed) mIn.Fail(TReadError::reMalformed);
    if (status == TFieldParse::fpOutOfRange) mIn.Fail(TReadError::reOutOfRange);
    box.Text = DecodeLineBreaks(mIn.ReadLine());
    if (!Check()) return false;
    Content().TextBoxes.push_back(std::move(box));
  }
  return true;
}

bool TDataFileReader::ReadYearForm(TAQVDataFileForm form) {
  Content().Form = form;
  if (!ReadHead(form) || !ReadAquiferSystem() || !ReadPumpingWells(form) ||
      !ReadObservationWells()) {
    return false;
  }
  if (form == TAQVDataFileForm::df2009 || form == TAQVDataFileForm::df2010) {
    Expect("the time graph settings");
    mIn.SkipLine();
    mIn.SkipLine();
    mIn.SkipLine();
  } else if (form >= TAQVDataFileForm::df2011 && !ReadTimeGraph()) {
    return false;
  }
  if (!ReadContourSettings()) return false;
  if (form < TAQVDataFileForm::df2010) return Check();
  if (!ReadImages()) return false;
  if (form == TAQVDataFileForm::df2012) return ReadMapOptions() && ReadTexts();
  // The 2010 and 2011 forms carry the map options too when a chart was attached.
  if (!mIn.AtEnd()) return ReadMapOptions();
  return true;
}

// ---- Time-graph block
// ----------------------------------------------------------------------------

TPatternsData TDataFileReader::ReadPatternLine() {
  const std::string line = mIn.ReadLine();
  const auto f = Fields(line, 6);
  TPatternsData patterns;
  patterns.Area.Color = FieldColor(f[0]);
  patterns.Area.Style = Ordinal<TBrushStyle>(FieldInteger(f[1]));
  patterns.Border.Color = FieldColor(f[3]);
  patterns.Border.Style = Ordinal<TPenStyle>(FieldInteger(f[4]));
  patterns.Border.Width = FieldInteger(f[5]);
  return patterns;
}

TFontData TDataFileReader::ReadFontLine() {
  const std::string line = mIn.ReadLine();
  const auto f = Fields(line, 3);
  TFontData font;
  font.Size = FieldInteger(f[0]);
  font.Color = FieldColor(f[1]);
  static constexpr std::array<TFontStyle, 4> kStyles = {
      TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline, TFontStyle::fsStrikeOut};
  for (std::size_t k = 0; k < kStyles.size(); ++k) {
    font.Style.Set(kStyles[k], k < f[2].size() && f[2][k] != '0');
  }
  std::string name;
  for (std::size_t k = 3; k < f.size(); ++k) {
    if (k > 3) name += ' ';
    name += f[k];
  }
  font.Name = DecodeLineBreaks(name);
  return font;
}

TMarkerData TDataFileReader::ReadMarkerLine() {
  const std::string line = mIn.ReadLine();
  const auto f = Fields(line, 3);
  TMarkerData marker;
  marker.Color = FieldColor(f[0]);
  marker.Style = Ordinal<TMarkerStyle>(FieldInteger(f[1]));
  marker.Size = FieldInteger(f[2]);
  return marker;
}

TDataFileScale TDataFileReader::ReadScaleLine() {
  const std::string line = mIn.ReadLine();
  const auto f = Fields(line, 5);
  TDataFileScale scale;
  const int k = FieldInteger(f[0]);
  scale.Min = FieldReal(f[1]);
  scale.Max = FieldReal(f[2]);
  scale.MajorUnit = FieldReal(f[3]);
  scale.MinorUnit = FieldReal(f[4]);
  scale.MinAutomatic = k / 1000 != 0;
  scale.MaxAutomatic = (k % 1000) / 100 != 0;
  scale.MajorUnitAutomatic = (k % 100) / 10 != 0;
  scale.MinorUnitAutomatic = k % 10 != 0;
  return scale;
}

TByteSet TDataFileReader::ReadFlagsLine() {
  const std::string line = mIn.ReadLine();
  const auto f = Fields(line, 2);
  TByteSet layers;
  for (int k = 1; k <= kMaxAquifers; ++k) {
    if (f[static_cast<std::size_t>(k - 1)] != "0") layers.Include(k);
  }
  return layers;
}

// Forty colour texts over as many lines as they take; only the first two are converted.
std::array<TColor, kMaxAquifers> TDataFileReader::ReadColorList() {
  std::array<TColor, kMaxAquifers> colors = {clWhite, clWhite};
  int entry = 0;
  while (entry < 40 && mIn.Ok()) {
    const std::string line = mIn.ReadLine();
    for (const std::string_view field : SplitAtBlanks(line)) {
      if (entry < kMaxAquifers) {
        colors[static_cast<std::size_t>(entry)] = field == "clClear" ? clWhite : FieldColor(field);
      }
      if (++entry == 40) break;
    }
  }
  return colors;
}

TDataFileAxis TDataFileReader::ReadAxisOptions() {
  TDataFileAxis axis;
  axis.Shown = mIn.ReadInteger() != 0;
  axis.Alignment = Ordinal<TMyAlignmentTypes>(mIn.ReadInteger());
  axis.Orientation = mIn.ReadInteger();
  axis.TitleAlignment = Ordinal<TMyAlignmentTypes>(mIn.ReadInteger());
  mIn.SkipLine();
  axis.Font = ReadFontLine();
  axis.Patterns = ReadPatternLine();
  axis.Scale = ReadScaleLine();
  axis.TitleFont = ReadFontLine();
  axis.TitlePatterns = ReadPatternLine();
  axis.TitleAutomatic = mIn.ReadInteger() != 0;
  axis.TitleText = DecodeLineBreaks(mIn.ReadTextAfterBlank());
  return axis;
}

bool TDataFileReader::ReadTimeGraph() {
  TDataFileTimeGraph graph;
  Expect("the time graph settings");
  mIn.SkipLine();
  graph.AutoUpdate = mIn.ReadInteger() != 0;
  graph.WellFluxMode = mIn.ReadInteger() != 0;
  graph.StartingTime = mIn.ReadReal();
  graph.StoppingTime = mIn.ReadReal();
  graph.TimeAxis = mIn.ReadInteger();
  graph.ValueAxis = mIn.ReadInteger();
  mIn.SkipLine();
  if (!Check()) return false;
  if (graph.TimeAxis < 0 || graph.TimeAxis > 1 || graph.ValueAxis < 0 || graph.ValueAxis > 2) {
    return Refuse(TDataFileStatus::dsValueOutOfRange, {});
  }
  mIn.SkipLine();
  graph.ChartAreaPatterns = ReadPatternLine();
  mIn.SkipLine();
  graph.ChartTitle.Alignment = Ordinal<TMyAlignmentTypes>(mIn.ReadInteger());
  graph.ChartTitle.Automatic = mIn.ReadInteger() != 0;
  graph.ChartTitle.Text = DecodeLineBreaks(mIn.ReadTextAfterBlank());
  graph.ChartTitle.Font = ReadFontLine();
  graph.ChartTitle.Patterns = ReadPatternLine();
  mIn.SkipLine();
  graph.Legend.Font = ReadFontLine();
  graph.Legend.Patterns = ReadPatternLine();
  graph.Legend.Placement = Ordinal<TPlacement>(mIn.ReadInteger());
  mIn.SkipLine();
  mIn.SkipLine();
  graph.XAxis = ReadAxisOptions();
  mIn.SkipLine();
  graph.YAxis = ReadAxisOptions();
  if (!Check() || !ReadSeriesAndWellOptions(graph)) return false;
  Content().TimeGraph = std::move(graph);
  return true;
}

bool TDataFileReader::ReadSeriesAndWellOptions(TDataFileTimeGraph& graph) {
  if (TrimRightBlanks(mIn.ReadLine()) == kSeriesTitle) {
    if (const auto count = LabelInteger()) {
      if (!Check()) return false;
      if (*count < 0 || *count > kMaxSeriesCount) {
        return Refuse(TDataFileStatus::dsInvalidCount, {});
      }
      graph.Series.resize(static_cast<std::size_t>(*count));
      for (TDataFileSeriesFormat& series : graph.Series) {
        series.Marker = ReadMarkerLine();
        series.Patterns = ReadPatternLine();
      }
    }
    mIn.SkipLine();
  }
  // Otherwise the line just read was the pumping-well title of a file without series formats.
  const auto readWells = [&](std::vector<TDataFileWellOptions>& options, std::size_t count) {
    options.resize(count);
    for (TDataFileWellOptions& entry : options) {
      entry.LayerSet = ReadFlagsLine();
      entry.CurveColor = ReadColorList();
    }
  };
  readWells(graph.PumpingWellOptions, Content().PumpingWells.size());
  mIn.SkipLine();
  readWells(graph.ObservationWellOptions, Content().ObservationWells.size());
  return Check();
}

// ---- Parameter groups ---------------------------------------------------------------------------

void TDataFileReader::WarnAboutAquiferParameters() {
  const TAQVDataFileContent& c = Content();
  for (const TDataFileAquitard& t : c.Aquitards) {
    mMarks.insert({t.ResistanceCode, t.SAquitardCode});
  }
  for (const TDataFileAquifer& a : c.Aquifers) mMarks.insert({a.TCode, a.SCode});
  mMarks.erase(kNoMark);
  mRunning = mMarks.size();
  if (mRunning > kMaxParameters) {
    mResult.Warnings.push_back("Too many parameters for aquifer system. Only " +
                               std::to_string(kMaxParameters) +
                               " parameter(group)s will be optimized");
  }
}

// A mark already counted for the aquifer system or another well counts again: the running
// count adds each well's own distinct marks.
void TDataFileReader::WarnAboutWellParameters(const TDataFilePumpingWell& well) {
  std::set<char> marks = {well.RcCode, well.RwCode, well.SkinCode};
  marks.erase(kNoMark);
  mRunning += marks.size();
  if (mRunning > kMaxParameters) {
    mResult.Warnings.push_back("Too many parameters for pumping wells. Only " +
                               std::to_string(kMaxParameters) +
                               " parameter(group)s will be optimized");
  }
}

// ---- Oldest form --------------------------------------------------------------------------------

bool TDataFileReader::ReadOldestForm() {
  Content().Form = TAQVDataFileForm::dfOldest;
  TOldestHeader head;
  if (!ReadOldestHeader(head) || !ReadOldestWell(head)) return false;
  Expect("the general information");
  for (std::string& text : Content().InfoTexts) text = CutToChars(mIn.ReadLine(), kInfoTextWidth);
  if (!ReadOldestLayers(head.Aquifers)) return false;
  std::vector<TDataFileObservationWell> flat;
  return ReadOldestObservations(head, flat) && DistributeOldestObservations(flat);
}

bool TDataFileReader::ReadOldestHeader(TOldestHeader& head) {
  Expect("the ten numbers of the first line");
  const int a = mIn.ReadInteger();
  const int b = mIn.ReadInteger();
  mIn.ReadInteger();
  head.Aquifers = mIn.ReadInteger();
  head.FirstScreen = mIn.ReadInteger();
  head.LastScreen = mIn.ReadInteger();
  mIn.ReadInteger();
  const int parameters = mIn.ReadInteger();
  head.FitCount = mIn.ReadInteger();
  head.UnitCode = mIn.ReadInteger();
  mIn.SkipLine();
  if (!Check()) return false;
  if (static_cast<long long>(a) * b != 1) {
    return Refuse(TDataFileStatus::dsIncompatible,
                  "the first two numbers of a data file of this layout are 1 and 1.");
  }
  const int n = head.Aquifers;
  if (n > kMaxAquifers) {
    return Refuse(TDataFileStatus::dsTooManyLayers,
                  "more than " + std::to_string(kMaxAquifers) + " aquifers.");
  }
  if (head.FitCount > kMaxFitObservations) {
    return Refuse(TDataFileStatus::dsTooManyLayers,
                  "more than " + std::to_string(kMaxFitObservations) + " observations.");
  }
  if (parameters > kMaxParameters) {
    return Refuse(TDataFileStatus::dsTooManyLayers,
                  "more than " + std::to_string(kMaxParameters) + " parameters.");
  }
  if (n < 1 || head.FitCount < 0) return Refuse(TDataFileStatus::dsInvalidCount, {});
  int& last = head.LastScreen;
  if (last < head.FirstScreen) {
    last = head.FirstScreen;
  } else if (last > n) {
    last = n;
  } else if (last == 0) {
    last = 1;
  }
  return true;
}

// One well pumping Q from time 0 to the end of pumping. Negative radii and a skin below -1000
// mark those parameters for fitting (marks "u", "v", "w").
bool TDataFileReader::ReadOldestWell(const TOldestHeader& head) {
  Expect("the line of the pumping well");
  const double q = mIn.ReadReal();
  double rw = mIn.ReadReal(), rc = mIn.ReadReal(), skin = mIn.ReadReal();
  double endOfPumping = mIn.ReadReal();
  for (int k = 0; k < 3; ++k) mIn.ReadReal();
  mIn.SkipLine();
  if (!Check()) return false;
  TDataFilePumpingWell well;
  well.Name = "Pumping well 1";
  if (rw < 0) {
    well.RwCode = 'u';
    rw = -rw;
  }
  if (rc < 0) {
    well.RcCode = 'v';
    rc = -rc;
  }
  if (rw == 0) rw = 1E-6;
  if (skin < -1000) {
    well.SkinCode = 'w';
    skin += 2000;
  }
  if (endOfPumping == 0) endOfPumping = 1E8;
  well.Rc = rc;
  well.Rw = rw;
  well.Skin = skin;
  for (int k = 1; k <= kMaxAquifers; ++k) {
    well.Screened[static_cast<std::size_t>(k - 1)] =
        k >= head.FirstScreen && k <= head.LastScreen && k <= head.Aquifers;
  }
  // As in the year forms, a negative time marks an item that is kept but not used.
  well.Periods = {TDataFilePeriod{0, q, true},
                  TDataFilePeriod{std::fabs(endOfPumping), 0, endOfPumping >= 0}};
  Content().PumpingWells = {well};
  return true;
}

// The flat list of (distance, aquifer, time, drawdown), one observation per entry.
bool TDataFileReader::ReadOldestObservations(const TOldestHeader& head,
                                             std::vector<TDataFileObservationWell>& flat) {
  flat.resize(static_cast<std::size_t>(head.FitCount));
  for (std::size_t k = 0; k < flat.size(); ++k) {
    TDataFileObservationWell& point = flat[k];
    Expect(Numbered("observation ", k));
    point.X = mIn.ReadReal();
    point.Layer = mIn.ReadInteger();
    TDataFileObservation obs;
    obs.Time = mIn.ReadReal();
    obs.Observed = mIn.ReadReal();
    mIn.SkipLine();
    if (!Check()) return false;
    if (point.Layer < 1 || point.Layer > head.Aquifers) {
      return Refuse(TDataFileStatus::dsValueOutOfRange, {});
    }
    if (head.UnitCode == 0) obs.Observed *= 0.01;  // centimetres
    if (head.UnitCode <= 1) obs.Time /= 1440;      // minutes
    obs.Included = obs.Time >= 0;
    obs.Time = std::fabs(obs.Time);
    point.Observations = {obs};
  }
  return true;
}

// Rows of T, c, S and S'; a negative value marks its parameter for fitting with the next
// letter. The last row's T and S say only whether the top and bottom aquitards are impervious.
bool TDataFileReader::ReadOldestLayers(int n) {
  TAQVDataFileContent& c = Content();
  c.Aquifers.assign(static_cast<std::size_t>(n), TDataFileAquifer{});
  c.Aquitards.assign(static_cast<std::size_t>(n + 1), TDataFileAquitard{});
  char nextMark = 'a';
  const auto marked = [&](double& value, char& mark) {
    if (value < 0) {
      value = -value;
      mark = nextMark++;
    }
  };
  for (int i = 1; i <= n + 1; ++i) {
    Expect(Numbered("the layer row ", static_cast<std::size_t>(i - 1)));
    double t = mIn.ReadReal(), resistance = mIn.ReadReal(), s = mIn.ReadReal(), sa = mIn.ReadReal();
    mIn.SkipLine();
    if (!Check()) return false;
    TDataFileAquitard& aquitard = c.Aquitards[static_cast<std::size_t>(i - 1)];
    if (i <= n) {
      TDataFileAquifer& aquifer = c.Aquifers[static_cast<std::size_t>(i - 1)];
      marked(t, aquifer.TCode);
      marked(s, aquifer.SCode);
      aquifer.T = t;
      aquifer.S = s;
      aquifer.D = 1;
      aquifer.Kh = t;
    } else {
      c.TopAquitardImpervious = t < 0;
      c.BottomAquitardImpervious = s < 0;
    }
    marked(resistance, aquitard.ResistanceCode);
    marked(sa, aquitard.SAquitardCode);
    aquitard.Resistance = resistance;
    aquitard.SAquitard = sa;
    aquitard.DAquitard = 1;
    if (resistance != 0) aquitard.Kv = 1 / resistance;
  }
  return true;
}

// Each (distance, aquifer) pair becomes an observation well in order of first appearance; the
// observations of a well are sorted by time, equal times keeping their order.
bool TDataFileReader::DistributeOldestObservations(
    const std::vector<TDataFileObservationWell>& flat) {
  TAQVDataFileContent& c = Content();
  c.InfoTexts[9] = c.InfoTexts[11];
  c.InfoTexts[10] = c.InfoTexts[12];
  c.InfoTexts[11] = c.InfoTexts[13];
  std::vector<TDataFileObservationWell> wells;
  for (const TDataFileObservationWell& point : flat) {
    auto it = std::find_if(wells.begin(), wells.end(), [&](const TDataFileObservationWell& w) {
      return w.X == point.X && w.Layer == point.Layer;
    });
    if (it == wells.end()) {
      if (wells.size() == kMaxObservationWells) {
        return Refuse(TDataFileStatus::dsTooManyObservationWells,
                      "more than " + std::to_string(kMaxObservationWells) +
                          " places (distance and aquifer) in the observations.");
      }
      TDataFileObservationWell well;
      std::string number = std::to_string(wells.size() + 1);
      if (number.size() < 2) number.insert(0, 1, ' ');
      well.Name = CutToChars("observation well " + number, kWellNameWidth);
      well.X = point.X;
      well.Y = 0;
      well.Layer = point.Layer;
      well.Rc = well.Rw = 0.02;
      well.Skin = 0;
      // All wells stand on one line (y = 0): an earlier well at the same distance draws the
      // curve of this place.
      well.OwnCurve =
          std::none_of(wells.begin(), wells.end(),
                       [&](const TDataFileObservationWell& w) { return w.X == point.X; });
      wells.push_back(std::move(well));
      it = wells.end() - 1;
    }
    if (it->Observations.size() == kMaxObservations) {
      return Refuse(TDataFileStatus::dsTooManyWellMeasurements,
                    "more than " + std::to_string(kMaxObservations) +
                        " observations at one place (distance and aquifer).");
    }
    it->Observations.push_back(point.Observations.front());
  }
  for (TDataFileObservationWell& well : wells) {
    std::stable_sort(well.Observations.begin(), well.Observations.end(),
                     [](const TDataFileObservation& x, const TDataFileObservation& y) {
                       return x.Time < y.Time;
                     });
  }
  c.ObservationWells = std::move(wells);
  return true;
}

// ---- Entry --------------------------------------------------------------------------------------

TAQVDataFileForm FormOfFirstLine(std::string_view line) {
  const std::string_view header = TrimRightBlanks(line);
  for (int k = 1; k <= 6; ++k) {
    const auto form = static_cast<TAQVDataFileForm>(k);
    if (header == DataFileHeader(form)) return form;
  }
  return TAQVDataFileForm::dfOldest;
}

TDataFileParse TDataFileReader::Run() {
  const TAQVDataFileForm form = FormOfFirstLine(mIn.ReadLine());
  bool complete = false;
  if (form == TAQVDataFileForm::dfOldest) {
    mIn = TTextReader(mBytes);  // the first line is the first data line
    mReason.clear();
    complete = ReadOldestForm();
  } else {
    complete = ReadYearForm(form);
  }
  if (complete) Check();
  return std::move(mResult);
}

}  // namespace

TDataFileParse ParseDataFile(std::string_view bytes, std::string_view path) {
  return TDataFileReader(bytes, path).Run();
}

}  // namespace aqv
