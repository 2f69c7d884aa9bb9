#pragma once

#include <vector>

namespace narv {

// LU factors of matrices that share one sparsity pattern (compressed columns), such as the
// Newton matrices I - gamma J of the accurate integrator. The pivots are the diagonal entries
// in an order chosen once from the pattern (least fill first, by the Markowitz count), so a
// factorisation is a fixed sequence of updates without searches. Without row exchanges a
// pivot can become small: factorise then refuses the matrix, and the caller retries with
// another (the integrator with a smaller step, where the matrix is nearer the identity).
class SparseLU {
public:
    // The pattern of n x n matrices; the diagonal must be in it. With keep, the entries k with
    // keep[k] == 0 are left out: the factors are those of the matrix without them (an
    // approximation, as a Newton iteration may use), with the fill of the smaller pattern.
    void analyse(int n, const std::vector<int>& columnStarts, const std::vector<int>& rows,
                 const std::vector<char>& keep = {});

    // values: in the order of the whole pattern. Returns false, and leaves the factors unusable,
    // where a pivot is not above pivotTolerance times the largest entry of its row in the
    // matrix (or is not finite).
    bool factorise(const double* values, double pivotTolerance = 1e-10);

    // x := A^-1 x with the last factors.
    void solve(double* x) const { solve(x, x); }
    // x := A^-1 b; b may be x.
    void solve(const double* b, double* x) const;

    int size() const { return m_n; }
    int factorNonZeros() const { return static_cast<int>(m_column.size()); }

private:
    int m_n = 0;
    std::vector<int> m_order;       // the variable eliminated at each step
    std::vector<int> m_start;       // row i of the factors (in elimination order): [start[i], start[i + 1])
    std::vector<int> m_diagonal;    // where row i's pivot is; L before it, U after it
    std::vector<int> m_column;      // columns, in elimination order, ascending within a row
    std::vector<int> m_source;      // the matrix entry of each entry of the factors, -1 for fill
    std::vector<int> m_target;      // the entry each update of the elimination changes
    std::vector<double> m_values;   // the factors
    std::vector<double> m_inversePivot;
    mutable std::vector<double> m_work;
};

} // namespace narv
