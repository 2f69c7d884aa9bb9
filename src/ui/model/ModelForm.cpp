#include "ui/model/ModelForm.h"

#include "shell/UserDialogs.h"
#include "ui/model/InputParametersDialog.h"
#include "ui/model/InputSpeciesDialog.h"
#include "ui/model/ModelGridModel.h"

#include <QtCore/QRegularExpression>
#include <QtCore/QSignalBlocker>
#include <QtCore/QTimer>
#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtGui/QCloseEvent>
#include <QtGui/QFocusEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStyledItemDelegate>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QVBoxLayout>

namespace narv {
namespace {

constexpr std::array<ModelGrid, 9> kGrids = {
    ModelGrid::StoichDissolved,   ModelGrid::StoichParticulate,  ModelGrid::KineticsDissolved,
    ModelGrid::KineticsParticulate, ModelGrid::RateConstants,    ModelGrid::InitialDissolved,
    ModelGrid::InitialParticulate, ModelGrid::InfluentDissolved, ModelGrid::InfluentParticulate};

bool isKineticGrid(ModelGrid grid)
{
    return grid == ModelGrid::KineticsDissolved || grid == ModelGrid::KineticsParticulate;
}

std::size_t slot(ModelCount count)
{
    return static_cast<std::size_t>(count);
}

std::size_t slot(ModelTemperature which)
{
    return static_cast<std::size_t>(which);
}

// The drop-down list over a kinetics cell: the type names in type order, the cell's type
// selected. Only choosing an item starts the choice; leaving the list untouched keeps the type.
class KineticTypeDelegate : public QStyledItemDelegate {
public:
    KineticTypeDelegate(ModelGrid grid, QObject* parent) : QStyledItemDelegate(parent), m_grid(grid)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* list = new QComboBox(parent);
        list->setObjectName(QStringLiteral("KineticTypeList"));
        list->setAccessibleName(QStringLiteral("Kinetic type"));
        for (const std::string& name : ModelEditor::kineticTypeNames(m_grid))
            list->addItem(QString::fromStdString(name));
        list->setProperty("chosen", false);
        QComboBox* editor = list;
        auto* self = const_cast<KineticTypeDelegate*>(this);
        connect(list, &QComboBox::activated, self, [self, editor] {
            editor->setProperty("chosen", true);
            emit self->commitData(editor);
            emit self->closeEditor(editor, QAbstractItemDelegate::NoHint);
        });
        Q_UNUSED(index);
        return list;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* list = static_cast<QComboBox*>(editor);
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index.data(Qt::EditRole).toInt());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        auto* list = static_cast<QComboBox*>(editor);
        if (!list->property("chosen").toBool())
            return;
        list->setProperty("chosen", false);
        model->setData(index, list->currentIndex(), Qt::EditRole);
    }

private:
    ModelGrid m_grid;
};

} // namespace

// ---------------------------------------------------------------------------------------------

ModelGridView::ModelGridView(ModelEditor& editor, ModelGrid grid, QWidget* parent)
    : QTableView(parent), m_editor(editor), m_grid(grid)
{
    setObjectName(QStringLiteral("StringGrid%1").arg(static_cast<int>(grid)));
    setAccessibleName(QString::fromLatin1(ModelPageCaption(PageOfGrid(grid))).trimmed() +
                      QStringLiteral(" grid %1").arg(static_cast<int>(grid)));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(isKineticGrid(grid)
                        ? QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                              QAbstractItemView::DoubleClicked
                        : QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::DoubleClicked);
    if (isKineticGrid(grid))
        setItemDelegate(new KineticTypeDelegate(grid, this));
    auto* copy = new QAction(QStringLiteral("Copy Table to Clipboard"), this);
    copy->setObjectName(QStringLiteral("CopyTable%1").arg(static_cast<int>(grid)));
    connect(copy, &QAction::triggered, this, &ModelGridView::copyTable);
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ModelGridView::commitEdit()
{
    QWidget* editor = focusWidget();
    if (state() == QAbstractItemView::EditingState && editor != nullptr && editor != this &&
        isAncestorOf(editor)) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void ModelGridView::copyTable()
{
    commitEdit();
    QGuiApplication::clipboard()->setText(QString::fromStdString(m_editor.tableText(m_grid)));
}

void ModelGridView::moveAfterEnter()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const GridPosition next = m_editor.cellAfterEnter(m_grid, {current.row(), current.column()});
    setCurrentIndex(model()->index(next.row, next.column));
}

void ModelGridView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState) {
        moveAfterEnter();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ModelGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter in a cell editor commits it and asks for the model's cache to be submitted.
    const bool enter = hint == QAbstractItemDelegate::SubmitModelCache;
    QTableView::closeEditor(editor, enter ? QAbstractItemDelegate::NoHint : hint);
    if (enter)
        moveAfterEnter();
}

