#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace aqv {

// Number fields and fixed texts of the optimisation console and the least-squares report. All
// numbers use "." as the decimal separator whatever the locale; rounding is to the nearest
// decimal digit, halves away from zero. Widths count characters; a field never cuts its text.

// Longest field any formatter returns; wider requests are narrowed to it.
inline constexpr int kMaxReportFieldWidth = 80;

// The text with blanks in front up to width characters; longer texts are returned whole.
std::string RightAligned(std::string_view text, int width);

// The decimal digits of n (with "-" when negative), right-aligned in width.
std::string FormatIntField(int n, int width);

// x in exponent form "±d.ddd...E±dddd" in width + 2 characters (a blank stands for "+"), with
// width − 7 decimals but at least one; when the first two of the four exponent digits are "00"
// they are removed, which leaves width characters with a two-digit exponent.
std::string FormatExpField(double x, int width);

// x in fixed form with `decimals` decimals right-aligned in width; when that takes more than
// width characters, FormatExpField(x, width) instead.
std::string FormatFixField(double x, int width, int decimals);

// The report's general number field, right-aligned in width: fixed with 1 decimal for
// 100 ≤ value < 10000000, else exponent form with 4 significant digits and at least two
// exponent digits ("1.235E+03").
std::string FormatReportFloat(double value, int width);

// The sum of squares of a console line: 5 significant digits in exponent form, at least two
// exponent digits, right-aligned in 16.
std::string FormatConsoleSumOfSquares(double sumOfSquares);

// The time column of the report's observation table, 13 characters: FormatFixField(t, 13, 5)
// for 0.1 ≤ t < 100000, else 6 significant digits in exponent form.
std::string FormatReportTime(double time);

// A rule of 20 + 12·max(parameterCount, 7) "=" characters.
std::string ReportRuleText(int parameterCount);

// " " right-aligned in width, then before + 1 dashes, the title cut to 60 characters and
// after + 1 dashes.
std::string CenteredTitleText(int width, int before, int after, std::string_view title);

// The status line text of an optimisation run for its status code (−3 to 11); empty for codes
// without a text. Status 1 names the iteration limit that was actually applied.
std::string RunStatusText(int statusCode, int iterationLimit);

// Standard deviation of each linked value after a fit: √Cov_pp · σ · |LinkValue_i| with
// σ = √(R²/(m − n)) for n < m and 0 otherwise, where R is the residual norm, m the number of
// fitting points and n the parameter count. covarianceDiagonal[p − 1] holds Cov_pp;
// linkParameter[i] is the parameter (1..n) of link i. A link without a valid parameter gets 0.
std::vector<double> ParameterDeviations(double residualNorm, int fitCount, int parameterCount,
                                        std::span<const double> covarianceDiagonal,
                                        std::span<const int> linkParameter,
                                        std::span<const double> linkValue);

}  // namespace aqv
