#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "chart/Color.h"
#include "chart/NotifyEvent.h"

namespace aqv {

// ---- Enumerations. The data file stores each as its ordinal, so every value is fixed. ----

enum class TMarkerStyle : std::uint8_t {
  msCircle = 0,
  msCross = 1,
  msHorizontalLine = 2,
  msSquare = 3,
  msTriangle = 4,
  msVerticalLine = 5,
};

// Where the legend stands; plNone hides it.
enum class TPlacement : std::uint8_t {
  plBottom = 0,
  plNone = 1,
  plLeft = 2,
  plRight = 3,
  plTop = 4,
};

enum class TMyAlignmentTypes : std::uint8_t {
  maBottom = 0,
  maCenter = 1,
  maLeft = 2,
  maRight = 3,
  maTop = 4,
};

// The chart's three axes; the number is also the axis's Kind.
enum class TAxisType : std::uint8_t {
  saX = 0,
  saY = 1,
  saSecondaryY = 2,
};

// Number format categories of a TNumber.
enum class TFloatFormat : std::uint8_t {
  ffGeneral = 0,
  ffExponent = 1,
  ffFixed = 2,
  ffNumber = 3,
  ffCurrency = 4,
};

// Fill of an area.
enum class TBrushStyle : std::uint8_t {
  bsSolid = 0,
  bsClear = 1,
  bsHorizontal = 2,
  bsVertical = 3,
  bsFDiagonal = 4,
  bsBDiagonal = 5,
  bsCross = 6,
  bsDiagCross = 7,
};

// Dash pattern of a line; psClear draws nothing.
enum class TPenStyle : std::uint8_t {
  psSolid = 0,
  psDash = 1,
  psDot = 2,
  psDashDot = 3,
  psDashDotDot = 4,
  psClear = 5,
  psInsideFrame = 6,
};

// How a pen combines with the pixels under it (raster operation); pmCopy simply paints.
enum class TPenMode : std::uint8_t {
  pmBlack = 0,
  pmWhite = 1,
  pmNop = 2,
  pmNot = 3,
  pmCopy = 4,
  pmNotCopy = 5,
  pmMergePenNot = 6,
  pmMaskPenNot = 7,
  pmMergeNotPen = 8,
  pmMaskNotPen = 9,
  pmMerge = 10,
  pmNotMerge = 11,
  pmMask = 12,
  pmNotMask = 13,
  pmXor = 14,
  pmNotXor = 15,
};

enum class TFontStyle : std::uint8_t {
  fsBold = 0,
  fsItalic = 1,
  fsUnderline = 2,
  fsStrikeOut = 3,
};

// Conversions of a stored ordinal into an enumerator. They return false, leaving value alone,
// when the number names no enumerator, so a reader can refuse a damaged line.
[[nodiscard]] bool TryOrdinalTo(int ordinal, TMarkerStyle& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TPlacement& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TMyAlignmentTypes& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TAxisType& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TFloatFormat& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TBrushStyle& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TPenStyle& value);
[[nodiscard]] bool TryOrdinalTo(int ordinal, TPenMode& value);

// A set of up to eight enumerators held in one byte: bit n is the enumerator with ordinal n.
template <typename E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> items) {
    for (const E item : items) Include(item);
  }
  static constexpr TEnumSet FromBits(std::uint8_t bits) {
    TEnumSet set;
    set.mBits = bits;
    return set;
  }

  constexpr bool Contains(E item) const { return (mBits & Bit(item)) != 0; }
  constexpr void Include(E item) { mBits = static_cast<std::uint8_t>(mBits | Bit(item)); }
  constexpr void Exclude(E item) { mBits = static_cast<std::uint8_t>(mBits & ~Bit(item)); }
  constexpr void Set(E item, bool on) { on ? Include(item) : Exclude(item); }
  constexpr bool Empty() const { return mBits == 0; }
  constexpr std::uint8_t Bits() const { return mBits; }

  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  static constexpr std::uint8_t Bit(E item) {
    return static_cast<std::uint8_t>(1u << (static_cast<unsigned>(item) & 7u));
  }
  std::uint8_t mBits = 0;
};

// The axes a chart draws.
using TAxisTypes = TEnumSet<TAxisType>;
using TFontStyles = TEnumSet<TFontStyle>;

// ---- Font, brush and pen: the drawing attributes that the format objects own. ----

// The face and size a new font gets when no owner sets them.
inline constexpr const char* kDefaultFontName = "Tahoma";
inline constexpr int kDefaultFontSize = 8;  // points

