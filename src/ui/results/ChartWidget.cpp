#include "ui/results/ChartWidget.h"

#include "render/QtChart.h"
#include "results/ChartModel.h"
#include "ui/DesktopFormat.h"

#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QTimer>
#include <QtGui/QContextMenuEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QResizeEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QRubberBand>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace narv {
namespace {

QValueAxis* axisOf(QChart* chart, Qt::Alignment alignment)
{
    const QList<QAbstractAxis*> axes =
        chart->axes(alignment == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical);
    for (QAbstractAxis* axis : axes)
        if (axis->alignment() == alignment)
            return qobject_cast<QValueAxis*>(axis);
    return nullptr;
}

ShownRange rangeOf(const QValueAxis* axis)
{
    if (axis == nullptr)
        return {};
    return {axis->min(), axis->max()};
}

} // namespace

ChartWidget::ChartWidget(int chartIndex, const TChart& chart, QWidget* parent,
                         bool legendCheckBoxes)
    : QWidget(parent), m_chartIndex(chartIndex), m_legendCheckBoxes(legendCheckBoxes)
{
    m_footnote = new QLabel(this);
    m_footnote->setObjectName(QStringLiteral("Footnote"));
    m_footnote->setAccessibleName(QStringLiteral("Footnote"));
    m_footnote->setContentsMargins(8, 0, 8, 2);
    m_footnote->setStyleSheet(QStringLiteral("background: white; color: black;"));
    m_footnote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    if (m_legendCheckBoxes) {
        m_legend = new QWidget(this);
        m_legend->setObjectName(QStringLiteral("Legend"));
        m_legend->setAccessibleName(QStringLiteral("Legend"));
        m_legend->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Ignored);
        auto* boxes = new QVBoxLayout(m_legend);
        boxes->setContentsMargins(2, 0, 6, 0);
        boxes->setSpacing(0);
    }
    draw(chart);
    top->addWidget(m_view, 1);
    if (m_legend != nullptr)
        top->addWidget(m_legend);

    // Tiles share the window: a chart takes the room its cell gives, however small.
    m_view->setMinimumSize(40, 30);
    m_view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    // A chart gets its cell while still hidden, so that it is laid out once, at its size.
    QSizePolicy cell(QSizePolicy::Ignored, QSizePolicy::Ignored);
    cell.setRetainSizeWhenHidden(true);
    setSizePolicy(cell);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top, 1);
    layout->addWidget(m_footnote);
    m_clickTimer = new QTimer(this);
    m_clickTimer->setSingleShot(true);
    m_clickTimer->setInterval(QApplication::doubleClickInterval());
    connect(m_clickTimer, &QTimer::timeout, this, &ChartWidget::handleClick);

    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

bool ChartWidget::draws(const TChart& chart) const
{
    return chart.Title == m_model.Title && chart.Footnote == m_model.Footnote &&
           chart.LeftAxis == m_model.LeftAxis && chart.BottomAxis == m_model.BottomAxis &&
           chart.RightAxis == m_model.RightAxis && chart.LegendVisible == m_model.LegendVisible &&
           chart.TitleVisible == m_model.TitleVisible &&
           chart.FootnoteVisible == m_model.FootnoteVisible && looksOf(chart) == m_looks;
}

bool ChartWidget::setChart(int chartIndex, const TChart& chart)
{
    m_chartIndex = chartIndex;
    setObjectName(QStringLiteral("Chart%1").arg(chartIndex));
    if (draws(chart))
        return false;
    draw(chart);
    return true;
}

std::vector<ChartWidget::SeriesLook> ChartWidget::looksOf(const TChart& chart)
{
    std::vector<SeriesLook> looks;
    looks.reserve(chart.Series.size());
    for (const SeriesPointer& series : chart.Series) {
        if (!series) {
            looks.emplace_back();
            continue;
        }
        looks.push_back({series.get(), series->Title, series->Points.size(), series->Active,
                         series->PointsOnly, series->OnRightAxis, series->PenWidth,
                         series->Color});
    }
    return looks;
}

