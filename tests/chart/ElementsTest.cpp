#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/Elements.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

using test::TEventLog;

TEST(Elements, OrdinalsAreTheStoredNumbers) {
  const auto n = [](auto value) { return static_cast<int>(value); };
  EXPECT_EQ(
      (std::vector{n(TMarkerStyle::msCircle), n(TMarkerStyle::msSquare),
                   n(TMarkerStyle::msVerticalLine), n(TPlacement::plNone), n(TPlacement::plTop),
                   n(TMyAlignmentTypes::maCenter), n(TMyAlignmentTypes::maTop),
                   n(TAxisType::saSecondaryY), n(TFloatFormat::ffCurrency), n(TBrushStyle::bsClear),
                   n(TBrushStyle::bsDiagCross), n(TPenStyle::psClear), n(TPenStyle::psInsideFrame),
                   n(TPenMode::pmCopy)}),
      (std::vector{0, 3, 5, 1, 4, 1, 4, 2, 4, 1, 7, 5, 6, 4}));
  EXPECT_EQ(std::tuple(sizeof(TMarkerStyle), sizeof(TAxisTypes)), std::tuple(1ul, 1ul));
}

TEST(Elements, TryOrdinalToAcceptsOnlyNamedValues) {
  TMarkerStyle marker = TMarkerStyle::msCross;
  EXPECT_TRUE(TryOrdinalTo(5, marker));
  EXPECT_EQ(marker, TMarkerStyle::msVerticalLine);
  EXPECT_EQ(std::tuple(TryOrdinalTo(6, marker), TryOrdinalTo(-1, marker)),
            std::tuple(false, false));
  EXPECT_EQ(marker, TMarkerStyle::msVerticalLine);
  TPenStyle pen = TPenStyle::psSolid;
  TBrushStyle brush = TBrushStyle::bsSolid;
  TPlacement placement = TPlacement::plRight;
  TPenMode mode = TPenMode::pmCopy;
  // Listed in order: each call sees the value the one before it left.
  EXPECT_EQ((std::vector{TryOrdinalTo(6, pen), TryOrdinalTo(7, pen), TryOrdinalTo(7, brush),
                         TryOrdinalTo(8, brush), TryOrdinalTo(5, placement), TryOrdinalTo(15, mode),
                         TryOrdinalTo(16, mode)}),
            (std::vector{true, false, true, false, false, true, false}));
}

TEST(TEnumSet, BitNIsEnumeratorN) {
  TAxisTypes axes{TAxisType::saX, TAxisType::saY};
  EXPECT_EQ(axes.Bits(), 0b011);
  axes.Exclude(TAxisType::saX);
  axes.Include(TAxisType::saSecondaryY);
  EXPECT_EQ(std::tuple(axes.Bits(), axes.Contains(TAxisType::saX),
                       axes.Contains(TAxisType::saSecondaryY), axes),
            std::tuple(0b110, false, true, TAxisTypes::FromBits(0b110)));
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
  EXPECT_EQ(std::tuple(log.Senders, font.Style().Bits()),
            std::tuple(std::vector<TObject*>(4, &font), 0b1001));
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
  EXPECT_EQ(std::tuple(pen.Width(), log.Senders.size()), std::tuple(3, 1ul));
  pen.SetData({clRed, TPenStyle::psDash, -5, TPenMode::pmXor});
  EXPECT_EQ(std::tuple(pen.Width(), pen.Style()), std::tuple(0, TPenStyle::psDash));
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
  EXPECT_EQ(std::tuple(log.Senders.size(), patterns.Data()), std::tuple(1ul, data));
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
  EXPECT_EQ(std::tuple(copy.Data(), static_cast<bool>(copy.OnChange)),
            std::tuple(original.Data(), false));
  TEventLog copyLog(copy);
  copy.Border().SetColor(clGreen);
  copy.Area().SetStyle(TBrushStyle::bsClear);
  EXPECT_EQ(std::tuple(originalLog.Senders.empty(), copyLog.Senders, copy.Area().Style(),
                       original.Border().Color()),
            std::tuple(true, std::vector<TObject*>{&copy, &copy}, TBrushStyle::bsClear, clRed));
}

