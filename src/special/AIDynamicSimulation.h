#pragma once

#include "core/RunControl.h"
#include "dynamics/DynamicSimulation.h"
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
// with the A/I integrator, the lane fed per variation step or from the lane loops, and the lane
// fed recorded as the last series. run() builds LaneUpstream from the counts, as the
// dynamic-simulation command does; it also refuses counts that do not fit the plant and lanes
// of the variation other than 1 or 2.
class AIDynamicSimulation : public DynamicSimulation {
public:
    AIDynamicSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                        const TVariationDef& variation, const TAIVariation& lanes,
                        const TSimSettings& settings, TResultSet& results);

    int laneFed() const { return m_laneFed; } // the lane fed at the end of the run

protected:
    void checkPlant() const override;
    void prepare() override;
    std::unique_ptr<PlantIntegrator> makeIntegrator() override;
    void beforeOutputStep(int step) override;
    int laneFedRecorded() const override { return m_laneFed; }

private:
    TAIPlant& m_ai;
    const TAIVariation& m_lanes;
    int m_laneFed = 1;
};

} // namespace narv
