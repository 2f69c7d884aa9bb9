#include "solvers/CorrectorNewton.h"

#include "solvers/VectorOperations.h"

#include <cvode/cvode.h>
#include <nvector/nvector_serial.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace narv::detail {
namespace {

// CVODE's constants of the corrector's convergence test.
constexpr double kRateDown = 0.3;  // how fast the estimated rate may fall per iteration
constexpr double kDivergence = 2.0; // a correction this much larger than the last diverges

CorrectorNewton& self(SUNNonlinearSolver solver)
{
    return *static_cast<CorrectorNewton*>(solver->content);
}

} // namespace

CorrectorNewton::CorrectorNewton(SUNContext context, Rhs rhs, LinearSolve linearSolve, void* data)
    : m_rhs(rhs), m_solve(linearSolve), m_data(data)
{
    m_solver = SUNNonlinSolNewEmpty(context);
    if (!m_solver)
        throw std::bad_alloc();
    m_solver->content = this;
    SUNNonlinearSolver_Ops ops = m_solver->ops;
    ops->gettype = [](SUNNonlinearSolver) { return SUNNONLINEARSOLVER_ROOTFIND; };
    ops->initialize = [](SUNNonlinearSolver) { return SUN_NLS_SUCCESS; };
    ops->solve = solveSystem;
    // CVODE's residual, solve and convergence test are replaced by the passes below; only
    // its setup of the Newton matrix is called.
    ops->setsysfn = [](SUNNonlinearSolver, SUNNonlinSolSysFn) { return SUN_NLS_SUCCESS; };
    ops->setlsolvefn = [](SUNNonlinearSolver, SUNNonlinSolLSolveFn) { return SUN_NLS_SUCCESS; };
    ops->setctestfn = [](SUNNonlinearSolver, SUNNonlinSolConvTestFn, void*) {
        return SUN_NLS_SUCCESS;
    };
    ops->setlsetupfn = [](SUNNonlinearSolver solver, SUNNonlinSolLSetupFn setup) {
        self(solver).m_setup = setup;
        return SUN_NLS_SUCCESS;
    };
    ops->setmaxiters = [](SUNNonlinearSolver solver, int count) {
        if (count < 1)
            return SUN_NLS_ILL_INPUT;
        self(solver).m_maxIterations = count;
        return SUN_NLS_SUCCESS;
    };
    ops->getnumiters = [](SUNNonlinearSolver solver, long* count) {
        *count = self(solver).m_iterations;
        return SUN_NLS_SUCCESS;
    };
    ops->getcuriter = [](SUNNonlinearSolver solver, int* iteration) {
        *iteration = self(solver).m_iteration;
        return SUN_NLS_SUCCESS;
    };
    ops->getnumconvfails = [](SUNNonlinearSolver solver, long* count) {
        *count = self(solver).m_failures;
        return SUN_NLS_SUCCESS;
    };
}

CorrectorNewton::~CorrectorNewton()
{
    m_solver->content = nullptr; // not SUNDIALS' to free
    SUNNonlinSolFreeEmpty(m_solver);
}

int CorrectorNewton::solveSystem(SUNNonlinearSolver solver, N_Vector, N_Vector correction,
                                 N_Vector weights, double tolerance, sunbooleantype callSetup,
                                 void* memory)
{
    return self(solver).solve(correction, weights, tolerance, callSetup != SUNFALSE, memory);
}

