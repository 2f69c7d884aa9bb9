#pragma once

#include "results/ChartInteraction.h"
#include "results/ResultSet.h"

#include <QtCharts/QChartView>
#include <QtWidgets/QWidget>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QRubberBand;
class QTimer;
class QValueAxis;

namespace narv {

class ChartPlotView;

// One chart of the results window: the Qt Charts picture, the legend with a check box per
// series beside it and the footnote below. It reports what the user did; the results window
// decides what that does to the chart model.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    // Windows show the legend as check boxes; pictures for the clipboard and files draw the
    // chart's own legend without them.
    ChartWidget(int chartIndex, const TChart& chart, QWidget* parent = nullptr,
                bool legendCheckBoxes = true);

    int chartIndex() const { return m_chartIndex; }
    QChart* chart() const;
    QChartView* view() const;
    QLabel* footnote() const { return m_footnote; }
    // The legend's check boxes in series order; null where a series has none.
    const std::vector<QCheckBox*>& legendBoxes() const { return m_boxes; }
    QWidget* legend() const { return m_legend; }

    // Whether the widget draws chart as it is now: redrawing it would change nothing.
    bool draws(const TChart& chart) const;
    // Draws chart (or the chart now at chartIndex) unless the widget draws it already; true
    // when it was drawn anew.
    bool setChart(int chartIndex, const TChart& chart);

    // Where a point of the widget lies: the part of the chart and, for a series, its index.
    ChartPart partAt(const QPoint& position, int* seriesIndex = nullptr) const;
    // The shown left axis range and the value at the height of position.
    ShownRange shownLeftAxis() const;
    ShownRange shownBottomAxis() const;
    double leftAxisValueAt(const QPoint& position) const;
    // The plot mapping of the picture, for finding series under the mouse.
    PixelMap pixelMap() const;

    // The picture of the chart with its footnote, for the clipboard and files.
    QPixmap picture();
    // The pixel columns the lines are drawn for, 0 when they keep every point.
    int lineColumns() const { return m_lineColumns; }

signals:
    void partClicked(int chartIndex, narv::ChartPart part, int seriesIndex,
                     Qt::KeyboardModifiers modifiers, QPoint position);
    void legendEntryClicked(int chartIndex, int seriesIndex);
    void doubleClicked(int chartIndex);
    void contextMenuRequested(int chartIndex, QPoint globalPosition);
    // A zoom rectangle was dragged: the axis values it covers.
    void zoomRequested(int chartIndex, double bottomMinimum, double bottomMaximum,
                       double leftMinimum, double leftMaximum);
    void zoomUndone(int chartIndex);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Clicks on the footnote and around the legend; the plot's come from the view.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class ChartPlotView;
    void draw(const TChart& chart);
    void buildLegend(const TChart& chart);
    // Legend texts end in "..." where the legend would take more than its share of the width.
    void elideLegend();
    // Small tiles get smaller fonts so that labels keep their room.
    void setCompact(bool compact);
    void applyFonts();
    // Fewer ticks than the chart asks for where their labels would not fit a plot of that size;
    // onlyFewer: never more ticks than now.
    void thinTicks(const QSizeF& plot, bool onlyFewer);
    // Moves the axis end onto its last tick where only rounding puts that tick beyond the end,
    // so that the tick gets its label.
    static void labelLastTick(QValueAxis* axis);
    // The plot area's size: as laid out, or as the view's size will most likely make it.
    QSizeF expectedPlotSize() const;
    // The pixel columns of a plot area plotWidth wide (device independent pixels).
    int columnsFor(double plotWidth) const;
    // The lines drawn with the points a plot area of that width needs.
    void thinLines(double plotWidth);
    // A click waits for the double-click interval: a double click must not first open the
    // click's message. position in this widget's pixels.
    void queueClick(const QPoint& position, Qt::KeyboardModifiers modifiers);
    void doubleClick();
    void handleClick();
    // The zoom rectangle between two pixels of the view.
    void handleZoom(const QPoint& from, const QPoint& to);

    int m_chartIndex;
    bool m_legendCheckBoxes;
    bool m_compact = false;
    // The pixel columns the lines are thinned for; 0: every point, kLinesUntilLaidOut: none yet.
    int m_lineColumns = 0;
    TChart m_model; // what is drawn: the series under the mouse are looked up here
    // What each series looked like when drawn, to tell whether a redraw is due.
    struct SeriesLook {
        const TResultSeries* series = nullptr;
        std::string title;
        std::size_t points = 0;
        bool active = true;
        bool pointsOnly = false;
        bool onRightAxis = false;
        int penWidth = 0;
        std::uint32_t color = 0;
        bool operator==(const SeriesLook&) const = default;
    };
    std::vector<SeriesLook> m_looks;
    static std::vector<SeriesLook> looksOf(const TChart& chart);
    ChartPlotView* m_view = nullptr;
    QWidget* m_legend = nullptr;
    std::vector<QCheckBox*> m_boxes;
    QLabel* m_footnote = nullptr;
    QTimer* m_clickTimer = nullptr;
    QPoint m_clickPosition;
    Qt::KeyboardModifiers m_clickModifiers;
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
};

} // namespace narv
