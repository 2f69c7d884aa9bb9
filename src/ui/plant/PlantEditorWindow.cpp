#include "ui/plant/PlantEditorWindow.h"

#include "core/Error.h"
#include "shell/UserDialogs.h"
#include "special/AIPlant.h"
#include "special/SbrCycle.h"
#include "special/SbrEditor.h"
#include "ui/plant/GridTableModel.h"
#include "ui/plant/SbrPage.h"

#include <QtCore/QTimer>
#include <QtGui/QClipboard>
#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTableView>
#include <QtWidgets/QVBoxLayout>

#include <utility>

namespace narv {
namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// The items first..last, the value selected (no selection when it lies outside).
void showChoice(QComboBox* box, const PlantItemRange& range, int value)
{
    const QSignalBlocker block(box);
    box->clear();
    for (int n = range.first; n <= range.last; ++n)
        box->addItem(QString::number(n));
    box->setCurrentIndex(value >= range.first && value <= range.last ? value - range.first : -1);
}

QLabel* label(const QString& text, QWidget* buddy)
{
    auto* caption = new QLabel(text);
    caption->setBuddy(buddy);
    caption->setAccessibleName(text);
    buddy->setAccessibleName(text);
    return caption;
}

} // namespace

PlantEditorWindow::PlantEditorWindow(Workspace& workspace, UserDialogs& dialogs, Hooks hooks,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_workspace(workspace),
      m_dialogs(dialogs),
      m_hooks(std::move(hooks)),
      m_editor(workspace.model, workspace.plant, workspace.state),
      m_aiEditor(workspace.plant, workspace.ai)
{
    setObjectName(QStringLiteral("TFormDefFlowscheme"));
    setWindowTitle(tr("Flowscheme"));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_sbrPage = new SbrPage(workspace, dialogs, [this] { changed(); }, this);
    m_pages->addTab(m_sbrPage, tr("Definition"));
    m_definitionPage = buildDefinitionPage();
    m_pages->addTab(m_definitionPage, tr("Definition"));
    m_reactorsPage = buildReactorsPage();
    m_pages->addTab(m_reactorsPage, tr("Reactors and secondary clarifiers"));
    m_pages->addTab(buildInitialConditionsPage(), tr("Initial conditions"));
    m_pages->addTab(buildInfluentPage(), tr("Influent concentrations"));
    m_pages->addTab(buildStatePage(), tr("State of plant"));
    m_pageBefore = m_pages->currentWidget();
    // Leaving a page takes over what is typed on it. The tab bar reports the click before it
    // changes the page, so a refused field keeps its page and the focus.
    connect(m_pages, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (!m_showing && index >= 0 && index != m_pages->currentIndex()) {
            m_keepPage = !commit();
            // The refused field has the focus again; it gets it back after the page returns.
            m_refusedField = m_keepPage ? QApplication::focusWidget() : nullptr;
            // Only the page change this click makes is held back.
            QTimer::singleShot(0, this, [this] { m_keepPage = false; });
        }
    });
    // The keyboard's page switch (Ctrl+Tab and its kin) is held the same way, before the tab
    // widget acts on it.
    m_pages->installEventFilter(this);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int) {
        if (std::exchange(m_keepPage, false)) {
            const QSignalBlocker block(m_pages);
            m_pages->setCurrentWidget(m_pageBefore);
            if (m_refusedField != nullptr)
                m_refusedField->setFocus();
            return;
        }
        // Leaving the SBR page: the cycle must be usable first.
        if (!m_showing && m_pageBefore == m_sbrPage && m_pages->currentWidget() != m_sbrPage &&
            m_pages->isTabVisible(m_pages->indexOf(m_sbrPage)) && !leavingSbrPageAllowed(true)) {
            const QSignalBlocker block(m_pages);
            m_pages->setCurrentWidget(m_sbrPage);
            return;
        }
        m_pageBefore = m_pages->currentWidget();
        if (!m_showing)
            reloadGrids();
    });

    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("btClose"));
    close->setAccessibleName(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    resize(900, 600);
    showTypePages();
    refreshEditors();
    showDefinition();
}

