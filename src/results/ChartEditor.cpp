#include "results/ChartEditor.h"

#include "core/Error.h"
#include "core/NumberFormat.h"

#include <fmt/format.h>

#include <cctype>
#include <cmath>

namespace narv {
namespace {

AxisFields axisFieldsOf(const ChartAxis& axis)
{
    AxisFields fields;
    fields.Title = axis.Title;
    fields.TitleVisible = axis.TitleVisible;
    fields.Visible = axis.Visible;
    fields.GridVisible = axis.GridVisible;
    fields.AutomaticMinimum = axis.AutomaticMinimum;
    fields.AutomaticMaximum = axis.AutomaticMaximum;
    fields.AutomaticIncrement = axis.AutomaticIncrement;
    fields.Minimum = formatShortest(axis.Minimum);
    fields.Maximum = formatShortest(axis.Maximum);
    fields.Increment = formatShortest(axis.Increment);
    return fields;
}

double number(const std::string& axisName, const char* field, const std::string& text)
{
    double value = 0.0;
    if (!parseReal(text, value) || !std::isfinite(value))
        throw NumericFormatError(
            fmt::format("{}, {}: \"{}\" is not a number.", axisName, field, text));
    return value;
}

// The numbers an automatic setting ignores are still read, but a bad one is then left as it
// was rather than refused.
ChartAxis applyAxis(const ChartAxis& original, const AxisFields& fields,
                    const std::string& axisName)
{
    ChartAxis axis = original;
    axis.Title = fields.Title;
    axis.TitleVisible = fields.TitleVisible;
    axis.Visible = fields.Visible;
    axis.GridVisible = fields.GridVisible;
    axis.AutomaticMinimum = fields.AutomaticMinimum;
    axis.AutomaticMaximum = fields.AutomaticMaximum;
    axis.AutomaticIncrement = fields.AutomaticIncrement;
    const auto take = [&](bool automatic, const char* field, const std::string& text,
                          double& target) {
        double value = 0.0;
        if (automatic) {
            if (parseReal(text, value) && std::isfinite(value))
                target = value;
            return;
        }
        target = number(axisName, field, text);
    };
    take(fields.AutomaticMinimum, "Minimum", fields.Minimum, axis.Minimum);
    take(fields.AutomaticMaximum, "Maximum", fields.Maximum, axis.Maximum);
    take(fields.AutomaticIncrement, "Increment", fields.Increment, axis.Increment);
    if (!axis.AutomaticMinimum && !axis.AutomaticMaximum && !(axis.Maximum > axis.Minimum))
        throw RangeError(fmt::format("{}, Maximum: must be greater than the minimum {}.", axisName,
                                     formatShortest(axis.Minimum)));
    if (!axis.AutomaticIncrement && !(axis.Increment > 0.0))
        throw RangeError(fmt::format("{}, Increment: must be greater than 0.", axisName));
    return axis;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return -1;
}

} // namespace

ChartFields ChartFieldsOf(const TChart& chart)
{
    ChartFields fields;
    fields.Title = chart.Title;
    fields.Footnote = chart.Footnote;
    fields.TitleVisible = chart.TitleVisible;
    fields.FootnoteVisible = chart.FootnoteVisible;
    fields.LegendVisible = chart.LegendVisible;
    fields.LeftAxis = axisFieldsOf(chart.LeftAxis);
    fields.BottomAxis = axisFieldsOf(chart.BottomAxis);
    for (const SeriesPointer& series : chart.Series) {
        if (!series) {
            fields.Series.push_back({});
            continue;
        }
        fields.Series.push_back(
            {series->Title, ColorText(series->Color), series->PenWidth, series->Active});
    }
    return fields;
}

void ApplyChartFields(TChart& chart, const ChartFields& fields)
{
    if (fields.Series.size() != chart.Series.size())
        throw RangeError("The chart's series changed while it was edited.");
    const ChartAxis left = applyAxis(chart.LeftAxis, fields.LeftAxis, "Left axis");
    const ChartAxis bottom = applyAxis(chart.BottomAxis, fields.BottomAxis, "Bottom axis");
    std::vector<std::uint32_t> colors;
    for (std::size_t i = 0; i < fields.Series.size(); ++i) {
        const SeriesFields& series = fields.Series[i];
        const std::optional<std::uint32_t> color = ParseColor(series.Color);
        if (!color)
            throw NumericFormatError(
                fmt::format("Series {} ({}), Colour: \"{}\" is not a colour #RRGGBB.", i + 1,
                            series.Title, series.Color));
        if (series.PenWidth < kMinimumPenWidth || series.PenWidth > kMaximumPenWidth)
            throw RangeError(fmt::format("Series {} ({}), Width: must be {} to {}, not {}.", i + 1,
                                         series.Title, kMinimumPenWidth, kMaximumPenWidth,
                                         series.PenWidth));
        colors.push_back(*color);
    }

    // Everything is valid: nothing below throws.
    chart.Title = fields.Title;
    chart.Footnote = fields.Footnote;
    chart.TitleVisible = fields.TitleVisible;
    chart.FootnoteVisible = fields.FootnoteVisible;
    chart.LegendVisible = fields.LegendVisible;
    chart.LeftAxis = left;
    chart.BottomAxis = bottom;
    for (std::size_t i = 0; i < fields.Series.size(); ++i) {
        TResultSeries* series = chart.Series[i].get();
        if (series == nullptr)
            continue;
        series->Title = fields.Series[i].Title;
        series->Color = colors[i];
        series->PenWidth = fields.Series[i].PenWidth;
        series->Active = fields.Series[i].Active;
    }
}

std::string ColorText(std::uint32_t color)
{
    if (color == 0)
        return {};
    return fmt::format("#{:06X}", color & 0xFFFFFFu);
}

std::optional<std::uint32_t> ParseColor(const std::string& text)
{
    std::string_view digits = text;
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    if (digits.empty())
        return 0u;
    if (digits.front() == '#')
        digits.remove_prefix(1);
    if (digits.size() != 6)
        return std::nullopt;
    std::uint32_t color = 0;
    for (const char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        color = color * 16u + static_cast<std::uint32_t>(digit);
    }
    // 0 means "the palette's": pure black is kept as the nearest colour that is not 0.
    return color == 0 ? 0x010101u : color;
}

} // namespace narv
