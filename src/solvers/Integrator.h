#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "model/Rates.h"
#include "plant/MassBalance.h"
#include "plant/PlantDef.h"
#include "solvers/PlantIntegrator.h"
#include "solvers/SimSettings.h"

#include <array>
#include <string>
#include <vector>

namespace narv {

// "Integration stands at " + time + " of " + end-time text; the time with "%12.3g" in a
// step-by-step run, else with "%7.3f".
std::string IntegrationProgressText(double time, const std::string& endText, bool stepByStep);

using DerivativeTable = Array2<double, MaxCompartments, MaxSpecies>;

// The end of an integrator step: the reactors advanced by dt with their derivatives (the
// normal or the pH-model rule, then the clamps) and the clarifier compartments unclamped; a pH
// model first takes its pH from the protons, also in the influents.
// Throws FloatingPointError before writing a value that is not finite.
void UpdateReactorsAndClarifier(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                const TSimSettings& settings, const DerivativeTable& dS,
                                const DerivativeTable& dX, double dt);

// The explicit integrator: Euler steps chosen so that no positive concentration changes by
// more than the accuracy in one step, oxygen on a finer grid of its own, clamping, and the
// control loops at every step. Plants whose compartments are not fed in series (the lanes of an
// A/I plant) derive from it and give their control loops and upstream compartments.
class Integrator : public PlantIntegrator {
public:
    Integrator(TModelDef& model, TPlantDef& plant, TPlantState& state,
               const TSimSettings& settings);
    ~Integrator() override = default;
    Integrator(const Integrator&) = delete;
    Integrator& operator=(const Integrator&) = delete;

    // Advances the state from start to end [d] with the inputs as they are. variationIndex is
    // the variation step in force for the control loops (0: none) and relativeKla the relative
    // kla of every compartment in that step. Stops within one step when control asks. On
    // return, also after an error, the 18 oxygen setpoints are those found on entry. A zero
    // volume, a failed rate or a derivative that is not finite ends the call with an error and
    // leaves the state at its last finite values.
    void integrate(RunControl& control, bool stepByStep, int variationIndex,
                   const CompartmentArray& relativeKla, double start, double end,
                   const std::string& endText) override;

    long steps() const { return m_steps; }                   // integrator steps of the last call
    long oxygenSubSteps() const { return m_oxygenSubSteps; } // oxygen sub-steps of the last call

protected:
    // Refuses a plant the integrator cannot run; called before the first step.
    virtual void checkPlant() const {}
    // The control loops of the variation step; each integrator step and oxygen sub-step
    // applies them before its derivatives.
    virtual void applyControlLoops(int variationIndex, const CompartmentArray& relativeKla);
    // The compartment that feeds each compartment, read at every step and sub-step.
    virtual const UpstreamRow& upstream() const { return kSerialUpstream; }

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSimSettings& m_settings;
    FlowRatioTable m_ratios;
    DerivativeTable m_dS;
    DerivativeTable m_dX;
    CompartmentArray m_dO2;
    std::vector<OxygenRateCache> m_oxygenRates; // by reactor, recorded at every step
    std::array<DissolvedTransport, MaxCompartments + 1> m_oxygenTransport; // by reactor
    long m_steps = 0;
    long m_oxygenSubSteps = 0;

private:
    void reactorDerivatives(const class RatePlan& plan, double excessSludge, double& budget);
    void oxygenSubSteps(const class RatePlan& plan, RunControl& control, int variationIndex,
                        const CompartmentArray& relativeKla, double dt, double h, bool& stopped);
};

} // namespace narv