PlantEditorWindow::~PlantEditorWindow() = default;

bool PlantEditorWindow::switchesPage(const QKeyEvent& key)
{
    if (!(key.modifiers() & Qt::ControlModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

QLineEdit* PlantEditorWindow::addField(const char* name, PlantField field)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(140);
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit, field] { leaveField(edit, field); });
    m_fields[field] = edit;
    return edit;
}

QComboBox* PlantEditorWindow::addChoice(const char* name)
{
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    // The lists hold reactor numbers up to 18: a few digits wide on any screen.
    box->setMinimumWidth(60);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 48);
    return box;
}

QWidget* PlantEditorWindow::buildDefinitionPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));

    m_reactorCount = addChoice("cb_knkb");
    connect(m_reactorCount, &QComboBox::activated, this, [this](int index) {
        m_editor.chooseReactorCount(index + 1);
        changed();
        if (m_hooks.reactorCountChanged)
            m_hooks.reactorCountChanged();
    });
    m_clarifierCount = addChoice("cb_cl");
    connect(m_clarifierCount, &QComboBox::activated, this, [this](int index) {
        if (aiPlant())
            m_aiEditor.changeClarifierCount(index);
        else
            m_editor.chooseClarifierCount(index);
        changed();
    });
    const std::pair<const char*, PlantTarget> targets[] = {
        {"cb_kq", PlantTarget::InfluentReactor},  {"cb_kq2", PlantTarget::Influent2Reactor},
        {"cb_krue", PlantTarget::ReturnReactor},  {"cb_kvon", PlantTarget::RecircFrom},
        {"cb_kzu", PlantTarget::RecircTo},        {"cb_kvon2", PlantTarget::Recirc2From},
        {"cb_kzu2", PlantTarget::Recirc2To}};
    for (const auto& [name, target] : targets) {
        QComboBox* box = addChoice(name);
        m_targets[target] = box;
        connect(box, &QComboBox::activated, this, [this, box, target](int) {
            m_editor.chooseTarget(target, box->currentText().toInt());
            changed();
        });
    }

    QLineEdit* q = addField("ed_Q", PlantField::InfluentFlow);
    QLineEdit* q2 = addField("ed_Q2", PlantField::Influent2Flow);
    QLineEdit* r = addField("ed_R", PlantField::ReturnFlow);
    QLineEdit* rez = addField("ed_rez", PlantField::RecircFlow);
    QLineEdit* rez2 = addField("ed_rez2", PlantField::Recirc2Flow);
    QLineEdit* sa = addField("ed_sa", PlantField::SludgeAge);
    QLineEdit* sosat = addField("ed_sosat", PlantField::O2Saturation);
    QLineEdit* temp = addField("ed_temp", PlantField::OperatingTemperature);
    temp->installEventFilter(this);
    // Typing a flow offers the reactor it goes to before the field is left.
    connect(q, &QLineEdit::textEdited, this,
            [this] { m_targets[PlantTarget::InfluentReactor]->setEnabled(true); });
    connect(q2, &QLineEdit::textEdited, this,
            [this] { m_targets[PlantTarget::Influent2Reactor]->setEnabled(true); });
    connect(r, &QLineEdit::textEdited, this,
            [this] { m_targets[PlantTarget::ReturnReactor]->setEnabled(true); });
    connect(rez, &QLineEdit::textEdited, this,
            [this] { m_fields[PlantField::Recirc2Flow]->setEnabled(true); });

    m_polyvalent = addChoice("cb_knp");
    m_laneCompartments = addChoice("cb_knai");
    m_postAeration = addChoice("cb_knnb");
    const std::pair<QComboBox*, std::string (AIPlantEditor::*)(int)> aiCounts[] = {
        {m_polyvalent, &AIPlantEditor::changePolyvalentCount},
        {m_laneCompartments, &AIPlantEditor::changeLaneCompartmentCount},
        {m_postAeration, &AIPlantEditor::changePostAerationCount}};
    for (const auto& count : aiCounts) {
        QComboBox* choice = count.first;
        const auto rule = count.second;
        connect(choice, &QComboBox::activated, this, [this, choice, rule](int) {
            aiCountChosen(rule, choice->currentText().toInt());
        });
    }

    auto* counts = new QGroupBox(tr("Reactors"));
    auto* countsLayout = new QVBoxLayout(counts);
    m_reactorCountRow = new QWidget(counts);
    auto* reactorForm = new QFormLayout(m_reactorCountRow);
    reactorForm->setContentsMargins(0, 0, 0, 0);
    reactorForm->addRow(label(tr("Number of reactors:"), m_reactorCount), m_reactorCount);
    m_aiCountRows = new QWidget(counts);
    auto* aiForm = new QFormLayout(m_aiCountRows);
    aiForm->setContentsMargins(0, 0, 0, 0);
    aiForm->addRow(label(tr("Number of polyvalent reactors:"), m_polyvalent), m_polyvalent);
    aiForm->addRow(label(tr("Number of A/I compartments per lane:"), m_laneCompartments),
                   m_laneCompartments);
    aiForm->addRow(label(tr("Number of post-aeration reactors:"), m_postAeration),
                   m_postAeration);
    auto* clarifierForm = new QFormLayout;
    clarifierForm->addRow(label(tr("Compartments of the secondary clarifier:"), m_clarifierCount),
                          m_clarifierCount);
    countsLayout->addWidget(m_reactorCountRow);
    countsLayout->addWidget(m_aiCountRows);
    countsLayout->addLayout(clarifierForm);

    auto* influents = new QGroupBox(tr("Influents and return sludge"));
    auto* influentLayout = new QGridLayout(influents);
    auto addFlow = [&](int row, const QString& caption, QLineEdit* flow, QComboBox* target,
                       const QString& targetCaption) {
        influentLayout->addWidget(label(caption, flow), row, 0);
        influentLayout->addWidget(flow, row, 1);
        influentLayout->addWidget(label(targetCaption, target), row, 2);
        influentLayout->addWidget(target, row, 3);
    };
    addFlow(0, tr("1. Influent flowrate (m3/d):"), q, m_targets[PlantTarget::InfluentReactor],
            tr("into reactor:"));
    addFlow(1, tr("2. Influent flowrate (m3/d):"), q2, m_targets[PlantTarget::Influent2Reactor],
            tr("into reactor (2. influent):"));
    addFlow(2, tr("Return sludge flowrate (m3/d):"), r, m_targets[PlantTarget::ReturnReactor],
            tr("into reactor (return sludge):"));
    influentLayout->setColumnStretch(4, 1);

    auto* recirculations = new QGroupBox(tr("Internal recirculations"));
    auto* recircLayout = new QGridLayout(recirculations);
    auto addRecirculation = [&](int row, const QString& caption, QLineEdit* flow, QComboBox* from,
                                QComboBox* to, const QString& suffix) {
        recircLayout->addWidget(label(caption, flow), row, 0);
        recircLayout->addWidget(flow, row, 1);
        recircLayout->addWidget(label(tr("from reactor") + suffix + QLatin1Char(':'), from), row, 2);
        recircLayout->addWidget(from, row, 3);
        recircLayout->addWidget(label(tr("to reactor") + suffix + QLatin1Char(':'), to), row, 4);
        recircLayout->addWidget(to, row, 5);
    };
    addRecirculation(0, tr("1. Recirculation flowrate (m3/d):"), rez,
                     m_targets[PlantTarget::RecircFrom], m_targets[PlantTarget::RecircTo], {});
    addRecirculation(1, tr("2. Recirculation flowrate (m3/d):"), rez2,
                     m_targets[PlantTarget::Recirc2From], m_targets[PlantTarget::Recirc2To],
                     tr(" (2. recirculation)"));
    recircLayout->setColumnStretch(6, 1);

    auto* operation = new QGroupBox(tr("Operation"));
    auto* operationLayout = new QFormLayout(operation);
    m_sludgeAgeLabel = label(tr("Sludge age (SRT)"), sa);
    m_sludgeAgeLabel->setObjectName(QStringLiteral("lb_sa"));
    operationLayout->addRow(m_sludgeAgeLabel, sa);
    operationLayout->addRow(label(tr("O2 saturation concentration:"), sosat), sosat);
    operationLayout->addRow(label(tr("Operating temperature:"), temp), temp);

    auto* layout = new QGridLayout(page);
    layout->addWidget(counts, 0, 0);
    layout->addWidget(operation, 0, 1);
    layout->addWidget(influents, 1, 0, 1, 2);
    layout->addWidget(recirculations, 2, 0, 1, 2);
    layout->setRowStretch(3, 1);
    return page;
}

