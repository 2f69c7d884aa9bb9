#include "solvers/CvodeIntegrator.h"

#include "core/Error.h"
#include "plant/ControlLoops.h"
#include "solvers/CorrectorNewton.h"
#include "solvers/Integrator.h"
#include "solvers/SparseJacobian.h"
#include "solvers/StepBudget.h"
#include "solvers/SundialsSupport.h"

#include <cvode/cvode.h>
#include <cvode/cvode_ls.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>

namespace narv {
namespace {

// The entries of the loop table that ApplyControlLoops visits.
int lastLoopEntry(const TPlantDef& plant)
{
    return plant.CompartmentCount + 4;
}

bool isSwitch(const TControlLoopDef& loop)
{
    return loop.Active && loop.OnOff;
}

std::string flagName(int flag)
{
    char* name = CVodeGetReturnFlagName(flag);
    std::string text = name ? name : std::to_string(flag);
    std::free(name);
    return text;
}

} // namespace

bool LoopActions::apply(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                        int variationIndex, const CompartmentArray& relativeKla)
{
    std::array<bool, MaxControlLoops + 1> switched{};
    for (int n = 1; n <= lastLoopEntry(plant); ++n)
        switched[static_cast<std::size_t>(n)] = loop(plant, n).SwitchedOn;
    const CompartmentArray setpoints = plant.O2Setpoint;
    ApplyControlLoops(model, plant, state, variationIndex, relativeKla);
    bool discontinuous = false;
    for (int n = 1; n <= lastLoopEntry(plant); ++n)
        if (switched[static_cast<std::size_t>(n)] != loop(plant, n).SwitchedOn)
            discontinuous = true;
    for (int c = 1; c <= plant.CompartmentCount; ++c)
        if (setpoints[c] != plant.O2Setpoint[c])
            discontinuous = true;
    return discontinuous;
}

int LoopActions::switchCount(TPlantDef& plant) const
{
    int count = 0;
    for (int n = 1; n <= lastLoopEntry(plant); ++n)
        if (isSwitch(loop(plant, n)))
            ++count;
    return count;
}

void LoopActions::switchFunctions(const TModelDef& model, TPlantDef& plant,
                                  const TPlantState& state, double* values) const
{
    int k = 0;
    for (int n = 1; n <= lastLoopEntry(plant); ++n) {
        const TControlLoopDef& entry = loop(plant, n);
        if (!isSwitch(entry))
            continue;
        // Switched on, it switches off below the lower threshold; off, on above the upper one.
        const double signal = MeasureSignal(model, plant, state, entry);
        values[k++] = entry.SwitchedOn ? signal - entry.ErwartetY : signal - entry.ErwartetX;
    }
}

void LoopActions::flip(TPlantDef& plant, int k)
{
    for (int n = 1; n <= lastLoopEntry(plant); ++n) {
        TControlLoopDef& entry = loop(plant, n);
        if (isSwitch(entry) && k-- == 0) {
            entry.SwitchedOn = !entry.SwitchedOn;
            return;
        }
    }
}

// The largest gamma |J| of an entry the Newton matrix may leave out.
constexpr double kBackwardCouplingLimit = 0.1;

struct CvodeIntegrator::Solver {
    Solver(CvodeIntegrator& integrator, int length)
        : owner(integrator), n(length), y(length, context), scale(length, context),
          jacobian(buildJacobian(integrator, length, y.data())),
          linear(length, jacobian.nonZeros(), context),
          newton(context, rhs, solveNewton, this),
          memory(CVodeCreate(CV_BDF, context))
    {
        if (!memory)
            throw std::bad_alloc();
        rootState = integrator.m_state;
        values.assign(static_cast<std::size_t>(jacobian.nonZeros()), 0.0);
        // The pattern of I - gamma J is that of J, whose diagonal is always in it. The order
        // of elimination follows from it once for the whole run.
        const std::vector<int>& starts = jacobian.columnStarts();
        const std::vector<int>& rows = jacobian.rows();
        sunindextype* pointers = SUNSparseMatrix_IndexPointers(linear.matrix());
        sunindextype* indices = SUNSparseMatrix_IndexValues(linear.matrix());
        for (std::size_t j = 0; j < starts.size(); ++j)
            pointers[j] = starts[j];
        for (std::size_t k = 0; k < rows.size(); ++k)
            indices[k] = rows[k];
        // The approximation leaves out what a compartment receives from compartments after
        // it (return sludge, recirculations): the Newton matrix becomes block-triangular,
        // without the fill that closing the loop of the flowscheme brings.
        std::vector<char> keep(rows.size(), 1);
        PlantEquations& equations = integrator.m_equations;
        for (int j = 0; j < n; ++j)
            for (int k = starts[static_cast<std::size_t>(j)];
                 k < starts[static_cast<std::size_t>(j) + 1]; ++k) {
                const int i = rows[static_cast<std::size_t>(k)];
                if (i == j)
                    diagonal.push_back(k);
                if (equations.compartment(i) < equations.compartment(j)) {
                    keep[static_cast<std::size_t>(k)] = 0;
                    backward.push_back(k);
                }
            }
        linear.analyse(backward.empty() ? std::vector<char>() : keep);
    }
    ~Solver() { CVodeFree(&memory); }
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // The pattern of the Jacobian from the state at the start and from a few states around
    // it with every concentration positive, where each factor of a rate takes part (at the
    // start, a species at 0 can hide a dependence that appears later). A fixed seed keeps
    // the pattern, and so the run, reproducible.
    static SparseJacobian buildJacobian(CvodeIntegrator& owner, int length, double* y)
    {
        PlantEquations& equations = owner.m_equations;
        equations.gather(owner.m_state, y);
        const auto n = static_cast<std::size_t>(length);
        std::vector<std::vector<double>> probes(1, std::vector<double>(y, y + n));
        std::mt19937 random(20261210);
        for (int k = 0; k < 3; ++k) {
            std::vector<double>& probe = probes.emplace_back(n);
            for (std::size_t i = 0; i < n; ++i) {
                const double factor = 0.5 + 1.5 * static_cast<double>(random()) / 4294967296.0;
                probe[i] = (y[i] != 0.0 ? std::fabs(y[i]) : 1.0) * factor;
            }
        }
        // The excess-sludge term held at each probe, as for the Newton matrices.
        const ExcessSludgeHold hold(equations);
        SparseJacobian jacobian;
        jacobian.build(
            length, probes,
            [&](const double* at, double* f) { equations.derivatives(owner.m_state.Time, at, f); },
            [&](const double* probe) { equations.holdExcessSludge(probe); });
        return jacobian;
    }

