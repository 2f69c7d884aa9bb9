#pragma once

#include "core/RunControl.h"
#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"
#include "solvers/IntegrationRun.h"
#include "solvers/SimSettings.h"

#include <chrono>
#include <memory>
#include <string>

namespace narv {

class PlantIntegrator;

inline constexpr int kStepsPerCycle = 288; // output steps of one cycle
inline constexpr int kMaxCycles = 365;

// The number of cycles times the cycle duration in days, "%7.3f": the end-time text of the
// integrator's progress.
std::string DynamicEndTimeText(int cycles, double cycleDuration);

// RunStart "dd.mm.yyyy hh:nn:ss" and RunId " yyyymmddhhnnss" of a run started at the given
// local time.
void SetRunStart(TResultSet& results, const std::tm& localTime);

// Drives a standard plant through cycles of its variation: 288 integration calls per cycle,
// the plant's inputs set from the variation at every variation step, every quantity recorded
// after every output step of the recorded cycles. The plant's flows, influent concentrations,
// kla and temperature are restored at the end, also after a stop or an error; the state keeps
// the values of the last step. A/I plants derive from it with their own integrator and lanes.
class DynamicSimulation {
public:
    DynamicSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                      const TVariationDef& variation, const TSimSettings& settings,
                      TResultSet& results);
    virtual ~DynamicSimulation() = default;
    DynamicSimulation(const DynamicSimulation&) = delete;
    DynamicSimulation& operator=(const DynamicSimulation&) = delete;

    // The cycle loop. showAllCycles records every cycle, else only the last one. Refuses 0
    // or more than 365 cycles and a cycle duration that is not positive, and SBR and A/I
    // plants, which run their own simulations.
    RunOutcome run(RunControl& control, int cycles, bool showAllCycles);

    int currentCycle() const { return m_cycle; } // 0-based
    int stepCounter() const { return m_stepCounter; }
    double cycleTime() const { return m_cycleTime; }
    double recordingSeconds() const { return m_recordingSeconds; } // wall-clock time in recording

protected:
    // Refuses a plant this simulation does not run; called after the cycle count is checked.
    virtual void checkPlant() const;
    // Called once the variation is found valid, before the first cycle.
    virtual void prepare() {}
    virtual std::unique_ptr<PlantIntegrator> makeIntegrator();
    // Called before each integration of an output step within variation step `step`.
    virtual void beforeOutputStep(int /*step*/) {}
    // The lane fed that the recording stores (0: no lanes).
    virtual int laneFedRecorded() const { return 0; }

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TVariationDef& m_variation;
    const TSimSettings& m_settings;
    TResultSet& m_results;
    int m_cycle = 0;
    int m_stepCounter = 0;
    double m_cycleTime = 0.0;
    bool m_seriesCreated = false;
    double m_recordingSeconds = 0.0;

private:
    void record(int cycle, bool showAllCycles);
};

} // namespace narv
