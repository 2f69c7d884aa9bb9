#include "ui/plant/PlantWindows.h"

#include "graphics/FlowschemePicture.h"
#include "shell/ActionTable.h"
#include "ui/plant/AIControlLoopsWindow.h"
#include "ui/plant/ControlLoopsWindow.h"
#include "ui/plant/FlowschemeGraphicWindow.h"
#include "ui/plant/PlantEditorWindow.h"

#include <QtWidgets/QWidget>

namespace narv {

PlantWindows::PlantWindows(Workspace& workspace, UserDialogs& dialogs, Hooks hooks, QWidget* owner)
    : m_workspace(workspace), m_dialogs(dialogs), m_hooks(std::move(hooks)), m_owner(owner)
{
}

PlantWindows::~PlantWindows()
{
    // The windows work on the workspace, which goes before the owner deletes its children.
    delete m_aiControlLoops.data();
    delete m_controlLoops.data();
    delete m_graphic.data();
    delete m_editor.data();
}

PlantEditorWindow* PlantWindows::editor()
{
    if (m_editor.isNull()) {
        PlantEditorWindow::Hooks hooks;
        hooks.modified = [this] {
            if (m_hooks.plantModified)
                m_hooks.plantModified();
            if (!m_graphic.isNull())
                m_graphic->update();
        };
        hooks.reactorCountChanged = [this] { rebuildControlLoops(); };
        hooks.closed = [this] {
            if (m_hooks.editorClosed)
                m_hooks.editorClosed();
        };
        m_editor = new PlantEditorWindow(m_workspace, m_dialogs, std::move(hooks), m_owner);
    }
    return m_editor;
}

FlowschemeGraphicWindow* PlantWindows::graphic()
{
    if (m_graphic.isNull()) {
        m_graphic = new FlowschemeGraphicWindow(
            [this] {
                const Workspace& w = m_workspace;
                return w.plant.PlantType == TFlowschemeType::ftAI
                           ? BuildAIFlowschemePicture(w.plant, w.ai)
                           : BuildFlowschemePicture(w.plant);
            },
            m_workspace.plant.PlantType == TFlowschemeType::ftAI, m_dialogs,
            [this] { return m_hooks.saveDirectory ? m_hooks.saveDirectory() : std::filesystem::path(); },
            m_owner);
    }
    return m_graphic;
}

ControlLoopsWindow* PlantWindows::controlLoops()
{
    if (m_controlLoops.isNull())
        m_controlLoops = new ControlLoopsWindow(
            m_workspace, m_dialogs,
            [this] {
                if (m_hooks.plantModified)
                    m_hooks.plantModified();
            },
            m_owner);
    return m_controlLoops;
}

void PlantWindows::startNewPlant(TFlowschemeType type)
{
    std::string caption = FlowschemeKeyword(type);
    for (const auto& [item, itemType] : FlowschemeTypeItems())
        if (itemType == type)
            caption = item;
    editor()->startNewPlant(type, caption);
    m_graphicShown = false;
    rebuildControlLoops();
}

void PlantWindows::reloadPlantEditor()
{
    editor()->reload();
    rebuildControlLoops();
}

void PlantWindows::rebuildControlLoops()
{
    if (!m_controlLoops.isNull() && m_controlLoops->isVisible())
        m_controlLoops->rebuild();
    if (!m_aiControlLoops.isNull() && m_aiControlLoops->isVisible())
        m_aiControlLoops->rebuild();
}

AIControlLoopsWindow* PlantWindows::aiControlLoops()
{
    if (m_aiControlLoops.isNull())
        m_aiControlLoops = new AIControlLoopsWindow(
            m_workspace, m_dialogs,
            [this] {
                if (m_hooks.plantModified)
                    m_hooks.plantModified();
            },
            m_owner);
    return m_aiControlLoops;
}

void PlantWindows::refreshPlantState()
{
    if (!m_editor.isNull() && m_editor->isVisible())
        m_editor->refreshState();
}

void PlantWindows::commitPlantEditor()
{
    if (!m_editor.isNull() && m_editor->isVisible())
        m_editor->commit();
}

void PlantWindows::showPlantEditor(WindowPort::PlantPage page)
{
    editor()->showPage(page);
}

void PlantWindows::showFlowschemeGraphic()
{
    FlowschemeGraphicWindow* window = graphic();
    window->setAIPlant(m_workspace.plant.PlantType == TFlowschemeType::ftAI);
    // A new flowscheme's picture opens at the top left, beside the editor.
    if (!m_graphicShown && m_owner != nullptr)
        window->move(m_owner->geometry().topLeft());
    m_graphicShown = true;
    window->show();
    window->raise();
    window->update();
}

void PlantWindows::closeFlowschemeGraphic()
{
    if (!m_graphic.isNull())
        m_graphic->close();
}

void PlantWindows::showControlLoops()
{
    // The plant's type decides which list is shown; the other one goes.
    const bool ai = m_workspace.plant.PlantType == TFlowschemeType::ftAI;
    QWidget* other = ai ? static_cast<QWidget*>(m_controlLoops.data())
                        : static_cast<QWidget*>(m_aiControlLoops.data());
    if (other != nullptr)
        other->close();
    QWidget* window = ai ? static_cast<QWidget*>(aiControlLoops()) : controlLoops();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace narv