void ChartWidget::draw(const TChart& chart)
{
    m_model = chart;
    m_looks = looksOf(chart);
    setObjectName(QStringLiteral("Chart%1").arg(m_chartIndex));
    setAccessibleName(ToQString(chart.Title.empty() ? std::string("Chart") : chart.Title));

    QtChartOptions options;
    options.LegendHidden = m_legendCheckBoxes;
    options.ShownAxisTitles = true;
    // Windows draw lines of thousands of points into a few hundred pixels: only the points each
    // pixel column needs go to Qt Charts. A chart not laid out yet gets its lines when the layout
    // gives the plot its width; a redrawn chart most likely keeps the width it had. Pictures keep
    // every point, as an SVG may be enlarged.
    if (m_legendCheckBoxes) {
        const double known = m_view != nullptr ? m_view->chart()->plotArea().width() : 0.0;
        m_lineColumns = known > 0.0 ? columnsFor(known) : kLinesUntilLaidOut;
        options.LineColumns = m_lineColumns;
    }
    QChart* built = BuildQtChart(chart, options).release();
    if (m_legendCheckBoxes)
        connect(built, &QChart::plotAreaChanged, this, [this, built](const QRectF& area) {
            if (m_view->chart() != built)
                return;
            // Labels that do not fit the plot as laid out lose ticks; ticks are never added
            // here, so that the layout settles.
            thinTicks(area.size(), true);
            thinLines(area.width());
        });
    // Round joins make Qt stroke every corner as curves: a tile of twenty charts took a second.
    for (QAbstractSeries* series : built->series())
        if (auto* line = qobject_cast<QLineSeries*>(series)) {
            QPen pen = line->pen();
            pen.setJoinStyle(Qt::BevelJoin);
            pen.setCapStyle(Qt::FlatCap);
            line->setPen(pen);
        }
    if (!m_legendCheckBoxes)
        for (QLegendMarker* marker : built->legend()->markers()) {
            const int index = marker->series()->property(kSeriesIndexProperty).toInt();
            connect(marker, &QLegendMarker::clicked, this,
                    [this, index] { emit legendEntryClicked(m_chartIndex, index); });
        }

    if (m_view == nullptr) {
        m_view = new ChartPlotView(built, this); // the view owns the chart
        m_view->setRenderHint(QPainter::Antialiasing);
    } else {
        // Later: the old chart may be in the middle of the mouse event that led here.
        QChart* old = m_view->chart();
        m_view->setChart(built);
        old->deleteLater();
    }
    m_view->setAccessibleName(accessibleName());
    applyFonts();
    if (isVisible())
        thinTicks(expectedPlotSize(), false);

    m_footnote->setText(ToQString(chart.Footnote));
    m_footnote->setToolTip(m_footnote->text()); // small tiles cut it off
    m_footnote->setVisible(chart.FootnoteVisible && !chart.Footnote.empty());
    buildLegend(chart);
}

int ChartWidget::columnsFor(double plotWidth) const
{
    return std::max(1, static_cast<int>(std::ceil(plotWidth * devicePixelRatioF())));
}

void ChartWidget::thinLines(double plotWidth)
{
    const int columns = columnsFor(plotWidth);
    if (columns == m_lineColumns)
        return;
    m_lineColumns = columns;
    ThinQtChartLines(*chart(), m_model, columns);
}