    // The Newton matrix I - gamma J, with J by grouped differences when CVODE asks for a new
    // one. After a restart, where the inputs changed by a step, the last J serves until the
    // first step is done: Newton's iteration needs an approximate J only. CVODE asks for a new
    // J at every retry of that first step, which fails the error test about twice per restart
    // from the last step size; those retries keep the J. It is reported as not current, so
    // when Newton's iteration fails with it, CVODE retries at the same gamma, and then a new
    // one is evaluated.
    static int linearSystem(sunrealtype t, N_Vector y, N_Vector fy, SUNMatrix matrix,
                            sunbooleantype jacobianOk, sunbooleantype* jacobianCurrent,
                            sunrealtype gamma, void* data, N_Vector, N_Vector, N_Vector)
    {
        auto* solver = static_cast<Solver*>(data);
        return solver->error.guard([&] {
            const long steps = solver->owner.m_steps;
            const bool newtonFailed =
                !jacobianOk && gamma == solver->lastGamma && steps == solver->stepsAtLastMatrix;
            const bool reuse =
                solver->valuesValid && !newtonFailed && (jacobianOk || solver->restarted);
            solver->lastGamma = gamma;
            solver->stepsAtLastMatrix = steps;
            if (!reuse) {
                CVodeGetErrWeights(solver->memory, solver->scale);
                double* weights = solver->scale.data();
                for (int k = 0; k < solver->n; ++k)
                    weights[k] = 1.0 / weights[k];
                // The Jacobian without the excess-sludge term's dependence on the particulate
                // species: fy has the term at y, the value held.
                PlantEquations& equations = solver->owner.m_equations;
                const ExcessSludgeHold hold(equations);
                equations.holdExcessSludge(N_VGetArrayPointer(y));
                solver->jacobian.evaluate(
                    N_VGetArrayPointer(y), N_VGetArrayPointer(fy), weights,
                    [&](const double* at, double* f) { equations.derivatives(t, at, f); },
                    solver->values.data());
                solver->valuesValid = true;
                ++solver->jacobians;
            }
            if (!reuse) {
                solver->largestBackward = 0.0;
                for (const int k : solver->backward)
                    solver->largestBackward =
                        std::max(solver->largestBackward, std::fabs(solver->values[k]));
            }
            // Left out, the entries of gamma J that couple back to earlier compartments make
            // Newton's iteration converge by a factor of about their size (far less where the
            // coupling runs through several compartments), while the factorisation and every
            // solve cost about a third less. Newton's iteration needs an approximate matrix
            // only; where it failed, the retry has the whole one.
            solver->linear.useApproximation(
                !newtonFailed && gamma * solver->largestBackward <= kBackwardCouplingLimit);
            *jacobianCurrent = reuse ? SUNFALSE : SUNTRUE;
            double* entries = SUNSparseMatrix_Data(matrix);
            const std::size_t count = solver->values.size();
            for (std::size_t k = 0; k < count; ++k)
                entries[k] = -gamma * solver->values[k];
            for (const int k : solver->diagonal)
                entries[k] += 1.0;
        });
    }

