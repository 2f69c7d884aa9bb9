#include "render/ChartRenderer.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "render/ChartText.h"
#include "render/QtApplication.h"
#include "render/QtChart.h"
#include "results/ChartInteraction.h"
#include "results/ChartModel.h"
#include "results/SeriesThinning.h"

#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtCharts/QXYSeries>
#include <QtCore/QCoreApplication>
#include <QtCore/QList>
#include <QtCore/QLocale>
#include <QtCore/QPointF>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGraphicsScene>

#include <fmt/format.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <future>
#include <limits>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <system_error>
#include <thread>

namespace narv {
namespace {

// Colours for series without their own; distinct enough for the ten or so compartments of a
// species chart.
constexpr std::array<std::uint32_t, 12> kPalette = {
    0xE00000, 0x00A000, 0x0000E0, 0xFF8C00, 0xC000C0, 0x008B8B,
    0x800000, 0x000080, 0x808000, 0x606060, 0x00C0C0, 0x8B4513,
};

constexpr int kMaximumPixels = 20000; // larger images need gigabytes

QString toQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor toQColor(std::uint32_t rgb)
{
    return QColor(static_cast<int>((rgb >> 16) & 0xFFu), static_cast<int>((rgb >> 8) & 0xFFu),
                  static_cast<int>(rgb & 0xFFu));
}

struct DataRange {
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -std::numeric_limits<double>::infinity();
    bool hasData() const { return minimum <= maximum; }
    void add(double value)
    {
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }
};

bool isFinitePoint(const ResultPoint& point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// A step of 1, 2 or 5 times a power of ten giving about five to ten ticks.
double niceIncrement(double span)
{
    const double rough = span / 8.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= rough)
            return factor * magnitude;
    }
    return 10.0 * magnitude;
}

QValueAxis* makeAxis(const ChartAxis& axis, const DataRange& data)
{
    double minimum = axis.Minimum;
    if (axis.AutomaticMinimum || !std::isfinite(minimum))
        minimum = data.hasData() ? data.minimum : 0.0;
    double maximum = axis.Maximum;
    if (axis.AutomaticMaximum || !std::isfinite(maximum))
        maximum = data.hasData() ? data.maximum : minimum + 1.0;
    if (!(maximum > minimum)) // no data, a constant series or a reversed range: show one unit
        maximum = minimum + 1.0;
    const double span = maximum - minimum;
    double increment = axis.Increment;
    constexpr double kMaximumTicks = 200.0;
    if (axis.AutomaticIncrement || !(increment > 0.0) || span / increment > kMaximumTicks)
        increment = niceIncrement(span);

    auto* result = new QValueAxis;
    result->setRange(minimum, maximum);
    result->setTickType(QValueAxis::TicksDynamic);
    result->setTickAnchor(0.0); // ticks on multiples of the increment
    result->setTickInterval(increment);
    result->setMinorTickCount(0);
    const std::string format =
        axis.LabelFormat.empty() ? LeftAxisLabelFormat(maximum) : axis.LabelFormat;
    result->setLabelFormat(toQString(ToQtLabelFormat(format)));
    result->setTitleText(toQString(axis.Title));
    result->setTitleVisible(axis.TitleVisible && !axis.Title.empty());
    result->setGridLineVisible(axis.GridVisible);
    result->setVisible(axis.Visible);
    return result;
}

std::vector<const TResultSeries*> activeSeries(const TChart& chart)
{
    std::vector<const TResultSeries*> result;
    for (const SeriesPointer& series : chart.Series) {
        if (series && series->Active)
            result.push_back(series.get());
    }
    return result;
}

// The points of a series drawn over the bottom axis from `from` to `to` in `columns` pixels:
// all finite points for 0 columns and for points-only series, whose dots a line's thinning
// would lose; none of a line for kLinesUntilLaidOut.
QList<QPointF> drawnPoints(const TResultSeries& series, double from, double to, int columns)
{
    QList<QPointF> points;
    if (columns == kLinesUntilLaidOut && !series.PointsOnly)
        return points;
    if (columns > 0 && !series.PointsOnly) {
        const std::vector<std::size_t> kept = ThinnedLineIndices(series.Points, from, to, columns);
        points.reserve(static_cast<qsizetype>(kept.size()));
        for (const std::size_t index : kept)
            points.append(QPointF(series.Points[index].x, series.Points[index].y));
        return points;
    }
    points.reserve(static_cast<qsizetype>(series.Points.size()));
    for (const ResultPoint& point : series.Points) {
        if (isFinitePoint(point))
            points.append(QPointF(point.x, point.y));
    }
    return points;
}

QAbstractSeries* makeSeries(const TResultSeries& series, const QColor& color, const QString& name,
                            const QList<QPointF>& points)
{
    if (series.PointsOnly) {
        auto* scatter = new QScatterSeries;
        scatter->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        scatter->setMarkerSize(3.0);
        scatter->setPen(Qt::NoPen);
        scatter->setBrush(color);
        scatter->setColor(color);
        scatter->replace(points);
        scatter->setName(name);
        return scatter;
    }
    auto* line = new QLineSeries;
    QPen pen(color);
    pen.setWidth(std::clamp(series.PenWidth, 1, 20));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    line->setPen(pen);
    line->replace(points);
    line->setName(name);
    return line;
}

} // namespace