void ChartWidget::buildLegend(const TChart& chart)
{
    if (m_legend == nullptr)
        return;
    // Later: the box clicked may be the one whose signal led here.
    for (QCheckBox* box : m_boxes)
        if (box != nullptr) {
            box->hide();
            box->deleteLater();
        }
    m_boxes.assign(chart.Series.size(), nullptr);
    QLayout* layout = m_legend->layout();
    while (QLayoutItem* item = layout->takeAt(0))
        delete item;

    std::vector<std::string> titles;
    for (const SeriesPointer& series : chart.Series)
        if (series)
            titles.push_back(series->Title);
    const std::vector<std::string> texts = LegendTextsOfTitles(titles);
    auto* boxes = static_cast<QVBoxLayout*>(layout);
    boxes->addStretch(1);
    std::size_t entry = 0;
    for (std::size_t i = 0; i < chart.Series.size(); ++i) {
        const TResultSeries* series = chart.Series[i].get();
        if (series == nullptr)
            continue;
        auto* box = new QCheckBox(ToQString(texts[entry++]), m_legend);
        box->setObjectName(QStringLiteral("LegendEntry%1").arg(i));
        box->setChecked(series->Active);
        // The full title: the box shows only the part that differs between the entries.
        const QString title = ToQString(series->Title);
        box->setAccessibleName(title.trimmed().isEmpty() ? QStringLiteral("Series %1").arg(i + 1)
                                                         : title);
        box->setToolTip(title);
        box->setProperty("narvLegendText", box->text());
        const std::uint32_t rgb = SeriesColor(chart, i);
        QPixmap swatch(16, 10);
        swatch.fill(Qt::transparent);
        {
            QPainter painter(&swatch);
            const QColor color((rgb >> 16) & 0xFFu, (rgb >> 8) & 0xFFu, rgb & 0xFFu);
            if (series->PointsOnly) {
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(Qt::NoPen);
                painter.setBrush(color);
                painter.drawEllipse(QPointF(8.0, 5.0), 2.5, 2.5);
            } else {
                painter.fillRect(QRect(0, 4, 16, std::clamp(series->PenWidth, 1, 5)), color);
            }
        }
        box->setIcon(QIcon(swatch));
        box->setIconSize(swatch.size());
        box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        const int index = static_cast<int>(i);
        connect(box, &QCheckBox::clicked, this,
                [this, index] { emit legendEntryClicked(m_chartIndex, index); });
        boxes->addWidget(box);
        m_boxes[i] = box;
    }
    boxes->addStretch(1);
    // A legend with a single entry repeats the title.
    m_legend->setVisible(chart.LegendVisible && entry > 1);
    applyFonts();
    elideLegend();
}

void ChartWidget::elideLegend()
{
    if (m_legend == nullptr)
        return;
    // The legend takes at most a third of the chart's width; longer texts end in "...".
    const int room = std::max(40, width() / 3 - 40);
    for (QCheckBox* box : m_boxes)
        if (box != nullptr) {
            const QString text = box->property("narvLegendText").toString();
            box->setText(box->fontMetrics().elidedText(text, Qt::ElideRight, room));
        }
}

void ChartWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    setCompact(width() < 560 || height() < 340);
    elideLegend();
    // The legend and the footnote may have changed their size: laid out now, the chart gets
    // its final size at once instead of being laid out (and its lines thinned) twice.
    layout()->activate();
    thinTicks(expectedPlotSize(), false);
}

namespace {

// The widest label of an axis: labels stand at multiples of the step, the widest is the end's.
QString widestLabel(const QValueAxis* axis, double labelStep)
{
    const double end = std::max(std::abs(axis->min()), std::abs(axis->max()));
    return QString::asprintf(axis->labelFormat().toLatin1().constData(),
                             std::round(end / labelStep) * labelStep);
}

double baseInterval(QValueAxis* axis)
{
    QVariant base = axis->property("narvBaseInterval");
    if (!base.isValid()) {
        base = axis->tickInterval();
        axis->setProperty("narvBaseInterval", base);
    }
    return base.toDouble();
}

} // namespace

