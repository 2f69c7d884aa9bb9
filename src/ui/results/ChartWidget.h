#pragma once

#include "results/ChartInteraction.h"
#include "results/ResultSet.h"

#include <QtCharts/QChartView>
#include <QtWidgets/QWidget>

class QLabel;
class QRubberBand;
class QTimer;

namespace narv {

class ChartPlotView;

// One chart of the results window: the Qt Charts picture with the footnote below it. It
// reports where the user clicked; the results window decides what that does.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    // Windows show a check box per legend entry; pictures for the clipboard and files do not.
    ChartWidget(int chartIndex, const TChart& chart, QWidget* parent = nullptr,
                bool legendCheckBoxes = true);

    int chartIndex() const { return m_chartIndex; }
    QChart* chart() const;
    QChartView* view() const;
    QLabel* footnote() const { return m_footnote; }

    // Where a point of the widget lies: the part of the chart and, for a series, its index.
    ChartPart partAt(const QPoint& position, int* seriesIndex = nullptr) const;
    // The shown left axis range and the value at the height of position.
    ShownRange shownLeftAxis() const;
    double leftAxisValueAt(const QPoint& position) const;
    // The plot mapping of the picture, for finding series under the mouse.
    PixelMap pixelMap() const;

    // The picture of the chart with its footnote, for the clipboard and files.
    QPixmap picture();

signals:
    void partClicked(int chartIndex, narv::ChartPart part, int seriesIndex,
                     Qt::KeyboardModifiers modifiers, QPoint position);
    void legendEntryClicked(int chartIndex, int seriesIndex);
    void doubleClicked(int chartIndex);
    void contextMenuRequested(int chartIndex, QPoint globalPosition);
    void zoomUndone(int chartIndex);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class ChartPlotView;
    // Small tiles get smaller fonts so that labels keep their room.
    void setCompact(bool compact);
    // Fewer ticks than the chart asks for where their labels would overlap.
    void thinTicks();
    bool m_compact = false;
    void handleClick(const QPoint& viewPosition, Qt::KeyboardModifiers modifiers);

    int m_chartIndex;
    TChart m_model; // what is drawn: the series under the mouse are looked up here
    ChartPlotView* m_view = nullptr;
    QLabel* m_footnote = nullptr;
};

// The chart view with the rubber band zoom and click reporting.
class ChartPlotView : public QChartView {
    Q_OBJECT
public:
    ChartPlotView(QChart* chart, ChartWidget* owner);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ChartWidget* m_owner;
    QRubberBand* m_band = nullptr;
    QPoint m_origin;
    bool m_pressed = false;
    // A click waits for the double-click interval: a double click must not first open the
    // click's message.
    QTimer* m_clickTimer = nullptr;
    QPoint m_clickPosition;
    Qt::KeyboardModifiers m_clickModifiers;
};

} // namespace narv
