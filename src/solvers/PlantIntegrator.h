#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/SimSettings.h"

#include <memory>
#include <string>

namespace narv {

// What the runs call to advance a plant: the legacy explicit integrator or the accurate one.
class PlantIntegrator {
public:
    virtual ~PlantIntegrator() = default;

    // Advances the state from start to end [d] with the inputs as they are. variationIndex is
    // the variation step in force for the control loops (0: none) and relativeKla the relative
    // kla of every compartment in that step. Stops within one step when control asks. On
    // return, also after an error, the 18 oxygen setpoints are those found on entry.
    virtual void integrate(RunControl& control, bool stepByStep, int variationIndex,
                           const CompartmentArray& relativeKla, double start, double end,
                           const std::string& endText) = 0;
};

// The integrator of a standard plant that the settings choose (Solver).
std::unique_ptr<PlantIntegrator> MakeSelectedIntegrator(TModelDef& model, TPlantDef& plant,
                                                        TPlantState& state,
                                                        const TSimSettings& settings);

} // namespace narv
