#include "ui/results/ResultsDialogs.h"

#include "core/Error.h"
#include "ui/DesktopFormat.h"

#include <QtGui/QColor>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableView>
#include <QtWidgets/QVBoxLayout>

namespace narv {
namespace {

QLineEdit* lineEdit(QWidget* parent, const QString& name, const QString& accessible,
                    const std::string& text)
{
    auto* edit = new QLineEdit(ToQString(text), parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    return edit;
}

QCheckBox* newCheckBox(QWidget* parent, const QString& name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setAccessibleName(caption);
    box->setChecked(checked);
    return box;
}

} // namespace

// --- the series grid ------------------------------------------------------------------------

SeriesFieldsModel::SeriesFieldsModel(std::vector<SeriesFields>& series, QObject* parent)
    : QAbstractTableModel(parent), m_series(series)
{
}

int SeriesFieldsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_series.size());
}

int SeriesFieldsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SeriesFieldsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SeriesFields& series = m_series[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case TitleColumn:
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return ToQString(series.Title);
        break;
    case ColorColumn:
        if (role == Qt::DisplayRole)
            return series.Color.empty() ? QStringLiteral("automatic") : ToQString(series.Color);
        if (role == Qt::EditRole)
            return ToQString(series.Color);
        if (role == Qt::DecorationRole && !series.Color.empty())
            return QColor(ToQString(series.Color));
        break;
    case WidthColumn:
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return series.PenWidth;
        break;
    case VisibleColumn:
        if (role == Qt::CheckStateRole)
            return series.Active ? Qt::Checked : Qt::Unchecked;
        break;
    default:
        break;
    }
    return {};
}

bool SeriesFieldsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rowCount())
        return false;
    SeriesFields& series = m_series[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case TitleColumn:
        if (role != Qt::EditRole)
            return false;
        series.Title = ToStdString(value.toString());
        break;
    case ColorColumn:
        if (role != Qt::EditRole)
            return false;
        series.Color = ToStdString(value.toString().trimmed());
        break;
    case WidthColumn: {
        if (role != Qt::EditRole)
            return false;
        bool ok = false;
        const int width = value.toInt(&ok);
        if (!ok)
            return false;
        series.PenWidth = width; // checked when the chart is applied
        break;
    }
    case VisibleColumn:
        if (role != Qt::CheckStateRole)
            return false;
        series.Active = value.toInt() == Qt::Checked;
        break;
    default:
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags SeriesFieldsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == VisibleColumn)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant SeriesFieldsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char* const captions[] = {"Series", "Colour", "Width", "Visible"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(captions[section])
                                                 : QVariant();
}

// --- the chart editor -----------------------------------------------------------------------