std::uint32_t SeriesColor(const TChart& chart, std::size_t position)
{
    const TResultSeries* series =
        position < chart.Series.size() ? chart.Series[position].get() : nullptr;
    // Palette by position in the chart, so hiding one series does not recolour the others.
    return series != nullptr && series->Color != 0 ? series->Color
                                                   : kPalette[position % kPalette.size()];
}

std::unique_ptr<QChart> BuildQtChart(const TChart& chart, const QtChartOptions& options)
{
    EnsureQtApplication(true);
    auto result = std::make_unique<QChart>();
    result->setAnimationOptions(QChart::NoAnimation);
    result->setBackgroundBrush(Qt::white);
    result->setBackgroundRoundness(0.0);
    result->setDropShadowEnabled(false);

    // Labels never depend on the user's locale; grouping only where the format asks for it.
    const std::string& leftFormat = chart.LeftAxis.LabelFormat;
    QLocale locale(QLocale::English, QLocale::UnitedStates);
    if (!leftFormat.empty() &&
        leftFormat.substr(0, leftFormat.find('.')).find(',') == std::string::npos)
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    result->setLocale(locale);
    result->setLocalizeNumbers(true);

    if (chart.TitleVisible && !chart.Title.empty()) {
        QFont titleFont = result->titleFont();
        titleFont.setPointSize(12);
        result->setTitleFont(titleFont);
        result->setTitleBrush(Qt::black);
        result->setTitle(toQString(chart.Title));
    }

    const std::vector<const TResultSeries*> shown = activeSeries(chart);
    DataRange bottomData;
    DataRange leftData;
    DataRange rightData;
    bool anyOnRight = false;
    std::vector<std::string> titles;
    for (const TResultSeries* series : shown) {
        titles.push_back(series->Title);
        anyOnRight = anyOnRight || series->OnRightAxis;
        for (const ResultPoint& point : series->Points) {
            if (!isFinitePoint(point))
                continue;
            bottomData.add(point.x);
            (series->OnRightAxis ? rightData : leftData).add(point.y);
        }
    }

    QValueAxis* bottomAxis = makeAxis(chart.BottomAxis, bottomData);
    QValueAxis* leftAxis = makeAxis(chart.LeftAxis, leftData);
    result->addAxis(bottomAxis, Qt::AlignBottom);
    result->addAxis(leftAxis, Qt::AlignLeft);
    QValueAxis* rightAxis = nullptr;
    if (anyOnRight) {
        rightAxis = makeAxis(chart.RightAxis, rightData);
        rightAxis->setGridLineVisible(false); // two grids in one plot area cannot be told apart
        result->addAxis(rightAxis, Qt::AlignRight);
    }

    if (options.ShownAxisTitles) {
        const auto name = [](QValueAxis* drawn, const ChartAxis& axis, const std::string& title) {
            drawn->setTitleText(toQString(title));
            drawn->setTitleVisible(axis.TitleVisible && !title.empty());
        };
        name(leftAxis, chart.LeftAxis, ShownLeftAxisTitle(chart));
        if (rightAxis != nullptr)
            name(rightAxis, chart.RightAxis, ShownRightAxisTitle(chart));
    }

    const std::vector<std::string> legendTexts = LegendTextsOfTitles(titles);
    std::size_t entryIndex = 0;
    for (std::size_t i = 0; i < chart.Series.size(); ++i) {
        const TResultSeries* series = chart.Series[i].get();
        if (series == nullptr || !series->Active)
            continue;
        const QColor color = toQColor(SeriesColor(chart, i));
        QAbstractSeries* drawn =
            makeSeries(*series, color, toQString(legendTexts[entryIndex++]),
                       drawnPoints(*series, bottomAxis->min(), bottomAxis->max(),
                                   options.LineColumns));
        drawn->setProperty(kSeriesIndexProperty, static_cast<int>(i));
        result->addSeries(drawn);
        drawn->attachAxis(bottomAxis);
        drawn->attachAxis(series->OnRightAxis && rightAxis != nullptr ? rightAxis : leftAxis);
    }

    // A legend with a single entry repeats the title, as in copied charts.
    QLegend* legend = result->legend();
    legend->setVisible(!options.LegendHidden && chart.LegendVisible && entryIndex > 1);
    legend->setAlignment(Qt::AlignRight);
    legend->setBackgroundVisible(false);
    legend->setLabelColor(Qt::black);
    return result;
}