    // CVODE's weights for scalar tolerances, 1 / (RelTol |y| + AbsTol), with the same bits in
    // one pass over y instead of five.
    static int errorWeights(N_Vector y, N_Vector weights, void* data)
    {
        const auto* solver = static_cast<const Solver*>(data);
        const double relTol = solver->relTol;
        const double absTol = solver->absTol;
        const double* values = N_VGetArrayPointer(y);
        double* w = N_VGetArrayPointer(weights);
        const int n = solver->n;
        bool positive = true;
        for (int k = 0; k < n; ++k) {
            const double tolerance = relTol * std::fabs(values[k]) + absTol;
            positive = positive && tolerance > 0.0;
            w[k] = 1.0 / tolerance;
        }
        return positive ? 0 : -1;
    }

    static void solveNewton(double* x, void* data)
    {
        static_cast<Solver*>(data)->linear.solve(x);
    }

    static int rhs(sunrealtype t, N_Vector y, N_Vector ydot, void* data)
    {
        auto* solver = static_cast<Solver*>(data);
        return solver->error.guard([&] {
            solver->owner.m_equations.derivatives(t, N_VGetArrayPointer(y),
                                                  N_VGetArrayPointer(ydot));
        });
    }

    static int roots(sunrealtype, N_Vector y, sunrealtype* values, void* data)
    {
        auto* solver = static_cast<Solver*>(data);
        CvodeIntegrator& owner = solver->owner;
        const int status = solver->error.guard([&] {
            owner.m_equations.scatter(N_VGetArrayPointer(y), solver->rootState);
            owner.m_loops->switchFunctions(owner.m_model, owner.m_plant, solver->rootState,
                                           values);
        });
        return status == 0 ? 0 : -1; // a failing root function cannot be retried
    }