ChartEditorDialog::ChartEditorDialog(TChart& chart, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_chart(chart), m_dialogs(dialogs), m_fields(ChartFieldsOf(chart))
{
    setObjectName(QStringLiteral("ChartEditor"));
    setWindowTitle(QStringLiteral("Editing ") + ToQString(chart.Title));
    setAccessibleName(windowTitle());

    auto* general = new QGroupBox(QStringLiteral("Chart"), this);
    auto* generalForm = new QFormLayout(general);
    generalForm->addRow(
        QStringLiteral("&Title:"),
        lineEdit(general, QStringLiteral("ed_title"), QStringLiteral("Title"), m_fields.Title));
    generalForm->addRow(QStringLiteral("&Footnote:"),
                        lineEdit(general, QStringLiteral("ed_footnote"), QStringLiteral("Footnote"),
                                 m_fields.Footnote));
    auto* shows = new QHBoxLayout;
    shows->addWidget(newCheckBox(general, QStringLiteral("cb_title"), QStringLiteral("Show title"),
                                 m_fields.TitleVisible));
    shows->addWidget(newCheckBox(general, QStringLiteral("cb_footnote"),
                                 QStringLiteral("Show footnote"), m_fields.FootnoteVisible));
    shows->addWidget(newCheckBox(general, QStringLiteral("cb_legend"),
                                 QStringLiteral("Show legend"), m_fields.LegendVisible));
    shows->addStretch();
    generalForm->addRow(shows);

    auto* axes = new QHBoxLayout;
    axes->addWidget(
        axisGroup(QStringLiteral("Left Axis"), QStringLiteral("left"), m_fields.LeftAxis));
    axes->addWidget(
        axisGroup(QStringLiteral("Bottom Axis"), QStringLiteral("bottom"), m_fields.BottomAxis));

    m_model = new SeriesFieldsModel(m_fields.Series, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("sg_series"));
    m_grid->setAccessibleName(QStringLiteral("Series"));
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setAccessibleName(QStringLiteral("Series columns"));
    m_grid->verticalHeader()->setAccessibleName(QStringLiteral("Series numbers"));
    for (QAbstractButton* corner : m_grid->findChildren<QAbstractButton*>())
        corner->setAccessibleName(QStringLiteral("Select all series"));
    m_grid->horizontalHeader()->setSectionResizeMode(SeriesFieldsModel::TitleColumn,
                                                     QHeaderView::Stretch);
    m_grid->setMinimumHeight(160);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    connect(buttons, &QDialogButtonBox::accepted, this, &ChartEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChartEditorDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addLayout(axes);
    auto* seriesLabel = new QLabel(QStringLiteral("Series (width 1 to 5, colour #RRGGBB or empty "
                                                  "for automatic):"),
                                   this);
    seriesLabel->setAccessibleName(seriesLabel->text());
    layout->addWidget(seriesLabel);
    layout->addWidget(m_grid, 1);
    layout->addWidget(buttons);
    resize(720, 620);
}

QWidget* ChartEditorDialog::axisGroup(const QString& caption, const QString& prefix,
                                      const AxisFields& axis)
{
    auto* group = new QGroupBox(caption, this);
    group->setAccessibleName(caption);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Title:"),
                 lineEdit(group, prefix + QStringLiteral("_title"),
                          caption + QStringLiteral(" title"), axis.Title));
    const auto limitRow = [&](const QString& field, bool automatic, const std::string& value) {
        auto* row = new QHBoxLayout;
        row->addWidget(lineEdit(group, prefix + QLatin1Char('_') + field.toLower(),
                                caption + QLatin1Char(' ') + field, value),
                       1);
        row->addWidget(newCheckBox(group, prefix + QStringLiteral("_auto") + field.toLower(),
                                   QStringLiteral("Automatic"), automatic));
        form->addRow(field + QLatin1Char(':'), row);
    };
    limitRow(QStringLiteral("Minimum"), axis.AutomaticMinimum, axis.Minimum);
    limitRow(QStringLiteral("Maximum"), axis.AutomaticMaximum, axis.Maximum);
    limitRow(QStringLiteral("Increment"), axis.AutomaticIncrement, axis.Increment);
    auto* shows = new QHBoxLayout;
    shows->addWidget(newCheckBox(group, prefix + QStringLiteral("_visible"),
                                 QStringLiteral("Visible"), axis.Visible));
    shows->addWidget(newCheckBox(group, prefix + QStringLiteral("_showtitle"),
                                 QStringLiteral("Show title"), axis.TitleVisible));
    shows->addWidget(newCheckBox(group, prefix + QStringLiteral("_grid"), QStringLiteral("Grid"),
                                 axis.GridVisible));
    form->addRow(shows);
    return group;
}

QLineEdit* ChartEditorDialog::field(const QString& objectName) const
{
    return findChild<QLineEdit*>(objectName);
}

QCheckBox* ChartEditorDialog::checkBox(const QString& objectName) const
{
    return findChild<QCheckBox*>(objectName);
}

void ChartEditorDialog::readAxis(const QString& prefix, AxisFields& axis)
{
    axis.Title = ToStdString(field(prefix + QStringLiteral("_title"))->text());
    axis.Minimum = ToStdString(field(prefix + QStringLiteral("_minimum"))->text().trimmed());
    axis.Maximum = ToStdString(field(prefix + QStringLiteral("_maximum"))->text().trimmed());
    axis.Increment = ToStdString(field(prefix + QStringLiteral("_increment"))->text().trimmed());
    axis.AutomaticMinimum = checkBox(prefix + QStringLiteral("_autominimum"))->isChecked();
    axis.AutomaticMaximum = checkBox(prefix + QStringLiteral("_automaximum"))->isChecked();
    axis.AutomaticIncrement = checkBox(prefix + QStringLiteral("_autoincrement"))->isChecked();
    axis.Visible = checkBox(prefix + QStringLiteral("_visible"))->isChecked();
    axis.TitleVisible = checkBox(prefix + QStringLiteral("_showtitle"))->isChecked();
    axis.GridVisible = checkBox(prefix + QStringLiteral("_grid"))->isChecked();
}

void ChartEditorDialog::readControls()
{
    m_fields.Title = ToStdString(field(QStringLiteral("ed_title"))->text());
    m_fields.Footnote = ToStdString(field(QStringLiteral("ed_footnote"))->text());
    m_fields.TitleVisible = checkBox(QStringLiteral("cb_title"))->isChecked();
    m_fields.FootnoteVisible = checkBox(QStringLiteral("cb_footnote"))->isChecked();
    m_fields.LegendVisible = checkBox(QStringLiteral("cb_legend"))->isChecked();
    readAxis(QStringLiteral("left"), m_fields.LeftAxis);
    readAxis(QStringLiteral("bottom"), m_fields.BottomAxis);
}

bool ChartEditorDialog::apply()
{
    readControls();
    try {
        ApplyChartFields(m_chart, m_fields);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return false;
    }
    return true;
}

void ChartEditorDialog::accept()
{
    if (apply())
        QDialog::accept();
}

// --- "Select Series" ------------------------------------------------------------------------

SelectSeriesDialog::SelectSeriesDialog(const TResultSet& results, std::vector<int> offered,
                                       QWidget* parent)
    : QDialog(parent), m_offered(std::move(offered))
{
    setObjectName(QStringLiteral("SelectSeries"));
    setWindowTitle(QStringLiteral("Select Series"));
    setAccessibleName(windowTitle());
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lb_series"));
    m_list->setAccessibleName(QStringLiteral("Series"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const int index : m_offered) {
        const SeriesPointer& series = results.Series[static_cast<std::size_t>(index)];
        m_list->addItem(ToQString(series ? series->Title : std::string()));
    }
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : m_buttons->buttons())
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto update = [this] { okButton()->setEnabled(!m_list->selectedItems().isEmpty()); };
    connect(m_list, &QListWidget::itemSelectionChanged, this, update);
    update();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_buttons);
    resize(420, 520);
}

