#pragma once

#include "plant/PlantDef.h"

#include <filesystem>
#include <string>

namespace narv {

// The windows the shell's commands open, close or prime. The desktop program implements it
// with its forms; tests record the calls. The shell keeps the state, the windows the data.
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
    // The report options dialog and its output; for ExportText into file. False when the user
    // cancelled the options.
    virtual bool showReport(ReportOutput output, const std::filesystem::path& file) = 0;

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
    // Writes the results of the last run into the file; false when that failed.
    virtual bool saveResults(const std::filesystem::path& path) = 0;
    // Discards the previous window of results from a file and opens a new one titled
    // "Results from File " + path with "Add Chart" disabled, reading the file into it. False
    // when the file could not be read.
    virtual bool openResultsFromFile(const std::filesystem::path& path) = 0;
    virtual void showResultsFromFile() = 0;

    virtual void closeHelp() = 0;
};

} // namespace narv
