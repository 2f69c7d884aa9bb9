#pragma once

// Owners of the SUNDIALS objects the accurate solvers use (SUNDIALS 6: every object belongs to
// a SUNContext). Internal to the solvers.
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sundials/sundials_linearsolver.h>
#include <sundials/sundials_matrix.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunmatrix/sunmatrix_dense.h>
#include <sunmatrix/sunmatrix_sparse.h>

#include "solvers/SparseLU.h"
#include "solvers/VectorOperations.h"

#include <exception>
#include <new>
#include <vector>

namespace narv::detail {

class SundialsContext {
public:
    SundialsContext()
    {
        if (SUNContext_Create(nullptr, &m_context) != 0)
            throw std::bad_alloc();
    }
    ~SundialsContext() { SUNContext_Free(&m_context); }
    SundialsContext(const SundialsContext&) = delete;
    SundialsContext& operator=(const SundialsContext&) = delete;
    operator SUNContext() const { return m_context; }

private:
    SUNContext m_context = nullptr;
};

class SerialVector {
public:
    SerialVector(int length, SUNContext context) : m_vector(N_VNew_Serial(length, context))
    {
        if (!m_vector)
            throw std::bad_alloc();
        InstallVectorOperations(m_vector);
    }
    ~SerialVector() { N_VDestroy(m_vector); }
    SerialVector(const SerialVector&) = delete;
    SerialVector& operator=(const SerialVector&) = delete;
    operator N_Vector() const { return m_vector; }
    double* data() const { return N_VGetArrayPointer(m_vector); }

private:
    N_Vector m_vector;
};

// A dense matrix with its LU solver.
class DenseSolver {
public:
    DenseSolver(N_Vector templateVector, int length, SUNContext context)
        : m_matrix(SUNDenseMatrix(length, length, context))
    {
        if (m_matrix)
            m_solver = SUNLinSol_Dense(templateVector, m_matrix, context);
        if (!m_matrix || !m_solver) {
            if (m_matrix)
                SUNMatDestroy(m_matrix);
            throw std::bad_alloc();
        }
    }
    ~DenseSolver()
    {
        SUNLinSolFree(m_solver);
        SUNMatDestroy(m_matrix);
    }
    DenseSolver(const DenseSolver&) = delete;
    DenseSolver& operator=(const DenseSolver&) = delete;
    SUNMatrix matrix() const { return m_matrix; }
    SUNLinearSolver solver() const { return m_solver; }

private:
    SUNMatrix m_matrix = nullptr;
    SUNLinearSolver m_solver = nullptr;
};

// A sparse matrix (compressed columns) with SparseLU as a direct linear solver. The caller
// sets the matrix's pattern and then calls analyse(). A matrix whose pivots SparseLU refuses
// is reported as a recoverable failure of the factorisation.
class StaticSparseSolver {
public:
    StaticSparseSolver(int length, int nonZeros, SUNContext context)
        : m_matrix(SUNSparseMatrix(length, length, nonZeros, CSC_MAT, context))
    {
        if (m_matrix)
            m_solver = SUNLinSolNewEmpty(context);
        if (!m_matrix || !m_solver) {
            if (m_matrix)
                SUNMatDestroy(m_matrix);
            throw std::bad_alloc();
        }
        m_solver->content = this;
        SUNLinearSolver_Ops ops = m_solver->ops;
        ops->gettype = [](SUNLinearSolver) { return SUNLINEARSOLVER_DIRECT; };
        ops->getid = [](SUNLinearSolver) { return SUNLINEARSOLVER_CUSTOM; };
        ops->initialize = [](SUNLinearSolver) { return SUNLS_SUCCESS; };
        ops->setup = [](SUNLinearSolver solver, SUNMatrix matrix) {
            auto* self = static_cast<StaticSparseSolver*>(solver->content);
            self->m_active = self->m_useApproximation ? &self->m_approximation : &self->m_lu;
            self->m_lastFlag = self->m_active->factorise(SUNSparseMatrix_Data(matrix))
                                   ? SUNLS_SUCCESS
                                   : SUNLS_LUFACT_FAIL;
            if (self->m_useApproximation)
                ++self->m_approximateSetups;
            return static_cast<int>(self->m_lastFlag);
        };
        ops->solve = [](SUNLinearSolver solver, SUNMatrix, N_Vector x, N_Vector b, sunrealtype) {
            auto* self = static_cast<StaticSparseSolver*>(solver->content);
            self->m_active->solve(N_VGetArrayPointer(b), N_VGetArrayPointer(x));
            return SUNLS_SUCCESS;
        };
        ops->lastflag = [](SUNLinearSolver solver) {
            return static_cast<StaticSparseSolver*>(solver->content)->m_lastFlag;
        };
    }
    ~StaticSparseSolver()
    {
        m_solver->content = nullptr; // not SUNDIALS' to free
        SUNLinSolFreeEmpty(m_solver);
        SUNMatDestroy(m_matrix);
    }
    StaticSparseSolver(const StaticSparseSolver&) = delete;
    StaticSparseSolver& operator=(const StaticSparseSolver&) = delete;
    SUNMatrix matrix() const { return m_matrix; }
    SUNLinearSolver solver() const { return m_solver; }