QWidget* PlantEditorWindow::buildReactorsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    m_reactors = new GridTableModel(
        [this] { return reactorRows(); },
        [this](int row, int column, const std::string& text) {
            return enterReactor(row, column, text);
        },
        m_dialogs, this);
    connect(m_reactors, &GridTableModel::entered, this, [this] { changed(); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(MakeGridView(m_reactors, QStringLiteral("sg_reactors"), page));
    return page;
}

QWidget* PlantEditorWindow::buildInitialConditionsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto grid = [this](SpeciesKind kind) {
        auto* model = new GridTableModel(
            [this, kind] { return m_editor.initialConditionGrid(kind); },
            [this, kind](int row, int column, const std::string& text) {
                return m_editor.enterInitialCondition(kind, row, column, text);
            },
            m_dialogs, this);
        connect(model, &GridTableModel::entered, this, [this] { changed(); });
        return model;
    };
    m_dissolved = grid(SpeciesKind::Dissolved);
    m_particulate = grid(SpeciesKind::Particulate);
    auto* paste = new QPushButton(tr("Copy from Clipboard"), page);
    paste->setObjectName(QStringLiteral("btPaste"));
    paste->setAccessibleName(tr("Copy from Clipboard"));
    connect(paste, &QPushButton::clicked, this, &PlantEditorWindow::pasteInitialConditions);
    auto* layout = new QVBoxLayout(page);
    auto* dissolvedTitle = new QLabel(tr("Dissolved species"), page);
    dissolvedTitle->setAccessibleName(dissolvedTitle->text());
    auto* particulateTitle = new QLabel(tr("Particulate species"), page);
    particulateTitle->setAccessibleName(particulateTitle->text());
    layout->addWidget(dissolvedTitle);
    layout->addWidget(MakeGridView(m_dissolved, QStringLiteral("sg_s"), page), 3);
    layout->addWidget(particulateTitle);
    layout->addWidget(MakeGridView(m_particulate, QStringLiteral("sg_x"), page), 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(paste);
    buttons->addStretch();
    layout->addLayout(buttons);
    return page;
}

QWidget* PlantEditorWindow::buildInfluentPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet4"));
    auto* layout = new QVBoxLayout(page);
    const std::tuple<InfluentGrid, const char*, QString> grids[] = {
        {InfluentGrid::Dissolved1, "sg_qs", tr("1. Influent: dissolved species")},
        {InfluentGrid::Particulate1, "sg_qx", tr("1. Influent: particulate species")},
        {InfluentGrid::Dissolved2, "sg_q2s", tr("2. Influent: dissolved species")},
        {InfluentGrid::Particulate2, "sg_q2x", tr("2. Influent: particulate species")}};
    for (const auto& [which, name, title] : grids) {
        const InfluentGrid grid = which;
        auto* model = new GridTableModel(
            [this, grid] { return m_editor.influentGrid(grid); },
            [this, grid](int, int column, const std::string& text) {
                return m_editor.enterInfluent(grid, column, text);
            },
            m_dialogs, this);
        connect(model, &GridTableModel::entered, this, [this] { changed(); });
        m_influents[grid] = model;
        auto* caption = new QLabel(title, page);
        caption->setAccessibleName(title);
        QTableView* view = MakeGridView(model, QString::fromLatin1(name), page);
        view->setMaximumHeight(80);
        m_influentViews[grid] = view;
        layout->addWidget(caption);
        layout->addWidget(view);
    }
    layout->addStretch();
    return page;
}

