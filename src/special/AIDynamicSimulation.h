#pragma once

#include "core/RunControl.h"
#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"
#include "solvers/IntegrationRun.h"
#include "solvers/SimSettings.h"
#include "special/AIPlant.h"

namespace narv {

// The lane a run of an A/I plant starts with: LaneFed[1], or lane 1 when that is not 1 or 2.
int InitialLaneFed(const TAIVariation& lanes);

// The lane fed in variation step i: LaneFed[i] unless a lane loop is active, in which case the
// lane stays as the loops left it.
int LaneFedForStep(const TAIPlant& ai, const TAIVariation& lanes, int step, int current);

// The dynamic simulation of an A/I plant: the cycle loop of the standard dynamic simulation
// (288 output steps per cycle, inputs from the variation, recording of the chosen cycles,
// inputs restored at the end) with the A/I integrator, the lane fed per variation step or
// from the lane loops, and the lane fed recorded as the last series.
class AIDynamicSimulation {
public:
    AIDynamicSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                        const TVariationDef& variation, const TAIVariation& lanes,
                        const TSimSettings& settings, TResultSet& results);

    // Builds LaneUpstream from the counts, as the dynamic-simulation command does, then runs.
    // Refuses 0 or more than 365 cycles, a cycle that is not positive, counts that do not fit
    // the plant and lanes of the variation other than 1 or 2.
    RunOutcome run(RunControl& control, int cycles, bool showAllCycles);

    int laneFed() const { return m_laneFed; } // the lane fed at the end of the run

private:
    void record(int cycle, double cycleTime, bool showAllCycles);

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    TAIPlant& m_ai;
    const TVariationDef& m_variation;
    const TAIVariation& m_lanes;
    const TSimSettings& m_settings;
    TResultSet& m_results;
    int m_laneFed = 1;
    bool m_seriesCreated = false;
};

} // namespace narv
