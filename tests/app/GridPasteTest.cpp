#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/GridPaste.h"

namespace aqv {
namespace {

using TLines = std::vector<std::vector<std::string>>;

TEST(ParsePasteText, SplitsLinesAndTabCells) {
  struct TCase {
    const char* Text;
    TLines Lines;
  };
  const TCase cases[] = {
      {"", {}},
      {"a", {{"a"}}},
      {"a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
      {"a\nb", {{"a"}, {"b"}}},
      {"a\rb\r", {{"a"}, {"b"}}},
      {"a\t\tc", {{"a", "", "c"}}},
      {"a\t", {{"a", ""}}},
      {"a\r\n\r\nb", {{"a"}, {}, {"b"}}},
      {"\r\n", {{}}},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParsePasteText(c.Text).Lines, c.Lines) << c.Text;
}

TEST(JoinCopyText, EndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinCopyText({{"a", "b", "c"}, {"d", "e", "f"}}), "a\tb\tc\r\nd\te\tf\r\n");
  EXPECT_EQ(JoinCopyText({{""}}), "\r\n");
}

// A grid of 4 columns and 3 data rows whose cells pass unless their text is "x".
TPasteTarget Bounded(int left, int top) {
  return {left, top, 4, 4, true, 0};
}
bool NotX(int, int, const std::string& text) {
  return text != "x";
}

TEST(PlanPaste, RefusesABlockPastTheRightEdgeEvenWhenItsValuesAreValid) {
  const TPastePlan plan = PlanPaste(ParsePasteText("1\t2\t3"), Bounded(2, 1), NotX);
  EXPECT_EQ(plan.Status, TPasteStatus::psOutside);
  EXPECT_TRUE(plan.Cells.empty());
  EXPECT_EQ(ToText(plan), "Can not paste outside grid borders!");
}

TEST(PlanPaste, RefusesABlockPastTheLastRowOfABoundedGrid) {
  EXPECT_EQ(PlanPaste(ParsePasteText("1\n2\n3\n4"), Bounded(1, 1), NotX).Status,
            TPasteStatus::psOutside);
  EXPECT_EQ(PlanPaste(ParsePasteText("1\n2\n3"), Bounded(1, 1), NotX).Status,
            TPasteStatus::psPaste);
}

TEST(PlanPaste, CountsEveryInvalidValue) {
  const TPastePlan plan = PlanPaste(ParsePasteText("1\tx\r\nx\t4\r\n5\t6"), Bounded(1, 1), NotX);
  EXPECT_EQ(plan.Status, TPasteStatus::psInvalid);
  EXPECT_EQ(plan.InvalidCount, 2);
  EXPECT_TRUE(plan.Cells.empty());
  // The second line names the first of them, its column by number or by its title.
  EXPECT_EQ(plan.FirstInvalid, (TPasteCell{2, 1, "x"}));
  const std::string refusal = "The selection contains 2 invalid value(s). Can not paste!\n";
  EXPECT_EQ(ToText(plan), refusal + "First invalid value: row 1, column 3, text \"x\"");
  EXPECT_EQ(ToText(plan, "Time [d]"),
            refusal + "First invalid value: row 1, column \"Time [d]\", text \"x\"");
  // A text too long for a message line is shortened; one that just fits is shown whole.
  const auto shown = [](std::size_t length) {
    return ToText(PlanPaste(ParsePasteText(std::string(length, 'y')), Bounded(1, 1),
                            [](int, int, const std::string&) { return false; }));
  };
  EXPECT_TRUE(shown(100).ends_with(", text \"" + std::string(60, 'y') + "...\""));
  EXPECT_TRUE(shown(60).ends_with(", text \"" + std::string(60, 'y') + "\""));
}

TEST(PlanPaste, OutsideIsReportedBeforeInvalid) {
  EXPECT_EQ(PlanPaste(ParsePasteText("x\tx\tx\tx"), Bounded(2, 1), NotX).Status,
            TPasteStatus::psOutside);
}

TEST(PlanPaste, EmptyMiddleLineSkipsItsRow) {
  const TPastePlan plan = PlanPaste(ParsePasteText("a\r\n\r\nb\r\n"), Bounded(2, 1), NotX);
  ASSERT_EQ(plan.Status, TPasteStatus::psPaste);
  const std::vector<TPasteCell> expected = {{2, 1, "a"}, {2, 3, "b"}};
  EXPECT_EQ(plan.Cells, expected);
}

TEST(PlanPaste, PastedRowsAreCheckedAtTheirOwnRow) {
  std::vector<int> rows;
  const TPastePlan plan =
      PlanPaste(ParsePasteText("1\n2\n3"), Bounded(1, 1), [&](int, int row, const std::string&) {
        rows.push_back(row);
        return true;
      });
  EXPECT_EQ(plan.Status, TPasteStatus::psPaste);
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3}));
}

TEST(PlanPaste, UnboundedRowsCountTheRowsToAdd) {
  // Three periods (rows 1..3), five lines from row 2: rows 4, 5 and 6 are missing.
  const TPasteTarget target{2, 2, 4, 4, false, 4};
  const TPastePlan plan = PlanPaste(ParsePasteText("1\t1\n2\t2\n3\t3\n4\t4\n5\t5\n"), target, NotX);
  EXPECT_EQ(plan.Status, TPasteStatus::psPaste);
  EXPECT_EQ(plan.MissingRows, 3);
  EXPECT_EQ(plan.Cells.size(), 10u);
  EXPECT_EQ(plan.Cells.back(), (TPasteCell{3, 6, "5"}));
}

TEST(PlanPaste, AnEmptyLinePastTheTableStillCountsItsRow) {
  const TPasteTarget target{2, 3, 4, 4, false, 4};
  EXPECT_EQ(PlanPaste(ParsePasteText("1\n\n3"), target, NotX).MissingRows, 2);
}

TEST(PlanPaste, UnboundedRowsStillBoundTheColumns) {
  const TPasteTarget target{3, 9, 4, 4, false, 4};
  EXPECT_EQ(PlanPaste(ParsePasteText("1\t2"), target, NotX).Status, TPasteStatus::psOutside);
}

TEST(PlanPaste, EmptyTextPastesNothing) {
  const TPastePlan plan = PlanPaste(ParsePasteText(""), Bounded(1, 1), NotX);
  EXPECT_EQ(plan.Status, TPasteStatus::psPaste);
  EXPECT_TRUE(plan.Cells.empty());
  EXPECT_EQ(ToText(plan), "");
}

}  // namespace
}  // namespace aqv
