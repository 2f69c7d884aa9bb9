#pragma once

#include "plant/PlantEditor.h"
#include "shell/WindowPort.h"
#include "shell/Workspace.h"
#include "special/AIEditor.h"

#include <QtCore/QPointer>
#include <QtWidgets/QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;

namespace narv {

class GridTableModel;
class SbrPage;
class UserDialogs;

// The plant dialog "Flowscheme" (TFormDefFlowscheme): the pages of the standard plant types, or
// for an SBR plant its own page beside the state pages. Every rule is PlantEditor's (and the
// SBR page's editor's); the window shows what they give back.
class PlantEditorWindow : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> modified;            // an entry changed the plant
        std::function<void()> reactorCountChanged; // an open control-loop list follows
        std::function<void()> closed;              // the editor was closed
    };

    PlantEditorWindow(Workspace& workspace, UserDialogs& dialogs, Hooks hooks,
                      QWidget* parent = nullptr);
    ~PlantEditorWindow() override;

    // A type chosen from the menu: its set-up, then the caption "Flowscheme: " + the menu
    // caption without its accelerator marks ("SBR" for the SBR plant).
    void startNewPlant(TFlowschemeType type, const std::string& menuCaption);
    // A loaded plant: its type is applied as shown, not chosen.
    void reload();
    // Takes over what is being typed: the open grid cell and every field whose text was not
    // checked yet, as if they were left. False when a field refused its text; that field has
    // the focus again.
    bool commit();
    // Shows the window on the page; the definition page focuses the temperature.
    void showPage(WindowPort::PlantPage page);
    // Everything again from the plant (after a run changed the state, for example).
    void refreshAll();
    // Only the grids: the state and the initial conditions after a run step.
    void refreshState() { reloadGrids(); }

    PlantEditor& editor() { return m_editor; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The keys by which the tab widget changes its page.
    static bool switchesPage(const QKeyEvent& key);
    QWidget* buildDefinitionPage();
    QWidget* buildReactorsPage();
    QWidget* buildInitialConditionsPage();
    QWidget* buildInfluentPage();
    QWidget* buildStatePage();
    QLineEdit* addField(const char* name, PlantField field);
    QComboBox* addChoice(const char* name);
    bool leaveField(QLineEdit* edit, PlantField field);
    // keepTyped: a field with typed text not checked yet keeps it (a refresh after another
    // field's entry).
    void showDefinition(bool keepTyped = false);
    void reloadGrids();
    void showTypePages();
    void changed();
    void pasteInitialConditions();
    bool leavingSbrPageAllowed(bool sbrPageActive);
    bool aiPlant() const { return m_workspace.plant.PlantType == TFlowschemeType::ftAI; }
    void refreshEditors();
    void showAIDefinition();
    void aiCountChosen(std::string (AIPlantEditor::*change)(int), int count);
    GridRows reactorRows();
    PlantEntry enterReactor(int row, int column, const std::string& text);
    GridRows stateRows();

    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    Hooks m_hooks;
    PlantEditor m_editor;
    AIPlantEditor m_aiEditor;
    bool m_checking = false;
    bool m_showing = false;
    bool m_keepPage = false;              // a field of the page being left refused its text
    QPointer<QWidget> m_refusedField;     // where the focus returns after a refusal

    QTabWidget* m_pages = nullptr;
    QWidget* m_definitionPage = nullptr;
    QWidget* m_reactorsPage = nullptr;
    QWidget* m_pageBefore = nullptr; // the page shown before a change of page
    SbrPage* m_sbrPage = nullptr;
    std::map<PlantField, QLineEdit*> m_fields;
    QComboBox* m_reactorCount = nullptr;   // cb_knkb
    QComboBox* m_clarifierCount = nullptr; // cb_cl
    QComboBox* m_polyvalent = nullptr;     // cb_knp
    QComboBox* m_laneCompartments = nullptr; // cb_knai
    QComboBox* m_postAeration = nullptr;   // cb_knnb
    QWidget* m_reactorCountRow = nullptr;  // the standard plant's count, hidden for A/I
    QWidget* m_aiCountRows = nullptr;      // the A/I counts
    std::map<PlantTarget, QComboBox*> m_targets;
    QLabel* m_sludgeAgeLabel = nullptr; // lb_sa
    GridTableModel* m_reactors = nullptr;
    GridTableModel* m_dissolved = nullptr;
    GridTableModel* m_particulate = nullptr;
    std::map<InfluentGrid, GridTableModel*> m_influents;
    std::map<InfluentGrid, QTableView*> m_influentViews;
    GridTableModel* m_state = nullptr;
};

} // namespace narv