    // CVODE's counters since its last restart: right-hand sides (the Jacobian's included),
    // linear-solver setups, Jacobians, Newton iterations.
    std::array<long, 4> liveCounters() const
    {
        std::array<long, 4> c{};
        if (!initialised)
            return c;
        long jacobianCalls = 0;
        CVodeGetNumRhsEvals(memory, &c[0]);
        CVodeGetNumLinRhsEvals(memory, &jacobianCalls);
        c[0] += jacobianCalls + newton.evaluations();
        CVodeGetNumLinSolvSetups(memory, &c[1]);
        CVodeGetNumJacEvals(memory, &c[2]);
        CVodeGetNumNonlinSolvIters(memory, &c[3]);
        return c;
    }
    // The counters of all restarts so far, as CVODE starts them again at every restart.
    std::array<long, 4> counters() const
    {
        std::array<long, 4> c = liveCounters();
        for (std::size_t k = 0; k < c.size(); ++k)
            c[k] += earlier[k];
        return c;
    }
    void keepCounters() { earlier = counters(); }
    std::array<long, 4> earlier{};

    CvodeIntegrator& owner;
    detail::SundialsContext context;
    int n;
    detail::SerialVector y;
    detail::SerialVector scale;
    SparseJacobian jacobian;
    detail::StaticSparseSolver linear;
    detail::CorrectorNewton newton;
    void* memory;
    std::vector<double> values; // of the last Jacobian, in the order of its pattern
    std::vector<int> diagonal;  // where the diagonal entries are in it
    std::vector<int> backward;  // where the entries from later compartments are in it
    double largestBackward = 0.0; // the largest of them in the last Jacobian
    std::vector<int> rootsFound;
    bool valuesValid = false;
    bool restarted = false;     // no step done since the last restart
    double lastGamma = 0.0;     // of the last Newton matrix
    long stepsAtLastMatrix = -1; // the integrator's steps when it was formed
    long jacobians = 0;
    double relTol = 0.0;
    double absTol = 0.0;
    bool initialised = false;
    int rootCount = 0;
    detail::CallbackError error;
    TPlantState rootState;
    std::array<int, 6> layout{}; // counts the equations were prepared for
};

CvodeIntegrator::CvodeIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                 const TSimSettings& settings, LoopActions* loops)
    : m_model(model), m_plant(plant), m_state(state), m_settings(settings),
      m_loops(loops ? loops : &m_standardLoops),
      m_equations(model, plant, [this]() -> const UpstreamRow& { return m_loops->upstream(); })
{
}

CvodeIntegrator::~CvodeIntegrator() = default;

long CvodeIntegrator::evaluations() const
{
    return m_evaluationsBefore + (m_solver ? m_solver->counters()[0] : 0);
}

long CvodeIntegrator::jacobians() const
{
    return m_jacobiansBefore + (m_solver ? m_solver->jacobians : 0);
}

long CvodeIntegrator::matrixSetups() const
{
    return m_setupsBefore + (m_solver ? m_solver->counters()[1] : 0);
}

long CvodeIntegrator::approximateSetups() const
{
    return m_approximateSetupsBefore + (m_solver ? m_solver->linear.approximateSetups() : 0);
}

void CvodeIntegrator::inputSnapshot(std::vector<double>& v) const
{
    const TPlantDef& p = m_plant;
    const TModelDef& m = m_model;
    v.clear();
    for (int c = 1; c <= p.CompartmentCount; ++c) {
        v.push_back(p.Volume[c]);
        v.push_back(p.Kla[c]);
        v.push_back(p.O2Setpoint[c]);
    }
    for (const double x : {p.InfluentFlow, p.Influent2Flow, p.ReturnFlow, p.RecircFlow,
                           p.Recirc2Flow, p.ExcessRate, p.SludgeAge, p.O2Saturation,
                           p.OperatingTemperature})
        v.push_back(x);
    for (const int k : {p.InfluentReactor, p.Influent2Reactor, p.ReturnReactor, p.RecircFrom,
                        p.RecircTo, p.Recirc2From, p.Recirc2To})
        v.push_back(k);
    for (const bool b :
         {p.SludgeSeparation, p.RecircActive, p.ControlLoopsActive, p.Influent2Enabled})
        v.push_back(b ? 1.0 : 0.0);
    for (int j = 1; j <= m.NS; ++j) {
        v.push_back(m.InfluentS[j]);
        v.push_back(p.SIn2[j]);
    }
    for (int j = 1; j <= m.NX; ++j) {
        v.push_back(m.InfluentX[j]);
        v.push_back(p.XIn2[j]);
    }
    for (int k = 1; k <= m.NP; ++k)
        v.push_back(m.KrT[k]);
    const UpstreamRow& up = m_loops->upstream();
    for (int c = 1; c <= p.CompartmentCount; ++c)
        v.push_back(up[c]);
}