// ---------------------------------------------------------------------------------------------

ModelForm::ModelForm(TModelDef& model, double& operatingTemperature, UserDialogs& dialogs,
                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_editor(model, operatingTemperature), m_dialogs(dialogs),
      m_runDialog([](QDialog& dialog) { return dialog.exec(); })
{
    setObjectName(QStringLiteral("TModelForm"));
    setWindowTitle(QStringLiteral("Model Editor"));
    setAccessibleName(windowTitle());

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setAccessibleName(QStringLiteral("Model pages"));
    for (ModelGrid grid : kGrids) {
        auto* gridModel = new ModelGridModel(m_editor, grid, this);
        gridModel->setMessageHandler([this](const std::string& text) { message(text); });
        if (isKineticGrid(grid)) {
            gridModel->setKineticHandler([this, grid](int row, int column, int type) {
                // The list closes first; the dialogs follow once it is gone.
                QTimer::singleShot(0, this, [this, grid, row, column, type] {
                    chooseKineticType(grid, row, column, type);
                });
            });
        }
        connect(gridModel, &QAbstractItemModel::dataChanged, this, &ModelForm::modelChanged);
        auto* view = new ModelGridView(m_editor, grid, this);
        view->setModel(gridModel);
        m_models[grid] = gridModel;
        m_views[grid] = view;
    }
    m_pages->addTab(buildInfoPage(), QString::fromLatin1(ModelPageCaption(ModelPage::Info)));
    m_pages->addTab(buildGridPage({ModelGrid::StoichDissolved}, {}),
                    QString::fromLatin1(ModelPageCaption(ModelPage::StoichDissolved)));
    m_pages->addTab(buildGridPage({ModelGrid::StoichParticulate}, {}),
                    QString::fromLatin1(ModelPageCaption(ModelPage::StoichParticulate)));
    m_pages->addTab(buildGridPage({ModelGrid::RateConstants}, {}),
                    QString::fromLatin1(ModelPageCaption(ModelPage::RateConstants)));
    m_pages->addTab(buildGridPage({ModelGrid::KineticsDissolved}, {}),
                    QString::fromLatin1(ModelPageCaption(ModelPage::KineticsDissolved)));
    m_pages->addTab(buildGridPage({ModelGrid::KineticsParticulate}, {}),
                    QString::fromLatin1(ModelPageCaption(ModelPage::KineticsParticulate)));
    m_pages->addTab(buildGridPage({ModelGrid::InitialDissolved, ModelGrid::InitialParticulate},
                                  QStringLiteral("Input of typical initial conditions in all "
                                                 "reactors")),
                    QString::fromLatin1(ModelPageCaption(ModelPage::InitialConditions)));
    m_pages->addTab(buildGridPage({ModelGrid::InfluentDissolved, ModelGrid::InfluentParticulate},
                                  QStringLiteral("Input of influent concentrations")),
                    QString::fromLatin1(ModelPageCaption(ModelPage::InfluentConcentrations)));
    connect(m_pages, &QTabWidget::currentChanged, this, &ModelForm::pageChanged);

    // Below the pages: the temperatures, "Labels editable" and "Close".
    auto* bottom = new QHBoxLayout;
    const char* temperatureNames[] = {"BaseTemperature", "OperatingTemperature"};
    const char* temperatureCaptions[] = {"Base Temperature:", "Operating Temperature:"};
    for (std::size_t i = 0; i < m_temperatures.size(); ++i) {
        auto* label = new QLabel(QString::fromLatin1(temperatureCaptions[i]), this);
        label->setAccessibleName(label->text());
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(temperatureNames[i]));
        edit->setAccessibleName(label->text());
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(90);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[-0-9.Ee]*")), edit));
        edit->installEventFilter(this);
        label->setBuddy(edit);
        bottom->addWidget(label);
        bottom->addWidget(edit);
        bottom->addSpacing(16);
        m_temperatures[i] = edit;
    }
    m_labelsEditable = new QCheckBox(QStringLiteral("Labels editable"), this);
    m_labelsEditable->setObjectName(QStringLiteral("cbLabelsEditable"));
    m_labelsEditable->setAccessibleName(m_labelsEditable->text());
    connect(m_labelsEditable, &QCheckBox::toggled, this, [this](bool on) {
        m_editor.setLabelsEditable(on);
        syncLabelsEditable();
        reloadGrids();
    });
    bottom->addWidget(m_labelsEditable);
    bottom->addStretch();
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("BitBtnClose"));
    m_close->setAccessibleName(m_close->text());
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    bottom->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(bottom);
    resize(1180, 580); // every page caption fits beside the others
    reload();
}

