#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/Elements.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

using test::TEventLog;

TEST(Elements, OrdinalsAreTheStoredNumbers) {
  EXPECT_EQ(static_cast<int>(TMarkerStyle::msCircle), 0);
  EXPECT_EQ(static_cast<int>(TMarkerStyle::msSquare), 3);
  EXPECT_EQ(static_cast<int>(TMarkerStyle::msVerticalLine), 5);
  EXPECT_EQ(static_cast<int>(TPlacement::plNone), 1);
  EXPECT_EQ(static_cast<int>(TPlacement::plTop), 4);
  EXPECT_EQ(static_cast<int>(TMyAlignmentTypes::maCenter), 1);
  EXPECT_EQ(static_cast<int>(TMyAlignmentTypes::maTop), 4);
  EXPECT_EQ(static_cast<int>(TAxisType::saSecondaryY), 2);
  EXPECT_EQ(static_cast<int>(TFloatFormat::ffCurrency), 4);
  EXPECT_EQ(static_cast<int>(TBrushStyle::bsClear), 1);
  EXPECT_EQ(static_cast<int>(TBrushStyle::bsDiagCross), 7);
  EXPECT_EQ(static_cast<int>(TPenStyle::psClear), 5);
  EXPECT_EQ(static_cast<int>(TPenStyle::psInsideFrame), 6);
  EXPECT_EQ(static_cast<int>(TPenMode::pmCopy), 4);
  EXPECT_EQ(sizeof(TMarkerStyle), 1u);
  EXPECT_EQ(sizeof(TAxisTypes), 1u);
}

TEST(Elements, TryOrdinalToAcceptsOnlyNamedValues) {
  TMarkerStyle marker = TMarkerStyle::msCross;
  EXPECT_TRUE(TryOrdinalTo(5, marker));
  EXPECT_EQ(marker, TMarkerStyle::msVerticalLine);
  EXPECT_FALSE(TryOrdinalTo(6, marker));
  EXPECT_FALSE(TryOrdinalTo(-1, marker));
  EXPECT_EQ(marker, TMarkerStyle::msVerticalLine);

  TPenStyle pen = TPenStyle::psSolid;
  EXPECT_TRUE(TryOrdinalTo(6, pen));
  EXPECT_FALSE(TryOrdinalTo(7, pen));
  TBrushStyle brush = TBrushStyle::bsSolid;
  EXPECT_TRUE(TryOrdinalTo(7, brush));
  EXPECT_FALSE(TryOrdinalTo(8, brush));
  TPlacement placement = TPlacement::plRight;
  EXPECT_FALSE(TryOrdinalTo(5, placement));
  TPenMode mode = TPenMode::pmCopy;
  EXPECT_TRUE(TryOrdinalTo(15, mode));
  EXPECT_FALSE(TryOrdinalTo(16, mode));
}

TEST(TEnumSet, BitNIsEnumeratorN) {
  TAxisTypes axes{TAxisType::saX, TAxisType::saY};
  EXPECT_EQ(axes.Bits(), 0b011);
  axes.Exclude(TAxisType::saX);
  axes.Include(TAxisType::saSecondaryY);
  EXPECT_EQ(axes.Bits(), 0b110);
  EXPECT_FALSE(axes.Contains(TAxisType::saX));
  EXPECT_TRUE(axes.Contains(TAxisType::saSecondaryY));
  EXPECT_EQ(axes, TAxisTypes::FromBits(0b110));
  axes.Set(TAxisType::saY, false);
  axes.Set(TAxisType::saSecondaryY, false);
  EXPECT_TRUE(axes.Empty());
}

TEST(TFont, StartsWithTheDrawingDefaultsAndEverySetterFiresEvenWhenUnchanged) {
  TFont font;
  EXPECT_EQ(font.Data(), (TFontData{kDefaultFontName, kDefaultFontSize, clWindowText, {}}));
  TEventLog log(font);
  font.SetName(font.Name());
  font.SetSize(font.Size());
  font.SetColor(font.Color());
  font.SetStyle({TFontStyle::fsBold, TFontStyle::fsStrikeOut});
  EXPECT_EQ(log.Senders, std::vector<TObject*>(4, &font));
  EXPECT_EQ(font.Style().Bits(), 0b1001);
}

TEST(TBrushAndTPen, StartWithWhiteSolidAndBlackSolidWidthOne) {
  const TBrush brush;
  EXPECT_EQ(brush.Data(), (TBrushData{clWhite, TBrushStyle::bsSolid}));
  const TPen pen;
  EXPECT_EQ(pen.Data(), (TPenData{clBlack, TPenStyle::psSolid, 1, TPenMode::pmCopy}));
}

