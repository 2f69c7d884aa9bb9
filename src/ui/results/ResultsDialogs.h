#pragma once

#include "results/ChartEditor.h"
#include "results/ChartModel.h"
#include "results/ResultSet.h"
#include "shell/UserDialogs.h"

#include <QtCore/QAbstractTableModel>
#include <QtWidgets/QDialog>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

namespace narv {

// The series grid of the chart editor: title, colour, width and visibility of each series.
class SeriesFieldsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TitleColumn, ColorColumn, WidthColumn, VisibleColumn, ColumnCount };
    explicit SeriesFieldsModel(std::vector<SeriesFields>& series, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<SeriesFields>& m_series;
};

// The chart editor ("Editing " + title): titles, axes and the series' colours, widths and
// visibility. OK writes into the chart; an entry that cannot be taken is named and the dialog
// stays open.
class ChartEditorDialog : public QDialog {
    Q_OBJECT
public:
    ChartEditorDialog(TChart& chart, UserDialogs& dialogs, QWidget* parent = nullptr);

    ChartFields& fields() { return m_fields; }
    // Reads the controls into fields() and applies them; false when an entry was refused.
    bool apply();
    QLineEdit* field(const QString& objectName) const;
    QCheckBox* checkBox(const QString& objectName) const;
    QTableView* seriesGrid() const { return m_grid; }

    void accept() override;

private:
    QWidget* axisGroup(const QString& caption, const QString& prefix, const AxisFields& axis);
    void readControls();
    void readAxis(const QString& prefix, AxisFields& axis);

    TChart& m_chart;
    UserDialogs& m_dialogs;
    ChartFields m_fields;
    SeriesFieldsModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
};

// "Select Series": a multi-selection list of the run's series; OK only with a selection.
class SelectSeriesDialog : public QDialog {
    Q_OBJECT
public:
    SelectSeriesDialog(const TResultSet& results, std::vector<int> offered,
                       QWidget* parent = nullptr);
    std::vector<int> selected() const;
    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const;

private:
    std::vector<int> m_offered;
    QListWidget* m_list = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

// "Choose Series to show" (TFormChooseSeries): charts on the left, ticked when checked for
// tiling; the selected chart's series on the right; user charts get series added and removed.
class ChooseSeriesDialog : public QDialog {
    Q_OBJECT
public:
    ChooseSeriesDialog(TResultSet& results, UserDialogs& dialogs, std::function<ChartSetup()> setup,
                       QWidget* parent = nullptr);

    QListWidget* charts() const { return m_charts; }
    QListWidget* series() const { return m_series; }
    QPushButton* button(const QString& caption) const;
    void selectChart(int chart);
    int selectedChart() const;

    void addChart();
    void removeChart();
    void addSeries();
    void removeSeries();

    // Asks which run series to add; the "Select Series" list unless a test replaces it.
    std::function<std::optional<std::vector<int>>(const std::vector<int>& offered)> chooseSeries;

private:
    void fillCharts();
    void fillSeries();
    void updateButtons();

    TResultSet& m_results;
    UserDialogs& m_dialogs;
    std::function<ChartSetup()> m_setup;
    QListWidget* m_charts = nullptr;
    QListWidget* m_series = nullptr;
    bool m_filling = false;
};

} // namespace narv