void CvodeIntegrator::restart(double time)
{
    Solver& s = *m_solver;
    if (!s.initialised) {
        s.relTol = m_settings.RelTol;
        s.absTol = m_settings.AbsTol;
        if (CVodeInit(s.memory, Solver::rhs, time, s.y) != CV_SUCCESS ||
            CVodeWFtolerances(s.memory, Solver::errorWeights) != CV_SUCCESS ||
            CVodeSetUserData(s.memory, &s) != CV_SUCCESS ||
            CVodeSetLinearSolver(s.memory, s.linear.solver(), s.linear.matrix()) != CV_SUCCESS ||
            CVodeSetLinSysFn(s.memory, Solver::linearSystem) != CV_SUCCESS ||
            (!m_cvodeCorrector &&
             CVodeSetNonlinearSolver(s.memory, s.newton.solver()) != CV_SUCCESS) ||
            CVodeSetMaxNumSteps(s.memory, 100000) != CV_SUCCESS ||
            // A new Newton matrix only once gamma (step size times the method's coefficient)
            // changed by 100 % rather than 30 %: a refactorisation costs more than the
            // Newton iterations a stale gamma adds, as the step size changes every few steps.
            CVodeSetDeltaGammaMaxLSetup(s.memory, 1.0) != CV_SUCCESS)
            throw SimulationError("The accurate integrator could not be set up.");
        CVodeSetErrHandlerFn(
            s.memory, [](int, const char*, const char*, char*, void*) {}, nullptr);
        s.initialised = true;
    } else {
        s.keepCounters();
        s.newton.resetEvaluations();
        // The last step size is a better start than CVODE's estimate from the derivatives
        // alone: the inputs change by a little at a time.
        double lastStep = 0.0;
        CVodeGetLastStep(s.memory, &lastStep);
        if (CVodeReInit(s.memory, time, s.y) != CV_SUCCESS ||
            (lastStep > 0.0 && CVodeSetInitStep(s.memory, lastStep) != CV_SUCCESS))
            throw SimulationError("The accurate integrator could not be restarted.");
    }
    s.restarted = true;
    s.rootCount = m_plant.ControlLoopsActive ? m_loops->switchCount(m_plant) : 0;
    if (CVodeRootInit(s.memory, s.rootCount, s.rootCount > 0 ? Solver::roots : nullptr) !=
        CV_SUCCESS)
        throw SimulationError("The switches of the control loops could not be set up.");
    ++m_restarts;
}

void CvodeIntegrator::integrate(RunControl& control, bool stepByStep, int variationIndex,
                                const CompartmentArray& relativeKla, double start, double end,
                                const std::string& endText)
{
    CheckSolverTolerances(m_settings);
    const SetpointGuard setpoints(m_plant);
    integrateSteps(control, stepByStep, variationIndex, relativeKla, start, end, endText);
}

