#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <array>

namespace narv {

// The transport by the flowscheme, per compartment: each flow divided by the volume [1/d].
struct FlowRatioTable {
    CompartmentArray q1; // 1st influent
    CompartmentArray q2; // 2nd influent
    CompartmentArray r;  // return sludge
    CompartmentArray z1; // 1st internal recirculation
    CompartmentArray z2; // 2nd internal recirculation
};

// For every compartment, the compartment whose outflow enters it. A compartment that is its own
// upstream receives no through-flow (a lane of an A/I plant that is not fed).
using UpstreamRow = Array1<int, MaxCompartments>;

// The serial flowscheme of the standard plants: compartment k - 1 feeds compartment k.
extern const UpstreamRow kSerialUpstream;

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
// Rho[1] of ComputeOxygenRate. Terms are added in the order of the balance equations. The
// predecessor in every through-flow term comes from up; the terms whose source is named (the
// influents, the last reactor for the return sludge, the origin of a recirculation) do not.
double DissolvedDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                           const FlowRatioTable& ratios, const UpstreamRow& up, int reactor,
                           int species);
double ParticulateDerivative(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             double excessSludge, const UpstreamRow& up, int reactor, int species);
double OxygenDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                        const FlowRatioTable& ratios, const UpstreamRow& up, int reactor);
// The through-flow terms of the dissolved species of one reactor, in the order of the balance
// equations: the derivative of species j starts from its reaction term and gains
// ratio[k] * (source[k][j] - own[j]) for k = 0..count - 1 in turn. Valid while the flowscheme,
// the flow ratios and the upstream row stay as they were; the concentrations are read when
// the terms are applied.
struct DissolvedTransport {
    int count = 0;
    std::array<double, 5> ratio;
    std::array<const double*, 5> source; // rows of species 1..25 at [0..24]
};
void DissolvedTransportTerms(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             const UpstreamRow& up, int reactor, DissolvedTransport& terms);
// The derivative of the dissolved species at index j (species j + 1) with the reaction term
// rate, own the reactor's row: the bits of DissolvedDerivative and OxygenDerivative.
inline double ApplyDissolvedTransport(double rate, const DissolvedTransport& terms,
                                      const double* own, int j)
{
    double d = rate;
    for (int k = 0; k < terms.count; ++k)
        d = d + terms.ratio[static_cast<std::size_t>(k)] *
                    (terms.source[static_cast<std::size_t>(k)][j] - own[j]);
    return d;
}

// The derivatives of the dissolved species firstDissolved..NS into dS and of all particulate
// species into dX of one reactor: each with the bits DissolvedDerivative and
// ParticulateDerivative give, the same terms in the same order; the flowscheme is looked at
// once for all species. The dissolved terms it used go to dissolvedTerms where given.
void ReactorDerivatives(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                        const FlowRatioTable& ratios, double excessSludge, const UpstreamRow& up,
                        int reactor, int firstDissolved, SpeciesArray& dS, SpeciesArray& dX,
                        DissolvedTransport* dissolvedTerms = nullptr);
// A secondary-clarifier compartment delays the dissolved species of the 1st influent's flow.
double ClarifierDerivative(const TPlantState& state, const FlowRatioTable& ratios,
                           const UpstreamRow& up, int compartment, int species);

// The same for the serial flowscheme.
inline double DissolvedDerivative(const TModelDef& model, const TPlantDef& plant,
                                  const TPlantState& state, const FlowRatioTable& ratios,
                                  int reactor, int species)
{
    return DissolvedDerivative(model, plant, state, ratios, kSerialUpstream, reactor, species);
}
inline double ParticulateDerivative(const TModelDef& model, const TPlantDef& plant,
                                    const TPlantState& state, const FlowRatioTable& ratios,
                                    double excessSludge, int reactor, int species)
{
    return ParticulateDerivative(model, plant, state, ratios, excessSludge, kSerialUpstream,
                                 reactor, species);
}
inline double OxygenDerivative(const TModelDef& model, const TPlantDef& plant,
                               const TPlantState& state, const FlowRatioTable& ratios, int reactor)
{
    return OxygenDerivative(model, plant, state, ratios, kSerialUpstream, reactor);
}
inline double ClarifierDerivative(const TPlantState& state, const FlowRatioTable& ratios,
                                  int compartment, int species)
{
    return ClarifierDerivative(state, ratios, kSerialUpstream, compartment, species);
}

} // namespace narv