ModelForm::~ModelForm() = default;

QWidget* ModelForm::buildInfoPage()
{
    auto* page = new QWidget(m_pages);
    page->setAccessibleName(QString::fromLatin1(ModelPageCaption(ModelPage::Info)).trimmed());
    auto* form = new QFormLayout(page);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    const auto addRow = [&](const QString& caption, QWidget* field, const char* name) {
        field->setObjectName(QString::fromLatin1(name));
        field->setAccessibleName(caption);
        form->addRow(caption, field);
    };
    m_programVersion = new QLineEdit(page);
    m_programVersion->setReadOnly(true);
    addRow(QStringLiteral("Program Version:"), m_programVersion, "ProgramVersion");
    m_modelName = new QLineEdit(page);
    m_modelName->installEventFilter(this);
    addRow(QStringLiteral("Model Name:"), m_modelName, "ModelName");
    m_remarks = new QPlainTextEdit(page);
    m_remarks->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_remarks->installEventFilter(this);
    addRow(QStringLiteral("Remarks:"), m_remarks, "Memo1");
    const char* names[] = {"NS", "NX", "NP"};
    for (ModelCount count : {ModelCount::Dissolved, ModelCount::Particulate, ModelCount::Processes}) {
        auto* edit = new QLineEdit(page);
        edit->setFixedWidth(60);
        edit->setAlignment(Qt::AlignRight);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->installEventFilter(this);
        addRow(QString::fromLatin1(ModelEditor::countCaption(count)), edit,
               names[slot(count)]);
        m_counts[slot(count)] = edit;
    }
    // The labels of the form read as their captions too.
    for (QLabel* label : page->findChildren<QLabel*>())
        label->setAccessibleName(label->text());
    return page;
}

QWidget* ModelForm::buildGridPage(std::initializer_list<ModelGrid> grids, const QString& heading)
{
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    if (!heading.isEmpty()) {
        auto* label = new QLabel(heading, page);
        label->setAccessibleName(heading);
        layout->addWidget(label);
    }
    for (ModelGrid grid : grids) {
        ModelGridView* view = m_views.at(grid);
        view->setParent(page);
        layout->addWidget(view, 1);
    }
    page->setAccessibleName(QString::fromLatin1(ModelPageCaption(PageOfGrid(*grids.begin()))));
    return page;
}

ModelGridView* ModelForm::gridView(ModelGrid grid) const
{
    return m_views.at(grid);
}

ModelGridModel* ModelForm::gridModel(ModelGrid grid) const
{
    return m_models.at(grid);
}

QLineEdit* ModelForm::countField(ModelCount count) const
{
    return m_counts[slot(count)];
}

QLineEdit* ModelForm::temperatureField(ModelTemperature which) const
{
    return m_temperatures[slot(which)];
}

void ModelForm::message(const std::string& text)
{
    m_dialogs.showMessage(text, {}, UserDialogs::Icon::Warning);
}

