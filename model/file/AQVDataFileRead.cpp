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
// A colour list stands in four lines of ten colour texts.
constexpr int kColorListLines = 4;
constexpr std::size_t kColorsPerLine = 10;

std::string_view AfterColon(std::string_view line) {
  const std::size_t colon = line.find(':');
  return colon == std::string_view::npos ? line : line.substr(colon + 1);
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Every title and column line of a year form starts so, and no row, label or text line does:
// a block that does not start with one is not read as something else.
bool IsTitle(std::string_view line) {
  return TrimLeftBlanks(line).substr(0, 3) == "===";
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The label of a label line (the text before its first colon, blanks around it removed) is
// label, case ignored.
bool HasLabel(std::string_view line, std::string_view label) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view found = TrimBlanks(line.substr(0, colon));
  return found.size() == label.size() &&
         std::equal(found.begin(), found.end(), label.begin(),
                    [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
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

// The refusals whose own text names their line give the reason as a sentence of its own.
bool NamesItsLine(TDataFileStatus status) {
  return status == TDataFileStatus::dsInvalidCount || status == TDataFileStatus::dsValueOutOfRange;
}

std::string Sentence(std::string text) {
  if (!text.empty() && text.front() >= 'a' && text.front() <= 'z') {
    text.front() = static_cast<char>(text.front() - 'a' + 'A');
  }
  return text;
}

std::string Numbered(std::string_view what, std::size_t index) {
  return std::string(what) + std::to_string(index + 1);
}

// "2 pumping periods of well 1", "1 image file".
std::string CountPhrase(int count, std::string_view noun, std::string_view owner = {}) {
  std::string phrase = std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
  if (!owner.empty()) phrase += " " + std::string(owner);
  return phrase;
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

// A list of rows whose count a line of the file gives. A count set too low leaves rows over,
// which then stand where the next block or row should start; the refusal there names the count.
struct TCountedList {
  int Count = 0;
  std::string Phrase;  // "2 pumping periods of well 1"
  int CountLine = 0;   // the line that gives the count
  int LastLine = 0;    // the list's last line; the count's own line for an empty list
};

// Reads one data file into plain content. Every step returns false once the read has stopped;
// the reason is then in mResult. Rows are read line by line: a value missing in a row is
// missing there, never taken from the line below.
class TDataFileReader {
 public:
  TDataFileReader(std::string_view bytes, std::string_view path);

  TDataFileParse Run();

 private:
  // ---- Outcome ----
  bool Refuse(TDataFileStatus status, std::string reason);
  bool Check();
  void Explain(std::string reason);
  std::string ReadErrorReason() const;
  // Records a failure with its own reason, unless the read has failed before.
  void FailAs(TReadError error, std::string reason);
  // A line that is not what its place needs: where a counted list ended just above, the reason
  // names that list's count, which may have left the line over.
  void FailInPlace(std::string reason);
  void Expect(std::string what) { mIn.SetContext(std::move(what)); }
  TAQVDataFileContent& Content() { return mResult.Content; }
  bool RefuseUnreadable();
  bool NothingLeft();
  void WarnIfCutShort();

  // ---- Lines: titles, texts and labels ----
  void Title(std::string_view title);
  std::string TextLine(std::string_view what);
  std::string LabelValue(std::string_view label);
  std::optional<int> LabelInteger(std::string_view label);
  std::optional<double> LabelReal(std::string_view label, std::string_view name);
  int LabelCount(std::string_view label);
  std::vector<std::string_view> Fields(const std::string& line, std::size_t least);
  int FieldInteger(std::string_view field);
  double FieldReal(std::string_view field);
  TColor FieldColor(std::string_view field);
  template <typename E>
  E Ordinal(int value);

  // ---- Rows: the values of one line ----
  void Row();
  bool ReadListCount(std::string_view label, std::string_view noun, int most, TCountedList& list);
  std::string ListLine(const TCountedList& list);
  void ListRow(const TCountedList& list);
  void EndListRow(const TCountedList& list);
  std::string ListRowReason(const TCountedList& list) const;
  void EndList(TCountedList list);
  std::string_view Token();
  template <typename V>
  V Number(TFieldParse (*parse)(std::string_view, V&));
  int Integer();
  double Real();
  int Group();
  std::string Rest();
  std::string TextAfterBlank();
  int CountWithExclusion(int count, bool& excluded);

  // ---- Year forms ----
  bool ReadYearForm(TAQVDataFileForm form);
  bool ReadHead(TAQVDataFileForm form);
  bool ReadAquiferSystem();
  void ReadUnitLines();
  void ReadAquitardKind(std::string_view label, bool& absent, bool& impervious);
  bool NextLineIsTitle() const;
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
  TMarkerData MarkerFromLine(const std::string& line);
  TDataFileScale ReadScaleLine();
  TByteSet ReadFlagsLine();
  std::array<TColor, kMaxAquifers> ReadColorList();
  TDataFileAxis ReadAxisOptions();
  bool ReadSeriesFormats(TDataFileTimeGraph& graph);
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
  std::string mReason;  // the reason of the first failure recorded with FailAs
  std::string mRow;     // the row being read, and the place in it
  std::size_t mRowPos = 0;
  std::size_t mTokenStart = 0;
  std::optional<TCountedList> mList;  // the counted list read last
  int mCutLine = 0;                   // the last line when it has no line end, else 0
  std::set<char> mMarks;              // distinct marks of the aquifer system
  std::size_t mRunning = 0;           // running parameter count of steps over the wells
};

TDataFileReader::TDataFileReader(std::string_view bytes, std::string_view path)
    : mBytes(bytes), mPath(path), mIn(bytes) {
  if (bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r') return;
  TLineSource lines(bytes);
  std::string line;
  while (lines.Next(line)) mCutLine = lines.LineNumber();
}

// ---- Outcome ------------------------------------------------------------------------------------

bool TDataFileReader::Refuse(TDataFileStatus status, std::string reason) {
  mResult.Status = status;
  mResult.Line = std::max(mIn.Line(), 1);
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
  if (NamesItsLine(mResult.Status)) {
    mResult.Message += "\n" + Sentence(mResult.Reason);
  } else {
    mResult.Message += "\nLine " + std::to_string(mResult.Line) + ": " + mResult.Reason;
  }
}

std::string TDataFileReader::ReadErrorReason() const {
  const std::string& what = mIn.ErrorContext();
  // Whatever fails in a last line without a line end is most likely cut short.
  if (mIn.ErrorLine() == mCutLine && mIn.Error() != TReadError::reOutOfRange) {
    return "the file ends inside " + what + ".";
  }
  if (!mReason.empty()) return mReason;
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

void TDataFileReader::FailInPlace(std::string reason) {
  if (mList && mIn.Line() == mList->LastLine + 1 && !reason.empty()) {
    reason.pop_back();  // the full stop
    reason += ", after the " + mList->Phrase + " that line " + std::to_string(mList->CountLine) +
              " counts.";
  }
  FailAs(TReadError::reMalformed, std::move(reason));
}

// A file that is empty or no text at all is said to be so, rather than be read as numbers.
bool TDataFileReader::RefuseUnreadable() {
  Expect("the first line");
  if (mIn.AtEnd()) return Refuse(TDataFileStatus::dsReadError, "the file is empty.");
  const std::string_view first = mBytes.substr(0, mBytes.find_first_of("\r\n"));
  const bool utf16 = mBytes.substr(0, 2) == "\xFF\xFE" || mBytes.substr(0, 2) == "\xFE\xFF";
  if (utf16 || Contains(first, std::string_view("\0", 1))) {
    return Refuse(TDataFileStatus::dsReadError,
                  "this is no data file: it is no plain text (it may be UTF-16 text).");
  }
  return true;
}

// Lines after the last block are refused rather than dropped: rows that a count above left
// over, or a block that this form does not have. Blank lines at the end are no such lines.
bool TDataFileReader::NothingLeft() {
  if (!Check()) return false;
  if (mIn.AtEnd()) return true;
  Expect("the end of the file");
  std::string line;
  do {
    line = mIn.ReadLine();
  } while (mIn.Ok() && TrimBlanks(line).empty());
  if (mList && mIn.Line() == mList->LastLine + 1) {
    FailAs(TReadError::reMalformed, "this line is left over after the " + mList->Phrase +
                                        " that line " + std::to_string(mList->CountLine) +
                                        " counts.");
  }
  FailAs(TReadError::reMalformed, "this line is left over after the last block of the file.");
  return Check();
}

// The writer ends every line; a last line without its end may have lost the end of its last
// value ("5.0000000E-01" cut to "5.0"), which no read can see.
void TDataFileReader::WarnIfCutShort() {
  const std::string_view last = mBytes.substr(mBytes.find_last_of("\r\n") + 1);
  if (mCutLine == 0 || TrimBlanks(last).empty()) return;
  mResult.Warnings.push_back("Line " + std::to_string(mCutLine) +
                             ", the last line of the file, has no line end: the file may have "
                             "been cut short, and the last value of that line may be incomplete.");
}

// ---- Lines: titles, texts and labels ------------------------------------------------------------

// title: the start of the title the writer writes, for the message.
void TDataFileReader::Title(std::string_view title) {
  const std::string line = mIn.ReadLine();
  if (mIn.Ok() && !IsTitle(line)) FailInPlace("\"" + std::string(title) + "\" was expected here.");
}

// A line of text of the block in hand, which no title may stand in for.
std::string TDataFileReader::TextLine(std::string_view what) {
  std::string line = mIn.ReadLine();
  if (mIn.Ok() && IsTitle(line)) {
    FailInPlace(std::string(what) + " was expected here, in " + mIn.Context() + ".");
  }
  return line;
}

// The value of a label line, after its first colon; a line with another label is refused, so
// that a missing line does not make the next one be read in its place.
std::string TDataFileReader::LabelValue(std::string_view label) {
  const std::string line = mIn.ReadLine();
  if (!mIn.Ok()) return {};
  if (!HasLabel(line, label)) {
    FailInPlace("\"" + std::string(label) + " :\" was expected here.");
    return {};
  }
  return std::string(AfterColon(line));
}

// A label's value that does not convert keeps the default value.
std::optional<int> TDataFileReader::LabelInteger(std::string_view label) {
  int value = 0;
  if (ParseInteger(TrimBlanks(LabelValue(label)), value) != TFieldParse::fpOK) return {};
  return value;
}

// A label's text that does not convert keeps the default value, but a number that is not
// finite is refused as it is in any row: no default may stand in for what the file says.
std::optional<double> TDataFileReader::LabelReal(std::string_view label, std::string_view name) {
  const std::string value = LabelValue(label);
  const std::string_view text = TrimBlanks(value);
  double read = 0;
  if (ParseReal(text, read) == TFieldParse::fpOK) return read;
  if (IsNonFiniteNumber(text)) {
    FailAs(TReadError::reMalformed, std::string(name) + " is not a finite number.");
  }
  return {};
}

// A count gives the rows that follow it: one that does not convert is refused, since no default
// can say how many rows stand below.
int TDataFileReader::LabelCount(std::string_view label) {
  const std::string value = LabelValue(label);
  int count = 0;
  if (mIn.Ok() && ParseInteger(TrimBlanks(value), count) != TFieldParse::fpOK) {
    mIn.Fail(TReadError::reMalformed);
  }
  return count;
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

// ---- Rows ---------------------------------------------------------------------------------------

// Reads the next line as the row whose values Token and the readers after it take.
void TDataFileReader::Row() {
  mRow = mIn.ReadLine();
  mRowPos = 0;
  if (mIn.Ok() && IsTitle(mRow)) {
    FailInPlace("numbers were expected here, in " + mIn.Context() + ", not a title.");
  }
}

// The count line of a list of rows of noun; a count outside 0..most is refused.
bool TDataFileReader::ReadListCount(std::string_view label, std::string_view noun, int most,
                                    TCountedList& list) {
  const int count = LabelCount(label);
  if (!Check()) return false;
  if (count < 0 || count > most) {
    return Refuse(TDataFileStatus::dsInvalidCount, "the number of " + std::string(noun) +
                                                       "s is not between 0 and " +
                                                       std::to_string(most) + ".");
  }
  list = {count, CountPhrase(count, noun), mIn.Line()};
  return true;
}

// A line of a counted list: a title in its place means that the list ends before its count.
std::string TDataFileReader::ListLine(const TCountedList& list) {
  std::string line = mIn.ReadLine();
  if (mIn.Ok() && IsTitle(line)) FailAs(TReadError::reMalformed, ListRowReason(list));
  return line;
}

void TDataFileReader::ListRow(const TCountedList& list) {
  mRow = ListLine(list);
  mRowPos = 0;
}

// A row of a counted list holds its values and nothing more: a longer line is the row of what
// follows the list, read in the list because its count is too high.
void TDataFileReader::EndListRow(const TCountedList& list) {
  if (!mIn.Ok()) return;
  const std::size_t end = mRowPos;
  while (mRowPos < mRow.size() && (mRow[mRowPos] == ' ' || mRow[mRowPos] == '\t')) ++mRowPos;
  if (mRowPos < mRow.size()) FailAs(TReadError::reMalformed, ListRowReason(list));
  mRowPos = end;
}

std::string TDataFileReader::ListRowReason(const TCountedList& list) const {
  return "a row of the " + list.Phrase + " that line " + std::to_string(list.CountLine) +
         " counts was expected here.";
}

void TDataFileReader::EndList(TCountedList list) {
  list.LastLine = mIn.Line();
  mList = std::move(list);
}

// The next value of the row: blanks and tabs before it are skipped, and it ends before the
// next blank or tab.
std::string_view TDataFileReader::Token() {
  if (!mIn.Ok()) return {};
  const auto blank = [&](std::size_t at) { return mRow[at] == ' ' || mRow[at] == '\t'; };
  while (mRowPos < mRow.size() && blank(mRowPos)) ++mRowPos;
  if (mRowPos == mRow.size()) {
    FailInPlace("a value is missing in " + mIn.Context() + ".");
    return {};
  }
  mTokenStart = mRowPos;
  while (mRowPos < mRow.size() && !blank(mRowPos)) ++mRowPos;
  return std::string_view(mRow).substr(mTokenStart, mRowPos - mTokenStart);
}

// The next value of the row converted by parse; a value that does not convert fails where it
// starts.
template <typename V>
V TDataFileReader::Number(TFieldParse (*parse)(std::string_view, V&)) {
  const std::string_view token = Token();
  V value = 0;
  if (mIn.Ok() && parse(token, value) != TFieldParse::fpOK) {
    mIn.Fail(TReadError::reMalformed, mTokenStart);
  }
  return value;
}

int TDataFileReader::Integer() {
  return Number<int>(ParseInteger);
}

double TDataFileReader::Real() {
  return Number<double>(ParseReal);
}

int TDataFileReader::Group() {
  const int group = Integer();
  if (mIn.Ok() && (group < 0 || group > kMaxGroup)) mIn.Fail(TReadError::reOutOfRange, mTokenStart);
  return mIn.Ok() ? group : 0;
}

// The rest of the row as it stands, with the blank that separates it.
std::string TDataFileReader::Rest() {
  return mIn.Ok() ? mRow.substr(mRowPos) : std::string();
}

// The rest of the row after the one blank or tab that separates it from the value before.
std::string TDataFileReader::TextAfterBlank() {
  if (mRowPos < mRow.size() && (mRow[mRowPos] == ' ' || mRow[mRowPos] == '\t')) ++mRowPos;
  return Rest();
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
  if (form != TAQVDataFileForm::df2007) Title("=== General Information");
  Expect("the general information");
  for (std::size_t k = 0; k < Content().InfoTexts.size(); ++k) {
    const std::string line = TextLine(Numbered("information text ", k));
    Content().InfoTexts[k] = CutToChars(DecodeLineBreaks(AfterColon(line)), kInfoTextWidth);
  }
  if (form >= TAQVDataFileForm::df2009) {
    Expect("the parameter optimization settings");
    Title("=== Parameter Optimization");
    if (const auto rel = LabelReal("Rel.", "the relative stopping criterion"))
      Content().RelStoppingCriterion = *rel;
    if (const auto abs = LabelReal("Abs.", "the absolute stopping criterion"))
      Content().AbsStoppingCriterion = *abs;
    Content().LinearResiduals = Contains(TextLine("the fitting mode"), "Linear");
  }
  return Check();
}

// The length and time units and the top level.
void TDataFileReader::ReadUnitLines() {
  TAQVDataFileContent& c = Content();
  const std::string length = LabelValue("Length");
  c.LengthUnit = Contains(length, "m") || Contains(length, "M") ? TAQVLengthUnit::luMeters
                                                                : TAQVLengthUnit::luFeet;
  const std::string time = LabelValue("Time");
  if (Contains(time, "day")) {
    c.TimeUnit = TAQVTimeUnit::tuDays;
  } else if (Contains(time, "min")) {
    c.TimeUnit = TAQVTimeUnit::tuMinutes;
  } else if (Contains(time, "sec")) {
    c.TimeUnit = TAQVTimeUnit::tuSeconds;
  }
  if (const auto level = LabelReal("Top level", "the top level")) c.SurfaceLevel = *level;
}

bool TDataFileReader::ReadAquiferSystem() {
  TAQVDataFileContent& c = Content();
  Expect("the aquifer system");
  Title("=== Aquifer System");
  ReadUnitLines();
  const std::optional<int> read = LabelInteger("No of (sub)aquifers");
  if (!Check()) return false;
  const TTextReader atCount = mIn;
  const int n = read.value_or(1);
  if (n > kMaxAquifers) {
    return Refuse(TDataFileStatus::dsTooManyLayers,
                  "more than " + std::to_string(kMaxAquifers) + " aquifers.");
  }
  if (n < 1) return Refuse(TDataFileStatus::dsInvalidCount, "the number of aquifers is below 1.");
  c.Aquifers.assign(static_cast<std::size_t>(n), TDataFileAquifer{});
  c.Aquitards.assign(static_cast<std::size_t>(n + 1), TDataFileAquitard{});
  ReadAquitardKind("Top Aquitard", c.TopAquitardAbsent, c.TopAquitardImpervious);
  ReadAquitardKind("Base Aquitard", c.BottomAquitardAbsent, c.BottomAquitardImpervious);
  if (c.TopAquitardAbsent) c.Aquitards.front().SAquitard = 0;
  if (c.BottomAquitardAbsent) c.Aquitards.back().SAquitard = 0;
  Title("=== Thickness");
  const bool rowsRead = Check() && ReadLayerRows();
  if (!read && !(rowsRead && NextLineIsTitle())) {
    // A count that does not convert stands for one aquifer only while the rows read so; else
    // the count's own line is where the file is damaged.
    mIn = atCount;
    Expect("the aquifer count");
    FailAs(TReadError::reMalformed,
           "a number of aquifers was expected: the layer rows below do not fit the default of 1.");
    return Check();
  }
  if (!rowsRead) return false;
  DeriveConductivities();
  WarnAboutAquiferParameters();
  return true;
}

// "Absent", "Impervious" or "Leaky", found anywhere in the label's value as the program always
// has; a value with none of them is refused, since an absent aquitard has no row below.
void TDataFileReader::ReadAquitardKind(std::string_view label, bool& absent, bool& impervious) {
  const std::string value = LabelValue(label);
  absent = Contains(value, "bsent");
  impervious = absent || Contains(value, "mpervi");
  if (mIn.Ok() && !impervious && !Contains(value, "eaky")) {
    std::string name(label);
    std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
    FailAs(TReadError::reMalformed,
           "\"Absent\", \"Impervious\" or \"Leaky\" was expected for the " + name + ".");
  }
}

bool TDataFileReader::NextLineIsTitle() const {
  TTextReader next = mIn;
  const std::string line = next.ReadLine();
  return next.Ok() && IsTitle(line);
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
      Row();
      t.DAquitard = Real();
      t.Resistance = Real();
      t.ResistanceCode = MarkOf(Group());
      t.SAquitard = Real();
      const int group = Group();
      t.SAquitardCode = t.SAquitard > 0 ? MarkOf(group) : kNoMark;
      t.Name = RowName(Rest(), kLayerNameWidth);
    }
    if (i <= n) {
      TDataFileAquifer& a = c.Aquifers[static_cast<std::size_t>(i - 1)];
      Expect(Numbered("the row of aquifer ", static_cast<std::size_t>(i - 1)));
      Row();
      a.D = Real();
      a.T = Real();
      a.TCode = MarkOf(Group());
      a.S = Real();
      const int group = Group();
      a.SCode = a.S > 0 ? MarkOf(group) : kNoMark;
      a.Name = RowName(Rest(), kLayerNameWidth);
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
  Title("=== Pumping Wells and Discharges");
  const int count = LabelCount("No. of wells");
  if (!Check()) return false;
  if (count > kMaxPumpingWells) {
    return Refuse(TDataFileStatus::dsTooManyPumpingWells,
                  "more than " + std::to_string(kMaxPumpingWells) + " pumping wells.");
  }
  if (count < 1) {
    return Refuse(TDataFileStatus::dsInvalidCount, "the number of pumping wells is below 1.");
  }
  Expect("the pumping wells");
  Title("=== X     Y");
  c.PumpingWells.assign(static_cast<std::size_t>(count), TDataFilePumpingWell{});
  for (std::size_t w = 0; w < c.PumpingWells.size(); ++w) {
    Expect(Numbered("pumping well ", w));
    if (!ReadPumpingWell(form, c.PumpingWells[w], w)) return false;
    WarnAboutWellParameters(c.PumpingWells[w]);
  }
  Expect("the well screens");
  Title("=== Well screens per layer");
  for (int layer = 0; layer < c.AquiferCount(); ++layer) {
    const std::string line =
        TextLine(Numbered("the screen line of aquifer ", static_cast<std::size_t>(layer)));
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
  Row();
  well.X = Real();
  well.Y = Real();
  if (form == TAQVDataFileForm::df2007) {
    Real();
    Real();
  }
  well.Rc = Real();
  const int rcGroup = Group();
  well.Rw = Real();
  well.RwCode = MarkOf(Group());
  well.Skin = Real();
  const int skinGroup = Group();
  const int rawCount = Integer();
  well.Name = RowName(Rest(), kWellNameWidth);
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
  if (count < 1) {
    return Refuse(TDataFileStatus::dsInvalidCount,
                  "the number of pumping periods of " + mIn.Context() + " is below 1.");
  }
  const TCountedList list{count, CountPhrase(count, "pumping period", Numbered("of well ", index)),
                          mIn.Line()};
  Expect("the pumping periods of " + Numbered("well ", index));
  well.Periods.assign(static_cast<std::size_t>(count), TDataFilePeriod{});
  for (TDataFilePeriod& period : well.Periods) {
    ListRow(list);
    const double start = Real();
    period.Discharge = Real();
    EndListRow(list);
    if (!Check()) return false;
    period.Included = start >= 0;
    period.StartTime = !period.Included && start > -kExcludedZeroLimit ? 0 : std::fabs(start);
  }
  EndList(list);
  return true;
}

bool TDataFileReader::ReadObservationWells() {
  TAQVDataFileContent& c = Content();
  Expect("the observation well count");
  Title("=== Observation wells and Drawdowns");
  const int count = LabelCount("No. of observation wells");
  if (!Check()) return false;
  if (count > kMaxObservationWells) {
    return Refuse(TDataFileStatus::dsTooManyObservationWells,
                  "more than " + std::to_string(kMaxObservationWells) + " observation wells.");
  }
  if (count < 0) {
    return Refuse(TDataFileStatus::dsInvalidCount, "the number of observation wells is below 0.");
  }
  Expect("the observation wells");
  Title("=== X Y Layer");
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
  Row();
  well.X = Real();
  well.Y = Real();
  well.Layer = Integer();
  well.Rc = Real();
  Integer();  // the groups of the observation wells are not used
  well.Rw = Real();
  Integer();
  well.Skin = Real();
  Integer();
  const int rawCount = Integer();
  well.Name = RowName(Rest(), kWellNameWidth);
  if (!Check()) return false;
  const int n = Content().AquiferCount();
  if (well.Layer < 1 || well.Layer > n) {
    return Refuse(TDataFileStatus::dsValueOutOfRange, "the observed aquifer of " + mIn.Context() +
                                                          " is not between 1 and " +
                                                          std::to_string(n) + ".");
  }
  bool excluded = false;
  const int count = CountWithExclusion(rawCount, excluded);
  well.Included = !excluded;
  if (count > kMaxObservations) {
    return Refuse(TDataFileStatus::dsTooManyWellMeasurements,
                  "more than " + std::to_string(kMaxObservations) + " observations in " +
                      mIn.Context() + ".");
  }
  total += count;
  if (total > kMaxFitObservations) {
    return Refuse(TDataFileStatus::dsTooManyMeasurements,
                  "more than " + std::to_string(kMaxFitObservations) +
                      " observations in the observation wells together.");
  }
  const TCountedList list{count, CountPhrase(count, "observation", Numbered("of well ", index)),
                          mIn.Line()};
  Expect("the observations of " + Numbered("well ", index));
  well.Observations.assign(static_cast<std::size_t>(count), TDataFileObservation{});
  for (TDataFileObservation& obs : well.Observations) {
    ListRow(list);
    const double time = Real();
    obs.Observed = Real();
    EndListRow(list);
    if (!Check()) return false;
    obs.Included = time >= 0;
    obs.Time = !obs.Included && time > -kExcludedZeroLimit ? 0 : std::fabs(time);
  }
  EndList(list);
  return true;
}

bool TDataFileReader::ReadContourSettings() {
  TAQVDataFileContent& c = Content();
  Expect("the contour plot settings");
  Title("=== Contour plot settings");
  Title("=== west east south north");
  Row();
  c.WorldX1 = Real();
  c.WorldX2 = Real();
  c.WorldY1 = Real();
  c.WorldY2 = Real();
  c.AnimationStartTime = Real();
  c.TimeSteps = Integer();
  c.AnimationEndTime = Real();
  const int layer = Integer();
  c.SavedContourInterval = Real();
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
  Title("=== Import image files");
  if (const auto transparency = LabelInteger("Transparency"))
    c.BackgroundTransparency = *transparency;
  if (const auto enabled = LabelInteger("Enabled")) c.ShowBackgroundImages = *enabled != 0;
  TCountedList list;
  if (!ReadListCount("No. of files", "image file", kMaxImageFiles, list)) return false;
  for (int k = 0; k < list.Count; ++k) {
    Expect(Numbered("the entry of image file ", static_cast<std::size_t>(k)));
    ListRow(list);
    for (int reserved = 0; reserved < 6; ++reserved) Real();
    const int shown = Integer();
    const std::string path = DecodeLineBreaks(TrimBlanks(Rest()));
    if (!Check()) return false;
    c.BackgroundFiles.push_back(TBackgroundFile{shown == 1, path});
  }
  EndList(list);
  return true;
}

bool TDataFileReader::ReadMapOptions() {
  TDataFileMapOptions options;
  Expect("the contour plot options");
  Title("=== Contour plot options");
  const auto boundary = LabelInteger("Boundary");
  options.Boundary = boundary && *boundary == 1;
  const auto grid = LabelInteger("Grid");
  options.Grid = grid && *grid == 1;
  if (const auto placement = LabelInteger("Placement")) {
    options.Placement = Ordinal<TPlacement>(*placement);
  }
  if (!Check()) return false;
  Content().MapOptions = options;
  return true;
}

bool TDataFileReader::ReadTexts() {
  Expect("the map texts");
  Title("=== Texts");
  TCountedList list;
  if (!ReadListCount("No. of texts", "map text", kMaxTextBoxes, list)) return false;
  for (int k = 0; k < list.Count; ++k) {
    Expect(Numbered("map text ", static_cast<std::size_t>(k)));
    TAQVTextBoxProperties box;
    const std::string record = ListLine(list);
    const TFieldParse status = ParseTextBoxProperties(record, box);
    if (status == TFieldParse::fpMalformed) mIn.Fail(TReadError::reMalformed);
    if (status == TFieldParse::fpOutOfRange) mIn.Fail(TReadError::reOutOfRange);
    box.Text = DecodeLineBreaks(mIn.ReadLine());
    if (!Check()) return false;
    Content().TextBoxes.push_back(std::move(box));
  }
  EndList(list);
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
    Title("=== Time graph settings");
    Title("=== Drawdown curves");
    Title("=== Well-face fluxes");
  } else if (form >= TAQVDataFileForm::df2011 && !ReadTimeGraph()) {
    return false;
  }
  if (!ReadContourSettings()) return false;
  if (form < TAQVDataFileForm::df2010) return NothingLeft();
  if (!ReadImages()) return false;
  if (form == TAQVDataFileForm::df2012) return ReadMapOptions() && ReadTexts() && NothingLeft();
  // The 2010 and 2011 forms carry the map options too when a chart was attached.
  if (!mIn.AtEnd() && !ReadMapOptions()) return false;
  return NothingLeft();
}

// ---- Time-graph block ---------------------------------------------------------------------------

TPatternsData TDataFileReader::ReadPatternLine() {
  const std::string line = TextLine("a pattern line");
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
  const std::string line = TextLine("a font line");
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

TMarkerData TDataFileReader::MarkerFromLine(const std::string& line) {
  const auto f = Fields(line, 3);
  TMarkerData marker;
  marker.Color = FieldColor(f[0]);
  marker.Style = Ordinal<TMarkerStyle>(FieldInteger(f[1]));
  marker.Size = FieldInteger(f[2]);
  return marker;
}

TDataFileScale TDataFileReader::ReadScaleLine() {
  const std::string line = TextLine("a scale line");
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
  const std::string line = TextLine("a line of aquifer flags");
  const auto f = Fields(line, 2);
  TByteSet layers;
  for (int k = 1; k <= kMaxAquifers; ++k) {
    if (f[static_cast<std::size_t>(k - 1)] != "0") layers.Include(k);
  }
  return layers;
}

// Forty colour texts in four lines of ten, as the writer has always written them: a line with
// another number of colours is refused there, rather than make the list take its colours from
// the lines below. Only the first two are converted.
std::array<TColor, kMaxAquifers> TDataFileReader::ReadColorList() {
  std::array<TColor, kMaxAquifers> colors = {clWhite, clWhite};
  std::size_t entry = 0;
  for (int k = 0; k < kColorListLines && mIn.Ok(); ++k) {
    const std::string line = TextLine("a line of the colour list");
    const auto fields = SplitAtBlanks(TrimRightBlanks(line));
    if (mIn.Ok() && fields.size() != kColorsPerLine) {
      FailAs(TReadError::reMalformed, "ten colours were expected in this line of " + mIn.Context() +
                                          ", not " + std::to_string(fields.size()) + ".");
    }
    for (const std::string_view field : fields) {
      if (entry < colors.size()) colors[entry] = field == "clClear" ? clWhite : FieldColor(field);
      ++entry;
    }
  }
  return colors;
}

TDataFileAxis TDataFileReader::ReadAxisOptions() {
  TDataFileAxis axis;
  Row();
  axis.Shown = Integer() != 0;
  axis.Alignment = Ordinal<TMyAlignmentTypes>(Integer());
  axis.Orientation = Integer();
  axis.TitleAlignment = Ordinal<TMyAlignmentTypes>(Integer());
  axis.Font = ReadFontLine();
  axis.Patterns = ReadPatternLine();
  axis.Scale = ReadScaleLine();
  axis.TitleFont = ReadFontLine();
  axis.TitlePatterns = ReadPatternLine();
  Row();
  axis.TitleAutomatic = Integer() != 0;
  axis.TitleText = DecodeLineBreaks(TextAfterBlank());
  return axis;
}

bool TDataFileReader::ReadTimeGraph() {
  TDataFileTimeGraph graph;
  Expect("the time graph settings");
  Title("=== Time graph settings");
  Row();
  graph.AutoUpdate = Integer() != 0;
  graph.WellFluxMode = Integer() != 0;
  graph.StartingTime = Real();
  graph.StoppingTime = Real();
  graph.TimeAxis = Integer();
  graph.ValueAxis = Integer();
  if (!Check()) return false;
  if (graph.TimeAxis < 0 || graph.TimeAxis > 1 || graph.ValueAxis < 0 || graph.ValueAxis > 2) {
    return Refuse(TDataFileStatus::dsValueOutOfRange,
                  "the time axis must be 0 or 1, and the value axis 0, 1 or 2.");
  }
  Title("=== ChartArea options");
  graph.ChartAreaPatterns = ReadPatternLine();
  Title("=== ChartTitle options");
  Row();
  graph.ChartTitle.Alignment = Ordinal<TMyAlignmentTypes>(Integer());
  graph.ChartTitle.Automatic = Integer() != 0;
  graph.ChartTitle.Text = DecodeLineBreaks(TextAfterBlank());
  graph.ChartTitle.Font = ReadFontLine();
  graph.ChartTitle.Patterns = ReadPatternLine();
  Title("=== ChartLegend options");
  graph.Legend.Font = ReadFontLine();
  graph.Legend.Patterns = ReadPatternLine();
  Row();
  graph.Legend.Placement = Ordinal<TPlacement>(Integer());
  Title("=== Chart X options");
  graph.XAxis = ReadAxisOptions();
  Title("=== Chart Y options");
  graph.YAxis = ReadAxisOptions();
  if (!Check() || !ReadSeriesAndWellOptions(graph)) return false;
  Content().TimeGraph = std::move(graph);
  return true;
}

// The series formats, in a file that has their block.
bool TDataFileReader::ReadSeriesFormats(TDataFileTimeGraph& graph) {
  Expect("the series formats");
  TCountedList list;
  if (!ReadListCount("Number of series", "series format", kMaxSeriesCount, list)) return false;
  graph.Series.resize(static_cast<std::size_t>(list.Count));
  for (TDataFileSeriesFormat& series : graph.Series) {
    series.Marker = MarkerFromLine(ListLine(list));
    series.Patterns = ReadPatternLine();
  }
  EndList(list);
  Title("=== Pumping well options");
  return Check();
}

bool TDataFileReader::ReadSeriesAndWellOptions(TDataFileTimeGraph& graph) {
  const std::string title = mIn.ReadLine();
  if (mIn.Ok() && !IsTitle(title)) FailInPlace("\"=== Chart Series options\" was expected here.");
  if (TrimRightBlanks(title) == kSeriesTitle && !ReadSeriesFormats(graph)) return false;
  // Otherwise the line just read was the pumping-well title of a file without series formats.
  const auto readWells = [&](std::vector<TDataFileWellOptions>& options, std::size_t count,
                             std::string_view what) {
    options.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
      Expect("the options of " + Numbered(what, k));
      options[k].LayerSet = ReadFlagsLine();
      options[k].CurveColor = ReadColorList();
    }
  };
  readWells(graph.PumpingWellOptions, Content().PumpingWells.size(), "pumping well ");
  Expect("the observation well options");
  Title("=== Observation well options");
  readWells(graph.ObservationWellOptions, Content().ObservationWells.size(), "observation well ");
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
  return ReadOldestObservations(head, flat) && NothingLeft() && DistributeOldestObservations(flat);
}

bool TDataFileReader::ReadOldestHeader(TOldestHeader& head) {
  Expect("the ten numbers of the first line");
  Row();
  int a = 0;
  if (ParseInteger(Token(), a) != TFieldParse::fpOK) {
    FailAs(TReadError::reMalformed,
           "the first line is neither the header of a data file nor the ten numbers that start "
           "a data file of the oldest layout.");
  }
  const int b = Integer();
  Integer();
  head.Aquifers = Integer();
  head.FirstScreen = Integer();
  head.LastScreen = Integer();
  Integer();
  const int parameters = Integer();
  head.FitCount = Integer();
  head.UnitCode = Integer();
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
  if (n < 1) return Refuse(TDataFileStatus::dsInvalidCount, "the number of aquifers is below 1.");
  if (head.FitCount < 0) {
    return Refuse(TDataFileStatus::dsInvalidCount, "the number of observations is below 0.");
  }
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
  Row();
  const double q = Real();
  double rw = Real(), rc = Real(), skin = Real();
  double endOfPumping = Real();
  for (int k = 0; k < 3; ++k) Real();
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
  const TCountedList list{head.FitCount, CountPhrase(head.FitCount, "observation"), 1};
  flat.resize(static_cast<std::size_t>(head.FitCount));
  for (std::size_t k = 0; k < flat.size(); ++k) {
    TDataFileObservationWell& point = flat[k];
    Expect(Numbered("observation ", k));
    ListRow(list);
    point.X = Real();
    point.Layer = Integer();
    TDataFileObservation obs;
    obs.Time = Real();
    obs.Observed = Real();
    if (!Check()) return false;
    if (point.Layer < 1 || point.Layer > head.Aquifers) {
      return Refuse(TDataFileStatus::dsValueOutOfRange, "the aquifer of " + mIn.Context() +
                                                            " is not between 1 and " +
                                                            std::to_string(head.Aquifers) + ".");
    }
    if (head.UnitCode == 0) obs.Observed *= 0.01;  // centimetres
    if (head.UnitCode <= 1) obs.Time /= 1440;      // minutes
    obs.Included = obs.Time >= 0;
    obs.Time = std::fabs(obs.Time);
    point.Observations = {obs};
  }
  EndList(list);
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
    Row();
    double t = Real(), resistance = Real(), s = Real(), sa = Real();
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
  if (!RefuseUnreadable()) return std::move(mResult);
  const TAQVDataFileForm form = FormOfFirstLine(mIn.ReadLine());
  bool complete = false;
  if (form == TAQVDataFileForm::dfOldest) {
    mIn = TTextReader(mBytes);  // the first line is the first data line
    mReason.clear();
    complete = ReadOldestForm();
  } else {
    complete = ReadYearForm(form);
  }
  if (complete && Check()) WarnIfCutShort();
  return std::move(mResult);
}

}  // namespace

TDataFileParse ParseDataFile(std::string_view bytes, std::string_view path) {
  return TDataFileReader(bytes, path).Run();
}

}  // namespace aqv