void CvodeIntegrator::integrateSteps(RunControl& control, bool stepByStep, int variationIndex,
                                     const CompartmentArray& relativeKla, double start,
                                     double end, const std::string& endText)
{
    m_state.Time = start;
    if (m_plant.ControlLoopsActive &&
        m_loops->apply(m_model, m_plant, m_state, variationIndex, relativeKla))
        m_forceRestart = true;
    if (!(end > start))
        return;

    const std::array<int, 6> layout{m_plant.ReactorCount, m_plant.CompartmentCount, m_model.NS,
                                    m_model.NX, m_model.IsPHModel ? 1 : 0, 1};
    const bool fresh = !m_solver || m_solver->layout != layout;
    if (fresh) {
        m_equations.prepare(m_state);
        if (m_solver) {
            m_evaluationsBefore += m_solver->counters()[0];
            m_setupsBefore += m_solver->counters()[1];
            m_jacobiansBefore += m_solver->jacobians;
            m_approximateSetupsBefore += m_solver->linear.approximateSetups();
        }
        m_solver.reset();
        m_solver = std::make_unique<Solver>(*this, m_equations.size());
        m_solver->layout = layout;
    }
    Solver& s = *m_solver;
    const int n = s.n;
    // Continuing needs the inputs, the state and the clock as the last call left them.
    std::vector<double>& y = m_scratchY;
    y.resize(static_cast<std::size_t>(n));
    m_equations.gather(m_state, y.data());
    inputSnapshot(m_scratchInputs);
    double t = start;
    if (fresh || m_forceRestart || m_scratchInputs != m_inputs || y != m_y || start != m_time) {
        m_forceRestart = false;
        std::copy(y.begin(), y.end(), s.y.data());
        restart(start);
    }
    if (CVodeSetStopTime(s.memory, end) != CV_SUCCESS)
        throw SimulationError("The end time of the accurate integrator could not be set.");

    while (true) {
        const int flag = CVode(s.memory, end, s.y, &t, CV_ONE_STEP);
        if (flag < 0) {
            s.error.rethrow();
            throw SimulationError(fmt::format(
                "The accurate integrator stopped at {} d ({}); check the plant, or raise the "
                "tolerances RelTol and AbsTol in the settings.",
                t, flagName(flag)));
        }
        s.error.clear(); // a failed evaluation that a smaller step avoided
        ++m_steps;
        s.restarted = false;
        m_equations.scatter(s.y.data(), m_state);
        m_state.Time = t;

        bool discontinuous = false;
        if (flag == CV_ROOT_RETURN) {
            std::vector<int>& found = s.rootsFound;
            found.assign(static_cast<std::size_t>(s.rootCount), 0);
            CVodeGetRootInfo(s.memory, found.data());
            for (int k = 0; k < s.rootCount; ++k) {
                if (found[static_cast<std::size_t>(k)] != 0) {
                    m_loops->flip(m_plant, k);
                    ++m_switches;
                    discontinuous = true;
                }
            }
        }
        if (m_plant.ControlLoopsActive &&
            m_loops->apply(m_model, m_plant, m_state, variationIndex, relativeKla))
            discontinuous = true;
        const bool finished = flag == CV_TSTOP_RETURN || !(t < end);
        if (discontinuous && !finished) {
            m_equations.gather(m_state, s.y.data());
            restart(t);
            if (CVodeSetStopTime(s.memory, end) != CV_SUCCESS)
                throw SimulationError("The end time of the accurate integrator could not be set.");
        } else if (discontinuous) {
            // Changed at the end time: the inputs compared at the next call are those after
            // the change, so it must be told to restart.
            m_forceRestart = true;
        }

        if (control.wantsProgress())
            control.progress(IntegrationProgressText(t, endText, stepByStep));
        control.idle();
        if (stepByStep)
            control.pauseAfterStep();
        if (finished || control.stopRequested())
            break;
    }
    m_time = t;
    m_y.resize(static_cast<std::size_t>(n));
    m_equations.gather(m_state, m_y.data());
    inputSnapshot(m_inputs);
}

std::unique_ptr<PlantIntegrator> MakeSelectedIntegrator(TModelDef& model, TPlantDef& plant,
                                                        TPlantState& state,
                                                        const TSimSettings& settings)
{
    if (settings.Solver == IntegratorChoice::Cvode)
        return std::make_unique<CvodeIntegrator>(model, plant, state, settings);
    return std::make_unique<Integrator>(model, plant, state, settings);
}

} // namespace narv