struct TFontData {
  std::string Name = kDefaultFontName;
  int Size = kDefaultFontSize;  // points
  TColor Color = clWindowText;
  TFontStyles Style;
  friend bool operator==(const TFontData&, const TFontData&) = default;
};

// A text font as the chart draws it and the data file stores it. Every setter stores and fires
// OnChange, also when the value is unchanged. A copy carries the settings but not OnChange;
// assignment keeps the target's OnChange, so whoever listens to the target keeps listening.
class TFont : public TObject {
 public:
  TFont() = default;
  TFont(const TFont& other) : TObject(other), mData(other.mData) {}
  TFont& operator=(const TFont& other) {
    mData = other.mData;
    return *this;
  }

  const TFontData& Data() const { return mData; }
  // Replaces every setting; fires OnChange once when notify is set.
  void SetData(const TFontData& data, bool notify = true);
  // SetData(source.Data()): copies the settings and fires once.
  void Assign(const TFont& source) { SetData(source.mData); }

  const std::string& Name() const { return mData.Name; }
  void SetName(const std::string& value);
  int Size() const { return mData.Size; }
  void SetSize(int value);
  TColor Color() const { return mData.Color; }
  void SetColor(TColor value);
  TFontStyles Style() const { return mData.Style; }
  void SetStyle(TFontStyles value);

  TNotifyEvent OnChange;

 private:
  TFontData mData;
};

struct TBrushData {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
  friend bool operator==(const TBrushData&, const TBrushData&) = default;
};

// The fill of an area; white and solid when new. Copy rules as for TFont.
class TBrush : public TObject {
 public:
  TBrush() = default;
  TBrush(const TBrush& other) : TObject(other), mData(other.mData) {}
  TBrush& operator=(const TBrush& other) {
    mData = other.mData;
    return *this;
  }

  const TBrushData& Data() const { return mData; }
  void SetData(const TBrushData& data, bool notify = true);
  void Assign(const TBrush& source) { SetData(source.mData); }

  TColor Color() const { return mData.Color; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return mData.Style; }
  void SetStyle(TBrushStyle value);

  TNotifyEvent OnChange;

 private:
  TBrushData mData;
};

struct TPenData {
  TColor Color = clBlack;
  TPenStyle Style = TPenStyle::psSolid;
  int Width = 1;  // pixels
  TPenMode Mode = TPenMode::pmCopy;
  friend bool operator==(const TPenData&, const TPenData&) = default;
};

// A line: black, solid, width 1 when new. A negative width is refused (nothing stored, nothing
// fired), so a damaged file cannot hand the painter an impossible pen. Copy rules as for TFont.
class TPen : public TObject {
 public:
  TPen() = default;
  TPen(const TPen& other) : TObject(other), mData(other.mData) {}
  TPen& operator=(const TPen& other) {
    mData = other.mData;
    return *this;
  }

  const TPenData& Data() const { return mData; }
  // A negative width in data is stored as 0.
  void SetData(const TPenData& data, bool notify = true);
  void Assign(const TPen& source) { SetData(source.mData); }

  TColor Color() const { return mData.Color; }
  void SetColor(TColor value);
  TPenStyle Style() const { return mData.Style; }
  void SetStyle(TPenStyle value);
  int Width() const { return mData.Width; }
  void SetWidth(int value);
  TPenMode Mode() const { return mData.Mode; }
  void SetMode(TPenMode value);

  TNotifyEvent OnChange;

 private:
  TPenData mData;
};

// ---- Small format objects ----

// A part's rectangle in control pixels, set by the chart's layout on every drawing. Drawing
// state, not a setting: the data file does not carry it and Data() structs leave it out.
struct TPartRect {
  int Left = 0;
  int Right = 0;
  int Top = 0;
  int Bottom = 0;
  friend bool operator==(const TPartRect&, const TPartRect&) = default;
};

struct TMyAlignmentData {
  TMyAlignmentTypes Alignment = TMyAlignmentTypes::maCenter;
  int Orientation = 0;  // degrees, counter-clockwise
  friend bool operator==(const TMyAlignmentData&, const TMyAlignmentData&) = default;
};

// Alignment and angle of a text. Setters store and fire OnChange, also when unchanged. Copy
// rules as for TFont.
class TMyAlignment : public TObject {
 public:
  TMyAlignment() = default;
  TMyAlignment(const TMyAlignment& other) : TObject(other), mData(other.mData) {}
  TMyAlignment& operator=(const TMyAlignment& other) {
    mData = other.mData;
    return *this;
  }

  const TMyAlignmentData& Data() const { return mData; }
  void SetData(const TMyAlignmentData& data, bool notify = true);
  void Assign(const TMyAlignment& source) { SetData(source.mData); }