QWidget* PlantEditorWindow::buildStatePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet5"));
    m_state = new GridTableModel(
        [this]() -> GridRows {
            try {
                return stateRows();
            } catch (const Error& error) {
                return {{GridCell{error.what(), false}}};
            }
        },
        [](int, int, const std::string&) { return PlantEntry{}; }, m_dialogs, this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(MakeGridView(m_state, QStringLiteral("sg_state"), page));
    return page;
}

GridRows PlantEditorWindow::reactorRows()
{
    GridRows rows = m_editor.reactorGrid();
    if (!aiPlant())
        return rows;
    rows[0].push_back({" Type", false});
    for (std::size_t r = 1; r < rows.size(); ++r)
        rows[r].push_back(
            {AIReactorGridLabel(m_workspace.ai, m_workspace.plant, static_cast<int>(r)), false});
    return rows;
}

PlantEntry PlantEditorWindow::enterReactor(int row, int column, const std::string& text)
{
    const ReactorColumn which = column == 1   ? ReactorColumn::Volume
                                : column == 2 ? ReactorColumn::O2Setpoint
                                              : ReactorColumn::Kla;
    if (column > 3)
        return {};
    PlantEntry entry = m_editor.enterReactorCell(row, which, text);
    // The twin compartment of the other lane has the same volume.
    if (entry.accepted && which == ReactorColumn::Volume && aiPlant())
        m_aiEditor.setVolume(row, m_workspace.plant.Volume[row]);
    return entry;
}