QSizeF ChartWidget::expectedPlotSize() const
{
    QChart* drawn = chart();
    if (drawn->plotArea().width() > 0.0 && drawn->size().toSize() == m_view->size())
        return drawn->plotArea().size();
    // Not laid out at this size yet: the view less the axes' labels and titles and the title.
    double width = m_view->width();
    double height = m_view->height();
    const double margins = m_compact ? 0.0 : 8.0;
    width -= margins + 10.0;
    height -= margins + 10.0;
    if (!drawn->title().isEmpty())
        height -= QFontMetrics(drawn->titleFont()).height() + 8.0;
    for (QAbstractAxis* abstract : drawn->axes()) {
        auto* axis = qobject_cast<QValueAxis*>(abstract);
        if (axis == nullptr || !axis->isVisible())
            continue;
        const QFontMetrics labels(axis->labelsFont());
        const double title =
            axis->isTitleVisible() ? QFontMetrics(axis->titleFont()).height() + 4.0 : 0.0;
        const double step = baseInterval(axis) > 0.0 ? baseInterval(axis) : 1.0;
        if (axis->orientation() == Qt::Horizontal)
            height -= labels.height() + title + 10.0;
        else
            width -= labels.horizontalAdvance(widestLabel(axis, step)) + title + 10.0;
    }
    return {std::max(width, 10.0), std::max(height, 10.0)};
}

void ChartWidget::thinTicks(const QSizeF& plot, bool onlyFewer)
{
    const QList<QAbstractAxis*> axes = chart()->axes();
    for (QAbstractAxis* abstract : axes) {
        auto* axis = qobject_cast<QValueAxis*>(abstract);
        if (axis == nullptr)
            continue;
        const double base = baseInterval(axis);
        const bool horizontal = axis->orientation() == Qt::Horizontal;
        const QFontMetrics metrics(axis->labelsFont());
        const double labelStep = base > 0.0 ? base : 1.0;
        // Qt Charts gives each label of a horizontal axis its length divided by the number of
        // ticks, less 4 pixels on either side, and cuts longer labels to "..."; labels that
        // overlap the one before are left out. Either way the room is counted in ticks, ends
        // included, with a small gap to spare.
        const double room =
            horizontal
                ? std::floor(plot.width() /
                             (metrics.horizontalAdvance(widestLabel(axis, labelStep)) + 13.0))
                : std::floor(plot.height() / (metrics.height() + 3.0)) + 1.0;
        const double span = axis->max() - axis->min();
        double interval = base;
        if (!(interval > 0.0) || !(span > 0.0))
            continue;
        const auto ticks = [&](double step) {
            return std::floor(span / step * (1.0 + 1e-9)) + 1.0;
        };
        // 1, 2, 5, 10, 20, ... times the chart's own step, so ticks stay on its multiples; at
        // least the two ends keep their labels.
        const double steps[] = {1.0, 2.0, 5.0};
        const double most = std::max(2.0, room);
        for (double magnitude = 1.0; ticks(interval) > most && magnitude < 1e9; magnitude *= 10.0)
            for (const double step : steps) {
                interval = base * step * magnitude;
                if (ticks(interval) <= most)
                    break;
            }
        if (!(onlyFewer && interval <= axis->tickInterval()) && axis->tickInterval() != interval)
            axis->setTickInterval(interval);
        labelLastTick(axis);
    }
}

void ChartWidget::labelLastTick(QValueAxis* axis)
{
    // Qt Charts steps from the first tick by repeated additions and draws a tick that overshoots
    // the axis end by rounding only (0.1 + 0.1 + 0.1 > 0.3), but labels only ticks up to the end:
    // that end moves onto the tick.
    const double interval = axis->tickInterval();
    const double anchor = axis->tickAnchor();
    const double minimum = axis->min();
    const double maximum = axis->max();
    if (axis->tickType() != QValueAxis::TicksDynamic || !(interval > 0.0) ||
        !(maximum > minimum) || (maximum - minimum) / interval > 1000.0)
        return;
    double value = anchor > minimum
                       ? anchor - static_cast<int>((anchor - minimum) / interval) * interval
                       : anchor + std::ceil((minimum - anchor) / interval) * interval;
    double last = value;
    while (value <= maximum || qFuzzyCompare(value, maximum)) {
        last = value;
        value += interval;
    }
    if (last > maximum)
        axis->setMax(last);
}

