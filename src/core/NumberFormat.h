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

// The real format of the program's text files: a sign position (a blank for x >= 0), one digit,
// ".", width - 8 significant digits in all (at least 2, at most 18), "E", the exponent's sign
// and four exponent digits, right-aligned in width characters (a narrow field overflows).
// FormatFileReal(100, 15) gives " 1.000000E+0002", FormatFileReal(1, 8) " 1.0E+0000". The
// mantissa is rounded half up from the shortest decimal form of x, so 1.2345 in 12
// characters gives " 1.235E+0000".
std::string FormatFileReal(double x, int width);

// A whole token as a real: optional sign, digits with an optional "." fraction, optional
// exponent. Rejects everything else (a comma, "nan", "inf", an overflow). A value too small
// for a double reads as 0.
bool parseReal(std::string_view text, double& value);

// A whole token as a decimal integer with an optional sign.
bool parseInteger(std::string_view text, int& value);

// Shortest text that reads back to the same double, for messages and summaries.
std::string formatShortest(double x);

// A limit as a message states it: "1e9", "-20", "0.1", "1e-9".
std::string formatLimit(double x);

} // namespace narv