GridRows PlantEditorWindow::stateRows()
{
    GridRows rows = m_editor.statePage();
    if (!aiPlant())
        return rows;
    return AIStateGrid(rows, m_workspace.ai, m_workspace.plant);
}

void PlantEditorWindow::aiCountChosen(std::string (AIPlantEditor::*change)(int), int count)
{
    const std::string message = (m_aiEditor.*change)(count);
    if (!message.empty())
        m_dialogs.showMessage(message);
    changed();
    if (m_hooks.reactorCountChanged)
        m_hooks.reactorCountChanged();
}

void PlantEditorWindow::refreshEditors()
{
    m_editor.refresh();
    if (aiPlant()) {
        m_aiEditor.refresh();
        // The standard refresh ran on the counts of before.
        m_editor.refresh();
        m_aiEditor.refresh();
    }
}

void PlantEditorWindow::showAIDefinition()
{
    const AIDefinitionView& view = m_aiEditor.view();
    const TPlantDef& plant = m_workspace.plant;
    const TAIPlant& ai = m_workspace.ai;
    auto range = [](const AIItemRange& items) { return PlantItemRange{items.first, items.last}; };
    auto list = [](QComboBox* box, const std::vector<int>& items, int value) {
        const QSignalBlocker block(box);
        box->clear();
        int selected = -1;
        for (std::size_t i = 0; i < items.size(); ++i) {
            box->addItem(QString::number(items[i]));
            if (items[i] == value)
                selected = static_cast<int>(i);
        }
        box->setCurrentIndex(selected);
    };
    showChoice(m_polyvalent, range(view.polyvalent), ai.PolyvalentCount);
    showChoice(m_laneCompartments, range(view.laneCompartments), ai.LaneCompartmentCount);
    showChoice(m_postAeration, range(view.postAeration), ai.PostAerationCount);
    showChoice(m_clarifierCount, range(view.clarifier),
               plant.CompartmentCount - plant.ReactorCount);
    list(m_targets[PlantTarget::InfluentReactor], view.influentReactors, plant.InfluentReactor);
    list(m_targets[PlantTarget::Influent2Reactor], view.influentReactors, plant.Influent2Reactor);
    list(m_targets[PlantTarget::ReturnReactor], view.influentReactors, plant.ReturnReactor);
    list(m_targets[PlantTarget::RecircFrom], view.recircFrom, plant.RecircFrom);
    list(m_targets[PlantTarget::Recirc2From], view.recircFrom, plant.Recirc2From);
    list(m_targets[PlantTarget::RecircTo], view.recircTo, plant.RecircTo);
    list(m_targets[PlantTarget::Recirc2To], view.recirc2To, plant.Recirc2To);
    m_fields[PlantField::SludgeAge]->setEnabled(view.sludgeAgeEditable);
    m_clarifierCount->setEnabled(view.sludgeAgeEditable);
    m_targets[PlantTarget::ReturnReactor]->setEnabled(view.returnReactorEditable);
    m_fields[PlantField::RecircFlow]->setEnabled(view.recircEditable);
    m_targets[PlantTarget::RecircFrom]->setEnabled(view.recircEditable);
    m_targets[PlantTarget::RecircTo]->setEnabled(view.recircEditable);
    m_fields[PlantField::Recirc2Flow]->setEnabled(view.recirc2Editable);
    m_targets[PlantTarget::Recirc2From]->setEnabled(view.recirc2Editable);
    m_targets[PlantTarget::Recirc2To]->setEnabled(view.recirc2Editable);
}

