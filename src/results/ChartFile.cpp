#include "results/ChartFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "results/ByteCodec.h"
#include "results/ChartModel.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

namespace narv {
namespace {

using detail::ByteReader;
using detail::ByteWriter;
using detail::DecodeError;

constexpr std::string_view kRecordMarker = "NCHR";
constexpr std::uint32_t kRecordVersion = 1;
constexpr std::string_view kFileMarker = "NARV chart\r\n\x1A";

// Smallest encodings, to check counts against the bytes that remain.
constexpr std::size_t kMinSeriesBytes = 4 + 4 + 4 + 4 + 3 + 4 + 4;
constexpr std::size_t kPointBytes = 16;
constexpr std::int32_t kMaxCount = 0x7FFFFFFF;

void writeAxis(ByteWriter& out, const ChartAxis& axis)
{
    out.text(axis.Title);
    out.boolean(axis.AutomaticMinimum);
    out.boolean(axis.AutomaticMaximum);
    out.boolean(axis.AutomaticIncrement);
    out.real(axis.Minimum);
    out.real(axis.Maximum);
    out.real(axis.Increment);
    out.text(axis.LabelFormat);
    out.boolean(axis.Visible);
    out.boolean(axis.GridVisible);
    out.boolean(axis.TitleVisible);
}

ChartAxis readAxis(ByteReader& in)
{
    ChartAxis axis;
    axis.Title = in.text();
    axis.AutomaticMinimum = in.boolean();
    axis.AutomaticMaximum = in.boolean();
    axis.AutomaticIncrement = in.boolean();
    axis.Minimum = in.real();
    axis.Maximum = in.real();
    axis.Increment = in.real();
    axis.LabelFormat = in.text();
    axis.Visible = in.boolean();
    axis.GridVisible = in.boolean();
    axis.TitleVisible = in.boolean();
    return axis;
}

void writeSeries(ByteWriter& out, const TResultSeries& series)
{
    out.text(series.Name);
    out.text(series.Title);
    out.int32(series.Tag);
    out.int32(series.PenWidth);
    out.boolean(series.Active);
    out.boolean(series.PointsOnly);
    out.boolean(series.OnRightAxis);
    out.uint32(series.Color);
    out.int32(static_cast<std::int32_t>(series.Points.size()));
    for (const ResultPoint& point : series.Points) {
        out.real(point.x);
        out.real(point.y);
    }
}

SeriesPointer readSeries(ByteReader& in)
{
    auto series = std::make_shared<TResultSeries>();
    series->Name = in.text();
    series->Title = in.text();
    series->Tag = in.int32();
    series->PenWidth = in.int32();
    series->Active = in.boolean();
    series->PointsOnly = in.boolean();
    series->OnRightAxis = in.boolean();
    series->Color = in.uint32();
    const std::int32_t count = in.count("the point count", 0, kMaxCount, kPointBytes);
    series->Points.resize(static_cast<std::size_t>(count));
    for (ResultPoint& point : series->Points) {
        point.x = in.real();
        point.y = in.real();
    }
    return series;
}

std::string readAll(std::istream& in, const std::string& sourceName)
{
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw IoError(fmt::format("{} could not be read.", sourceName));
    return bytes;
}

std::string safeFileName(std::string name)
{
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            c = '_';
    return name;
}

void renameLoadedSeries(TResultSet& results, TChart& chart)
{
    for (SeriesPointer& series : chart.Series)
        series->Name = fmt::format("fSeries{}", results.LoadedSeriesCounter++);
}

int appendLoadedChart(TResultSet& results, TChart chart)
{
    results.Charts.push_back(std::move(chart));
    RenameCharts(results);
    const int index = static_cast<int>(results.Charts.size()) - 1;
    ShowSingleChart(results, index);
    return index;
}

} // namespace

std::string EncodeChart(const TChart& chart)
{
    ByteWriter out;
    out.raw(kRecordMarker);
    out.uint32(kRecordVersion);
    out.text(chart.Name);
    out.text(chart.Title);
    out.text(chart.Footnote);
    out.int32(static_cast<std::int32_t>(chart.Category));
    writeAxis(out, chart.LeftAxis);
    writeAxis(out, chart.BottomAxis);
    writeAxis(out, chart.RightAxis);
    out.boolean(chart.LegendVisible);
    out.boolean(chart.TitleVisible);
    out.boolean(chart.FootnoteVisible);
    out.boolean(chart.InMenu);
    out.int32(static_cast<std::int32_t>(chart.Series.size()));
    for (const SeriesPointer& series : chart.Series)
        writeSeries(out, *series);
    return out.take();
}

TChart DecodeChart(std::string_view bytes, std::size_t fileOffset)
{
    ByteReader in(bytes, fileOffset);
    if (in.raw(std::min(bytes.size(), kRecordMarker.size())) != kRecordMarker)
        in.fail("no chart record starts here");
    if (const std::uint32_t version = in.uint32(); version != kRecordVersion)
        in.fail(fmt::format("chart record version {} is not known", version));
    TChart chart;
    chart.Name = in.text();
    chart.Title = in.text();
    chart.Footnote = in.text();
    const std::int32_t category = in.int32();
    if (category < static_cast<int>(ChartCategory::FlowRates) ||
        category > static_cast<int>(ChartCategory::LoadedFromFile))
        in.fail(fmt::format("chart category {} does not exist", category));
    chart.Category = static_cast<ChartCategory>(category);
    chart.LeftAxis = readAxis(in);
    chart.BottomAxis = readAxis(in);
    chart.RightAxis = readAxis(in);
    chart.LegendVisible = in.boolean();
    chart.TitleVisible = in.boolean();
    chart.FootnoteVisible = in.boolean();
    chart.InMenu = in.boolean();
    const std::int32_t count = in.count("the series count", 0, kMaxCount, kMinSeriesBytes);
    for (std::int32_t i = 0; i < count; ++i)
        chart.Series.push_back(readSeries(in));
    if (!in.atEnd())
        in.fail(fmt::format("{} bytes follow the chart record", in.remaining()));
    return chart;
}

void WriteChartFile(std::ostream& out, const TChart& chart)
{
    out.write(kFileMarker.data(), static_cast<std::streamsize>(kFileMarker.size()));
    const std::string record = EncodeChart(chart);
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
    if (!out)
        throw IoError("The chart could not be written.");
}

TChart ReadChartFile(std::istream& in, const std::string& sourceName)
{
    const std::string bytes = readAll(in, sourceName);
    try {
        if (bytes.compare(0, kFileMarker.size(), kFileMarker) != 0)
            throw DecodeError("byte 0: the file does not begin with the marker of a chart file");
        return DecodeChart(std::string_view(bytes).substr(kFileMarker.size()), kFileMarker.size());
    } catch (const DecodeError& e) {
        throw InvalidFileError(
            fmt::format("{} is not a chart file of this program, or it is damaged.", sourceName),
            fmt::format("{}, {}", sourceName, e.what()));
    }
}

std::string ChartCopyName(const std::tm& t)
{
    return fmt::format("F{:02}{:02}{:02}{:02}{:02}{:02}", (t.tm_year + 1900) % 100, t.tm_mon + 1,
                       t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

TChart CopyChart(const TChart& chart, const std::string& name)
{
    TChart copy = chart;
    copy.Name = name;
    for (SeriesPointer& series : copy.Series)
        series = std::make_shared<TResultSeries>(*series);
    return copy;
}

std::string ProposedChartFileName(const TResultSet& results, const TChart& chart)
{
    return safeFileName("Run" + results.RunId + " " + chart.Title) + ".tee";
}

void SaveChartAs(const TResultSet& results, int chart, const std::filesystem::path& file,
                 const std::tm& localTime)
{
    CheckChartIndex(results, chart);
    const TChart copy =
        CopyChart(results.Charts[static_cast<std::size_t>(chart)], ChartCopyName(localTime));
    writeFileAtomically(file, [&](std::ostream& out) { WriteChartFile(out, copy); });
}

std::vector<std::filesystem::path> SaveCheckedCharts(const TResultSet& results,
                                                     const std::filesystem::path& projectDir,
                                                     const std::tm& localTime)
{
    std::vector<std::filesystem::path> written;
    for (const std::int32_t chart : results.CheckedCharts) {
        CheckChartIndex(results, chart);
        const TChart& source = results.Charts[static_cast<std::size_t>(chart)];
        const std::filesystem::path file = projectDir / ProposedChartFileName(results, source);
        SaveChartAs(results, chart, file, localTime);
        written.push_back(file);
    }
    return written;
}

int LoadChartFromStream(TResultSet& results, std::istream& in, const std::string& sourceName)
{
    TChart chart = ReadChartFile(in, sourceName);
    chart.Title += " (from File)";
    chart.Category = ChartCategory::LoadedFromFile;
    chart.InMenu = true;
    renameLoadedSeries(results, chart);
    return appendLoadedChart(results, std::move(chart));
}

int LoadChartFromFile(TResultSet& results, const std::filesystem::path& file)
{
    std::ifstream in = openInputFile(file);
    return LoadChartFromStream(results, in, file.string());
}

int LoadTemplateFromStream(TResultSet& results, std::istream& in, const std::string& sourceName)
{
    TChart chart = ReadChartFile(in, sourceName);
    chart.Category = ChartCategory::UserDefined;
    chart.InMenu = true;
    renameLoadedSeries(results, chart);
    FillChartFromResults(results, chart);
    return appendLoadedChart(results, std::move(chart));
}

int LoadTemplateFromFile(TResultSet& results, const std::filesystem::path& file)
{
    std::ifstream in = openInputFile(file);
    return LoadTemplateFromStream(results, in, file.string());
}

} // namespace narv
