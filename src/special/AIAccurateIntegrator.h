#pragma once

#include "solvers/CvodeIntegrator.h"
#include "solvers/PlantIntegrator.h"
#include "special/AIPlant.h"

namespace narv {

// The accurate integrator of A/I plants: CVODE over the balances along the upstream
// compartments of the lane fed, with the lane fed's control loops (their on/off switches
// located as for the standard plants) and its lane loop after every internal step; a change of
// the lane fed restarts the integration.
class AIAccurateIntegrator : public PlantIntegrator {
public:
    AIAccurateIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                         const TSimSettings& settings, int& laneFed);

    void integrate(RunControl& control, bool stepByStep, int variationIndex,
                   const CompartmentArray& relativeKla, double start, double end,
                   const std::string& endText) override;

    const CvodeIntegrator& accurate() const { return m_integrator; }

private:
    class LaneLoops : public LoopActions {
    public:
        LaneLoops(TAIPlant& ai, int& laneFed) : m_ai(ai), m_laneFed(laneFed) {}
        bool apply(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                   int variationIndex, const CompartmentArray& relativeKla) override;
        TControlLoopDef& loop(TPlantDef& plant, int n) const override;
        const UpstreamRow& upstream() const override;
        // Besides the on/off switches of the lane's table, its lane loop: the signal leaving
        // the band between its thresholds switches the lane.
        int switchCount(TPlantDef& plant) const override;
        void switchFunctions(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                             double* values) const override;
        void flip(TPlantDef& plant, int k) override;

    private:
        const TControlLoopDef* laneLoopWithBand() const;

        TAIPlant& m_ai;
        int& m_laneFed;
        bool m_laneSwitchDue = false; // the signal was found leaving the band
    };

    LaneLoops m_loops;
    CvodeIntegrator m_integrator;
};

} // namespace narv