void PlantEditorWindow::showTypePages()
{
    const bool ai = aiPlant();
    setObjectName(ai ? QStringLiteral("TFormDefFlowschemeAI") : QStringLiteral("TFormDefFlowscheme"));
    m_reactorCountRow->setVisible(!ai);
    m_aiCountRows->setVisible(ai);
    const bool sbr = m_workspace.plant.PlantType == TFlowschemeType::ftSBR;
    const bool switched = m_pages->isTabVisible(m_pages->indexOf(m_sbrPage)) != sbr;
    m_pages->setTabVisible(m_pages->indexOf(m_sbrPage), sbr);
    m_pages->setTabVisible(m_pages->indexOf(m_definitionPage), !sbr);
    m_pages->setTabVisible(m_pages->indexOf(m_reactorsPage), !sbr);
    // Another kind of plant starts on its own definition page.
    if (switched)
        m_pages->setCurrentWidget(sbr ? static_cast<QWidget*>(m_sbrPage) : m_definitionPage);
}

void PlantEditorWindow::startNewPlant(TFlowschemeType type, const std::string& menuCaption)
{
    Workspace& w = m_workspace;
    if (type == TFlowschemeType::ftSBR) {
        ApplySbrPlantType(w.model, w.plant, w.state, w.sbr, true);
        ApplySbrInitialVolumeRule(w.sbr);
        setWindowTitle(tr("SBR"));
    } else {
        if (type == TFlowschemeType::ftAI)
            ApplyAIPlantType(w.model, w.plant, w.state, w.ai, true);
        else
            ApplyPlantType(type, w.model, w.plant, w.state, true);
        setWindowTitle(qs(PlantEditor::Caption(menuCaption)));
    }
    refreshAll();
}

void PlantEditorWindow::reload()
{
    Workspace& w = m_workspace;
    const TFlowschemeType type = w.plant.PlantType;
    if (type == TFlowschemeType::ftSBR)
        ApplySbrPlantType(w.model, w.plant, w.state, w.sbr, false);
    else if (type == TFlowschemeType::ftAI)
        ApplyAIPlantType(w.model, w.plant, w.state, w.ai, false);
    else
        ApplyPlantType(type, w.model, w.plant, w.state, false);
    setWindowTitle(type == TFlowschemeType::ftSBR ? tr("SBR") : tr("Flowscheme"));
    refreshAll();
}

void PlantEditorWindow::refreshAll()
{
    showTypePages();
    refreshEditors();
    showDefinition();
    m_sbrPage->reload();
    reloadGrids();
}

void PlantEditorWindow::reloadGrids()
{
    for (GridTableModel* model : {m_reactors, m_dissolved, m_particulate, m_state})
        model->reload();
    for (auto& [grid, model] : m_influents)
        model->reload();
    const PlantDefinitionView& view = m_editor.view();
    for (InfluentGrid grid : {InfluentGrid::Dissolved1, InfluentGrid::Particulate1}) {
        m_influentViews[grid]->setEnabled(view.influentReactorEnabled);
        m_influents[grid]->setEditable(view.influentReactorEnabled);
    }
    for (InfluentGrid grid : {InfluentGrid::Dissolved2, InfluentGrid::Particulate2}) {
        m_influentViews[grid]->setEnabled(view.influent2ReactorEnabled);
        m_influents[grid]->setEditable(view.influent2ReactorEnabled);
    }
}