  TMyAlignmentTypes Alignment() const { return mData.Alignment; }
  void SetAlignment(TMyAlignmentTypes value);
  int Orientation() const { return mData.Orientation; }
  void SetOrientation(int value);

  TNotifyEvent OnChange;

 private:
  TMyAlignmentData mData;
};

struct TNumberData {
  TFloatFormat Category = TFloatFormat::ffGeneral;
  int DecimalPlaces = 0;
  friend bool operator==(const TNumberData&, const TNumberData&) = default;
};

// Number format of a part's texts. Setters store and fire OnChange, also when unchanged. Copy
// rules as for TFont.
class TNumber : public TObject {
 public:
  TNumber() = default;
  TNumber(const TNumber& other) : TObject(other), mData(other.mData) {}
  TNumber& operator=(const TNumber& other) {
    mData = other.mData;
    return *this;
  }

  const TNumberData& Data() const { return mData; }
  void SetData(const TNumberData& data, bool notify = true);
  void Assign(const TNumber& source) { SetData(source.mData); }

  TFloatFormat Category() const { return mData.Category; }
  void SetCategory(TFloatFormat value);
  int DecimalPlaces() const { return mData.DecimalPlaces; }
  void SetDecimalPlaces(int value);

  TNotifyEvent OnChange;

 private:
  TNumberData mData;
};

struct TPatternsData {
  TBrushData Area;
  TPenData Border;
  friend bool operator==(const TPatternsData&, const TPatternsData&) = default;
};

// Area (brush) and border (pen) of a part. Owns both; a change of either reaches OnChange with
// the patterns as sender. A copy forwards its own area and border to itself and starts without
// OnChange; assignment copies the settings and keeps the target's OnChange and forwarding.
class TPatterns : public TObject {
 public:
  TPatterns();
  TPatterns(const TPatterns& other);
  TPatterns& operator=(const TPatterns& other);

  TPatternsData Data() const { return {mArea.Data(), mBorder.Data()}; }
  // Replaces every setting; fires OnChange once (not once per owned object) when notify is set.
  void SetData(const TPatternsData& data, bool notify = true);
  void Assign(const TPatterns& source) { SetData(source.Data()); }

  TBrush& Area() { return mArea; }
  const TBrush& Area() const { return mArea; }
  TPen& Border() { return mBorder; }
  const TPen& Border() const { return mBorder; }

  // Fires OnChange with the patterns as sender, whoever sent the change.
  void PatternsChanged(TObject* sender);

  TNotifyEvent OnChange;

 private:
  void Hook();

  TPen mBorder;
  TBrush mArea;
};

// ---- A1-style cell ranges ----

// A rectangle of grid cells, columns and rows numbered from 1; all 0 means not set.
struct TCellRange {
  int FirstCol = 0;
  int FirstRow = 0;
  int LastCol = 0;
  int LastRow = 0;
  friend bool operator==(const TCellRange&, const TCellRange&) = default;
};

enum class TCellRangeStatus : std::uint8_t {
  crOK = 0,             // read, or the text was empty (then the range is all 0)
  crNoColon,            // no ":" anywhere in the text
  crExpectedColumn,     // a column letter was due
  crExpectedRow,        // a row digit was due
  crReferenceTooLarge,  // a row or column number beyond the 32-bit range
};

// The message the user sees for a status; empty for crOK.
std::string ToText(TCellRangeStatus status);
constexpr bool IsSuccess(TCellRangeStatus status) {
  return status == TCellRangeStatus::crOK;
}

// Result of ParseCellRange. Range holds the numbers read before a failure. Column is the
// 1-based position in the given text of the character where reading stopped (the length + 1
// at the end of the text), 0 for crOK and crNoColon.
struct [[nodiscard]] TCellRangeParse {
  TCellRangeStatus Status = TCellRangeStatus::crOK;
  std::string Message;
  TCellRange Range;
  int Column = 0;
  bool IsSuccess() const { return aqv::IsSuccess(Status); }
};

// The column number of letters such as "A" (1), "Z" (26), "AA" (27); case is ignored. A
// character that is not a letter ends the reading with the result 1. A number beyond the
// 32-bit range gives -1.
int ColumnLettersToNumber(std::string_view text);

// Reads a range such as "B2:C20" into (2, 2, 3, 20), case ignored. The ":" must be present
// somewhere but separates nothing: it is removed before reading, so "A1B2" is refused while
// ":A1B2" reads like "A1:B2". Text after the last row number is ignored. The caller shows
// Message as an error box when the result is not a success; nothing is shown here.
TCellRangeParse ParseCellRange(std::string_view text);

}  // namespace aqv