void ChartWidget::setCompact(bool compact)
{
    if (compact == m_compact)
        return;
    m_compact = compact;
    applyFonts();
}

void ChartWidget::applyFonts()
{
    QChart* drawn = chart();
    const auto sized = [](QFont font, int points) {
        font.setPointSize(points);
        return font;
    };
    const int labels = m_compact ? 7 : 9;
    drawn->setTitleFont(sized(drawn->titleFont(), m_compact ? 9 : 12));
    drawn->legend()->setFont(sized(drawn->legend()->font(), labels));
    for (QAbstractAxis* axis : drawn->axes()) {
        axis->setLabelsFont(sized(axis->labelsFont(), labels));
        // Bold titles of small tiles would not fit beside the axis.
        QFont title = sized(axis->titleFont(), labels);
        title.setBold(!m_compact);
        axis->setTitleFont(title);
    }
    drawn->setMargins(m_compact ? QMargins(0, 0, 0, 0) : QMargins(4, 4, 4, 4));
    // Smoothing twenty charts of wide lines takes a second; small tiles do without.
    m_view->setRenderHint(QPainter::Antialiasing, !m_compact);
    m_footnote->setFont(sized(m_footnote->font(), m_compact ? 7 : 9));
    if (m_legend != nullptr) {
        const QFont font = sized(m_legend->font(), labels);
        m_legend->setFont(font);
        for (QCheckBox* box : m_boxes)
            if (box != nullptr)
                box->setFont(font);
    }
}

QChart* ChartWidget::chart() const
{
    return m_view->chart();
}

QChartView* ChartWidget::view() const
{
    return m_view;
}

PixelMap ChartWidget::pixelMap() const
{
    QChart* drawn = chart();
    const QRectF plot = drawn->plotArea();
    const QPointF topLeft = m_view->mapFromScene(drawn->mapToScene(plot.topLeft()));
    PixelMap map;
    map.left = topLeft.x();
    map.top = topLeft.y();
    map.width = plot.width();
    map.height = plot.height();
    map.bottom = rangeOf(axisOf(drawn, Qt::AlignBottom));
    map.leftAxis = rangeOf(axisOf(drawn, Qt::AlignLeft));
    map.rightAxis = rangeOf(axisOf(drawn, Qt::AlignRight));
    return map;
}

ShownRange ChartWidget::shownLeftAxis() const
{
    return rangeOf(axisOf(chart(), Qt::AlignLeft));
}

ShownRange ChartWidget::shownBottomAxis() const
{
    return rangeOf(axisOf(chart(), Qt::AlignBottom));
}

double ChartWidget::leftAxisValueAt(const QPoint& position) const
{
    const PixelMap map = pixelMap();
    const QPoint inView = m_view->mapFrom(this, position);
    return AxisValueAt(inView.y(), map.top + map.height, map.top, map.leftAxis);
}

ChartPart ChartWidget::partAt(const QPoint& position, int* seriesIndex) const
{
    if (m_footnote->isVisible() && m_footnote->geometry().contains(position))
        return ChartPart::Footnote;
    const QPoint p = m_view->mapFrom(this, position);
    if (!m_view->rect().contains(p))
        return ChartPart::Nothing;
    const PixelMap map = pixelMap();
    const double right = map.left + map.width;
    const double bottom = map.top + map.height;
    const bool inHeight = p.y() >= map.top && p.y() <= bottom;
    const bool inWidth = p.x() >= map.left && p.x() <= right;
    if (inHeight && inWidth) {
        if (const std::optional<int> series = SeriesAt(m_model, map, p.x(), p.y())) {
            if (seriesIndex != nullptr)
                *seriesIndex = *series;
            return ChartPart::Series;
        }
        return ChartPart::Nothing;
    }
    if (inHeight && p.x() < map.left)
        return ChartPart::LeftAxis;
    if (inWidth && p.y() > bottom)
        return ChartPart::BottomAxis;
    if (inWidth && p.y() < map.top && !chart()->title().isEmpty())
        return ChartPart::Title;
    return ChartPart::Nothing;
}

