#pragma once

#include <string>

namespace aqv {

// Number texts in the two classic forms that the program shows and writes. The decimal
// separator is a parameter: files always pass '.', texts on screen pass the locale's.
// Rounding is to the nearest decimal digit, halves away from zero, as a person rounds.

// Fixed-point with at most `precision` significant digits and exactly `digits` decimals
// ("-ddd.ddd"); a number with more integer digits than `precision` falls back to the
// exponent form with two exponent digits.
std::string FormatFloatFixed(double value, int precision, int digits, char decimalSeparator = '.');

// Exponent form "-d.dddE+xx" with `precision` significant digits and at least `exponentDigits`
// exponent digits.
std::string FormatFloatExponent(double value, int precision, int exponentDigits,
                                char decimalSeparator = '.');

// Removes trailing zeros of the mantissa (the text before an "E", or the whole text), then a
// decimal separator left at its end. A mantissa without separator is left alone.
std::string TrimMantissaZeros(const std::string& text, char decimalSeparator = '.');

// The short text of tick labels, point hints and the bounds quoted in validation messages:
// 0 below 1E-15, exponent form with 6 digits below 0.001 and above 10000, else fixed-point
// with 5 decimals; trailing zeros and a bare separator removed.
std::string FormatTickLabel(double value, char decimalSeparator = '.');

}  // namespace aqv