    // Fixes the elimination order from the matrix's pattern as it stands; with keep (one flag
    // per entry of the pattern), also that of an approximation of the matrix without the
    // entries keep leaves out, which a Newton iteration may use where they are small.
    void analyse(const std::vector<char>& keep = {})
    {
        const sunindextype n = SUNSparseMatrix_Columns(m_matrix);
        const sunindextype* pointers = SUNSparseMatrix_IndexPointers(m_matrix);
        const sunindextype* indices = SUNSparseMatrix_IndexValues(m_matrix);
        const std::vector<int> starts(pointers, pointers + n + 1);
        const std::vector<int> rows(indices, indices + pointers[n]);
        m_lu.analyse(static_cast<int>(n), starts, rows);
        m_hasApproximation = !keep.empty();
        if (m_hasApproximation)
            m_approximation.analyse(static_cast<int>(n), starts, rows, keep);
        m_useApproximation = false;
    }
    // x := M^-1 x with the factors of the last setup.
    void solve(double* x) const { m_active->solve(x); }
    // Whether the following setups factorise the approximation (where there is one) rather
    // than the matrix itself.
    void useApproximation(bool use) { m_useApproximation = use && m_hasApproximation; }
    const SparseLU& lu() const { return m_lu; }
    const SparseLU& approximation() const { return m_approximation; }
    long approximateSetups() const { return m_approximateSetups; }

private:
    SUNMatrix m_matrix = nullptr;
    SUNLinearSolver m_solver = nullptr;
    SparseLU m_lu;
    SparseLU m_approximation;
    SparseLU* m_active = &m_lu; // of the last setup
    bool m_hasApproximation = false;
    bool m_useApproximation = false;
    long m_approximateSetups = 0;
    sunindextype m_lastFlag = SUNLS_SUCCESS;
};

// The C callbacks must not let an exception through: they keep the first one and report a
// failure; the solver rethrows it when SUNDIALS gives up.
class CallbackError {
public:
    template <typename Function>
    int guard(Function&& function) noexcept
    {
        try {
            function();
            return 0;
        } catch (...) {
            if (!m_error)
                m_error = std::current_exception();
            return 1; // recoverable: the solver may retry with a smaller step
        }
    }
    void clear() { m_error = nullptr; }
    bool has() const { return static_cast<bool>(m_error); }
    void rethrow()
    {
        if (m_error) {
            std::exception_ptr error = m_error;
            m_error = nullptr;
            std::rethrow_exception(error);
        }
    }

private:
    std::exception_ptr m_error;
};

} // namespace narv::detail
