#pragma once

#include <sundials/sundials_nvector.h>

namespace narv::detail {

// Replaces the element-wise operations of a serial N_Vector (and so of every clone the solvers
// make of it) with ones compiled here. The packaged SUNDIALS library is built without
// optimisation, and its vector operations were a fifth of a CVODE run. Each operation does the
// arithmetic of the serial vector and of SUNDIALS' generic fallbacks in the same order, so the
// results are the same to the bit, except the weighted norms (WeightedSquareSum); the
// operations not replaced stay those of the serial vector.
void InstallVectorOperations(N_Vector vector);

// The sum of (x[i] w[i])^2 over i < n, in four partial sums over every fourth i that are added
// at the end: the additions of one long chain waited for each other, and the norms of the
// error tests and of Newton's corrections are taken several times a step.
double WeightedSquareSum(const double* x, const double* w, long n);

} // namespace narv::detail
