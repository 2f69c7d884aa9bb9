#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/MassBalance.h"
#include "plant/PlantDef.h"
#include "solvers/IntegrationRun.h"
#include "solvers/SimSettings.h"

#include <functional>

namespace narv {

inline constexpr const char* kControlLoopsActiveMessage =
    "Control loops active. Use option Integration!";

// Relaxation times [d] of the three classes of species.
struct RelaxationTimes {
    double particulate = 0.0;
    double dissolved = 0.0;
    double oxygen = 0.0;
};

// 2, 0.2 and 0.1 times the sludge age.
RelaxationTimes DefaultRelaxationTimes(const TPlantDef& plant);

// Drives a standard plant towards its steady state for constant inputs: the mass balances
// integrated explicitly with one clock and step per class (particulate, dissolved, oxygen).
class Relaxation {
public:
    Relaxation(TModelDef& model, TPlantDef& plant, TPlantState& state,
               const TSimSettings& settings);

    // Advances the classes from the end of chunk k - 1 to the ends of chunk k. Returns false
    // when control asked to stop.
    bool relax(RunControl& control, int chunk, double endParticulate, double endDissolved,
               double endOxygen);

    // loopmin chunks; refused with "Control loops active. Use option Integration!" while
    // control loops are active. afterChunk runs after every chunk.
    RunOutcome run(RunControl& control, const RelaxationTimes& times,
                   const std::function<void()>& afterChunk = {});

    long iterations() const { return m_iterations; }

private:
    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSimSettings& m_settings;
    FlowRatioTable m_ratios;
    Array2<double, MaxCompartments, MaxSpecies> m_dS;
    Array2<double, MaxCompartments, MaxSpecies> m_dX;
    long m_iterations = 0;
};

// The convergence display of a relaxation: the mean squared relative change of every reactor
// concentration since the last look. A term whose current concentration is 0 (oxygen may be
// 0) is left out, as its relative change is not defined; the mean still divides by
// (NS + NX) * ReactorCount.
class ConvergenceMonitor {
public:
    void snapshot(const TModelDef& model, const TPlantDef& plant, const TPlantState& state);
    // The measure since the last snapshot; then the snapshot takes the current values.
    double chiSquare(const TModelDef& model, const TPlantDef& plant, const TPlantState& state);
    // "Chi-square: " and the measure in the shared number format.
    static std::string Text(double chiSquare);

private:
    Array2<double, MaxCompartments, MaxSpecies> m_S;
    Array2<double, MaxCompartments, MaxSpecies> m_X;
};

} // namespace narv
