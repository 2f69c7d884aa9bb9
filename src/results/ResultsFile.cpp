#include "results/ResultsFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/Version.h"
#include "results/ByteCodec.h"
#include "results/ChartFile.h"
#include "results/ChartModel.h"

#include <fmt/format.h>

#include <charconv>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

namespace narv {
namespace {

using detail::ByteReader;
using detail::ByteWriter;
using detail::DecodeError;

constexpr std::size_t kViewOptionCount = 7;

// The run series index of a "cSeries" name below count, or -1.
int runSeriesIndex(const std::string& name, int count)
{
    constexpr std::string_view prefix = "cSeries";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int index = -1;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + prefix.size(), end, index);
    return error == std::errc() && stop == end && index >= 0 && index < count ? index : -1;
}

// A run series attached to several charts is stored once per chart; identical copies of one
// run series become one shared series again.
void collectRunSeries(TResultSet& results, int seriesCount)
{
    results.Series.assign(static_cast<std::size_t>(seriesCount), nullptr);
    for (TChart& chart : results.Charts) {
        for (SeriesPointer& series : chart.Series) {
            const int index = runSeriesIndex(series->Name, seriesCount);
            if (index < 0)
                continue;
            SeriesPointer& known = results.Series[static_cast<std::size_t>(index)];
            if (!known)
                known = series;
            else if (known->Title == series->Title && known->Tag == series->Tag &&
                     known->PenWidth == series->PenWidth && known->Active == series->Active &&
                     known->PointsOnly == series->PointsOnly &&
                     known->OnRightAxis == series->OnRightAxis && known->Color == series->Color &&
                     known->Points == series->Points)
                series = known;
        }
    }
}

TResultSet decode(std::string_view bytes)
{
    ByteReader in(bytes);
    TResultSet results;
    in.shortString(); // the version of the program that wrote the file
    results.FirstAutoChart = in.int32();
    results.LastAutoChart = in.int32();
    results.CurrentChart = in.int32();
    results.Reserved = in.int32();
    results.LoadedSeriesCounter = in.int32();
    results.RunStart = in.shortString();
    results.RunId = in.shortString();
    // Series in no chart are not stored, so only the largest possible run bounds their count.
    const std::int64_t storedCount = std::int64_t{in.int32()} + 1;
    if (storedCount < 0 || storedCount > kMaxResultSeries)
        in.fail(
            fmt::format("the series count {} lies outside 0..{}", storedCount, kMaxResultSeries));
    const auto seriesCount = static_cast<int>(storedCount);
    const std::int32_t chartCount = in.count("the chart count", -1, 0x7FFFFFFE, 4) + 1;
    for (std::int32_t n = 0; n < chartCount; ++n) {
        const std::int32_t length = in.count("the length of a chart record", 0, 0x7FFFFFFF, 1);
        const std::size_t start = in.offset();
        results.Charts.push_back(DecodeChart(in.raw(static_cast<std::size_t>(length)), start));
    }
    RenameCharts(results);
    results.TileMode = in.boolean();
    const std::int32_t checked = in.count("the number of checked charts", 0, chartCount, 4);
    for (std::int32_t i = 0; i < checked; ++i) {
        const std::int32_t chart = in.int32();
        if (chart < 0 || chart >= chartCount)
            in.fail(fmt::format("checked chart {} does not exist", chart));
        results.CheckedCharts.push_back(chart);
    }
    bool* const options[kViewOptionCount] = {
        &results.View.MaximizedForTile, &results.View.Legends,   &results.View.Titles,
        &results.View.BottomAxisTitles, &results.View.Footnotes, &results.View.VerticalGrid,
        &results.View.HorizontalGrid};
    for (bool* option : options)
        *option = in.boolean();
    if (!in.atEnd())
        in.fail(fmt::format("{} bytes follow the end of the results", in.remaining()));
    collectRunSeries(results, seriesCount);
    results.Quantities.assign(static_cast<std::size_t>(seriesCount), "c=f");
    return results;
}

} // namespace

void SaveResults(std::ostream& out, const TResultSet& results)
{
    ByteWriter bytes;
    bytes.shortString(ProgramVersionText);
    bytes.int32(results.FirstAutoChart);
    bytes.int32(results.LastAutoChart);
    bytes.int32(results.CurrentChart);
    bytes.int32(results.Reserved);
    bytes.int32(results.LoadedSeriesCounter);
    bytes.shortString(results.RunStart);
    bytes.shortString(results.RunId);
    bytes.int32(static_cast<std::int32_t>(results.Series.size()) - 1);
    bytes.int32(static_cast<std::int32_t>(results.Charts.size()) - 1);
    for (const TChart& chart : results.Charts) {
        const std::string record = EncodeChart(chart);
        bytes.int32(static_cast<std::int32_t>(record.size()));
        bytes.raw(record);
    }
    bytes.boolean(results.TileMode);
    bytes.int32(static_cast<std::int32_t>(results.CheckedCharts.size()));
    for (const std::int32_t chart : results.CheckedCharts)
        bytes.int32(chart);
    const ResultViewOptions& view = results.View;
    for (const bool option :
         {view.MaximizedForTile, view.Legends, view.Titles, view.BottomAxisTitles, view.Footnotes,
          view.VerticalGrid, view.HorizontalGrid})
        bytes.boolean(option);
    out.write(bytes.bytes().data(), static_cast<std::streamsize>(bytes.bytes().size()));
    if (!out)
        throw IoError("The results could not be written.");
}

void LoadResults(std::istream& in, TResultSet& results, const std::string& sourceName)
{
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw IoError(fmt::format("{} could not be read.", sourceName));
    try {
        TResultSet loaded = decode(bytes);
        loaded.DefaultPenWidth = results.DefaultPenWidth;
        results = std::move(loaded);
    } catch (const DecodeError& e) {
        throw InvalidFileError(
            fmt::format("{} is not a results file of this program, or it is damaged.", sourceName),
            fmt::format("{}, {}", sourceName, e.what()));
    }
}

void SaveResultsFile(const std::filesystem::path& file, const TResultSet& results)
{
    writeFileAtomically(file, [&](std::ostream& out) { SaveResults(out, results); });
}

void LoadResultsFile(const std::filesystem::path& file, TResultSet& results)
{
    std::ifstream in = openInputFile(file);
    LoadResults(in, results, file.string());
}

} // namespace narv
