#pragma once

// Internal to the accurate integrator.
#include <sundials/sundials_context.h>
#include <sundials/sundials_nonlinearsolver.h>
#include <sundials/sundials_nvector.h>

#include <vector>

namespace narv::detail {

// CVODE's Newton iteration for the corrector of a BDF step, as its default nonlinear solver
// and its glue do it (the same operations in the same order, so the same bits), with each
// iteration's residual, correction and norm in passes of its own over the arrays instead of
// about ten vector operations through SUNDIALS, whose packaged build is not optimised. The
// linear systems are solved with the factors of the last Newton matrix directly.
//
// The right-hand side and the solve are the integrator's; the rest CVODE provides: the
// setup of the Newton matrix (through the function it registers) and the iteration's data
// (CVodeGetNonlinearSystemData).
class CorrectorNewton {
public:
    // rhs: as CVODE's; 0 success, > 0 recoverable failure, < 0 unrecoverable.
    using Rhs = int (*)(double t, N_Vector y, N_Vector f, void* data);
    // x := M^-1 x with the factors of the last Newton matrix M.
    using LinearSolve = void (*)(double* x, void* data);

    CorrectorNewton(SUNContext context, Rhs rhs, LinearSolve linearSolve, void* data);
    ~CorrectorNewton();
    CorrectorNewton(const CorrectorNewton&) = delete;
    CorrectorNewton& operator=(const CorrectorNewton&) = delete;

    SUNNonlinearSolver solver() const { return m_solver; }
    // Right-hand sides evaluated since the last call of resetEvaluations.
    long evaluations() const { return m_evaluations; }
    void resetEvaluations() { m_evaluations = 0; }

private:
    // CVODE's data of the step being corrected.
    struct Step {
        double time = 0.0;
        double gamma = 0.0;
        double rl1 = 0.0;
        N_Vector y = nullptr;       // prediction + correction
        N_Vector f = nullptr;       // f(y)
        N_Vector history = nullptr; // zn[1]
        const double* prediction = nullptr;
        double* correction = nullptr;
        const double* weights = nullptr;
        int n = 0;
    };

    static int solveSystem(SUNNonlinearSolver solver, N_Vector prediction, N_Vector correction,
                           N_Vector weights, double tolerance, sunbooleantype callSetup,
                           void* memory);
    int solve(N_Vector correction, N_Vector weights, double tolerance, bool callSetup,
              void* memory);
    int residual(const Step& step);

    SUNNonlinearSolver m_solver = nullptr;
    Rhs m_rhs;
    LinearSolve m_solve;
    void* m_data;
    SUNNonlinSolLSetupFn m_setup = nullptr; // CVODE's
    int m_maxIterations = 3;
    long m_iterations = 0;   // of the last solve, as CVODE reads them after each
    long m_failures = 0;     // of the last solve
    int m_iteration = 0;     // within the current attempt
    double m_rate = 1.0;     // the estimated convergence rate, kept from step to step
    double m_gammaAtSetup = 0.0;   // of the last Newton matrix
    bool m_jacobianCurrent = false; // its Jacobian evaluated at its setup
    std::vector<double> m_delta;
    long m_evaluations = 0;
};

} // namespace narv::detail
