#include "core/NumberFormat.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace narv {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Splits fmt's "1.23E+05" into mantissa and exponent value.
void splitExponent(const std::string& text, std::string& mantissa, int& exponent)
{
    const std::size_t e = text.find('E');
    mantissa = text.substr(0, e);
    exponent = std::atoi(text.c_str() + e + 1);
}

std::string exponentText(int exponent, int minimumDigits)
{
    return fmt::format("{}{:0{}d}", exponent < 0 ? '-' : '+', std::abs(exponent), minimumDigits);
}

} // namespace

std::string FormatFixed(int w, int d, double x)
{
    return fmt::format("{:>{}.{}f}", x, w, d);
}

std::string FormatExponent(int w, double x)
{
    if (!std::isfinite(x))
        return fmt::format("{:>{}} ", fmt::format("{}", x), w);
    std::string mantissa;
    int exponent = 0;
    splitExponent(fmt::format("{:.2E}", x), mantissa, exponent);
    const std::string threeDigits = mantissa + "E" + exponentText(exponent, 3);
    const std::size_t padding = static_cast<std::size_t>(w) > threeDigits.size()
                                    ? static_cast<std::size_t>(w) - threeDigits.size()
                                    : 0;
    return std::string(padding, ' ') + mantissa + "E" + exponentText(exponent, 1) + " ";
}

std::string FormatNumber(int w, int d, double x)
{
    const double a = std::fabs(x);
    if (a > 0.01 && a < 10000.0)
        return FormatFixed(w, d, x);
    if (a < 1e-100)
        return FormatFixed(w, d, 0.0);
    return FormatExponent(w + 3, x);
}

std::string FormatFileReal(double x, int width)
{
    if (!std::isfinite(x))
        return fmt::format("{:>{}}", fmt::format("{}", x), width);
    const int digits = std::clamp(width - 8, 2, 18);
    // The shortest scientific form, e.g. "-1.2345e+02": its digits are those a user typed.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::scientific);
    const std::string_view shortest(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = shortest.find('e');
    std::string mantissa;
    for (const char c : shortest.substr(0, e))
        if (c != '.')
            mantissa += c;
    int exponent = 0;
    std::from_chars(shortest.data() + e + 1 + (shortest[e + 1] == '+' ? 1 : 0),
                    shortest.data() + shortest.size(), exponent);
    if (static_cast<int>(mantissa.size()) > digits) {
        const bool up = mantissa[static_cast<std::size_t>(digits)] >= '5';
        mantissa.resize(static_cast<std::size_t>(digits));
        if (up) {
            int i = digits - 1;
            while (i >= 0 && mantissa[static_cast<std::size_t>(i)] == '9')
                mantissa[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0) {
                ++mantissa[static_cast<std::size_t>(i)];
            } else {
                mantissa.insert(mantissa.begin(), '1');
                mantissa.pop_back();
                ++exponent;
            }
        }
    }
    mantissa.resize(static_cast<std::size_t>(digits), '0');
    if (x == 0.0)
        exponent = 0;
    const bool negative = x < 0.0; // a negative zero is written as zero
    std::string text = fmt::format("{}{}.{}E{}", negative ? '-' : ' ', mantissa[0],
                                   mantissa.substr(1), exponentText(exponent, 4));
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

bool parseReal(std::string_view text, double& value)
{
    std::size_t start = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        start = 1;
    }
    const std::string_view body = text.substr(start);
    // The first character decides: a digit or a "." before a digit; this refuses nan, inf
    // and a second sign.
    if (body.empty() ||
        !(isDigit(body[0]) || (body[0] == '.' && body.size() > 1 && isDigit(body[1]))))
        return false;
    double parsed = 0.0;
    const auto [end, ec] =
        std::from_chars(body.data(), body.data() + body.size(), parsed, std::chars_format::general);
    if (end != body.data() + body.size())
        return false;
    if (ec == std::errc::result_out_of_range) {
        const std::size_t e = body.find_first_of("eE");
        if (e == std::string_view::npos || e + 1 >= body.size() || body[e + 1] != '-')
            return false; // overflow
        parsed = 0.0;     // underflow reads as zero
    } else if (ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(parsed))
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool parseInteger(std::string_view text, int& value)
{
    std::size_t start = 0;
    if (!text.empty() && text[0] == '+')
        start = 1;
    const std::string_view body = text.substr(start);
    if (body.empty() || (start == 1 && body[0] == '-'))
        return false;
    int parsed = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), parsed);
    if (ec != std::errc() || end != body.data() + body.size())
        return false;
    value = parsed;
    return true;
}

std::string formatShortest(double x)
{
    return fmt::format("{}", x);
}

std::string formatLimit(double x)
{
    std::string text = fmt::format("{:g}", x);
    const std::size_t e = text.find('e');
    if (e == std::string::npos)
        return text;
    std::size_t digits = e + 1;
    std::string exponent = text[digits] == '-' ? "-" : "";
    if (text[digits] == '+' || text[digits] == '-')
        ++digits;
    while (digits + 1 < text.size() && text[digits] == '0')
        ++digits;
    return text.substr(0, e + 1) + exponent + text.substr(digits);
}

} // namespace narv