TEST(TPen, NegativeWidthIsRefusedWithoutEvent) {
  TPen pen;
  TEventLog log(pen);
  pen.SetWidth(3);
  pen.SetWidth(-2);
  EXPECT_EQ(pen.Width(), 3);
  EXPECT_EQ(log.Senders.size(), 1u);
  pen.SetData({clRed, TPenStyle::psDash, -5, TPenMode::pmXor});
  EXPECT_EQ(pen.Width(), 0);
  EXPECT_EQ(pen.Style(), TPenStyle::psDash);
}

TEST(TMyAlignmentAndTNumber, SettersFireEvenWhenUnchanged) {
  TMyAlignment alignment;
  TNumber number;
  TEventLog log(alignment);
  number.OnChange = log.Handler();
  alignment.SetAlignment(TMyAlignmentTypes::maCenter);
  alignment.SetOrientation(0);
  number.SetCategory(TFloatFormat::ffGeneral);
  number.SetDecimalPlaces(0);
  EXPECT_EQ(log.Senders, (std::vector<TObject*>{&alignment, &alignment, &number, &number}));
}

TEST(TPatterns, ForwardsAreaAndBorderChangesAsItself) {
  TPatterns patterns;
  TEventLog log(patterns);
  patterns.Area().SetColor(clYellow);
  patterns.Border().SetStyle(TPenStyle::psDot);
  patterns.Border().SetWidth(4);
  EXPECT_EQ(log.Senders, (std::vector<TObject*>{&patterns, &patterns, &patterns}));
}

TEST(TPatterns, SetDataFiresOnceNotPerPart) {
  TPatterns patterns;
  TEventLog log(patterns);
  TPatternsData data;
  data.Area = {clAqua, TBrushStyle::bsCross};
  data.Border = {clNavy, TPenStyle::psDashDot, 3, TPenMode::pmCopy};
  patterns.SetData(data);
  EXPECT_EQ(log.Senders.size(), 1u);
  EXPECT_EQ(patterns.Data(), data);
  patterns.SetData(data, false);
  EXPECT_EQ(log.Senders.size(), 1u);
}

// A copy whose owned pen kept the original's forwarding would announce its changes as the
// original, so a dialog editing its copy would repaint the chart.
TEST(TPatterns, CopyForwardsToItselfNotToTheOriginal) {
  TPatterns original;
  TEventLog originalLog(original);
  original.Border().SetColor(clRed);
  originalLog.Senders.clear();

  TPatterns copy(original);
  EXPECT_EQ(copy.Data(), original.Data());
  EXPECT_FALSE(copy.OnChange);
  TEventLog copyLog(copy);
  copy.Border().SetColor(clGreen);
  copy.Area().SetStyle(TBrushStyle::bsClear);
  EXPECT_TRUE(originalLog.Senders.empty());
  EXPECT_EQ(copyLog.Senders, (std::vector<TObject*>{&copy, &copy}));
  EXPECT_EQ(copy.Area().Style(), TBrushStyle::bsClear);
  EXPECT_EQ(original.Border().Color(), clRed);
}

TEST(TPatterns, AssignmentKeepsTheTargetsListeners) {
  TPatterns source;
  source.Area().SetColor(clSilver);
  source.Border().SetWidth(3);
  TPatterns target;
  TEventLog log(target);
  target = source;
  EXPECT_TRUE(log.Senders.empty());  // plain assignment is silent
  EXPECT_EQ(target.Area().Color(), clSilver);
  EXPECT_EQ(target.Border().Width(), 3);
  target.Border().SetWidth(5);
  EXPECT_EQ(log.Senders, std::vector<TObject*>{&target});
  target.Assign(source);  // Assign announces the new settings once
  EXPECT_EQ(log.Senders.size(), 2u);
  EXPECT_EQ(target.Border().Width(), 3);
}

TEST(TPatterns, CopiesInAGrowingVectorStayHooked) {
  std::vector<TPatterns> list(1);
  for (int i = 0; i < 20; ++i) list.emplace_back();  // forces reallocations
  int fired = 0;
  TPatterns* sender = nullptr;
  list[0].OnChange = [&](TObject* s) {
    ++fired;
    sender = static_cast<TPatterns*>(s);
  };
  list[0].Area().SetColor(clBlue);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(sender, &list[0]);
}

TEST(ColumnLettersToNumber, CountsBijectiveBase26) {
  EXPECT_EQ(ColumnLettersToNumber("A"), 1);
  EXPECT_EQ(ColumnLettersToNumber("Z"), 26);
  EXPECT_EQ(ColumnLettersToNumber("AA"), 27);
  EXPECT_EQ(ColumnLettersToNumber("ab"), 28);
  EXPECT_EQ(ColumnLettersToNumber("ZZ"), 702);
  EXPECT_EQ(ColumnLettersToNumber("AAA"), 703);
  EXPECT_EQ(ColumnLettersToNumber("A1"), 1);  // a non-letter ends the reading with 1
  // FXSHRXW = 2^31 - 1, the largest 32-bit column; one more overflows.
  EXPECT_EQ(ColumnLettersToNumber("FXSHRXW"), 2147483647);
  EXPECT_EQ(ColumnLettersToNumber("FXSHRXX"), -1);
  EXPECT_EQ(ColumnLettersToNumber("AAAAAAAAAAAAAAAAAAAAAAAA"), -1);
}

