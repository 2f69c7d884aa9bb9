#include "render/ChartText.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>

namespace narv {
namespace {

// Digit placeholders after the decimal point of a picture section: required '0's and
// optional '#'s.
struct Decimals {
    int required = 0;
    int optional = 0;
};

Decimals countDecimals(std::string_view section)
{
    Decimals decimals;
    const auto point = section.find('.');
    if (point == std::string_view::npos)
        return decimals;
    for (std::size_t i = point + 1; i < section.size(); ++i) {
        if (section[i] == '0')
            ++decimals.required;
        else if (section[i] == '#')
            ++decimals.optional;
        else if (section[i] != ',') // digits end at the first other character ("E", a blank)
            break;
    }
    return decimals;
}

} // namespace

std::string ToQtLabelFormat(std::string_view pictureFormat)
{
    const std::string_view section = pictureFormat.substr(0, pictureFormat.find(';'));
    if (section.find_first_of("0#") == std::string_view::npos)
        return "%g";
    const Decimals decimals = countDecimals(section);
    for (std::size_t i = 0; i + 1 < section.size(); ++i) {
        const char c = section[i];
        if ((c == 'E' || c == 'e') && (section[i + 1] == '+' || section[i + 1] == '-'))
            return fmt::format("%.{}{}", decimals.required + decimals.optional, c);
    }
    if (decimals.optional == 0)
        return fmt::format("%.{}f", decimals.required);
    // 15 significant digits hide the rounding noise of computed tick positions.
    return "%.15g";
}

std::string ChartFileName(std::size_t index, std::string_view title, int digits)
{
    constexpr std::size_t kMaximumTitleLength = 100; // keeps paths well below system limits
    std::string safeTitle;
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) // UTF-8 continuation byte: its character is already replaced
            continue;
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == '_' || c == '-';
        safeTitle += allowed ? c : '_';
        if (safeTitle.size() == kMaximumTitleLength)
            break;
    }
    // Trailing blanks and dots are dropped by some file systems, which would change the name.
    while (!safeTitle.empty() && (safeTitle.back() == ' ' || safeTitle.back() == '.'))
        safeTitle.pop_back();
    if (safeTitle.empty())
        return fmt::format("{:0{}}.png", index, digits);
    return fmt::format("{:0{}}-{}.png", index, digits, safeTitle);
}

} // namespace narv