QPixmap ChartWidget::picture()
{
    return grab();
}

void ChartWidget::contextMenuEvent(QContextMenuEvent* event)
{
    emit contextMenuRequested(m_chartIndex, event->globalPos());
    event->accept();
}

void ChartWidget::handleZoom(const QPoint& from, const QPoint& to)
{
    const PixelMap map = pixelMap();
    const QRectF plot(map.left, map.top, map.width, map.height);
    const QRectF inside = QRectF(QPointF(from), QPointF(to)).normalized().intersected(plot);
    if (inside.isEmpty())
        return;
    const double bottom = map.top + map.height;
    const double right = map.left + map.width;
    emit zoomRequested(m_chartIndex, AxisValueAt(inside.left(), map.left, right, map.bottom),
                       AxisValueAt(inside.right(), map.left, right, map.bottom),
                       AxisValueAt(inside.bottom(), bottom, map.top, map.leftAxis),
                       AxisValueAt(inside.top(), bottom, map.top, map.leftAxis));
}

void ChartWidget::queueClick(const QPoint& position, Qt::KeyboardModifiers modifiers)
{
    m_clickPosition = position;
    m_clickModifiers = modifiers;
    m_clickTimer->start();
}

void ChartWidget::doubleClick()
{
    m_clickTimer->stop();
    emit doubleClicked(m_chartIndex);
}

void ChartWidget::handleClick()
{
    int series = -1;
    const ChartPart part = partAt(m_clickPosition, &series);
    if (part != ChartPart::Nothing)
        emit partClicked(m_chartIndex, part, series, m_clickModifiers, m_clickPosition);
}

void ChartWidget::mousePressEvent(QMouseEvent* event)
{
    event->accept(); // so that the release comes here
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        queueClick(event->position().toPoint(), event->modifiers());
    event->accept();
}

void ChartWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    doubleClick();
    event->accept();
}

ChartPlotView::ChartPlotView(QChart* chart, ChartWidget* owner)
    : QChartView(chart, owner), m_owner(owner)
{
    setRubberBand(QChartView::NoRubberBand); // the zoom rectangle is drawn here
    setFrameShape(QFrame::NoFrame);
}

void ChartPlotView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_origin = event->position().toPoint();
    }
    QChartView::mousePressEvent(event);
}

void ChartPlotView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed && chart()->plotArea().contains(chart()->mapFromScene(mapToScene(m_origin)))) {
        const QPoint now = event->position().toPoint();
        const QPoint delta = now - m_origin;
        if (DragActionFor(delta.x(), delta.y()) != DragAction::Click) {
            if (m_band == nullptr)
                m_band = new QRubberBand(QRubberBand::Rectangle, this);
            m_band->setGeometry(QRect(m_origin, now).normalized());
            m_band->show();
        }
    }
    QChartView::mouseMoveEvent(event);
}

void ChartPlotView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    const QPoint end = event->position().toPoint();
    const QPoint delta = end - m_origin;
    const bool banded = m_band != nullptr && m_band->isVisible();
    if (m_band != nullptr)
        m_band->hide();
    if (banded) {
        event->accept();
        // The chart model holds the zoom: the window draws the chart anew, so nothing of this
        // view is touched after the signal.
        if (DragActionFor(delta.x(), delta.y()) == DragAction::UndoZoom)
            emit m_owner->zoomUndone(m_owner->chartIndex());
        else
            m_owner->handleZoom(m_origin, end);
        return;
    }
    QChartView::mouseReleaseEvent(event);
    m_owner->queueClick(mapTo(m_owner, end), event->modifiers());
}

void ChartPlotView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = false;
    event->accept();
    m_owner->doubleClick();
}

} // namespace narv
