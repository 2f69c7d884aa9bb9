#include "special/SpecialFormat.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>

namespace narv::detail {

std::string FormatFixedFileReal(double x, int width, int decimals)
{
    if (!std::isfinite(x))
        return fmt::format("{:>{}}", fmt::format("{}", x), width);
    // The shortest fixed form has at most 309 integer digits and 767 decimals.
    char buffer[1100];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::fixed);
    const std::string shortest(buffer, result.ptr);
    const std::size_t point = shortest.find('.');
    std::string whole = shortest.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : shortest.substr(point + 1);
    const std::size_t kept = static_cast<std::size_t>(decimals);
    std::string digits = whole + fraction.substr(0, kept);
    digits.append(kept - std::min(kept, fraction.size()), '0');
    if (fraction.size() > kept && fraction[kept] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i > 0)
            ++digits[i - 1];
        else
            digits.insert(digits.begin(), '1');
    }
    whole = digits.substr(0, digits.size() - kept);
    fraction = digits.substr(digits.size() - kept);
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = (x < 0.0 && !zero ? "-" : "") + whole;
    if (decimals > 0)
        text += "." + fraction;
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

} // namespace narv::detail
