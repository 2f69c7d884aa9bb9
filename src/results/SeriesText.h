#pragma once

#include "results/ResultSet.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace narv {

// "Time Series Statistics" of a chart: the header line, then per series its title, maximum,
// minimum, mean and, for a concentration run series, the mean weighted by the 1st influent
// flow. Lines without line ends; fields separated by tabs.
std::vector<std::string> SeriesStatistics(const TResultSet& results, const TChart& chart);

// "Copy Series to Clipboard": a header of titles, then one line per point of the first series
// with its X and every series' Y; tabs between fields, CR LF between lines. RangeError when a
// series has fewer points than the first.
std::string CopySeriesAsText(const TChart& chart);

// "Load Series from File": line 1 skipped, line 2 the title, line 3 skipped, then "X Y" per
// line. Appends a points-only series named "fSeries" + LoadedSeriesCounter to the chart.
// Any line that cannot be read: InvalidFileError "Error loading data file.\nPlease check data
// format!" and nothing changes.
void LoadSeriesFromStream(TResultSet& results, int chart, std::istream& in,
                          const std::string& sourceName);
void LoadSeriesFromFile(TResultSet& results, int chart, const std::filesystem::path& path);

// The series as CSV (RFC 4180, CR LF): "X" and every title, then per point index the X of the
// first series and every series' Y with 9 significant digits. Empty entries are skipped; a
// series shorter than the first leaves its fields empty.
void WriteSeriesCsv(std::ostream& out, const std::vector<SeriesPointer>& series);

} // namespace narv
