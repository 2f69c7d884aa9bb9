#include "shell/NewModelWizard.h"

#include "shell/UserDialogs.h"

#include <array>

namespace narv {
namespace {

constexpr std::array<const char*, NewModelWizard::kLastStep + 1> kTexts = {
    "This assistant leads you through all input forms needed to define a new model.\nPlease "
    "choose > to continue",
    "Please input a description of the model\nand number of species and processes.\n\nWhen "
    "finished choose > to continue!",
    "Please input names of dissolved species in first row,\nprocess names in first column and "
    "stoichiometry in corresponding cells.",
    "Please input names of particulate species in first row,\nand stoichiometry in "
    "corresponding cells.",
    "Please input or change process rates",
    "Please input kinetic types of dissolved species,\nparameter values can be input or "
    "changed after choosing type.",
    "Please input kinetic types of particulate species,\nparameter values can be input or "
    "changed after choosing type.",
    "Please input initial conditions\nfor dissolved and particulate species.",
    "Please input influent concentrations\nfor dissolved and particulate species.",
};

ModelPage pageOfStep(int step)
{
    return static_cast<ModelPage>(step - 1);
}

} // namespace

NewModelWizard::NewModelWizard(ModelEditor& editor, UserDialogs& dialogs)
    : m_editor(editor), m_dialogs(dialogs)
{
    m_editor.lockLabels(false);
}

std::optional<ModelPage> NewModelWizard::page() const
{
    if (m_step == 0)
        return std::nullopt;
    return pageOfStep(m_step);
}

const char* NewModelWizard::text() const
{
    return kTexts.at(static_cast<std::size_t>(m_step));
}

bool NewModelWizard::pageAllowed(ModelPage page) const
{
    return !m_closed && m_step > 0 && pageOfStep(m_step) == page;
}

bool NewModelWizard::backEnabled() const
{
    return !m_closed && m_step > 1;
}

bool NewModelWizard::stepShown(int step) const
{
    return step == 0 || m_editor.pageVisible(pageOfStep(step));
}

void NewModelWizard::enter(int step)
{
    m_step = step;
    const bool names = step == 2 || step == 3;
    m_editor.lockLabels(names);
}

void NewModelWizard::forward()
{
    if (m_closed)
        return;
    int next = m_step + 1;
    while (next <= kLastStep && !stepShown(next))
        ++next;
    if (next <= kLastStep) {
        enter(next);
        return;
    }
    if (m_dialogs.askYesNo(kWizardQuitQuestion, {}, UserDialogs::Icon::Warning))
        close();
    else
        enter(1);
}

void NewModelWizard::back()
{
    if (!backEnabled())
        return;
    int previous = m_step - 1;
    while (previous > 1 && !stepShown(previous))
        --previous;
    enter(previous);
}

void NewModelWizard::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_editor.unlockLabels();
    m_dialogs.showMessage(kWizardFinishedMessage);
}

} // namespace narv
