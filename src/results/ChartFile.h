#pragma once

#include "results/ResultSet.h"

#include <ctime>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace narv {

// The chart record: one chart with its properties, its series and all their points, exactly.
// The same bytes form the body of a chart file and a chart record of a results file.
std::string EncodeChart(const TChart& chart);

// Reads a chart record; detail::DecodeError (ByteCodec.h) says where it is damaged.
// fileOffset is where the record starts in its file, for messages.
TChart DecodeChart(std::string_view bytes, std::size_t fileOffset = 0);

// Chart files (*.tee): a marker and a chart record.
void WriteChartFile(std::ostream& out, const TChart& chart);
// InvalidFileError naming sourceName when the bytes are not a chart file of this program.
TChart ReadChartFile(std::istream& in, const std::string& sourceName);

// "F" + yymmddhhnnss: the name of the copy written by "Save as Chart".
std::string ChartCopyName(const std::tm& localTime);

// A copy of a chart with copies of its series, named name.
TChart CopyChart(const TChart& chart, const std::string& name);

// "Run" + RunId + " " + title + ".tee"; characters that no file system takes in a name become
// "_".
std::string ProposedChartFileName(const TResultSet& results, const TChart& chart);

// "Save as Chart": writes a copy of the chart (named by ChartCopyName) to file.
void SaveChartAs(const TResultSet& results, int chart, const std::filesystem::path& file,
                 const std::tm& localTime);

// "Save Checked Charts": every checked chart to projectDir / its proposed name; returns the
// files written.
std::vector<std::filesystem::path> SaveCheckedCharts(const TResultSet& results,
                                                     const std::filesystem::path& projectDir,
                                                     const std::tm& localTime);

// "Load from File": the file's chart becomes a new chart at the end, titled + " (from File)",
// in "Loaded from File", its series named "fSeries" + LoadedSeriesCounter, and is shown.
// Returns its index. A bad file changes nothing.
int LoadChartFromStream(TResultSet& results, std::istream& in, const std::string& sourceName);
int LoadChartFromFile(TResultSet& results, const std::filesystem::path& file);

// "Load as Template": as LoadChartFromFile, but in "User defined" under the file's title, and
// its series filled from the current run by title (series without one are removed).
int LoadTemplateFromStream(TResultSet& results, std::istream& in, const std::string& sourceName);
int LoadTemplateFromFile(TResultSet& results, const std::filesystem::path& file);

} // namespace narv
