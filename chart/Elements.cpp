#include "chart/Elements.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace aqv {

namespace {

// Stores ordinal into value when it lies in 0..count-1.
template <typename E>
bool OrdinalInRange(int ordinal, int count, E& value) {
  if (ordinal < 0 || ordinal >= count) return false;
  value = static_cast<E>(ordinal);
  return true;
}

}  // namespace

bool TryOrdinalTo(int ordinal, TMarkerStyle& value) {
  return OrdinalInRange(ordinal, 6, value);
}
bool TryOrdinalTo(int ordinal, TPlacement& value) {
  return OrdinalInRange(ordinal, 5, value);
}
bool TryOrdinalTo(int ordinal, TMyAlignmentTypes& value) {
  return OrdinalInRange(ordinal, 5, value);
}
bool TryOrdinalTo(int ordinal, TAxisType& value) {
  return OrdinalInRange(ordinal, 3, value);
}
bool TryOrdinalTo(int ordinal, TFloatFormat& value) {
  return OrdinalInRange(ordinal, 5, value);
}
bool TryOrdinalTo(int ordinal, TBrushStyle& value) {
  return OrdinalInRange(ordinal, 8, value);
}
bool TryOrdinalTo(int ordinal, TPenStyle& value) {
  return OrdinalInRange(ordinal, 7, value);
}
bool TryOrdinalTo(int ordinal, TPenMode& value) {
  return OrdinalInRange(ordinal, 16, value);
}

// ---- TFont ----

void TFont::SetData(const TFontData& data, bool notify) {
  mData = data;
  if (notify) Fire(OnChange, this);
}

void TFont::SetName(const std::string& value) {
  mData.Name = value;
  Fire(OnChange, this);
}

void TFont::SetSize(int value) {
  mData.Size = value;
  Fire(OnChange, this);
}

void TFont::SetColor(TColor value) {
  mData.Color = value;
  Fire(OnChange, this);
}

void TFont::SetStyle(TFontStyles value) {
  mData.Style = value;
  Fire(OnChange, this);
}

// ---- TBrush ----

void TBrush::SetData(const TBrushData& data, bool notify) {
  mData = data;
  if (notify) Fire(OnChange, this);
}

void TBrush::SetColor(TColor value) {
  mData.Color = value;
  Fire(OnChange, this);
}

void TBrush::SetStyle(TBrushStyle value) {
  mData.Style = value;
  Fire(OnChange, this);
}

// ---- TPen ----

void TPen::SetData(const TPenData& data, bool notify) {
  mData = data;
  if (mData.Width < 0) mData.Width = 0;
  if (notify) Fire(OnChange, this);
}

void TPen::SetColor(TColor value) {
  mData.Color = value;
  Fire(OnChange, this);
}

void TPen::SetStyle(TPenStyle value) {
  mData.Style = value;
  Fire(OnChange, this);
}

void TPen::SetWidth(int value) {
  if (value < 0) return;
  mData.Width = value;
  Fire(OnChange, this);
}

void TPen::SetMode(TPenMode value) {
  mData.Mode = value;
  Fire(OnChange, this);
}

// ---- TMyAlignment ----

void TMyAlignment::SetData(const TMyAlignmentData& data, bool notify) {
  mData = data;
  if (notify) Fire(OnChange, this);
}

void TMyAlignment::SetAlignment(TMyAlignmentTypes value) {
  mData.Alignment = value;
  Fire(OnChange, this);
}

void TMyAlignment::SetOrientation(int value) {
  mData.Orientation = value;
  Fire(OnChange, this);
}

// ---- TNumber ----

void TNumber::SetData(const TNumberData& data, bool notify) {
  mData = data;
  if (notify) Fire(OnChange, this);
}

void TNumber::SetCategory(TFloatFormat value) {
  mData.Category = value;
  Fire(OnChange, this);
}

void TNumber::SetDecimalPlaces(int value) {
  mData.DecimalPlaces = value;
  Fire(OnChange, this);
}

// ---- TPatterns ----

TPatterns::TPatterns() {
  Hook();
}

// The owned objects' copies start without handlers; hooking them here makes them report to
// this copy. Copying the handlers instead would leave them reporting to the original.
TPatterns::TPatterns(const TPatterns& other)
    : TObject(other), mBorder(other.mBorder), mArea(other.mArea) {
  Hook();
}

TPatterns& TPatterns::operator=(const TPatterns& other) {
  mBorder = other.mBorder;
  mArea = other.mArea;
  return *this;
}

void TPatterns::Hook() {
  mBorder.OnChange = [this](TObject* sender) { PatternsChanged(sender); };
  mArea.OnChange = [this](TObject* sender) { PatternsChanged(sender); };
}

