#include "solvers/PlantEquations.h"

#include "core/Error.h"
#include "plant/ModelSetup.h"
#include "solvers/StepBudget.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace narv {

PlantEquations::PlantEquations(TModelDef& model, TPlantDef& plant, Upstream upstream)
    : m_model(model), m_plant(plant), m_upstream(std::move(upstream))
{
}

void PlantEquations::prepare(const TPlantState& state)
{
    CheckModelCounts(m_model);
    if (m_plant.ReactorCount < 1 || m_plant.ReactorCount > m_plant.CompartmentCount ||
        m_plant.CompartmentCount > MaxCompartments)
        throw RangeError(fmt::format("The plant has {} reactors in {} compartments.",
                                     m_plant.ReactorCount, m_plant.CompartmentCount));
    m_plan = std::make_unique<RatePlan>(m_model);
    m_scratch = state;
    m_ratiosValid = false;
    m_slots.clear();
    m_runs.clear();
    m_reactorStart.clear();
    const bool pH = m_model.IsPHModel;
    const auto dissolvedSpecies = [&](int j) { return !(pH && j == 2); };
    for (int i = 1; i <= m_plant.ReactorCount; ++i) {
        m_reactorStart.push_back(size());
        for (int j = 1; j <= m_model.NS; ++j)
            if (dissolvedSpecies(j))
                addSlot({i, j, true});
        for (int j = 1; j <= m_model.NX; ++j)
            addSlot({i, j, false});
    }
    m_reactorStart.push_back(size());
    for (int c = m_plant.ReactorCount + 1; c <= m_plant.CompartmentCount; ++c)
        for (int j = 2; j <= m_model.NS; ++j)
            if (dissolvedSpecies(j))
                addSlot({c, j, true});
}

void PlantEquations::addSlot(const Slot& slot)
{
    const int k = size();
    m_slots.push_back(slot);
    if (!m_runs.empty()) {
        Run& run = m_runs.back();
        if (run.compartment == slot.compartment && run.dissolved == slot.dissolved &&
            run.firstSpecies + run.count == slot.species && run.firstSlot + run.count == k) {
            ++run.count;
            return;
        }
    }
    m_runs.push_back({k, 1, slot.compartment, slot.species, slot.dissolved});
}

void PlantEquations::gather(const TPlantState& state, double* y) const
{
    for (std::size_t k = 0; k < m_slots.size(); ++k) {
        const Slot& slot = m_slots[k];
        const int c = slot.compartment;
        if (!slot.dissolved)
            y[k] = state.X[c][slot.species];
        else if (slot.species == 1 && m_plant.O2Setpoint[c] != 0.0)
            y[k] = m_plant.O2Setpoint[c];
        else
            y[k] = state.S[c][slot.species];
    }
}

void PlantEquations::scatter(const double* y, TPlantState& state)
{
    for (const Run& run : m_runs) {
        double* to = (run.dissolved ? state.S[run.compartment] : state.X[run.compartment]).data() +
                     (run.firstSpecies - 1);
        const double* from = y + run.firstSlot;
        for (int k = 0; k < run.count; ++k)
            to[k] = from[k];
    }
    for (int i = 1; i <= m_plant.ReactorCount; ++i)
        if (m_plant.O2Setpoint[i] != 0.0)
            state.S[i][1] = m_plant.O2Setpoint[i];
    if (m_model.IsPHModel)
        UpdatePH(m_model, m_plant, state);
}

void PlantEquations::derivatives(double time, const double* y, double* dydt)
{
    scatter(y, m_scratch);
    m_scratch.Time = time;
    evaluate(y, dydt);
}

void PlantEquations::holdExcessSludge(const double* y)
{
    scatter(y, m_scratch);
    m_heldExcessSludge = ExcessSludgeTerm(m_model, m_plant, m_scratch);
    m_excessSludgeHeld = true;
}