void ThinQtChartLines(QChart& built, const TChart& chart, int columns)
{
    const QValueAxis* bottom = nullptr;
    for (QAbstractAxis* axis : built.axes(Qt::Horizontal))
        if (axis->alignment() == Qt::AlignBottom)
            bottom = qobject_cast<QValueAxis*>(axis);
    if (bottom == nullptr)
        return;
    for (QAbstractSeries* drawn : built.series()) {
        auto* line = qobject_cast<QLineSeries*>(drawn);
        const int index = drawn->property(kSeriesIndexProperty).toInt();
        if (line == nullptr || index < 0 || static_cast<std::size_t>(index) >= chart.Series.size() ||
            !chart.Series[static_cast<std::size_t>(index)])
            continue;
        line->replace(drawnPoints(*chart.Series[static_cast<std::size_t>(index)], bottom->min(),
                                  bottom->max(), columns));
    }
}

namespace {

// The chart drawn on white into image, which keeps its memory when it has the size already;
// Qt Charts' scene belongs to the thread of the Qt application.
void drawChart(const TChart& chart, QImage& image, int width, int height)
{
    if (width < 1 || height < 1 || width > kMaximumPixels || height > kMaximumPixels) {
        throw RangeError(fmt::format("A chart picture must be 1 to {} pixels wide and high, not "
                                     "{} x {}.",
                                     kMaximumPixels, width, height));
    }
    std::unique_ptr<QChart> built = BuildQtChart(chart);

    const bool showFootnote = chart.FootnoteVisible && !chart.Footnote.empty();
    const QFont footnoteFont = QApplication::font();
    const int footnoteHeight = showFootnote ? QFontMetrics(footnoteFont).height() + 8 : 0;
    const int chartHeight = std::max(1, height - footnoteHeight);

    QGraphicsScene scene;
    QChart* drawn = built.release();
    scene.addItem(drawn); // the scene owns and deletes the chart
    scene.setSceneRect(0, 0, width, chartHeight);
    drawn->setGeometry(QRectF(0, 0, width, chartHeight));
    // Qt Charts lays out axes and legend in posted events.
    QCoreApplication::sendPostedEvents();

    if (image.width() != width || image.height() != height ||
        image.format() != QImage::Format_RGB32)
        image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull())
        throw IoError(fmt::format("There is not enough memory for a chart picture of {} x {} "
                                  "pixels.",
                                  width, height));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        scene.render(&painter, QRectF(0, 0, width, chartHeight), scene.sceneRect());
        if (showFootnote) {
            painter.setFont(footnoteFont);
            painter.setPen(Qt::black);
            painter.drawText(QRect(10, chartHeight, width - 20, footnoteHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, toQString(chart.Footnote));
        }
    }
}

