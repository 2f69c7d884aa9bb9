#include "shell/StartDialog.h"

#include <algorithm>

namespace narv {

bool StartDialogChoices::enabled(StartChoice choice) const
{
    switch (choice) {
    case StartChoice::OpenLastProject:
        return lastProjectEnabled;
    case StartChoice::OpenExistingProject:
        return existingProjectEnabled;
    case StartChoice::CreateNewProject:
        return newProjectEnabled;
    }
    return false;
}

StartDialogChoices StartDialogChoicesFor(const std::vector<std::string>& projects,
                                         const std::string& lastProject)
{
    StartDialogChoices choices;
    choices.lastProjectEnabled = !lastProject.empty() && std::find(projects.begin(), projects.end(),
                                                                   lastProject) != projects.end();
    choices.existingProjectEnabled = !projects.empty();
    choices.preselected = choices.lastProjectEnabled       ? StartChoice::OpenLastProject
                          : choices.existingProjectEnabled ? StartChoice::OpenExistingProject
                                                           : StartChoice::CreateNewProject;
    return choices;
}

} // namespace narv
