#include "core/NumberFormat.h"

#include <fmt/format.h>

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

std::string formatScientific(double x, int decimals, int exponentDigits)
{
    if (x == 0.0)
        x = 0.0; // a negative zero is written as zero, with the blank sign of values >= 0
    std::string mantissa;
    int exponent = 0;
    splitExponent(fmt::format("{:.{}E}", x, decimals), mantissa, exponent);
    return fmt::format("{}{}E{}", mantissa.front() == '-' ? "" : " ", mantissa,
                       exponentText(exponent, exponentDigits));
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

} // namespace narv