void TPatterns::SetData(const TPatternsData& data, bool notify) {
  mArea.SetData(data.Area, false);
  mBorder.SetData(data.Border, false);
  if (notify) Fire(OnChange, this);
}

void TPatterns::PatternsChanged(TObject*) {
  Fire(OnChange, this);
}

// ---- Cell ranges ----

std::string ToText(TCellRangeStatus status) {
  switch (status) {
    case TCellRangeStatus::crOK:
      return {};
    case TCellRangeStatus::crNoColon:
      return "Error in cell reference!";
    case TCellRangeStatus::crExpectedColumn:
      return "Expected column reference!";
    case TCellRangeStatus::crExpectedRow:
      return "Expected row reference!";
    case TCellRangeStatus::crReferenceTooLarge:
      return "Cell reference too large!";
  }
  return {};
}

namespace {

constexpr bool IsUpperLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
constexpr char ToUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Walks the colon-free, upper-cased text of a cell range and remembers where it stands in the
// caller's original text, so a failure can name the character.
class TRangeReader {
 public:
  TRangeReader(std::string text, std::size_t colonPos)
      : mText(std::move(text)), mColonPos(colonPos) {}

  bool AtLetter() const { return mPos < mText.size() && IsUpperLetter(mText[mPos]); }
  bool AtDigit() const { return mPos < mText.size() && IsDigit(mText[mPos]); }

  // The run of letters from here as a column number; -1 when beyond the 32-bit range.
  int ReadColumn() {
    const std::size_t start = mPos;
    while (AtLetter()) ++mPos;
    return ColumnLettersToNumber(std::string_view(mText).substr(start, mPos - start));
  }

  // The run of digits from here as a row number; -1 when beyond the 32-bit range.
  int ReadRow() {
    const std::size_t start = mPos;
    while (AtDigit()) ++mPos;
    int value = 0;
    const auto [end, ec] = std::from_chars(mText.data() + start, mText.data() + mPos, value);
    return ec == std::errc{} ? value : -1;
  }

  // 1-based position of the current character in the original text, the removed ":" counted.
  int Column() const {
    const std::size_t original = mPos >= mColonPos ? mPos + 1 : mPos;
    return static_cast<int>(original) + 1;
  }

 private:
  std::string mText;
  std::size_t mColonPos;
  std::size_t mPos = 0;
};

TCellRangeParse Failed(TCellRangeParse result, TCellRangeStatus status, int column) {
  result.Status = status;
  result.Message = ToText(status);
  result.Column = column;
  return result;
}

}  // namespace

int ColumnLettersToNumber(std::string_view text) {
  // Base-26 digits without a zero (bijective numeration): "A" = 1 .. "Z" = 26, "AA" = 27.
  // Weights stop growing once beyond the 32-bit range, so the 64-bit sums cannot overflow.
  constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
  std::int64_t result = 0;
  std::int64_t weight = 1;
  bool tooLarge = false;
  for (std::size_t i = text.size(); i-- > 0;) {
    const char c = ToUpper(text[i]);
    if (!IsUpperLetter(c)) return 1;
    if (weight > kLimit) {
      tooLarge = true;
    } else {
      result += (c - 'A' + 1) * weight;
      if (result > kLimit) tooLarge = true;
      weight *= 26;
    }
  }
  return tooLarge ? -1 : static_cast<int>(result);
}

TCellRangeParse ParseCellRange(std::string_view text) {
  TCellRangeParse result;
  if (text.empty()) return result;
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return Failed(result, TCellRangeStatus::crNoColon, 0);

  std::string upper;
  upper.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != colon) upper.push_back(ToUpper(text[i]));
  }
  TRangeReader reader(std::move(upper), colon);

  // Four runs in turn: letters, digits, letters, digits.
  int* const fields[] = {&result.Range.FirstCol, &result.Range.FirstRow, &result.Range.LastCol,
                         &result.Range.LastRow};
  for (int k = 0; k < 4; ++k) {
    const bool wantLetters = k % 2 == 0;
    if (wantLetters ? !reader.AtLetter() : !reader.AtDigit()) {
      return Failed(
          result,
          wantLetters ? TCellRangeStatus::crExpectedColumn : TCellRangeStatus::crExpectedRow,
          reader.Column());
    }
    const int column = reader.Column();
    const int value = wantLetters ? reader.ReadColumn() : reader.ReadRow();
    if (value < 0) return Failed(result, TCellRangeStatus::crReferenceTooLarge, column);
    *fields[k] = value;
  }
  return result;
}

}  // namespace aqv
