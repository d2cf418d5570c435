#pragma once

#include <string>

namespace aqv {

// The two cells of an FTH curve file ("File of Times & Heads"), 10 characters each, "." as
// the decimal separator whatever the locale.

// A time in days: fixed with 6 decimals for 0.01 < t < 1000, with 5 decimals for
// 1000 <= t < 10000, else exponent form with four decimals and a two-digit exponent
// ("1.0000E-03"); three decimals when t < 0 ("-1.234E-03"). A time whose exponent needs three
// digits keeps all of them with two decimals ("1.00E+0100"), so that no exponent is ever cut.
// Padded on the left to 10 characters and cut to 10.
std::string FormatFTHTime(double t);

// A head or flux: fixed right-aligned in 10 with D decimals, D = 5 for |v| < 10, else
// 5 - trunc(log10 |v|) (six significant digits); for |v| >= 1000000 exponent form with one
// decimal and four exponent digits (" 1.2E+0006"). Cut to 10 characters. A value that is not
// finite is written as 0.
std::string FormatFTHValue(double v);

}  // namespace aqv
