#include "render/ChartText.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>

namespace narv {
namespace {

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

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

std::string DefaultAxisLabelFormat(double axisMaximum)
{
    if (axisMaximum > 10000.0 || axisMaximum < 0.001)
        return "0.00 E+00;;0";
    return "#,##0.###";
}

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

std::vector<std::string> LegendTexts(const std::vector<std::string>& titles)
{
    std::vector<std::string> texts(titles.begin(), titles.end());
    if (titles.empty())
        return texts;
    const bool allHaveColon = std::all_of(titles.begin(), titles.end(), [](const std::string& t) {
        return t.find(':') != std::string::npos;
    });
    if (!allHaveColon)
        return texts;
    const auto before = [](const std::string& t) {
        return std::string_view(t).substr(0, t.find(':'));
    };
    const auto after = [](const std::string& t) {
        return std::string_view(t).substr(t.find(':') + 1);
    };
    const auto allShare = [&](auto part) {
        return std::all_of(titles.begin(), titles.end(),
                           [&](const std::string& t) { return part(t) == part(titles.front()); });
    };
    if (allShare(before)) {
        std::transform(titles.begin(), titles.end(), texts.begin(),
                       [&](const std::string& t) { return std::string(trimBlanks(after(t))); });
    } else if (allShare(after)) {
        std::transform(titles.begin(), titles.end(), texts.begin(),
                       [&](const std::string& t) { return std::string(trimBlanks(before(t))); });
    }
    return texts;
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