// Where the encoder puts the PNG file's bytes.
struct PngBytes {
    std::string bytes;
    bool outOfMemory = false;
};

void appendPngBytes(png_structp png, png_bytep data, std::size_t length)
{
    auto* sink = static_cast<PngBytes*>(png_get_io_ptr(png));
    try {
        sink->bytes.append(reinterpret_cast<const char*>(data), length);
        return;
    } catch (const std::bad_alloc&) {
        sink->outOfMemory = true;
    }
    png_error(png, "out of memory"); // libpng's long jump, outside the handler
}

void flushNothing(png_structp) {}

// libpng reports its errors by a long jump back here: no object with a destructor lives in
// this frame. False when the picture could not be encoded.
bool encodePng(const QImage& image, PngBytes& sink)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, appendPngBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, static_cast<png_uint_32>(image.dotsPerMeterX()),
                 static_cast<png_uint_32>(image.dotsPerMeterY()), PNG_RESOLUTION_METER);
    // No row filters and a quick deflate take about a fifth of the time of the adaptive filters
    // at the default level; charts are mostly flat colour, so the files grow by a tenth or so.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    // The rows hold 32-bit words 0xffRRGGBB; the filler byte is left out.
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < image.height(); ++y)
        png_write_row(png, image.constScanLine(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Encodes and writes a drawn chart; safe on any thread.
void writeChartPng(const QImage& image, const std::filesystem::path& file)
{
    PngBytes png;
    png.bytes.reserve(std::size_t{1} << 17); // most charts take less
    if (!encodePng(image, png))
        throw IoError(fmt::format("{} could not be saved: {}.", file.string(),
                                  png.outOfMemory ? "there is not enough memory"
                                                  : "the picture could not be encoded"));
    writeFileAtomically(file, [&](std::ostream& out) {
        out.write(png.bytes.data(), static_cast<std::streamsize>(png.bytes.size()));
    });
}

} // namespace

void RenderChartToPng(const TChart& chart, const std::filesystem::path& file, int width, int height)
{
    QImage image;
    drawChart(chart, image, width, height);
    writeChartPng(image, file);
}

std::vector<std::filesystem::path> RenderChartsToDirectory(const std::vector<TChart>& charts,
                                                           const std::filesystem::path& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        throw IoError(
            fmt::format("The folder {} could not be created ({}).", dir.string(), error.message()));
    }
    const int digits = std::max(
        2, static_cast<int>(std::to_string(charts.empty() ? 0 : charts.size() - 1).size()));
    std::vector<std::filesystem::path> files;
    files.reserve(charts.size());
    // Encoding runs on the other cores while the next chart is drawn, with as many charts in
    // hand as there are cores. An encoded chart's picture is drawn over by a later chart: fresh
    // pictures would cost a page fault for every 4 kB. A failure surfaces in chart order; the
    // charts in hand are finished first.
    const std::size_t inHand = std::max(1u, std::thread::hardware_concurrency());
    std::deque<std::future<QImage>> encoding;
    for (std::size_t i = 0; i < charts.size(); ++i) {
        files.push_back(dir / ChartFileName(i, charts[i].Title, digits));
        QImage image;
        if (encoding.size() >= inHand) {
            image = encoding.front().get();
            encoding.pop_front();
        }
        drawChart(charts[i], image, kChartWidth, kChartHeight);
        encoding.push_back(std::async(std::launch::async,
                                      [image = std::move(image), file = files.back()]() mutable {
                                          writeChartPng(image, file);
                                          return std::move(image);
                                      }));
    }
    while (!encoding.empty()) {
        encoding.front().get();
        encoding.pop_front();
    }
    return files;
}

} // namespace narv

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its caches until the process ends, which the leak checker reports in every
// program that draws text; the hook is linked into each program that draws charts. Weak, as
// narv-cli, which loads the renderer as a module, defines it too.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
