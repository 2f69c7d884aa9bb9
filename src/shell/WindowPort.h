#pragma once

#include "plant/PlantDef.h"
#include "report/ModelReport.h"

#include <filesystem>
#include <optional>
#include <string>

namespace narv {

// The windows the shell's commands open, close or prime. The desktop program implements it
// with its forms; tests record the calls. Reading and writing files is the shell's work: the
// windows show what the workspace holds.
class WindowPort {
public:
    enum class PlantPage {
        Current,
        Definition,
        StateOfPlant,
        InfluentConcentrations,
        InitialConditions
    };
    enum class VariationPage { Current, Options };
    enum class ReportOutput { Show, Print, ExportText };

    virtual ~WindowPort() = default;

    virtual void showNewModelWizard() = 0;
    virtual void showModelEditor() = 0;
    // The report options dialog, then the report window (Show) or the printer (Print).
    virtual void showReport(ReportOutput output) = 0;
    // The report options dialog for the text file; nothing when the user cancelled it.
    virtual std::optional<TPrintOptions> chooseReportOptions() = 0;

    // The plant editor starts a new plant of the type.
    virtual void startNewPlant(TFlowschemeType type) = 0;
    // The plant editor shows the plant read from a file.
    virtual void reloadPlantEditor() = 0;
    // Takes over what is being typed in the plant editor before a simulation reads the plant.
    virtual void commitPlantEditor() = 0;
    // Definition page: the operating-temperature field focused with its text selected.
    virtual void showPlantEditor(PlantPage page) = 0;
    virtual void showFlowschemeGraphic() = 0; // at the top left for a new flowscheme
    virtual void closeFlowschemeGraphic() = 0;
    virtual void showControlLoops() = 0;

    virtual void startNewVariation() = 0;
    virtual void showVariationEditor(VariationPage page) = 0;

    virtual void showRelaxation() = 0;
    virtual void showIntegration() = 0;
    virtual void showDynamicSimulation() = 0;
    virtual void showContinuousSimulation() = 0;
    // Whether a continuous simulation runs, and whether its window is the active one.
    virtual bool continuousSimulationRunning() const = 0;
    virtual bool integrationWindowActive() const = 0;

    virtual void showResults() = 0;
    // Discards the previous window of results from a file and opens a new one titled
    // "Results from File " + path with "Add Chart" disabled, showing the workspace's
    // resultsFromFile, which the shell has just read.
    virtual void openResultsFromFile(const std::filesystem::path& path) = 0;
    virtual void showResultsFromFile() = 0;

    virtual void closeHelp() = 0;
};

} // namespace narv