TEST(TPatterns, AssignmentKeepsTheTargetsListeners) {
  TPatterns source;
  source.Area().SetColor(clSilver);
  source.Border().SetWidth(3);
  TPatterns target;
  TEventLog log(target);
  target = source;
  // Plain assignment is silent.
  EXPECT_EQ(std::tuple(log.Senders.empty(), target.Area().Color(), target.Border().Width()),
            std::tuple(true, clSilver, 3));
  target.Border().SetWidth(5);
  EXPECT_EQ(log.Senders, std::vector<TObject*>{&target});
  target.Assign(source);  // Assign announces the new settings once
  EXPECT_EQ(std::tuple(log.Senders.size(), target.Border().Width()), std::tuple(2ul, 3));
}

TEST(TPatterns, CopiesInAGrowingVectorStayHooked) {
  std::vector<TPatterns> list(1);
  for (int i = 0; i < 20; ++i) list.emplace_back();  // forces reallocations
  TEventLog log(list[0]);
  list[0].Area().SetColor(clBlue);
  EXPECT_EQ(log.Senders, std::vector<TObject*>{&list[0]});
}

TEST(ColumnLettersToNumber, CountsBijectiveBase26) {
  // A non-letter ends the reading; FXSHRXW = 2^31 - 1, the largest 32-bit column, and one more
  // overflows.
  const std::pair<const char*, int> cases[] = {{"A", 1},        {"Z", 26},
                                               {"AA", 27},      {"ab", 28},
                                               {"ZZ", 702},     {"AAA", 703},
                                               {"A1", 1},       {"FXSHRXW", 2147483647},
                                               {"FXSHRXX", -1}, {"AAAAAAAAAAAAAAAAAAAAAAAA", -1}};
  for (const auto& [text, number] : cases) EXPECT_EQ(ColumnLettersToNumber(text), number) << text;
}

TEST(ParseCellRange, ReadsWellFormedRanges) {
  const std::pair<const char*, TCellRange> cases[] = {
      {"B2:C20", {2, 2, 3, 20}}, {"a1:b3", {1, 1, 2, 3}},     {"AA10:AB12", {27, 10, 28, 12}},
      {":A1B2", {1, 1, 2, 2}},   {"A1B2:", {1, 1, 2, 2}},     {"A1:B2 trailing", {1, 1, 2, 2}},
      {"", {0, 0, 0, 0}},        {"z007:z9", {26, 7, 26, 9}}, {"A0:A0", {1, 0, 1, 0}}};
  for (const auto& [text, range] : cases) {
    const TCellRangeParse result = ParseCellRange(text);
    EXPECT_EQ(std::tuple(result.IsSuccess(), result.Message, result.Range),
              std::tuple(true, "", range))
        << text;
  }
}

TEST(ParseCellRange, RefusesMalformedTextWithItsMessage) {
  // Text, status, message, the numbers read before the failure and the column.
  const std::tuple<const char*, TCellRangeStatus, const char*, TCellRange, int> cases[] = {
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
      {"\u00C41:B2", TCellRangeStatus::crExpectedColumn, "Expected column reference!", {}, 1}};
  for (const auto& [text, status, message, range, column] : cases) {
    const TCellRangeParse result = ParseCellRange(text);
    EXPECT_EQ(
        std::tuple(result.Status, result.IsSuccess(), result.Message, result.Range, result.Column),
        std::tuple(status, false, message, range, column))
        << text;
  }
}

// A row number too long for 32 bits used to escape as a conversion error; it is now a refusal
// like any other malformed range, keeping the numbers read before it.
TEST(ParseCellRange, RowNumberBeyond32BitsIsRefusedNotThrown) {
  const TCellRangeParse result = ParseCellRange("A1:B99999999999");
  EXPECT_EQ(std::tuple(result.Status, result.Message, result.Range, result.Column),
            std::tuple(TCellRangeStatus::crReferenceTooLarge, "Cell reference too large!",
                       TCellRange{1, 1, 2, 0}, 5));
  const TCellRangeParse largest = ParseCellRange("A2147483647:B2");
  EXPECT_EQ(std::tuple(largest.IsSuccess(), largest.Range.FirstRow), std::tuple(true, 2147483647));
  EXPECT_FALSE(ParseCellRange("A2147483648:B2").IsSuccess());
}

TEST(ParseCellRange, ColumnLettersBeyond32BitsAreRefused) {
  const TCellRangeParse result = ParseCellRange("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA1:B2");
  EXPECT_EQ(std::tuple(result.Status, result.Range, result.Column),
            std::tuple(TCellRangeStatus::crReferenceTooLarge, TCellRange{}, 1));
}

}  // namespace
}  // namespace aqv
