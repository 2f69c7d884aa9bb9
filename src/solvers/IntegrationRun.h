#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/SimSettings.h"

#include <functional>
#include <optional>
#include <string>

namespace narv {

// The end time an integration run offers: half the sludge age [d].
double DefaultIntegrationEndTime(const TPlantDef& plant);

// "h:mm:ss" of a wall-clock duration, as the end-of-run messages show it.
std::string FormatElapsed(double seconds);

struct RunOutcome {
    bool stopped = false;
    int chunks = 0;              // chunks (or relaxation calls) completed or begun
    double elapsedSeconds = 0.0; // wall-clock time of the run
};

// The integration run: loops chunks of end time / loops each, with the clock restarting at 0
// and the inputs held constant; the state continues from where it stands. It also keeps one
// saved copy of the compartment concentrations.
class IntegrationRun {
public:
    IntegrationRun(TModelDef& model, TPlantDef& plant, TPlantState& state,
                   const TSimSettings& settings);

    // afterChunk runs after every chunk (a window refreshes its state page there). Control
    // receives "Integration started", the integrator's texts and "Integration not started".
    RunOutcome run(RunControl& control, double endTime, const std::string& endTimeText,
                   bool stepByStep, const std::function<void()>& afterChunk = {});

    void saveConditions();
    bool hasSavedConditions() const { return m_saved.has_value(); }
    // Throws SimulationError when nothing was saved.
    void loadConditions();

private:
    struct Concentrations {
        Array2<double, MaxCompartments, MaxSpecies> S;
        Array2<double, MaxCompartments, MaxSpecies> X;
    };

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSimSettings& m_settings;
    std::optional<Concentrations> m_saved;
};

} // namespace narv
