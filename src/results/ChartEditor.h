#pragma once

#include "results/ResultSet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace narv {

// The fields of the chart editor ("Editing " + title) as the user types them. Numbers and
// colours stay text until they are applied, so a bad entry can be named and nothing changes.
struct AxisFields {
    std::string Title;
    bool TitleVisible = true;
    bool Visible = true;
    bool GridVisible = true;
    bool AutomaticMinimum = false;
    bool AutomaticMaximum = true;
    bool AutomaticIncrement = true;
    std::string Minimum;
    std::string Maximum;
    std::string Increment;
    bool operator==(const AxisFields&) const = default;
};

struct SeriesFields {
    std::string Title;
    std::string Color; // "#RRGGBB"; empty: the chart's palette colour
    int PenWidth = 3;  // 1..5
    bool Active = true;
    bool operator==(const SeriesFields&) const = default;
};

struct ChartFields {
    std::string Title;
    std::string Footnote;
    bool TitleVisible = true;
    bool FootnoteVisible = true;
    bool LegendVisible = true;
    AxisFields LeftAxis;
    AxisFields BottomAxis;
    std::vector<SeriesFields> Series; // in chart order
    bool operator==(const ChartFields&) const = default;
};

inline constexpr int kMinimumPenWidth = 1;
inline constexpr int kMaximumPenWidth = 5;

ChartFields ChartFieldsOf(const TChart& chart);

// Writes the fields into the chart and its series. A field that cannot be taken throws an
// Error naming it ("Left axis, Maximum: ...") and the chart stays as it was.
void ApplyChartFields(TChart& chart, const ChartFields& fields);

// "#RRGGBB" for a colour; empty for 0 (the palette's).
std::string ColorText(std::uint32_t color);
// "#RRGGBB" or "RRGGBB" (either case), or empty for the palette's colour; nothing otherwise.
std::optional<std::uint32_t> ParseColor(const std::string& text);

} // namespace narv
