#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/Integrator.h"
#include "solvers/SimSettings.h"
#include "special/AIPlant.h"

namespace narv {

// The entries 1..CompartmentCount + 4 of the table of the lane fed, by the standard rule (the
// table keeps the switching states). laneFed must be 1 or 2.
void ApplyLaneTable(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                    TAIPlant& ai, int step, const CompartmentArray& relativeKla, int laneFed);

// The control loops of an A/I plant: ApplyLaneTable, then the table's lane loop, which switches
// to the other lane when its signal lies above the upper or below the lower threshold. laneFed
// must be 1 or 2.
void ApplyLaneControlLoops(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                           TAIPlant& ai, int step, const CompartmentArray& relativeKla,
                           int& laneFed);

// The integrator of A/I plants (IntegrateAI): the standard integrator with the control loops of
// the lane fed and its lane loop, and transport along LaneUpstream of the lane fed. laneFed (1
// or 2) is read at every step and sub-step and switched by the lane loops; LaneUpstream must be
// built for the plant's counts.
class AIIntegrator : public Integrator {
public:
    AIIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                 const TSimSettings& settings, int& laneFed);

protected:
    void checkPlant() const override;
    void applyControlLoops(int variationIndex, const CompartmentArray& relativeKla) override;
    const UpstreamRow& upstream() const override { return m_ai.LaneUpstream[m_laneFed]; }

private:
    TAIPlant& m_ai;
    int& m_laneFed;
};

} // namespace narv
