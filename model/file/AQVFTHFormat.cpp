#include "model/file/AQVFTHFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace aqv {

namespace {

constexpr std::size_t kCellWidth = 10;

std::string Cell(std::string text) {
  if (text.size() < kCellWidth) text.insert(0, kCellWidth - text.size(), ' ');
  text.resize(kCellWidth);
  return text;
}

std::string Fixed(double value, int decimals) {
  char buffer[400];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text = error == std::errc() ? std::string(buffer, end) : std::string("0");
  // A value that rounds to zero is written without a sign.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

// Mantissa with `decimals` decimals (with its "-") and the decimal exponent of value.
struct TExponentParts {
  std::string Mantissa;
  int Exponent = 0;
};

TExponentParts ExponentParts(double value, int decimals) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, decimals);
  const std::string_view text(buffer, error == std::errc() ? end : buffer);
  const std::size_t e = text.find('e');
  if (e == std::string_view::npos) return {"0." + std::string(decimals, '0'), 0};
  TExponentParts parts{std::string(text.substr(0, e)), 0};
  std::string_view exponent = text.substr(e + 1);
  if (!exponent.empty() && exponent.front() == '+') exponent.remove_prefix(1);
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), parts.Exponent);
  return parts;
}

// "E", the exponent's sign and at least `digits` exponent digits.
std::string ExponentText(int exponent, int digits) {
  std::string number = std::to_string(std::abs(exponent));
  if (number.size() < static_cast<std::size_t>(digits))
    number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
  return std::string("E") + (exponent < 0 ? "-" : "+") + number;
}

// Two-digit exponents with `decimals` decimals; an exponent beyond two digits gets all four
// of its digits and two decimals fewer, so that the cell stays 10 characters and true.
std::string ShortExponentForm(double value, int decimals) {
  const TExponentParts parts = ExponentParts(value, decimals);
  if (std::abs(parts.Exponent) <= 99) return parts.Mantissa + ExponentText(parts.Exponent, 2);
  const TExponentParts wide = ExponentParts(value, decimals - 2);
  return wide.Mantissa + ExponentText(wide.Exponent, 4);
}

}  // namespace

std::string FormatFTHTime(double t) {
  if (!std::isfinite(t)) t = 0;
  if (t > 0.01 && t < 1000) return Cell(Fixed(t, 6));
  if (t >= 1000 && t < 10000) return Cell(Fixed(t, 5));
  if (t == 0) return Cell("0.0000" + ExponentText(0, 2));
  return Cell(ShortExponentForm(t, t < 0 ? 3 : 4));
}

std::string FormatFTHValue(double v) {
  if (!std::isfinite(v)) v = 0;
  const double size = std::fabs(v);
  const int decimals = size < 10 ? 5 : 5 - static_cast<int>(std::trunc(std::log10(size)));
  if (decimals >= 0) return Cell(Fixed(v, decimals));
  const TExponentParts parts = ExponentParts(v, 1);
  const std::string sign = parts.Mantissa.front() == '-' ? "" : " ";
  return Cell(sign + parts.Mantissa + ExponentText(parts.Exponent, 4));
}

}  // namespace aqv