void ModelForm::open()
{
    reload();
    showPage(ModelPage::Info);
}

void ModelForm::reload()
{
    loadInfo();
    syncLabelsEditable();
    reloadGrids();
}

void ModelForm::loadInfo()
{
    m_programVersion->setText(QString::fromStdString(m_editor.programVersion()));
    m_modelName->setText(QString::fromStdString(m_editor.modelName()));
    m_modelName->setModified(false);
    QStringList lines;
    for (const std::string& line : m_editor.remarks())
        lines.append(QString::fromStdString(line));
    m_remarks->setPlainText(lines.join(QLatin1Char('\n')));
    m_remarks->document()->setModified(false);
    for (ModelCount count : {ModelCount::Dissolved, ModelCount::Particulate, ModelCount::Processes}) {
        m_counts[slot(count)]->setText(QString::fromStdString(m_editor.countText(count)));
        m_counts[slot(count)]->setModified(false);
    }
    for (ModelTemperature which : {ModelTemperature::Base, ModelTemperature::Operating}) {
        QLineEdit* edit = m_temperatures[slot(which)];
        edit->setText(QString::fromStdString(edit->hasFocus() ? m_editor.temperatureEditText(which)
                                                              : m_editor.temperatureText(which)));
        edit->setModified(false);
    }
}

void ModelForm::reloadGrids()
{
    // The rate-constant grid always shows both temperatures' values.
    try {
        m_editor.convertToOperatingTemperature();
    } catch (const std::exception& error) {
        message(error.what());
    }
    for (auto& [grid, model] : m_models) {
        model->reload();
        ModelGridView* view = m_views.at(grid);
        view->setEnabled(m_editor.gridEnabled(grid));
        view->resizeColumnsToContents();
    }
    updatePages();
}

void ModelForm::updatePages()
{
    for (int i = 0; i < kModelPageCount; ++i) {
        const auto page = static_cast<ModelPage>(i);
        m_pages->setTabVisible(i, m_editor.pageVisible(page));
        m_pages->setTabEnabled(i, !m_pageAllowed || m_pageAllowed(page));
    }
}

void ModelForm::setPageFilter(std::function<bool(ModelPage)> allowed)
{
    m_pageAllowed = std::move(allowed);
    updatePages();
}

void ModelForm::syncLabelsEditable()
{
    const QSignalBlocker blocker(m_labelsEditable);
    m_labelsEditable->setChecked(m_editor.labelsEditable());
    m_labelsEditable->setEnabled(!m_editor.labelsLocked());
}

void ModelForm::showPage(ModelPage page)
{
    m_pages->setCurrentIndex(static_cast<int>(page));
}

ModelPage ModelForm::currentPage() const
{
    return static_cast<ModelPage>(m_pages->currentIndex());
}

