#pragma once

#include "results/ChartModel.h"
#include "shell/ActionTable.h"
#include "shell/ContinuousWindowState.h"
#include "shell/UserDialogs.h"
#include "shell/WindowPort.h"
#include "shell/Workspace.h"
#include "solvers/SimSettings.h"

#include <QtCore/QString>

#include <filesystem>

namespace narv {

// What the run windows need of the program around them: the workspace and settings of the
// shell, its dialogs, and the main window's commands, plant editor and results window. The
// main window implements it; tests record the calls.
class RunWindowHost {
public:
    virtual ~RunWindowHost() = default;

    virtual Workspace& workspace() = 0;
    virtual const TSimSettings& simSettings() = 0;
    virtual UserDialogs& dialogs() = 0;
    virtual std::filesystem::path projectDir() = 0;
    // The names the footnotes of a run's charts show.
    virtual ChartSetup chartSetup() = 0;
    // The continuous simulation's table names, kept by the shell between runs.
    virtual ContinuousNames continuousNames() = 0;
    virtual void setContinuousNames(const ContinuousNames& names) = 0;

    // A computation starts (its kind) or ends (RunKind::None): the commands follow.
    virtual void setRunning(RunKind run) = 0;
    virtual void markPlantModified() = 0;
    // The plant editor shown on the page, or the page refreshed if the editor is visible.
    virtual void showPlantPage(WindowPort::PlantPage page) = 0;
    virtual void refreshPlantPage(WindowPort::PlantPage page) = 0;
    // A dynamic run ended: the results window and "Save Results" follow the workspace.
    virtual void runResultsChanged() = 0;
    virtual void showResults() = 0;
    // A run's progress while its window is hidden.
    virtual void showRunProgress(const QString& progress) = 0;
};

} // namespace narv