int CorrectorNewton::solve(N_Vector correction, N_Vector weights, double tolerance,
                           bool callSetup, void* memory)
{
    N_Vector prediction = nullptr;
    void* userData = nullptr;
    Step step;
    if (CVodeGetNonlinearSystemData(memory, &step.time, &prediction, &step.y, &step.f,
                                    &step.gamma, &step.rl1, &step.history, &userData) !=
        CV_SUCCESS)
        return SUN_NLS_MEM_NULL;
    step.prediction = N_VGetArrayPointer(prediction);
    step.correction = N_VGetArrayPointer(correction);
    step.weights = N_VGetArrayPointer(weights);
    step.n = static_cast<int>(NV_LENGTH_S(correction));
    m_delta.resize(static_cast<std::size_t>(step.n));

    m_iterations = 0;
    m_failures = 0;
    bool setupThisSolve = false;
    bool jacobianBad = false;
    int status = SUN_NLS_SUCCESS;
    while (true) {
        status = residual(step);
        if (status != SUN_NLS_SUCCESS)
            break;
        if (callSetup && m_setup) {
            sunbooleantype current = SUNFALSE;
            status = m_setup(jacobianBad ? SUNTRUE : SUNFALSE, &current, memory);
            m_jacobianCurrent = current != SUNFALSE;
            setupThisSolve = true;
            m_gammaAtSetup = step.gamma;
            m_rate = 1.0;
            if (status != SUN_NLS_SUCCESS)
                break;
        }
        // The correction of a Newton matrix formed at another gamma, scaled as CVODE does.
        const double gammaRatio =
            setupThisSolve || m_gammaAtSetup == 0.0 ? 1.0 : step.gamma / m_gammaAtSetup;
        m_iteration = 0;
        double lastNorm = 0.0;
        while (true) {
            ++m_iterations;
            double* delta = m_delta.data();
            m_solve(delta, m_data);
            if (gammaRatio != 1.0) {
                const double factor = 2.0 / (1.0 + gammaRatio);
                for (int i = 0; i < step.n; ++i)
                    delta[i] = factor * delta[i];
            }
            for (int i = 0; i < step.n; ++i)
                step.correction[i] += delta[i];
            const double mean =
                WeightedSquareSum(delta, step.weights, step.n) / static_cast<double>(step.n);
            const double norm = mean <= 0.0 ? 0.0 : std::sqrt(mean);
            if (m_iteration > 0)
                m_rate = std::max(kRateDown * m_rate, norm / lastNorm);
            if (norm * std::min(1.0, m_rate) / tolerance <= 1.0) {
                m_jacobianCurrent = false;
                return SUN_NLS_SUCCESS;
            }
            if (m_iteration >= 1 && norm > kDivergence * lastNorm) {
                status = SUN_NLS_CONV_RECVR;
                break;
            }
            lastNorm = norm;
            if (++m_iteration >= m_maxIterations) {
                status = SUN_NLS_CONV_RECVR;
                break;
            }
            status = residual(step);
            if (status != SUN_NLS_SUCCESS)
                break;
        }
        // Failed with a Newton matrix whose Jacobian was not evaluated for it: again from the
        // prediction, with a matrix set up anew (CVODE's Newton iteration does the same).
        if (status > 0 && !m_jacobianCurrent && m_setup) {
            ++m_failures;
            callSetup = true;
            jacobianBad = true;
            std::fill(step.correction, step.correction + step.n, 0.0);
            continue;
        }
        break;
    }
    ++m_failures;
    return status;
}

// y = prediction + correction, f(y), and the Newton step's right side, the negated residual
// -(rl1 zn1 + correction - gamma f), each as CVODE forms it.
int CorrectorNewton::residual(const Step& step)
{
    double* y = N_VGetArrayPointer(step.y);
    for (int i = 0; i < step.n; ++i)
        y[i] = step.prediction[i] + step.correction[i];
    ++m_evaluations;
    const int status = m_rhs(step.time, step.y, step.f, m_data);
    if (status < 0)
        return CV_RHSFUNC_FAIL;
    if (status > 0)
        return SUN_NLS_CONV_RECVR;
    const double* f = N_VGetArrayPointer(step.f);
    const double* history = N_VGetArrayPointer(step.history);
    const double minusGamma = -step.gamma;
    double* delta = m_delta.data();
    for (int i = 0; i < step.n; ++i) {
        const double r = step.rl1 * history[i] + step.correction[i];
        delta[i] = -1.0 * (r + minusGamma * f[i]);
    }
    return SUN_NLS_SUCCESS;
}

} // namespace narv::detail
