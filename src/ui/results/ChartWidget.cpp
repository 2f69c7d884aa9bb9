#include "ui/results/ChartWidget.h"

#include "render/QtChart.h"
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
    : QWidget(parent), m_chartIndex(chartIndex), m_model(chart)
{
    setObjectName(QStringLiteral("Chart%1").arg(chartIndex));
    setAccessibleName(ToQString(chart.Title.empty() ? std::string("Chart") : chart.Title));
    QtChartOptions options;
    options.LegendCheckBoxes = legendCheckBoxes;
    QChart* built = BuildQtChart(chart, options).release();
    built->setMargins(QMargins(4, 4, 4, 4));
    m_view = new ChartPlotView(built, this); // the view owns the chart
    m_view->setAccessibleName(accessibleName());
    m_view->setRenderHint(QPainter::Antialiasing);

    m_footnote = new QLabel(ToQString(chart.Footnote), this);
    m_footnote->setObjectName(QStringLiteral("Footnote"));
    m_footnote->setAccessibleName(QStringLiteral("Footnote"));
    m_footnote->setContentsMargins(8, 0, 8, 2);
    m_footnote->setVisible(chart.FootnoteVisible && !chart.Footnote.empty());
    m_footnote->setToolTip(m_footnote->text()); // small tiles cut it off
    m_footnote->setStyleSheet(QStringLiteral("background: white; color: black;"));

    // Tiles share the window: a chart takes the room its cell gives, however small.
    m_view->setMinimumSize(40, 30);
    m_view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_footnote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_footnote);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("narv--ChartWidget { background: white; }"));

    // Round joins make Qt stroke every corner as curves: a tile of twenty charts took a second.
    for (QAbstractSeries* series : built->series())
        if (auto* line = qobject_cast<QLineSeries*>(series)) {
            QPen pen = line->pen();
            pen.setJoinStyle(Qt::BevelJoin);
            pen.setCapStyle(Qt::FlatCap);
            line->setPen(pen);
        }

    for (QLegendMarker* marker : built->legend()->markers()) {
        const int index = marker->series()->property(kSeriesIndexProperty).toInt();
        connect(marker, &QLegendMarker::clicked, this,
                [this, index] { emit legendEntryClicked(m_chartIndex, index); });
    }
}

void ChartWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    setCompact(width() < 560 || height() < 340);
    thinTicks();
}

void ChartWidget::thinTicks()
{
    const QList<QAbstractAxis*> axes = chart()->axes();
    for (QAbstractAxis* abstract : axes) {
        auto* axis = qobject_cast<QValueAxis*>(abstract);
        if (axis == nullptr)
            continue;
        QVariant base = axis->property("narvBaseInterval");
        if (!base.isValid()) {
            base = axis->tickInterval();
            axis->setProperty("narvBaseInterval", base);
        }
        const bool horizontal = axis->orientation() == Qt::Horizontal;
        const QFontMetrics metrics(axis->labelsFont());
        // Labels stand at multiples of the step: the widest is the end's, rounded to one.
        const double labelStep = base.toDouble() > 0.0 ? base.toDouble() : 1.0;
        const double end = std::max(std::abs(axis->min()), std::abs(axis->max()));
        const QString widest = QString::asprintf(axis->labelFormat().toLatin1().constData(),
                                                 std::round(end / labelStep) * labelStep);
        // The plot takes most of the view; labels need their text and a gap.
        const double length = horizontal ? width() * 0.75 : height() * 0.7;
        const double perLabel =
            horizontal ? metrics.horizontalAdvance(widest) + 14.0 : metrics.height() * 1.8;
        const double room = std::max(2.0, length / perLabel);
        const double span = axis->max() - axis->min();
        double interval = base.toDouble();
        if (!(interval > 0.0) || !(span > 0.0))
            continue;
        // 1, 2, 5, 10, 20, ... times the chart's own step, so ticks stay on its multiples.
        const double steps[] = {1.0, 2.0, 5.0};
        for (double magnitude = 1.0; span / interval > room && magnitude < 1e9; magnitude *= 10.0)
            for (const double step : steps) {
                interval = base.toDouble() * step * magnitude;
                if (span / interval <= room)
                    break;
            }
        if (axis->tickInterval() != interval)
            axis->setTickInterval(interval);
    }
}

void ChartWidget::setCompact(bool compact)
{
    if (compact == m_compact)
        return;
    m_compact = compact;
    QChart* drawn = chart();
    const auto sized = [](QFont font, int points) {
        font.setPointSize(points);
        return font;
    };
    const int labels = compact ? 7 : 9;
    drawn->setTitleFont(sized(drawn->titleFont(), compact ? 9 : 12));
    drawn->legend()->setFont(sized(drawn->legend()->font(), labels));
    for (QAbstractAxis* axis : drawn->axes()) {
        axis->setLabelsFont(sized(axis->labelsFont(), labels));
        axis->setTitleFont(sized(axis->titleFont(), labels));
    }
    drawn->setMargins(compact ? QMargins(0, 0, 0, 0) : QMargins(4, 4, 4, 4));
    // Smoothing twenty charts of wide lines takes a second; small tiles do without.
    m_view->setRenderHint(QPainter::Antialiasing, !compact);
    m_footnote->setFont(sized(m_footnote->font(), compact ? 7 : 9));
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

void ChartWidget::handleClick(const QPoint& viewPosition, Qt::KeyboardModifiers modifiers)
{
    const QPoint position = m_view->mapTo(this, viewPosition);
    int series = -1;
    const ChartPart part = partAt(position, &series);
    if (part != ChartPart::Nothing)
        emit partClicked(m_chartIndex, part, series, modifiers, position);
}

ChartPlotView::ChartPlotView(QChart* chart, ChartWidget* owner)
    : QChartView(chart, owner), m_owner(owner)
{
    setRubberBand(QChartView::NoRubberBand); // the zoom rectangle is drawn here
    setFrameShape(QFrame::NoFrame);
    m_clickTimer = new QTimer(this);
    m_clickTimer->setSingleShot(true);
    m_clickTimer->setInterval(QApplication::doubleClickInterval());
    connect(m_clickTimer, &QTimer::timeout, this,
            [this] { m_owner->handleClick(m_clickPosition, m_clickModifiers); });
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
        if (DragActionFor(delta.x(), delta.y()) == DragAction::UndoZoom) {
            chart()->zoomReset();
            emit m_owner->zoomUndone(m_owner->chartIndex());
        } else {
            const QRectF rect = QRectF(m_origin, end).normalized();
            chart()->zoomIn(QRectF(chart()->mapFromScene(mapToScene(rect.toRect())).boundingRect())
                                .intersected(chart()->plotArea()));
        }
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
    m_clickPosition = end;
    m_clickModifiers = event->modifiers();
    m_clickTimer->start();
}

void ChartPlotView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = false;
    m_clickTimer->stop();
    emit m_owner->doubleClicked(m_owner->chartIndex());
    event->accept();
}

} // namespace narv