void PlantEditorWindow::showDefinition(bool keepTyped)
{
    const PlantDefinitionView& view = m_editor.view();
    const TPlantDef& plant = m_workspace.plant;
    showChoice(m_reactorCount, view.reactorCounts, plant.ReactorCount);
    showChoice(m_clarifierCount, view.clarifierCounts, view.clarifierCount);
    showChoice(m_targets[PlantTarget::InfluentReactor], view.targetReactors, plant.InfluentReactor);
    showChoice(m_targets[PlantTarget::Influent2Reactor], view.targetReactors,
               plant.Influent2Reactor);
    showChoice(m_targets[PlantTarget::ReturnReactor], view.targetReactors, plant.ReturnReactor);
    showChoice(m_targets[PlantTarget::RecircFrom], view.recircFrom, plant.RecircFrom);
    showChoice(m_targets[PlantTarget::Recirc2From], view.recircFrom, plant.Recirc2From);
    showChoice(m_targets[PlantTarget::RecircTo], view.recircTo, plant.RecircTo);
    showChoice(m_targets[PlantTarget::Recirc2To], view.recirc2To, plant.Recirc2To);

    const std::pair<PlantField, const std::string*> texts[] = {
        {PlantField::InfluentFlow, &view.influentFlowText},
        {PlantField::Influent2Flow, &view.influent2FlowText},
        {PlantField::ReturnFlow, &view.returnFlowText},
        {PlantField::RecircFlow, &view.recircFlowText},
        {PlantField::Recirc2Flow, &view.recirc2FlowText},
        {PlantField::SludgeAge, &view.sludgeAgeText},
        {PlantField::O2Saturation, &view.o2SaturationText},
        {PlantField::OperatingTemperature, &view.temperatureText}};
    for (const auto& [field, text] : texts) {
        QLineEdit* edit = m_fields[field];
        // Text typed into another field and not checked yet stays for its own check.
        if (keepTyped && edit->isModified())
            continue;
        if (field == PlantField::OperatingTemperature && edit->hasFocus())
            edit->setText(qs(m_editor.temperatureEditText()));
        else
            edit->setText(qs(*text));
        edit->setModified(false);
    }
    m_sludgeAgeLabel->setText(qs(view.sludgeAgeLabel));

    m_targets[PlantTarget::InfluentReactor]->setEnabled(view.influentReactorEnabled);
    m_fields[PlantField::Influent2Flow]->setEnabled(view.influent2FlowEnabled);
    m_targets[PlantTarget::Influent2Reactor]->setEnabled(view.influent2ReactorEnabled);
    m_fields[PlantField::SludgeAge]->setEnabled(view.sludgeAgeEnabled);
    m_clarifierCount->setEnabled(view.sludgeAgeEnabled);
    m_targets[PlantTarget::ReturnReactor]->setEnabled(view.returnReactorEnabled);
    m_fields[PlantField::RecircFlow]->setEnabled(view.recircEnabled);
    m_targets[PlantTarget::RecircFrom]->setEnabled(view.recircEnabled);
    m_targets[PlantTarget::RecircTo]->setEnabled(view.recircEnabled);
    m_fields[PlantField::Recirc2Flow]->setEnabled(view.recirc2Enabled);
    m_targets[PlantTarget::Recirc2From]->setEnabled(view.recirc2Enabled);
    m_targets[PlantTarget::Recirc2To]->setEnabled(view.recirc2Enabled);
    if (aiPlant())
        showAIDefinition();
}

void PlantEditorWindow::changed()
{
    refreshEditors();
    showDefinition(true);
    reloadGrids();
    if (m_hooks.modified)
        m_hooks.modified();
}