bool ModelForm::leaveCount(ModelCount count)
{
    QLineEdit* edit = m_counts[slot(count)];
    if (!edit->isModified())
        return true;
    const ModelEntry entry = m_editor.enterCount(count, edit->text().toStdString());
    edit->setText(QString::fromStdString(entry.text));
    edit->setModified(false);
    if (!entry.accepted) {
        message(entry.message);
        showPage(ModelPage::Info);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    reloadGrids();
    return true;
}

bool ModelForm::leaveTemperature(ModelTemperature which)
{
    QLineEdit* edit = m_temperatures[slot(which)];
    if (!edit->isModified()) {
        if (!edit->hasFocus())
            edit->setText(QString::fromStdString(m_editor.temperatureText(which)));
        return true;
    }
    const ModelEntry entry = m_editor.enterTemperature(which, edit->text().toStdString());
    edit->setModified(false);
    if (!entry.accepted) {
        message(entry.message);
        edit->setText(QString::fromStdString(entry.text).trimmed());
        edit->setModified(false);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    edit->setText(QString::fromStdString(entry.text));
    reloadGrids(); // the rate constants at the new temperature
    emit modelChanged();
    return true;
}

bool ModelForm::leaveField(QObject* field)
{
    if (field == m_modelName) {
        if (m_modelName->isModified()) {
            m_editor.setModelName(m_modelName->text().toStdString());
            m_modelName->setModified(false);
            emit modelChanged();
        }
        return true;
    }
    if (field == m_remarks) {
        if (m_remarks->document()->isModified()) {
            QString text = m_remarks->toPlainText();
            if (text.endsWith(QLatin1Char('\n')))
                text.chop(1);
            std::vector<std::string> lines;
            if (!text.isEmpty())
                for (const QString& line : text.split(QLatin1Char('\n')))
                    lines.push_back(line.toStdString());
            m_editor.setRemarks(lines);
            m_remarks->document()->setModified(false);
            emit modelChanged();
        }
        return true;
    }
    for (ModelCount count : {ModelCount::Dissolved, ModelCount::Particulate, ModelCount::Processes})
        if (field == m_counts[slot(count)])
            return leaveCount(count);
    for (ModelTemperature which : {ModelTemperature::Base, ModelTemperature::Operating})
        if (field == m_temperatures[slot(which)])
            return leaveTemperature(which);
    return true;
}

bool ModelForm::commit()
{
    if (m_checking)
        return false;
    m_checking = true;
    bool accepted = true;
    for (auto& [grid, view] : m_views)
        view->commitEdit();
    QList<QObject*> fields = {m_modelName, m_remarks};
    for (QLineEdit* edit : m_counts)
        fields.append(edit);
    for (QLineEdit* edit : m_temperatures)
        fields.append(edit);
    for (QObject* field : fields)
        if (accepted && !leaveField(field))
            accepted = false;
    m_checking = false;
    return accepted;
}

bool ModelForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool entered = reason != Qt::PopupFocusReason &&
                             reason != Qt::ActiveWindowFocusReason && !m_checking;
        if (watched == m_modelName && entered) {
            m_dialogs.showMessage(kModelNameWarning, {}, UserDialogs::Icon::Warning);
        } else {
            for (ModelTemperature which : {ModelTemperature::Base, ModelTemperature::Operating}) {
                QLineEdit* edit = m_temperatures[slot(which)];
                if (watched == edit && !edit->isModified()) {
                    // The unit is left out while the field is being edited.
                    edit->setText(QString::fromStdString(m_editor.temperatureEditText(which)));
                    edit->setModified(false);
                }
            }
        }
    } else if (event->type() == QEvent::FocusOut && !m_checking) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            m_checking = true;
            leaveField(watched);
            m_checking = false;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ModelForm::pageChanged(int index)
{
    if (m_switchingPage)
        return;
    // Leaving a page commits what is being typed on it; a refused count keeps page "   Info".
    if (!commit()) {
        m_switchingPage = true;
        m_pages->setCurrentIndex(m_currentPage);
        m_switchingPage = false;
        return;
    }
    m_currentPage = index;
    reloadGrids();
}

void ModelForm::closeEvent(QCloseEvent* event)
{
    if (!commit()) {
        event->ignore();
        return;
    }
    m_editor.abandonKineticChoice();
    event->accept();
    emit closed();
}

void ModelForm::chooseKineticType(ModelGrid grid, int row, int column, int type)
{
    KineticStep step = m_editor.chooseKineticType(grid, row, column, type);
    // The cell names the chosen type before any dialog opens over it.
    m_models.at(grid)->refreshTexts();
    for (;;) {
        switch (step) {
        case KineticStep::Refused:
            message(m_editor.kineticMessage());
            m_models.at(grid)->refreshTexts();
            return;
        case KineticStep::SecondSpecies: {
            InputSpeciesDialog dialog(m_editor.secondSpeciesDialog(), this);
            step = m_runDialog(dialog) == QDialog::Accepted
                       ? m_editor.confirmSecondSpecies(dialog.chosen())
                       : m_editor.cancelSecondSpecies();
            break;
        }
        case KineticStep::Parameter: {
            InputParametersDialog dialog(m_editor.parameterDialog(), m_dialogs, this);
            step = m_editor.closeParameterDialog(m_runDialog(dialog) == QDialog::Accepted);
            break;
        }
        case KineticStep::Done:
            m_models.at(grid)->refreshTexts();
            m_views.at(grid)->resizeColumnsToContents();
            return;
        }
    }
}

} // namespace narv
