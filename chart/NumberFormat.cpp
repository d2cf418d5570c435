#include "chart/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace aqv {
namespace {

// A finite number as sign, decimal digits and exponent: value = 0.d1d2d3... × 10^exponent.
// Digits is empty for zero.
struct TDecimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// The shortest decimal digits that hold the double exactly enough for every later rounding:
// 17 significant digits identify a double uniquely.
TDecimal ToDecimal(double value) {
  TDecimal result;
  result.negative = std::signbit(value);
  if (value == 0.0 || !std::isfinite(value)) return result;
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, 16);
  if (ec != std::errc{}) return result;
  const std::string text(buffer, end);
  const auto ePos = text.find('e');
  for (std::size_t i = 0; i < ePos; ++i)
    if (text[i] != '.') result.digits += text[i];
  int exponent = 0;
  std::from_chars(text.data() + ePos + 1 + (text[ePos + 1] == '+' ? 1 : 0),
                  text.data() + text.size(), exponent);
  result.exponent = exponent + 1;
  while (!result.digits.empty() && result.digits.back() == '0') result.digits.pop_back();
  return result;
}

// Rounds to `count` significant digits, halves away from zero; count <= 0 keeps only what
// rounds up into a new leading digit.
void RoundDigits(TDecimal& d, int count) {
  if (static_cast<int>(d.digits.size()) <= count) return;
  if (count < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(count)] >= '5';
  d.digits.resize(static_cast<std::size_t>(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
      d.digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++d.digits[static_cast<std::size_t>(i)];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

char DigitAt(const TDecimal& d, int index) {
  return index >= 0 && index < static_cast<int>(d.digits.size())
             ? d.digits[static_cast<std::size_t>(index)]
             : '0';
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatFloatFixed(double value, int precision, int digits, char decimalSeparator) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 18);
  digits = std::clamp(digits, 0, 18);
  TDecimal d = ToDecimal(value);
  RoundDigits(d, precision);
  if (!d.digits.empty() && d.exponent > precision)
    return FormatFloatExponent(value, precision, 2, decimalSeparator);
  RoundDigits(d, d.exponent + digits);
  std::string text;
  if (d.negative && !d.digits.empty()) text += '-';
  if (d.digits.empty() || d.exponent <= 0) {
    text += '0';
  } else {
    for (int i = 0; i < d.exponent; ++i) text += DigitAt(d, i);
  }
  if (digits > 0) {
    text += decimalSeparator;
    for (int i = 0; i < digits; ++i) text += d.digits.empty() ? '0' : DigitAt(d, d.exponent + i);
  }
  return text;
}

std::string FormatFloatExponent(double value, int precision, int exponentDigits,
                                char decimalSeparator) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 18);
  exponentDigits = std::clamp(exponentDigits, 0, 4);
  TDecimal d = ToDecimal(value);
  RoundDigits(d, precision);
  std::string text;
  if (d.negative && !d.digits.empty()) text += '-';
  text += DigitAt(d, 0);
  if (precision > 1) {
    text += decimalSeparator;
    for (int i = 1; i < precision; ++i) text += DigitAt(d, i);
  }
  const int exponent = d.digits.empty() ? 0 : d.exponent - 1;
  text += 'E';
  text += exponent < 0 ? '-' : '+';
  std::string expText = std::to_string(std::abs(exponent));
  if (static_cast<int>(expText.size()) < exponentDigits)
    expText.insert(0, static_cast<std::size_t>(exponentDigits) - expText.size(), '0');
  return text + expText;
}

std::string TrimMantissaZeros(const std::string& text, char decimalSeparator) {
  const auto ePos = text.find('E');
  std::string mantissa = text.substr(0, ePos);
  const std::string rest = ePos == std::string::npos ? std::string() : text.substr(ePos);
  if (mantissa.find(decimalSeparator) == std::string::npos) return text;
  while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
  if (!mantissa.empty() && mantissa.back() == decimalSeparator) mantissa.pop_back();
  return mantissa + rest;
}

std::string FormatTickLabel(double value, char decimalSeparator) {
  const double a = std::fabs(value);
  std::string text;
  if (a < 1e-15)
    text = FormatFloatFixed(value, 1, 1, decimalSeparator);
  else if (a < 0.001 || a > 10000)
    text = FormatFloatExponent(value, 6, 2, decimalSeparator);
  else
    text = FormatFloatFixed(value, 12, 5, decimalSeparator);
  return TrimMantissaZeros(text, decimalSeparator);
}

}  // namespace aqv