struct TRangeCase {
  const char* text;
  TCellRange range;
};

TEST(ParseCellRange, ReadsWellFormedRanges) {
  const TRangeCase cases[] = {
      {"B2:C20", {2, 2, 3, 20}}, {"a1:b3", {1, 1, 2, 3}},     {"AA10:AB12", {27, 10, 28, 12}},
      {":A1B2", {1, 1, 2, 2}},   {"A1B2:", {1, 1, 2, 2}},     {"A1:B2 trailing", {1, 1, 2, 2}},
      {"", {0, 0, 0, 0}},        {"z007:z9", {26, 7, 26, 9}}, {"A0:A0", {1, 0, 1, 0}}};
  for (const TRangeCase& c : cases) {
    const TCellRangeParse result = ParseCellRange(c.text);
    EXPECT_TRUE(result.IsSuccess()) << c.text << ": " << result.Message;
    EXPECT_TRUE(result.Message.empty()) << c.text;
    EXPECT_EQ(result.Range, c.range) << c.text;
  }
}

struct TBadRangeCase {
  const char* text;
  TCellRangeStatus status;
  const char* message;
  TCellRange range;  // the numbers read before the failure
  int column;
};

TEST(ParseCellRange, RefusesMalformedTextWithItsMessage) {
  const TBadRangeCase cases[] = {
      {"A1", TCellRangeStatus::crNoColon, "Error in cell reference!", {}, 0},
      {"A1B2", TCellRangeStatus::crNoColon, "Error in cell reference!", {}, 0},
      {"A:B2", TCellRangeStatus::crExpectedColumn, "Expected column reference!", {28, 2, 0, 0}, 5},
      {"1A:B2", TCellRangeStatus::crExpectedColumn, "Expected column reference!", {}, 1},
      {":", TCellRangeStatus::crExpectedColumn, "Expected column reference!", {}, 2},
      {"A:", TCellRangeStatus::crExpectedRow, "Expected row reference!", {1, 0, 0, 0}, 3},
      {"A1:B", TCellRangeStatus::crExpectedRow, "Expected row reference!", {1, 1, 2, 0}, 5},
      // The removed ":" joins the digits around it: A1:2 reads as A12.
      {"A1:2", TCellRangeStatus::crExpectedColumn, "Expected column reference!", {1, 12, 0, 0}, 5},
      {"A 1:B2", TCellRangeStatus::crExpectedRow, "Expected row reference!", {1, 0, 0, 0}, 2},
      {"\xC3\x84"
       "1:B2",
       TCellRangeStatus::crExpectedColumn,
       "Expected column reference!",
       {},
       1}};
  for (const TBadRangeCase& c : cases) {
    const TCellRangeParse result = ParseCellRange(c.text);
    EXPECT_EQ(result.Status, c.status) << c.text;
    EXPECT_FALSE(result.IsSuccess()) << c.text;
    EXPECT_EQ(result.Message, c.message) << c.text;
    EXPECT_EQ(result.Range, c.range) << c.text;
    EXPECT_EQ(result.Column, c.column) << c.text;
  }
}

// A row number too long for 32 bits used to escape as a conversion error; it is now a refusal
// like any other malformed range, keeping the numbers read before it.
TEST(ParseCellRange, RowNumberBeyond32BitsIsRefusedNotThrown) {
  const TCellRangeParse result = ParseCellRange("A1:B99999999999");
  EXPECT_EQ(result.Status, TCellRangeStatus::crReferenceTooLarge);
  EXPECT_EQ(result.Message, "Cell reference too large!");
  EXPECT_EQ(result.Range, (TCellRange{1, 1, 2, 0}));
  EXPECT_EQ(result.Column, 5);

  const TCellRangeParse largest = ParseCellRange("A2147483647:B2");
  EXPECT_TRUE(largest.IsSuccess());
  EXPECT_EQ(largest.Range.FirstRow, 2147483647);
  EXPECT_FALSE(ParseCellRange("A2147483648:B2").IsSuccess());
}

TEST(ParseCellRange, ColumnLettersBeyond32BitsAreRefused) {
  const TCellRangeParse result = ParseCellRange("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA1:B2");
  EXPECT_EQ(result.Status, TCellRangeStatus::crReferenceTooLarge);
  EXPECT_EQ(result.Range, TCellRange{});
  EXPECT_EQ(result.Column, 1);
}

}  // namespace
}  // namespace aqv
