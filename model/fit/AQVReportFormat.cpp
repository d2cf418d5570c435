#include "model/fit/AQVReportFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "chart/NumberFormat.h"

namespace aqv {
namespace {

// Sign or blank, digit, point, "E", exponent sign and four exponent digits around the decimals.
constexpr int kExpFieldOverhead = 9;
// Most significant digits a double carries into a field.
constexpr int kMaxSignificantDigits = 17;
constexpr int kMaxFixedDecimals = 18;
constexpr std::size_t kMaxTitleLength = 60;

int ClampWidth(int width) {
  return std::clamp(width, 0, kMaxReportFieldWidth);
}

}  // namespace

std::string RightAligned(std::string_view text, int width) {
  const auto w = static_cast<std::size_t>(ClampWidth(width));
  std::string result;
  if (text.size() < w) result.assign(w - text.size(), ' ');
  result += text;
  return result;
}

std::string FormatIntField(int n, int width) {
  char buffer[16];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, n);
  (void)ec;  // an int always fits
  return RightAligned(std::string_view(buffer, static_cast<std::size_t>(end - buffer)), width);
}

std::string FormatExpField(double x, int width) {
  width = std::min(ClampWidth(width), kMaxReportFieldWidth - 2);
  if (!std::isfinite(x)) return RightAligned(FormatFloatExponent(x, 1, 4), width);
  const int decimals = std::clamp(width + 2 - kExpFieldOverhead, 1, kMaxSignificantDigits - 1);
  std::string text = FormatFloatExponent(x, decimals + 1, 4);
  if (text.front() != '-') text.insert(text.begin(), ' ');  // the sign position of "+"
  text = RightAligned(text, width + 2);
  // The exponent always has four digits here, the last four characters of the text.
  const std::size_t digits = text.size() - 4;
  if (text.compare(digits, 2, "00") == 0) text.erase(digits, 2);
  return text;
}

std::string FormatFixField(double x, int width, int decimals) {
  width = ClampWidth(width);
  decimals = std::clamp(decimals, 0, kMaxFixedDecimals);
  if (!std::isfinite(x)) return FormatExpField(x, width);
  const std::string text = FormatFloatFixed(x, kMaxFixedDecimals, decimals);
  if (static_cast<int>(text.size()) > width || text.find('E') != std::string::npos)
    return FormatExpField(x, width);
  return RightAligned(text, width);
}

std::string FormatReportFloat(double value, int width) {
  if (value >= 100.0 && value < 10000000.0)
    return RightAligned(FormatFloatFixed(value, kMaxFixedDecimals, 1), width);
  return RightAligned(FormatFloatExponent(value, 4, 2), width);
}

std::string FormatConsoleSumOfSquares(double sumOfSquares) {
  return RightAligned(FormatFloatExponent(sumOfSquares, 5, 2), 16);
}

std::string FormatReportTime(double time) {
  if (time >= 0.1 && time < 100000.0) return FormatFixField(time, 13, 5);
  return RightAligned(FormatFloatExponent(time, 6, 2), 13);
}

std::string ReportRuleText(int parameterCount) {
  return std::string(static_cast<std::size_t>(20 + 12 * std::max(parameterCount, 7)), '=');
}

std::string CenteredTitleText(int width, int before, int after, std::string_view title) {
  std::string text = RightAligned(" ", width);
  text.append(static_cast<std::size_t>(std::max(before + 1, 0)), '-');
  text += title.substr(0, kMaxTitleLength);
  text.append(static_cast<std::size_t>(std::max(after + 1, 0)), '-');
  return text;
}

std::string RunStatusText(int statusCode, int iterationLimit) {
  switch (statusCode) {
    case -3:
      return "too many measurements";
    case -2:
      return "too many unknown parameters";
    case -1:
      return "drawdowns calculated";
    case 0:
      return "parameters found";
    case 1:
      return "calculation broken off after " + std::to_string(iterationLimit) + " iterations";
    case 4:
      return "calculation broken off (stopping criteria too small)";
    case 5:
    case 6:
      return "calculation broken off";
    case 11:
      return "cannot evaluate one or more drawdowns";
    default:
      return "";
  }
}

// The magnitude of the link value scales the deviation: a standard deviation is never negative,
// also for a negative linked value such as a skin factor.
std::vector<double> ParameterDeviations(double residualNorm, int fitCount, int parameterCount,
                                        std::span<const double> covarianceDiagonal,
                                        std::span<const int> linkParameter,
                                        std::span<const double> linkValue) {
  const double sigma = parameterCount < fitCount
                           ? std::sqrt(residualNorm * residualNorm / (fitCount - parameterCount))
                           : 0.0;
  const std::size_t links = std::min(linkParameter.size(), linkValue.size());
  std::vector<double> deviations(links, 0.0);
  for (std::size_t i = 0; i < links; ++i) {
    const int p = linkParameter[i];
    if (p < 1 || p > parameterCount || static_cast<std::size_t>(p) > covarianceDiagonal.size())
      continue;
    const double variance = std::max(covarianceDiagonal[static_cast<std::size_t>(p - 1)], 0.0);
    deviations[i] = std::sqrt(variance) * sigma * std::fabs(linkValue[i]);
  }
  return deviations;
}

}  // namespace aqv