QPushButton* SelectSeriesDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

std::vector<int> SelectSeriesDialog::selected() const
{
    std::vector<int> chosen;
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->isSelected())
            chosen.push_back(m_offered[static_cast<std::size_t>(row)]);
    return chosen;
}

// --- "Choose Series to show" ----------------------------------------------------------------

ChooseSeriesDialog::ChooseSeriesDialog(TResultSet& results, UserDialogs& dialogs,
                                       std::function<ChartSetup()> setup, QWidget* parent)
    : QDialog(parent), m_results(results), m_dialogs(dialogs), m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("TFormChooseSeries"));
    setWindowTitle(QStringLiteral("Choose Series to show"));
    setAccessibleName(windowTitle());
    chooseSeries = [this](const std::vector<int>& offered) -> std::optional<std::vector<int>> {
        SelectSeriesDialog select(m_results, offered, this);
        if (select.exec() != QDialog::Accepted)
            return std::nullopt;
        return select.selected();
    };

    m_charts = new QListWidget(this);
    m_charts->setObjectName(QStringLiteral("lb_charts"));
    m_charts->setAccessibleName(QStringLiteral("Charts"));
    m_series = new QListWidget(this);
    m_series->setObjectName(QStringLiteral("lb_series"));
    m_series->setAccessibleName(QStringLiteral("Series of the chart"));
    m_series->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const QString& caption, std::function<void()> command) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString(caption).remove(QLatin1Char(' ')));
        button->setAccessibleName(caption);
        connect(button, &QPushButton::clicked, this, [this, command = std::move(command)] {
            try {
                command();
            } catch (const Error& error) {
                m_dialogs.showError(error.what());
            }
        });
        buttons->addWidget(button);
    };
    addButton(QStringLiteral("Add Chart"), [this] { addChart(); });
    addButton(QStringLiteral("Remove Chart"), [this] { removeChart(); });
    addButton(QStringLiteral("Add Series"), [this] { addSeries(); });
    addButton(QStringLiteral("Remove Series"), [this] { removeSeries(); });
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok);

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* chartsLabel = new QLabel(QStringLiteral("Charts (ticked: chosen for tile)"), this);
    chartsLabel->setAccessibleName(chartsLabel->text());
    left->addWidget(chartsLabel);
    left->addWidget(m_charts);
    auto* right = new QVBoxLayout;
    auto* seriesLabel = new QLabel(QStringLiteral("Series"), this);
    seriesLabel->setAccessibleName(seriesLabel->text());
    right->addWidget(seriesLabel);
    right->addWidget(m_series);
    lists->addLayout(left, 1);
    lists->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(m_charts, &QListWidget::currentRowChanged, this, [this] {
        fillSeries();
        updateButtons();
    });
    connect(m_charts, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (m_filling)
            return;
        SetChartChecked(m_results, m_charts->row(item), item->checkState() == Qt::Checked);
    });
    connect(m_series, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    fillCharts();
    updateButtons();
    resize(760, 520);
}

