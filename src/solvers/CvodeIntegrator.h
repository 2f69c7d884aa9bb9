#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/PlantEquations.h"
#include "solvers/PlantIntegrator.h"
#include "solvers/SimSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace narv {

// How the control loops of a plant act on the accurate integrator, and how its compartments
// are connected. The standard plants apply ApplyControlLoops to the plant's table in series;
// the A/I plants override these with the tables and upstream compartments of the lane fed.
class LoopActions {
public:
    virtual ~LoopActions() = default;
    // Applies the loops to the plant at the state; returns whether that changed the plant other
    // than continuously (an on/off switch, a setpoint, the flowscheme), so that the integration
    // must restart.
    virtual bool apply(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                       int variationIndex, const CompartmentArray& relativeKla);
    // Entry n (1..CompartmentCount + 4) of the loop table in force.
    virtual TControlLoopDef& loop(TPlantDef& plant, int n) const { return plant.ControlLoops[n]; }
    virtual const UpstreamRow& upstream() const { return kSerialUpstream; }

    // The on/off switches of the table in force: one function per switch that changes sign
    // where it switches; flip(k) turns switch k (0-based). apply follows a flip at once.
    virtual int switchCount(TPlantDef& plant) const;
    virtual void switchFunctions(const TModelDef& model, TPlantDef& plant,
                                 const TPlantState& state, double* values) const;
    virtual void flip(TPlantDef& plant, int k);
};

// The accurate integrator of the standard plants: CVODE's BDF method with error control
// (RelTol, AbsTol) over PlantEquations, oxygen included. The control loops act after every
// internal step; their on/off switches are located by root finding and the integration
// restarts there. Between calls the integration continues from where it stood, unless the
// inputs, the state or the clock were changed in between: then it restarts at the start of
// the call, so a changed input acts exactly from its step time.
class CvodeIntegrator : public PlantIntegrator {
public:
    // loops: null for the standard plants; it must outlive the integrator.
    CvodeIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state,
                    const TSimSettings& settings, LoopActions* loops = nullptr);
    ~CvodeIntegrator() override;
    CvodeIntegrator(const CvodeIntegrator&) = delete;
    CvodeIntegrator& operator=(const CvodeIntegrator&) = delete;

    // As Integrator::integrate: from start to end [d]; stops within one internal step when
    // control asks; the 18 oxygen setpoints are those found on entry when it returns. An error
    // of the solver names the time reached.
    void integrate(RunControl& control, bool stepByStep, int variationIndex,
                   const CompartmentArray& relativeKla, double start, double end,
                   const std::string& endText) override;

    long steps() const { return m_steps; }          // internal steps, all calls
    long restarts() const { return m_restarts; }    // (re)initialisations, all calls
    long switches() const { return m_switches; }    // located on/off switches, all calls
    long evaluations() const;                       // right-hand sides, all calls
    long jacobians() const;                         // Jacobians evaluated, all calls
    long matrixSetups() const;                      // Newton matrices factorised, all calls
    long approximateSetups() const; // of those, without the coupling to earlier compartments

    // CVODE's own Newton iteration for the corrector instead of CorrectorNewton, which repeats
    // it to the bit (for comparison); before the first integrate.
    void useCvodeCorrector(bool use) { m_cvodeCorrector = use; }

private:
    struct Solver;
    void integrateSteps(RunControl& control, bool stepByStep, int variationIndex,
                        const CompartmentArray& relativeKla, double start, double end,
                        const std::string& endText);
    void inputSnapshot(std::vector<double>& inputs) const;
    void restart(double time);

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSimSettings& m_settings;
    LoopActions m_standardLoops;
    LoopActions* m_loops;
    PlantEquations m_equations;
    std::unique_ptr<Solver> m_solver;
    std::vector<double> m_inputs; // the inputs where the last call ended
    std::vector<double> m_y;      // the state where the last call ended
    std::vector<double> m_scratchInputs; // of this call, kept to spare an allocation per call
    std::vector<double> m_scratchY;
    double m_time = 0.0;          // [d] where the last call ended
    bool m_forceRestart = false;  // the loops changed the plant by a step before the call
    bool m_cvodeCorrector = false;
    long m_steps = 0;
    long m_restarts = 0;
    long m_switches = 0;
    long m_evaluationsBefore = 0; // of solvers replaced since
    long m_setupsBefore = 0;
    long m_jacobiansBefore = 0;
    long m_approximateSetupsBefore = 0;
};

} // namespace narv
