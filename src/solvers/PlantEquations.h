#pragma once

#include "model/ModelDef.h"
#include "model/Rates.h"
#include "plant/MassBalance.h"
#include "plant/PlantDef.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace narv {

// The plant's mass balances with the model's conversion rates as one system dy/dt = f(y), for
// the accurate solvers. y holds, per reactor, the dissolved species (oxygen first) and the
// particulate species, then the dissolved species of the clarifier compartments from species
// 2 on. The pH of a pH model follows from its protons and is not a variable. Oxygen held at a
// setpoint has the derivative setpoint - y, which keeps it there. Unlike the explicit solvers, f evaluates
// everything at y itself: the flow ratios, the excess-sludge term and the rates (with
// concentrations below 0 read as 0), and applies no clamps.
class PlantEquations {
public:
    // The compartment that feeds each compartment; without it, the one before.
    using Upstream = std::function<const UpstreamRow&()>;

    PlantEquations(TModelDef& model, TPlantDef& plant, Upstream upstream = {});

    // Fixes the layout for the plant's counts and builds the rate plan; state provides the
    // values the system does not hold (inactive species, the clarifiers' oxygen). Call at the
    // start of a run. Throws RangeError for counts outside their capacities.
    void prepare(const TPlantState& state);

    int size() const { return static_cast<int>(m_slots.size()); }

    // state -> y, with the oxygen of setpoint reactors at its setpoint.
    void gather(const TPlantState& state, double* y) const;
    // y -> state; then the setpoints and, for a pH model, the pH from the protons.
    void scatter(const double* y, TPlantState& state);

    // f(y) at a time [d] (for messages). Throws FloatingPointError naming the species and compartment for a value that is
    // not finite, and what the rate evaluation throws.
    void derivatives(double time, const double* y, double* dydt);

    // Holds the excess-sludge term at its value at y: until release, derivatives use it rather
    // than the term of the state they evaluate. For the Newton matrices of the accurate
    // integrator, whose Jacobian then leaves out the term's dependence on every particulate
    // species: one weak rank-one coupling that would otherwise fill the Jacobian's pattern
    // (every particulate column in the rows of the reactor receiving the return sludge).
    void holdExcessSludge(const double* y);
    void releaseExcessSludge() { m_excessSludgeHeld = false; }

    // The state of the last scatter or derivatives call (for signals of the control loops).
    const TPlantState& lastState() const { return m_scratch; }

    // The compartment of variable k (0-based); the variables are in the order of their
    // compartments.
    int compartment(int k) const { return m_slots[static_cast<std::size_t>(k)].compartment; }

    // "S Substrate  COD in compartment 3": for messages about variable k (0-based).
    std::string variableName(int k) const;

private:
    struct Slot {
        int compartment;
        int species;
        bool dissolved;
    };

    // Consecutive slots of consecutive species of one compartment and kind.
    struct Run {
        int firstSlot;
        int count;
        int compartment;
        int firstSpecies;
        bool dissolved;
    };

    void addSlot(const Slot& slot);
    void evaluate(const double* y, double* dydt);
    void updateFlowRatios();

    TModelDef& m_model;
    TPlantDef& m_plant;
    Upstream m_upstream;
    std::unique_ptr<RatePlan> m_plan;
    std::vector<Slot> m_slots;
    std::vector<Run> m_runs;
    std::vector<int> m_reactorStart; // first slot of reactor i at [i - 1]; [nR] = first clarifier
    TPlantState m_scratch;
    FlowRatioTable m_ratios;
    // The flows and volumes m_ratios were formed from: they change only with the inputs, and
    // forming the ratios (a division per flow and compartment) was about 7 % of an evaluation.
    std::array<double, 5 + MaxCompartments> m_ratioInputs{};
    bool m_ratiosValid = false;
    SpeciesArray m_rateS; // the concentrations the rates of one reactor see
    SpeciesArray m_rateX;
    SpeciesArray m_dS; // of one reactor
    SpeciesArray m_dX;
    double m_heldExcessSludge = 0.0;
    bool m_excessSludgeHeld = false;
};

// Releases a held excess-sludge term when it goes, also when an evaluation throws.
class ExcessSludgeHold {
public:
    explicit ExcessSludgeHold(PlantEquations& equations) : m_equations(equations) {}
    ~ExcessSludgeHold() { m_equations.releaseExcessSludge(); }
    ExcessSludgeHold(const ExcessSludgeHold&) = delete;
    ExcessSludgeHold& operator=(const ExcessSludgeHold&) = delete;

private:
    PlantEquations& m_equations;
};

} // namespace narv
