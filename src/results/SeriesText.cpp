#include "results/SeriesText.h"

#include "core/AtomicFile.h"
#include "core/Encoding.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "results/ChartModel.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

namespace narv {
namespace {

constexpr std::size_t kTitleWidth = 25;
constexpr const char* kDataFileError = "Error loading data file.\nPlease check data format!";

std::size_t characterCount(const std::string& utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, std::size_t width)
{
    const std::size_t length = characterCount(text);
    return length < width ? text + std::string(width - length, ' ') : text;
}

std::string statistic(double value)
{
    return FormatNumber(9, 3, value);
}

// The run series index of a "cSeries" name when that series is a concentration.
bool isConcentration(const TResultSet& results, const std::string& name)
{
    constexpr std::string_view prefix = "cSeries";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::size_t index = 0;
    const char* begin = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(begin, end, index);
    if (error != std::errc() || stop != end || index >= results.Quantities.size())
        return false;
    const std::string& quantity = results.Quantities[index];
    return quantity.size() >= 2 && quantity.compare(quantity.size() - 2, 2, "=t") == 0;
}

double loadMean(const TResultSet& results, const TResultSeries& series)
{
    if (results.Series.size() < 2 || !results.Series[1])
        return 0.0;
    const std::vector<ResultPoint>& flow = results.Series[1]->Points;
    const std::size_t count = std::min(flow.size(), series.Points.size());
    double weighted = 0.0;
    double flowSum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        weighted += series.Points[i].y * flow[i].y;
        flowSum += flow[i].y;
    }
    return flowSum == 0.0 ? 0.0 : weighted / flowSum;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::vector<std::string_view> splitBlanks(std::string_view line)
{
    std::vector<std::string_view> tokens;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            return tokens;
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        tokens.push_back(line.substr(at, end - at));
        at = end;
    }
}

} // namespace

std::vector<std::string> SeriesStatistics(const TResultSet& results, const TChart& chart)
{
    std::vector<std::string> lines;
    lines.push_back(padded("     Title", kTitleWidth + 3) +
                    "\t Maximum \t Minimum \t  Mean   \tLoad Mean");
    for (const SeriesPointer& series : chart.Series) {
        double maximum = 0.0;
        double minimum = 0.0;
        double mean = 0.0;
        if (!series->Points.empty()) {
            maximum = minimum = series->Points.front().y;
            double sum = 0.0;
            for (const ResultPoint& point : series->Points) {
                maximum = std::max(maximum, point.y);
                minimum = std::min(minimum, point.y);
                sum += point.y;
            }
            mean = sum / static_cast<double>(series->Points.size());
        }
        std::string line = " ";
        line.append(padded(series->Title, kTitleWidth))
            .append("\t")
            .append(statistic(maximum))
            .append("\t")
            .append(statistic(minimum))
            .append("\t")
            .append(statistic(mean));
        if (isConcentration(results, series->Name))
            line.append("\t").append(statistic(loadMean(results, *series)));
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string CopySeriesAsText(const TChart& chart)
{
    std::string text = "Time Values";
    for (const SeriesPointer& series : chart.Series)
        text.append("\t").append(series->Title);
    if (chart.Series.empty())
        return text;
    const std::vector<ResultPoint>& first = chart.Series.front()->Points;
    for (const SeriesPointer& series : chart.Series)
        if (series->Points.size() < first.size())
            throw RangeError(fmt::format(
                "The series \"{}\" has fewer points ({}) than the first series of the chart ({}); "
                "the series cannot be copied as one table.",
                series->Title, series->Points.size(), first.size()));
    for (std::size_t i = 0; i < first.size(); ++i) {
        text.append("\r\n").append(FormatNumber(20, 12, first[i].x));
        for (const SeriesPointer& series : chart.Series)
            text.append("\t").append(FormatNumber(20, 12, series->Points[i].y));
    }
    return text;
}

void LoadSeriesFromStream(TResultSet& results, int chart, std::istream& in,
                          const std::string& sourceName)
{
    CheckChartIndex(results, chart);
    const auto fail = [&](int lineNumber, const std::string& why) {
        throw InvalidFileError(kDataFileError,
                               fmt::format("{}, line {}: {}", sourceName, lineNumber, why));
    };
    auto series = std::make_shared<TResultSeries>();
    std::string line;
    int lineNumber = 0;
    // A line ends at LF, CR LF or a lone CR.
    const auto next = [&]() {
        line.clear();
        int c = in.get();
        if (c == std::char_traits<char>::eof())
            return false;
        for (; c != std::char_traits<char>::eof(); c = in.get()) {
            if (c == '\n')
                break;
            if (c == '\r') {
                if (in.peek() == '\n')
                    in.get();
                break;
            }
            line += static_cast<char>(c);
        }
        ++lineNumber;
        return true;
    };
    for (int header = 1; header <= 3; ++header) {
        if (!next())
            fail(header, "the file ends before its three header lines");
        if (header == 2)
            series->Title = singleByteToUtf8(line);
    }
    while (next()) {
        const std::vector<std::string_view> tokens = splitBlanks(line);
        if (tokens.empty())
            continue;
        ResultPoint point;
        if (tokens.size() != 2 || !parseReal(tokens[0], point.x) || !parseReal(tokens[1], point.y))
            fail(lineNumber, fmt::format("\"{}\" is not an X and a Y value", line));
        series->Points.push_back(point);
    }
    if (in.bad())
        fail(lineNumber, "the file could not be read");
    series->Name = fmt::format("fSeries{}", results.LoadedSeriesCounter);
    series->PenWidth = results.DefaultPenWidth;
    series->PointsOnly = true;
    results.Charts[static_cast<std::size_t>(chart)].Series.push_back(std::move(series));
    ++results.LoadedSeriesCounter;
}

void LoadSeriesFromFile(TResultSet& results, int chart, const std::filesystem::path& path)
{
    std::ifstream in = openInputFile(path);
    LoadSeriesFromStream(results, chart, in, path.string());
}

void WriteSeriesCsv(std::ostream& out, const std::vector<SeriesPointer>& series)
{
    std::vector<const TResultSeries*> columns;
    for (const SeriesPointer& each : series)
        if (each)
            columns.push_back(each.get());
    std::string text = "X";
    for (const TResultSeries* column : columns)
        text.append(",").append(csvField(column->Title));
    text += "\r\n";
    out << text;
    if (columns.empty())
        return;
    const std::vector<ResultPoint>& first = columns.front()->Points;
    for (std::size_t i = 0; i < first.size(); ++i) {
        text = formatShortest(first[i].x);
        for (const TResultSeries* column : columns) {
            text += ',';
            if (i < column->Points.size())
                text += fmt::format("{:.9g}", column->Points[i].y);
        }
        text += "\r\n";
        out << text;
    }
}

} // namespace narv
