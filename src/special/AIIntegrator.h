#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/MassBalance.h"
#include "plant/PlantDef.h"
#include "solvers/SimSettings.h"
#include "special/AIPlant.h"

#include <string>

namespace narv {

// For one lane fed: the compartment whose outflow enters each compartment.
using UpstreamRow = Array1<int, MaxCompartments>;

// The plant mass balances with the predecessor of every through-flow term taken
// from the upstream row of the lane fed; a compartment that is its own upstream receives no
// through-flow. Terms whose source is named (influents, the last reactor for the return sludge,
// the origin of a recirculation) are unchanged. With up[k] = k - 1 they are the standard
// balances, bit for bit.
double AIDissolvedDerivative(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             const UpstreamRow& up, int reactor, int species);
double AIParticulateDerivative(const TModelDef& model, const TPlantDef& plant,
                               const TPlantState& state, const FlowRatioTable& ratios,
                               double excessSludge, const UpstreamRow& up, int reactor,
                               int species);
double AIOxygenDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                          const FlowRatioTable& ratios, const UpstreamRow& up, int reactor);
double AIClarifierDerivative(const TPlantState& state, const FlowRatioTable& ratios,
                             const UpstreamRow& up, int compartment, int species);

// The control loops of an A/I plant: the entries 1..CompartmentCount + 4 of the table of the
// lane fed by the standard rule, then its lane loop, which switches to the other lane when its
// signal lies above the upper or below the lower threshold. laneFed must be 1 or 2.
void ApplyLaneControlLoops(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                           TAIPlant& ai, int step, const CompartmentArray& relativeKla,
                           int& laneFed);

// The integrator of A/I plants: the standard integrator with the lane fed as an in/out value,
// the control loops of the lane fed with the lane loop, and transport along LaneUpstream of
// the lane fed, read at every term.
class AIIntegrator {
public:
    AIIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                 const TSimSettings& settings);

    // IntegrateAI. As Integrator::integrate, and laneFed (1 or 2) may be switched by the lane
    // loops. LaneUpstream must be built for the plant's counts.
    void integrate(RunControl& control, bool stepByStep, int variationIndex,
                   const CompartmentArray& relativeKla, int& laneFed, double start, double end,
                   const std::string& endText);

    long steps() const { return m_steps; }

private:
    void applyLoops(int variationIndex, const CompartmentArray& relativeKla, int& laneFed);
    void reactorDerivatives(const class RatePlan& plan, double excessSludge, int laneFed,
                            double& budget);
    void oxygenSubSteps(const class RatePlan& plan, RunControl& control, int variationIndex,
                        const CompartmentArray& relativeKla, int& laneFed, double dt, double h,
                        bool& stopped);

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    TAIPlant& m_ai;
    const TSimSettings& m_settings;
    FlowRatioTable m_ratios;
    Array2<double, MaxCompartments, MaxSpecies> m_dS;
    Array2<double, MaxCompartments, MaxSpecies> m_dX;
    CompartmentArray m_dO2;
    long m_steps = 0;
};

} // namespace narv