bool PlantEditorWindow::leaveField(QLineEdit* edit, PlantField field)
{
    if (m_checking)
        return true;
    if (!edit->isModified()) {
        // Leaving the temperature unchanged shows it with its unit again.
        if (field == PlantField::OperatingTemperature && !edit->hasFocus())
            edit->setText(qs(m_editor.view().temperatureText));
        return true;
    }
    m_checking = true;
    PlantEntry entry;
    try {
        entry = m_editor.enterField(field, edit->text().toStdString());
    } catch (const Error& error) {
        entry.message = error.what();
        entry.text = edit->text().toStdString();
    }
    if (!entry.message.empty())
        m_dialogs.showMessage(entry.message);
    edit->setText(qs(entry.text));
    edit->setModified(false);
    if (entry.accepted)
        changed();
    else if (entry.returnFocus)
        edit->setFocus();
    m_checking = false;
    return entry.accepted;
}

void PlantEditorWindow::pasteInitialConditions()
{
    const int filled = m_editor.pasteInitialConditions(
        QGuiApplication::clipboard()->text().toStdString());
    if (filled > 0)
        changed();
}

bool PlantEditorWindow::commit()
{
    if (m_checking)
        return false;
    // Every field still holding typed text is checked, the one being typed in as well as one
    // whose check was skipped (typed into while a message of another field was shown).
    for (const auto& [field, edit] : m_fields)
        if (edit->isEnabled() && !leaveField(edit, field))
            return false;
    if (!m_sbrPage->commit())
        return false;
    // The focus leaving takes over an open grid cell.
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && isAncestorOf(focus))
        focus->clearFocus();
    return true;
}

void PlantEditorWindow::showPage(WindowPort::PlantPage page)
{
    m_showing = true;
    showTypePages();
    const bool sbr = m_workspace.plant.PlantType == TFlowschemeType::ftSBR;
    switch (page) {
    case WindowPort::PlantPage::Current:
        break;
    case WindowPort::PlantPage::Definition:
        m_pages->setCurrentWidget(sbr ? static_cast<QWidget*>(m_sbrPage) : m_definitionPage);
        break;
    case WindowPort::PlantPage::InitialConditions:
        m_pages->setCurrentIndex(3);
        break;
    case WindowPort::PlantPage::InfluentConcentrations:
        m_pages->setCurrentIndex(4);
        break;
    case WindowPort::PlantPage::StateOfPlant:
        m_pages->setCurrentIndex(5);
        break;
    }
    if (!m_pages->isTabVisible(m_pages->currentIndex()))
        m_pages->setCurrentWidget(sbr ? static_cast<QWidget*>(m_sbrPage) : m_definitionPage);
    m_showing = false;
    refreshEditors();
    showDefinition();
    reloadGrids();
    show();
    raise();
    activateWindow();
    if (page == WindowPort::PlantPage::Definition && !sbr) {
        QLineEdit* temp = m_fields[PlantField::OperatingTemperature];
        temp->setFocus();
        temp->setText(qs(m_editor.temperatureEditText()));
        temp->selectAll();
    }
}

bool PlantEditorWindow::leavingSbrPageAllowed(bool sbrPageActive)
{
    const SbrLeaveCheck check =
        CheckLeaveSbrPage(m_workspace.plant, m_workspace.sbr, sbrPageActive);
    if (check.allowed)
        return true;
    if (!check.message.empty())
        m_dialogs.showMessage(check.message);
    m_sbrPage->focus(check.focus);
    return false;
}

bool PlantEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pages && event->type() == QEvent::KeyPress && !m_showing &&
        switchesPage(*static_cast<QKeyEvent*>(event)) && !commit())
        return true;
    QLineEdit* temp = m_fields.count(PlantField::OperatingTemperature) != 0
                          ? m_fields[PlantField::OperatingTemperature]
                          : nullptr;
    if (watched == temp && event->type() == QEvent::FocusIn && !temp->isModified() && !m_checking)
        temp->setText(qs(m_editor.temperatureEditText()));
    return QWidget::eventFilter(watched, event);
}

void PlantEditorWindow::closeEvent(QCloseEvent* event)
{
    if (!commit()) {
        event->ignore();
        return;
    }
    if (!leavingSbrPageAllowed(m_pages->currentWidget() == m_sbrPage)) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_hooks.closed)
        m_hooks.closed();
}

} // namespace narv
