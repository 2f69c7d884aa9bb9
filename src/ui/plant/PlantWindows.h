#pragma once

#include "shell/WindowPort.h"
#include "shell/Workspace.h"

#include <QtCore/QPointer>

#include <filesystem>
#include <functional>

class QWidget;

namespace narv {

class AIControlLoopsWindow;
class ControlLoopsWindow;
class FlowschemeGraphicWindow;
class PlantEditorWindow;
class UserDialogs;

// The plant's windows for the main window: the plant dialog, the flowscheme picture and the
// control loops. Each is made on first use and kept, so the dialogs remember what they
// remember while the program runs.
class PlantWindows {
public:
    struct Hooks {
        std::function<void()> plantModified;       // PlantSaved := false and the shell refreshed
        std::function<void()> editorClosed;        // the shell's rule for a closed editor
        std::function<std::filesystem::path()> saveDirectory; // the project, else the user dir
    };

    PlantWindows(Workspace& workspace, UserDialogs& dialogs, Hooks hooks, QWidget* owner);
    ~PlantWindows();

    void startNewPlant(TFlowschemeType type);
    void reloadPlantEditor();
    void commitPlantEditor();
    void showPlantEditor(WindowPort::PlantPage page);
    void showFlowschemeGraphic();
    void closeFlowschemeGraphic();
    void showControlLoops();
    // A run changed the state: an open editor shows the concentrations again, without the
    // refresh rules of the definition page.
    void refreshPlantState();

    PlantEditorWindow* editor();
    FlowschemeGraphicWindow* graphic();
    ControlLoopsWindow* controlLoops();
    AIControlLoopsWindow* aiControlLoops();

private:
    // An open control-loop list follows the reactors.
    void rebuildControlLoops();

    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    Hooks m_hooks;
    QWidget* m_owner;
    QPointer<PlantEditorWindow> m_editor;
    QPointer<FlowschemeGraphicWindow> m_graphic;
    QPointer<ControlLoopsWindow> m_controlLoops;
    QPointer<AIControlLoopsWindow> m_aiControlLoops;
    bool m_graphicShown = false;
};

} // namespace narv
