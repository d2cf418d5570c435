#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "map/WorldFileReader.h"
#include "tests/map/ImageFixtures.h"

namespace aqv {
namespace {

TEST(WorldFileReader, ReadsSixNumbersWhateverTheLineEnds) {
  for (const std::string eol : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(eol == "\n" ? "LF" : eol == "\r\n" ? "CR LF" : "CR");
    const std::string text = "0.5" + eol + " 0.1 " + eol + "\t-0.2" + eol + "-0.5" + eol +
                             "+1000.25" + eol + "2e3" + eol + "not read" + eol;
    TWorldTransform t;
    const TWorldFileResult result = ParseWorldFile(text, t);
    ASSERT_EQ(result.Status, TWorldFileStatus::wsOk) << result.Message;
    EXPECT_EQ(t, (TWorldTransform{0.5, 0.1, -0.2, -0.5, 1000.25, 2000}));
  }
}

TEST(WorldFileReader, LastLineNeedsNoLineEnd) {
  TWorldTransform t;
  ASSERT_TRUE(ParseWorldFile("1\n0\n0\n-1\n5\n6", t).IsSuccess());
  EXPECT_EQ(t.Y0, 6);
}

TEST(WorldFileReader, FewerThanSixLinesKeepTheDefaults) {
  TWorldTransform t;
  const TWorldFileResult result = ParseWorldFile("2\n0\n0\n-2\n100\n", t);
  EXPECT_EQ(result.Status, TWorldFileStatus::wsTooShort);
  EXPECT_EQ(std::tuple(result.IsSuccess(), t), std::tuple(true, TWorldTransform{}));
}

// A world file that does not convert, is not finite or has no inverse is refused with the
// line that failed, and the transform keeps its former value.
TEST(WorldFileReader, MalformedWorldFileIsRefusedWithItsLine) {
  using enum TWorldFileStatus;
  const std::vector<std::tuple<std::string, TWorldFileStatus, int>> cases = {
      {"1,5\n0\n0\n-1\n0\n0\n", wsNotANumber, 1}, {"1\n0\n0\n-1\n12 345\n0\n", wsNotANumber, 5},
      {"1\n0\n\n-1\n0\n0\n", wsNotANumber, 3},    {"1\n0\n0\n-1\n0\n0x10\n", wsNotANumber, 6},
      {"1\n0\n0\n-1\n0\n--1\n", wsNotANumber, 6}, {"1\nnan\n0\n-1\n0\n0\n", wsNotFinite, 2},
      {"1\n0\n0\n-1\ninf\n0\n", wsNotFinite, 5},  {"1\n0\n0\n-1\n1e999\n0\n", wsNotANumber, 5},
      {"0\n0\n0\n-1\n0\n0\n", wsZeroScale, 1},    {"1\n0\n0\n0\n0\n0\n", wsZeroScale, 4},
      {"1\n2\n0.5\n1\n0\n0\n", wsSingular, 0},    {"1e-200\n0\n0\n1e-200\n0\n0\n", wsSingular, 0}};
  for (const auto& [text, status, line] : cases) {
    SCOPED_TRACE(text);
    TWorldTransform t{3, 0, 0, -3, 7, 8};
    const TWorldFileResult result = ParseWorldFile(text, t);
    EXPECT_EQ(std::tuple(result.Status, result.Line, result.IsSuccess(), result.Message.empty()),
              std::tuple(status, line, false, false));
    EXPECT_EQ(t, (TWorldTransform{3, 0, 0, -3, 7, 8}));
  }
}

TEST(WorldFileReader, DecimalCommaIsReadOnlyWhenAsked) {
  double value = 0;
  EXPECT_TRUE(ParseWorldFileNumber(" 2,75 ", ',', value));
  EXPECT_EQ(value, 2.75);
  EXPECT_FALSE(ParseWorldFileNumber("2.75", ',', value));
  EXPECT_FALSE(ParseWorldFileNumber("2,75", '.', value));
  EXPECT_TRUE(ParseWorldFileNumber("-1.5E2", '.', value));
  EXPECT_EQ(value, -150);
}

// The inverse is exact in closed form at every angle; an iteration on the rows and columns
// stops converging from 45 degrees on.
TEST(WorldFileReader, ClosedFormInverseRoundTripsAtEveryAngle) {
  for (int degrees = 0; degrees < 360; degrees += 15) {
    SCOPED_TRACE(degrees);
    const TWorldTransform t = test::Rotated(-degrees, 2.5, 1000, 5000);  // turned clockwise
    for (const auto& [column, row] : {std::pair{0.0, 0.0}, {10.25, 3.5}, {-4.0, 99.75}}) {
      double x = 0, y = 0, c = 0, r = 0;
      t.ToWorld(column, row, x, y);
      t.ToPixel(x, y, c, r);
      EXPECT_NEAR(c, column, 1e-9);
      EXPECT_NEAR(r, row, 1e-9);
    }
  }
}

}  // namespace
}  // namespace aqv
