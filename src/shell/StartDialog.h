#pragma once

#include <string>
#include <vector>

namespace narv {

enum class StartChoice { OpenLastProject, OpenExistingProject, CreateNewProject };

// Which choices of the start dialog "Welcome to NARV" are enabled and which is preselected.
struct StartDialogChoices {
    bool lastProjectEnabled = false;
    bool existingProjectEnabled = false;
    bool newProjectEnabled = true;
    StartChoice preselected = StartChoice::CreateNewProject;

    bool enabled(StartChoice choice) const;
};

// The last project is offered only while it is still in the project list.
StartDialogChoices StartDialogChoicesFor(const std::vector<std::string>& projects,
                                         const std::string& lastProject);

} // namespace narv
