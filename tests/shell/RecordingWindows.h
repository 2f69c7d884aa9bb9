#pragma once

#include "shell/WindowPort.h"

#include <string>
#include <vector>

namespace narv::test {

// Records each window call as one line, e.g. "plantEditor Definition", "relaxation".
class RecordingWindows : public WindowPort {
public:
    std::vector<std::string> calls;
    bool running = false; // a continuous simulation runs
    bool integrationActive = false;
    std::optional<TPrintOptions> reportOptions = TPrintOptions{}; // nothing: cancelled

    void showNewModelWizard() override { calls.push_back("newModelWizard"); }
    void showModelEditor() override { calls.push_back("modelEditor"); }
    void showReport(ReportOutput output) override
    {
        const char* names[] = {"Show", "Print", "ExportText"};
        calls.push_back(std::string("report ") + names[static_cast<int>(output)]);
    }
    std::optional<TPrintOptions> chooseReportOptions() override
    {
        calls.push_back("reportOptions");
        return reportOptions;
    }
    void startNewPlant(TFlowschemeType type) override
    {
        calls.push_back(std::string("newPlant ") + FlowschemeKeyword(type));
    }
    void reloadPlantEditor() override { calls.push_back("reloadPlantEditor"); }
    void commitPlantEditor() override { calls.push_back("commitPlantEditor"); }
    void showPlantEditor(PlantPage page) override
    {
        const char* names[] = {"Current", "Definition", "StateOfPlant", "InfluentConcentrations",
                               "InitialConditions"};
        calls.push_back(std::string("plantEditor ") + names[static_cast<int>(page)]);
    }
    void showFlowschemeGraphic() override { calls.push_back("graphic"); }
    void closeFlowschemeGraphic() override { calls.push_back("closeGraphic"); }
    void showControlLoops() override { calls.push_back("controlLoops"); }
    void startNewVariation() override { calls.push_back("newVariation"); }
    void showVariationEditor(VariationPage page) override
    {
        calls.push_back(page == VariationPage::Options ? "variationEditor Options"
                                                       : "variationEditor Current");
    }
    void showRelaxation() override { calls.push_back("relaxation"); }
    void showIntegration() override { calls.push_back("integration"); }
    void showDynamicSimulation() override { calls.push_back("dynamicSimulation"); }
    void showContinuousSimulation() override { calls.push_back("continuousSimulation"); }
    bool continuousSimulationRunning() const override { return running; }
    bool integrationWindowActive() const override { return integrationActive; }
    void showResults() override { calls.push_back("results"); }
    void openResultsFromFile(const std::filesystem::path& path) override
    {
        calls.push_back("resultsFromFile " + path.filename().string());
    }
    void showResultsFromFile() override { calls.push_back("showResultsFromFile"); }
    void closeHelp() override { calls.push_back("closeHelp"); }
};

} // namespace narv::test
