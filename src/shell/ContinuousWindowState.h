#pragma once

#include "core/RunControl.h"
#include "shell/RunWindowPort.h"
#include "shell/UserDialogs.h"
#include "shell/Workspace.h"
#include "solvers/SimSettings.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace narv {

// The base names of the two tables, without directory and without ".csv".
struct ContinuousNames {
    std::string input;  // ContInputName, e.g. "plant1.cin"
    std::string output; // ContOutputName, e.g. "plant1.COU"
    bool operator==(const ContinuousNames&) const = default;
};

// A chosen input table: its name without directory and last extension, and the output name
// made from that without its last extension and ".COU" (plant1.cin.csv gives plant1.cin and
// plant1.COU).
ContinuousNames ContinuousNamesFromInputFile(const std::filesystem::path& file);
// A chosen output table: its name without directory and last extension.
std::string ContinuousOutputNameFromFile(const std::filesystem::path& file);
// The dialogs of "Create Empty Input File" and of a double click on either name field.
FileDialogOptions ContinuousInputDialog(const std::filesystem::path& projectDir,
                                        const std::string& inputName);
FileDialogOptions ContinuousOutputDialog(const std::filesystem::path& projectDir,
                                         const std::string& outputName);

// The rules of the window "Continuous Simulation": the table names and their dialogs, the
// output compartment, Start, "Pause"/"Continue", Stop and the status texts. All files live in
// the project directory. start() returns when the run has ended.
class ContinuousWindowState : private RunControl {
public:
    ContinuousWindowState(Workspace& workspace, const TSimSettings& settings, RunWindowPort& port,
                          std::filesystem::path projectDir, ContinuousNames names);

    static const char* caption() { return "Continuous Simulation"; }

    // The window is shown: the compartment list 1..CompartmentCount keeps its choice or takes
    // the last compartment; when nothing runs, Stop and Pause are disabled.
    void shown();
    int compartmentCount() const;
    int compartment() const { return m_compartment; } // cbReactorNumber
    void chooseCompartment(int compartment);

    const ContinuousNames& names() const { return m_names; }
    void setInputName(std::string name) { m_names.input = std::move(name); }   // typing
    void setOutputName(std::string name) { m_names.output = std::move(name); } // typing
    // Another project was opened; not while a run reads and writes the tables.
    void setProjectDir(std::filesystem::path dir)
    {
        if (!m_inProgress)
            m_projectDir = std::move(dir);
    }
    std::filesystem::path inputPath() const;  // ProjectDir/ContInputName.csv
    std::filesystem::path outputPath() const; // ProjectDir/ContOutputName.csv

    // "Create Empty Input File": the template written where the user chose; both names follow
    // the chosen file. A cancelled dialog changes nothing.
    void createEmptyInputFile(UserDialogs& dialogs);
    // Double clicks on edInputFileName and edOutputFileName.
    void chooseInputFile(UserDialogs& dialogs);
    void chooseOutputFile(UserDialogs& dialogs);

    const RunButtons& buttons() const { return m_buttons; }
    const std::string& status() const { return m_status; }
    bool running() const { return m_inProgress; }
    bool paused() const { return m_paused; }

    // Start: the run over the input table into the output table. An error ends the run with
    // the same clean-up and is then thrown on.
    void start();
    // "Pause" / "Continue".
    void pauseOrContinue();
    void stop();

private:
    bool wantsProgress() override { return m_port.wantsProgress(); }
    void progress(const std::string& text) override { m_port.setStatus(text); }
    void idle() override;
    bool stopRequested() override { return m_stopRequested; }
    void setStatus(const std::string& text);
    void setButtons(const RunButtons& buttons);

    Workspace& m_workspace;
    const TSimSettings& m_settings;
    RunWindowPort& m_port;
    std::filesystem::path m_projectDir;
    ContinuousNames m_names;
    int m_compartment = 0;
    std::string m_status = "Simulation not running";
    RunButtons m_buttons;
    std::atomic<bool> m_inProgress = false;
    std::atomic<bool> m_paused = false;
    std::atomic<bool> m_stopRequested = false;
};

} // namespace narv
