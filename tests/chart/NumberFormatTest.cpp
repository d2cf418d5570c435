#include <gtest/gtest.h>

#include "chart/NumberFormat.h"

namespace aqv {
namespace {

struct TCase {
  double value;
  const char* text;
};

TEST(FormatTickLabel, ChoosesFormAndStripsZeros) {
  const TCase cases[] = {
      {2.5, "2.5"},           {100, "100"},
      {0.001, "0.001"},       {10000, "10000"},
      {10001, "1.0001E+04"},  {0.0001, "1E-04"},
      {1e-16, "0"},           {0, "0"},
      {-2.5, "-2.5"},         {-1e-16, "0"},
      {1e-15, "1E-15"},       {123456789, "1.23457E+08"},
      {0.0012345, "0.00123"}, {1e300, "1E+300"},
      {9999.999996, "10000"}, {0.000999999, "9.99999E-04"},
  };
  for (const TCase& c : cases) EXPECT_EQ(FormatTickLabel(c.value), c.text) << c.value;
}

TEST(FormatTickLabel, UsesTheGivenDecimalSeparator) {
  const TCase cases[] = {{2.5, "2,5"}, {10001, "1,0001E+04"}, {100, "100"}, {0.0001, "1E-04"}};
  for (const TCase& c : cases) EXPECT_EQ(FormatTickLabel(c.value, ','), c.text) << c.value;
}

TEST(NumberFormat, RoundsHalvesAwayFromZeroOnDecimalDigits) {
  const TCase cases[] = {{0.125, "0.13"}, {-0.125, "-0.13"}, {9.996, "10.00"}, {0.004, "0.00"}};
  for (const TCase& c : cases) EXPECT_EQ(FormatFloatFixed(c.value, 12, 2), c.text) << c.value;
  EXPECT_EQ(FormatFloatExponent(9.9999996, 6, 2), "1.00000E+01");
  EXPECT_EQ(FormatFloatExponent(1.5e-100, 3, 2), "1.50E-100");
}

TEST(NumberFormat, FixedFormFallsBackToExponentWhenIntegerDigitsExceedPrecision) {
  EXPECT_EQ(FormatFloatFixed(123456789.0, 7, 6), "1.234568E+08");
}

TEST(NumberFormat, TrimLeavesIntegersWithoutSeparatorAlone) {
  EXPECT_EQ((std::vector{TrimMantissaZeros("100"), TrimMantissaZeros("100.00"),
                         TrimMantissaZeros("1.50E+03"), TrimMantissaZeros("1,50", ',')}),
            (std::vector<std::string>{"100", "100", "1.5E+03", "1,5"}));
}

}  // namespace
}  // namespace aqv
