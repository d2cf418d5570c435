#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "model/fit/AQVReportFormat.h"

namespace aqv {
namespace {

// A number, the width of its field and the text written.
template <class T>
using TFieldCase = std::tuple<T, int, const char*>;

TEST(TReportFormat, FormatIntFieldPadsInFrontAndNeverCuts) {
  const TFieldCase<int> cases[] = {{42, 5, "   42"},    {-7, 3, " -7"},
                                   {12345, 3, "12345"}, {0, 0, "0"},
                                   {0, 1, "0"},         {-2147483647 - 1, 12, " -2147483648"},
                                   {5, -4, "5"}};
  for (const auto& [n, width, text] : cases)
    EXPECT_EQ(FormatIntField(n, width), text) << n << " in " << width;
  // Widths beyond the longest field are narrowed to it.
  EXPECT_EQ(FormatIntField(1, 200).size(), static_cast<std::size_t>(kMaxReportFieldWidth));
}

TEST(TReportFormat, FormatExpFieldDropsTwoLeadingZerosOfTheFourDigitExponent) {
  const TFieldCase<double> cases[] = {
      {1234.5678, 11, " 1.2346E+03"},
      {-0.000123456, 11, "-1.2346E-04"},
      {0.0, 11, " 0.0000E+00"},
      {9.99996, 11, " 1.0000E+01"},  // rounding carries into the exponent
      {1.0, 13, " 1.000000E+00"},
      // Exponents of three digits keep all four digits, in width + 2 characters.
      {1e-300, 11, " 1.0000E-0300"},
      {-1e100, 11, "-1.0000E+0100"},
      // At least one decimal: a narrow field grows.
      {12.5, 6, " 1.3E+01"},
      {-12.5, 3, "-1.3E+01"}};
  for (const auto& [x, width, text] : cases) EXPECT_EQ(FormatExpField(x, width), text) << x;
}

TEST(TReportFormat, FormatExpFieldOfNonFiniteValues) {
  EXPECT_EQ(FormatExpField(std::numeric_limits<double>::quiet_NaN(), 6), "   NAN");
  EXPECT_EQ(FormatExpField(-std::numeric_limits<double>::infinity(), 6), "  -INF");
}

TEST(TReportFormat, FormatFixFieldFallsBackToTheExponentFormWhenTooWide) {
  // The value, width, decimals and text. Halves are rounded away from zero (-2.5), and 99.9999
  // rounded to 100.000 needs 7 characters.
  const std::tuple<double, int, int, const char*> cases[] = {{123456.789, 8, 3, " 1.2E+05"},
                                                             {3.14159, 8, 3, "   3.142"},
                                                             {-2.5, 6, 0, "    -3"},
                                                             {5.0, 3, 0, "  5"},
                                                             {1234.0, 3, 0, " 1.2E+03"},
                                                             {99.9999, 6, 3, " 1.0E+02"},
                                                             {99.9999, 7, 3, "100.000"},
                                                             {-0.0001, 7, 3, "  0.000"},
                                                             {0.12345678, 10, 4, "    0.1235"},
                                                             {101.0, 9, 0, "      101"},
                                                             {1e20, 10, 1, " 1.000E+20"}};
  for (const auto& [x, width, decimals, text] : cases)
    EXPECT_EQ(FormatFixField(x, width, decimals), text) << x << " " << width;
}

TEST(TReportFormat, FormatReportFloatIsFixedOnlyFrom100ToBelowTenMillion) {
  const TFieldCase<double> cases[] = {
      {1234.56, 12, "      1234.6"},    {100.0, 10, "     100.0"},
      {9999999.9, 12, "   9999999.9"},  {99.99, 12, "   9.999E+01"},
      {10000000.0, 12, "   1.000E+07"}, {0.00123456, 12, "   1.235E-03"},
      {-500.0, 10, "-5.000E+02"},       {1e-300, 12, "  1.000E-300"},
      {0.0, 10, " 0.000E+00"},          {1234.56, 3, "1234.6"}};
  for (const auto& [x, width, text] : cases) EXPECT_EQ(FormatReportFloat(x, width), text) << x;
}

TEST(TReportFormat, ConsoleSumOfSquaresAndReportTime) {
  EXPECT_EQ(FormatConsoleSumOfSquares(0.12455138894), "      1.2455E-01");
  EXPECT_EQ(FormatConsoleSumOfSquares(123456.0), "      1.2346E+05");
  EXPECT_EQ(FormatReportTime(0.1), "      0.10000");
  EXPECT_EQ(FormatReportTime(12.345678), "     12.34568");
  EXPECT_EQ(FormatReportTime(0.05), "  5.00000E-02");
  EXPECT_EQ(FormatReportTime(100000.0), "  1.00000E+05");
  EXPECT_EQ(FormatReportTime(99999.0), "  99999.00000");
}

TEST(TReportFormat, RuleAndCenteredTitle) {
  for (const auto& [columns, width] : {std::pair{3, 104}, {0, 104}, {8, 116}})
    EXPECT_EQ(ReportRuleText(columns), std::string(width, '=')) << columns;
  EXPECT_EQ(CenteredTitleText(7, 10, 8, "  drawdown (m)  "),
            std::string(7, ' ') + std::string(11, '-') + "  drawdown (m)  " + std::string(9, '-'));
  EXPECT_EQ(CenteredTitleText(1, 0, 0, std::string(70, 'x')), " -" + std::string(60, 'x') + "-");
}

// The iteration limit's line states the real limit.
TEST(TReportFormat, RunStatusTextForEveryCode) {
  // The code, the iteration limit and the text.
  const TFieldCase<int> cases[] = {{-3, 100, "too many measurements"},
                                   {-2, 100, "too many unknown parameters"},
                                   {-1, 100, "drawdowns calculated"},
                                   {0, 100, "parameters found"},
                                   {1, 100, "calculation broken off after 100 iterations"},
                                   {1, 7, "calculation broken off after 7 iterations"},
                                   {4, 100, "calculation broken off (stopping criteria too small)"},
                                   {5, 100, "calculation broken off"},
                                   {6, 100, "calculation broken off"},
                                   {11, 100, "cannot evaluate one or more drawdowns"},
                                   {2, 100, ""},
                                   {7, 100, ""}};
  for (const auto& [code, limit, text] : cases)
    EXPECT_EQ(RunStatusText(code, limit), text) << code << " " << limit;
}

TEST(TParameterDeviations, ScaleTheCovarianceByTheResidualVarianceAndTheLinkValue) {
  // R = 2 over m − n = 10 degrees of freedom: σ = √0.4. Links 1 and 2 share parameter 1.
  const std::vector<double> diagonal = {0.04, 0.25};
  const std::vector<int> parameter = {1, 1, 2};
  const std::vector<double> value = {10.0, 20.0, 3.0};
  const std::vector<double> d = ParameterDeviations(2.0, 12, 2, diagonal, parameter, value);
  const double sigma = std::sqrt(0.4);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_DOUBLE_EQ(d[0], 0.2 * sigma * 10.0);
  EXPECT_DOUBLE_EQ(d[1], 0.2 * sigma * 20.0);
  EXPECT_DOUBLE_EQ(d[2], 0.5 * sigma * 3.0);
}

std::vector<double> Deviations(double norm, int m, int n, std::vector<double> diagonal,
                               std::vector<int> parameter, std::vector<double> value) {
  return ParameterDeviations(norm, m, n, diagonal, parameter, value);
}

// As many fitting points as parameters give zero, a negative linked value (a skin factor of
// -2) a magnitude, and a link without a valid parameter zero.
TEST(TParameterDeviations, EdgeCasesGiveZeroOrAMagnitude) {
  for (int m : {1, 2}) {
    EXPECT_EQ(Deviations(2.0, m, 2, {0.04, 0.25}, {1, 2}, {10.0, 20.0}),
              (std::vector<double>{0.0, 0.0}))
        << m;
  }
  EXPECT_DOUBLE_EQ(Deviations(3.0, 10, 1, {0.09}, {1}, {-2.0})[0], 0.3 * 1.0 * 2.0);
  const std::vector<double> d = Deviations(1.0, 2, 1, {0.04}, {0, 2, 1}, {5.0, 5.0, 5.0});
  EXPECT_EQ(std::tuple(d[0], d[1]), std::tuple(0.0, 0.0));
  EXPECT_DOUBLE_EQ(d[2], 0.2 * 1.0 * 5.0);
}

}  // namespace
}  // namespace aqv
