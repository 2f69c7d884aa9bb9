#pragma once

#include <string>
#include <string_view>

namespace narv {

// All formatting and parsing here is independent of the locale: "." is the decimal separator.

// x with d decimals, right-aligned in w characters (a wider number takes the room it needs).
std::string FormatFixed(int w, int d, double x);

// Three significant digits in exponent form, right-aligned in w characters as if the exponent
// had three digits; then the exponent's leading zeros are removed and one blank is appended.
// 123456 with w = 11 gives "  1.23E+5 ".
std::string FormatExponent(int w, double x);

// The one number format of all dialogs and grids: fixed for 0.01 < |x| < 10000, zero below
// 1e-100, exponent form otherwise.
std::string FormatNumber(int w, int d, double x);

// Scientific notation with a leading sign position (a blank for x >= 0), one digit, the
// given number of decimals, "E", the exponent's sign and exponentDigits digits:
// formatScientific(100, 6, 4) gives " 1.000000E+0002". Used by the fixed-width file formats.
std::string formatScientific(double x, int decimals, int exponentDigits);

// A whole token as a real: optional sign, digits with an optional "." fraction, optional
// exponent. Rejects everything else (a comma, "nan", "inf", an overflow). A value too small
// for a double reads as 0.
bool parseReal(std::string_view text, double& value);

// A whole token as a decimal integer with an optional sign.
bool parseInteger(std::string_view text, int& value);

// Shortest text that reads back to the same double, for messages and summaries.
std::string formatShortest(double x);

} // namespace narv
