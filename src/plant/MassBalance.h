#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

namespace narv {

// The transport by the flowscheme, per compartment: each flow divided by the volume [1/d].
struct FlowRatioTable {
    CompartmentArray q1; // 1st influent
    CompartmentArray q2; // 2nd influent
    CompartmentArray r;  // return sludge
    CompartmentArray z1; // 1st internal recirculation
    CompartmentArray z2; // 2nd internal recirculation
};

// All five ratios for compartments 1..CompartmentCount. A compartment volume of 0 (or a
// ratio that is not finite) throws FloatingPointError naming the compartment.
void FlowRatios(const TPlantDef& plant, FlowRatioTable& ratios);
// Only q1, r and z1, as the oxygen sub-steps refresh them after the control loops.
void InfluentReturnRecircRatios(const TPlantDef& plant, FlowRatioTable& ratios);

// The excess-sludge term w [1/d]: ExcessRate scaled so that the particulate mass in the
// reactors over the mass wasted per day is the sludge age, per volume of the reactor that
// receives the return sludge.
double ExcessSludgeTerm(const TModelDef& model, const TPlantDef& plant, const TPlantState& state);

// The derivatives of one compartment and species; the reaction terms are model.RS and
// model.RX of the compartment's last evaluation (ComputeConversionRates), for oxygen RS[1] and
// Rho[1] of ComputeOxygenRate. Terms are added in the order of the balance equations.
double DissolvedDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                           const FlowRatioTable& ratios, int reactor, int species);
double ParticulateDerivative(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             double excessSludge, int reactor, int species);
double OxygenDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                        const FlowRatioTable& ratios, int reactor);
// A secondary-clarifier compartment delays the dissolved species of the 1st influent's flow.
double ClarifierDerivative(const TPlantState& state, const FlowRatioTable& ratios, int compartment,
                           int species);

} // namespace narv
