#pragma once

// Owners of the SUNDIALS objects the accurate solvers use (SUNDIALS 6: every object belongs to
// a SUNContext). Internal to the solvers.
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sundials/sundials_linearsolver.h>
#include <sundials/sundials_matrix.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunlinsol/sunlinsol_klu.h>
#include <sunmatrix/sunmatrix_dense.h>
#include <sunmatrix/sunmatrix_sparse.h>

#include "solvers/VectorOperations.h"

#include <exception>
#include <new>

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

// A sparse matrix (compressed columns) with KLU's sparse LU.
class SparseSolver {
public:
    SparseSolver(N_Vector templateVector, int length, int nonZeros, SUNContext context)
        : m_matrix(SUNSparseMatrix(length, length, nonZeros, CSC_MAT, context))
    {
        if (m_matrix)
            m_solver = SUNLinSol_KLU(templateVector, m_matrix, context);
        if (!m_matrix || !m_solver) {
            if (m_matrix)
                SUNMatDestroy(m_matrix);
            throw std::bad_alloc();
        }
    }
    ~SparseSolver()
    {
        SUNLinSolFree(m_solver);
        SUNMatDestroy(m_matrix);
    }
    SparseSolver(const SparseSolver&) = delete;
    SparseSolver& operator=(const SparseSolver&) = delete;
    SUNMatrix matrix() const { return m_matrix; }
    SUNLinearSolver solver() const { return m_solver; }

private:
    SUNMatrix m_matrix = nullptr;
    SUNLinearSolver m_solver = nullptr;
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