void PlantEquations::evaluate(const double* y, double* dydt)
{
    const TModelDef& model = m_model;
    const TPlantDef& plant = m_plant;
    const TPlantState& state = m_scratch;
    updateFlowRatios();
    const double excessSludge =
        m_excessSludgeHeld ? m_heldExcessSludge : ExcessSludgeTerm(model, plant, state);
    const UpstreamRow& up = m_upstream ? m_upstream() : kSerialUpstream;
    const int nR = plant.ReactorCount;
    SpeciesArray& S = m_rateS;
    SpeciesArray& X = m_rateX;
    const bool pH = model.IsPHModel;
    for (int i = 1; i <= nR; ++i) {
        // The rates see no negative concentration: an error-controlled step may undershoot 0
        // by a little, where S/(K+S) and its kind change sign.
        const double* own = state.S[i].data();
        for (int j = 0; j < model.NS; ++j)
            S.data()[j] = std::max(own[j], 0.0);
        own = state.X[i].data();
        for (int j = 0; j < model.NX; ++j)
            X.data()[j] = std::max(own[j], 0.0);
        m_plan->computeConversionRates(m_model, S, X, plant.Kla[i], plant.O2Saturation);
        const int first = m_reactorStart[static_cast<std::size_t>(i - 1)];
        const int last = m_reactorStart[static_cast<std::size_t>(i)];
        // All species but oxygen at once, with the bits of the derivatives one by one.
        DissolvedTransport dissolved;
        ReactorDerivatives(model, plant, state, m_ratios, excessSludge, up, i, 2, m_dS, m_dX,
                           &dissolved);
        // In the order of the slots: oxygen, the other dissolved species, the particulate ones.
        if (plant.O2Setpoint[i] != 0.0)
            // Held at the setpoint: 0 there, and a Jacobian that is not singular.
            dydt[first] = plant.O2Setpoint[i] - y[first];
        else
            // The bits of OxygenDerivative, from the terms of the other dissolved species.
            dydt[first] = ApplyDissolvedTransport(model.RS[1] + model.Rho[1], dissolved,
                                                  state.S[i].data(), 0);
        int k = first + 1;
        for (int j = 2; j <= model.NS; ++j)
            if (!(pH && j == 2))
                dydt[k++] = m_dS.data()[j - 1];
        for (int j = 1; j <= model.NX; ++j)
            dydt[k++] = m_dX.data()[j - 1];
        // One test of the sum, which is finite where every term is; only where it is not,
        // each derivative is looked at (a sum of finite values may still overflow).
        double sum = 0.0;
        for (k = first; k < last; ++k)
            sum += dydt[k];
        if (!std::isfinite(sum)) {
            for (k = first; k < last; ++k) {
                const Slot& slot = m_slots[static_cast<std::size_t>(k)];
                FiniteDerivative(dydt[k], model, slot.dissolved, slot.species, i, state.Time);
            }
        }
    }
    for (std::size_t k = static_cast<std::size_t>(m_reactorStart.back()); k < m_slots.size(); ++k) {
        const Slot& slot = m_slots[k];
        dydt[k] = FiniteDerivative(
            ClarifierDerivative(state, m_ratios, up, slot.compartment, slot.species), model, true,
            slot.species, slot.compartment, state.Time);
    }
}

void PlantEquations::updateFlowRatios()
{
    std::array<double, 5 + MaxCompartments> inputs{};
    inputs[0] = m_plant.InfluentFlow;
    inputs[1] = m_plant.Influent2Flow;
    inputs[2] = m_plant.ReturnFlow;
    inputs[3] = m_plant.RecircFlow;
    inputs[4] = m_plant.Recirc2Flow;
    for (int c = 1; c <= m_plant.CompartmentCount; ++c)
        inputs[static_cast<std::size_t>(4 + c)] = m_plant.Volume[c];
    // Compared by their bits: a flow of -0 gives other ratios than one of +0.
    if (m_ratiosValid && std::memcmp(inputs.data(), m_ratioInputs.data(), sizeof inputs) == 0)
        return;
    m_ratiosValid = false;
    FlowRatios(m_plant, m_ratios);
    m_ratioInputs = inputs;
    m_ratiosValid = true;
}

std::string PlantEquations::variableName(int k) const
{
    if (k < 0 || k >= size())
        return fmt::format("variable {}", k);
    const Slot& slot = m_slots[static_cast<std::size_t>(k)];
    const std::string& name =
        slot.dissolved ? m_model.NameS[slot.species] : m_model.NameX[slot.species];
    return fmt::format("{} in compartment {}", name, slot.compartment);
}

} // namespace narv
