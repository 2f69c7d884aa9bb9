#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"
#include "solvers/IntegrationRun.h"
#include "special/SbrCycle.h"

#include <cstdint>
#include <string>

namespace narv {

inline constexpr double kSbrMinimumStep = 0.00005;     // [d]
inline constexpr double kSbrConcentrationFloor = 1e-6; // after every step

// The state of an SBR run; it lives for one run and is not stored in files.
struct SbrRunState {
    double volume = 0.0;     // [m3]
    double kla = 0.0;        // [1/d]
    double o2Setpoint = 0.0; // oxygen held in the current period; 0: none
    double time = 0.0;       // [d] since the start of the run
    bool stopped = false;
    // Timeslices completed since the start of the run, over all cycles; 64 bits, so that long
    // runs do not overflow.
    std::int64_t timesliceCounter = 0;
    int timesliceInCycle = 0; // samples recorded in the current cycle
    int cycleNumber = 1;      // 1..cycleCount
    int cycleCount = 1;
    double cycleLength = 0.0; // [d]
    double oxygenUptakeRate = 0.0;
    bool showAllCycles = false;
    std::string endTimeText;
};

// "Integration stands at " + time "%6.3f" + " of " + end-time text.
std::string SbrProgressText(double time, const std::string& endTimeText);

// Simulates a sequencing batch reactor over whole cycles: one tank of changing volume with its
// own explicit integrator, the model's rates of compartment 1 and the plant's influents, and a
// sample of every quantity at the start of every cycle and the end of every timeslice.
class SbrSimulation {
public:
    SbrSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state, const TSbrCycle& cycle,
                  TResultSet& results);

    // RunSbrSimulation: the given number of cycles (0: nothing), from the current state, the
    // volume reset to the initial volume at every cycle. showAllCycles records every cycle,
    // else only the last one. Refuses a cycle that would empty the tank, timeslices of 0
    // minutes and an accuracy outside its range before anything changes; stops with an error
    // if the volume still reaches 0 or a value stops being finite.
    RunOutcome run(RunControl& control, int cycles, bool showAllCycles);

    // The steps of a run, public so that each can be driven alone.
    void ExchangeInstantly(int period);
    void IntegratePeriod(RunControl& control, int period, double targetTime);
    void UpdateSbrAeration(int period);
    void RecordSbrSample(int period);

    SbrRunState& runState() { return m_run; }
    const SbrRunState& runState() const { return m_run; }
    long steps() const { return m_steps; } // integration steps of the last run

    // Refuses a cycle that cannot be simulated: SimulationError with the reason.
    static void CheckRunnable(const TSbrCycle& cycle);

private:
    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSbrCycle& m_cycle;
    TResultSet& m_results;
    SbrRunState m_run;
    SpeciesArray m_dS;
    SpeciesArray m_dX;
    long m_steps = 0;
};

} // namespace narv