QPushButton* ChooseSeriesDialog::button(const QString& caption) const
{
    return findChild<QPushButton*>(QString(caption).remove(QLatin1Char(' ')));
}

void ChooseSeriesDialog::fillCharts()
{
    m_filling = true;
    const int current = m_charts->currentRow();
    m_charts->clear();
    for (std::size_t i = 0; i < m_results.Charts.size(); ++i) {
        auto* item = new QListWidgetItem(ToQString(m_results.Charts[i].Title), m_charts);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(IsChartChecked(m_results, static_cast<int>(i)) ? Qt::Checked
                                                                           : Qt::Unchecked);
    }
    m_filling = false;
    if (current >= 0 && current < m_charts->count())
        m_charts->setCurrentRow(current);
    fillSeries();
}

void ChooseSeriesDialog::fillSeries()
{
    m_series->clear();
    const int chart = selectedChart();
    if (chart < 0)
        return;
    for (const SeriesPointer& series : m_results.Charts[static_cast<std::size_t>(chart)].Series)
        m_series->addItem(ToQString(series ? series->Title : std::string()));
}

void ChooseSeriesDialog::updateButtons()
{
    const int chart = selectedChart();
    const bool userChart = chart >= 0 && !IsRunChart(m_results, chart);
    button(QStringLiteral("Remove Chart"))->setEnabled(userChart);
    button(QStringLiteral("Add Series"))->setEnabled(userChart);
    button(QStringLiteral("Remove Series"))
        ->setEnabled(userChart && !m_series->selectedItems().isEmpty());
}

void ChooseSeriesDialog::selectChart(int chart)
{
    m_charts->setCurrentRow(chart);
}

int ChooseSeriesDialog::selectedChart() const
{
    const int row = m_charts->currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < m_results.Charts.size() ? row : -1;
}

void ChooseSeriesDialog::addChart()
{
    const std::optional<std::string> title =
        m_dialogs.askText("New Chart", "Please enter a title for the new chart:", "");
    if (!title)
        return;
    const int chart = AddUserChart(m_results, *title, m_setup ? m_setup() : ChartSetup{});
    if (chart < 0)
        return;
    fillCharts();
    selectChart(chart);
}

void ChooseSeriesDialog::removeChart()
{
    const int chart = selectedChart();
    if (chart < 0 || IsRunChart(m_results, chart))
        return;
    RemoveChart(m_results, chart);
    fillCharts();
    selectChart(std::min(chart, m_charts->count() - 1));
}

void ChooseSeriesDialog::addSeries()
{
    const int chart = selectedChart();
    if (chart < 0 || IsRunChart(m_results, chart))
        return;
    const std::optional<std::vector<int>> chosen = chooseSeries(SelectableSeries(m_results));
    if (!chosen || chosen->empty())
        return;
    AddSeriesToChart(m_results, chart, *chosen);
    fillSeries();
    updateButtons();
}

void ChooseSeriesDialog::removeSeries()
{
    const int chart = selectedChart();
    if (chart < 0 || IsRunChart(m_results, chart))
        return;
    // From the last to the first, so the positions of the others stay valid.
    for (int row = m_series->count() - 1; row >= 0; --row)
        if (m_series->item(row)->isSelected())
            RemoveSeriesFromChart(m_results, chart, row);
    fillSeries();
    updateButtons();
}

} // namespace narv
