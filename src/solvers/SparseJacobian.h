#pragma once

#include <functional>
#include <vector>

namespace narv {

// The Jacobian of f(y) by differences, column groups at a time: the columns of one group share
// no row of the sparsity pattern, so one evaluation of f gives them all. The pattern is what
// perturbing each variable changes at any of the probe states, and the diagonal. An entry the pattern misses makes the Jacobian approximate, which costs Newton's
// iteration time but not the integration its accuracy.
class SparseJacobian {
public:
    using Function = std::function<void(const double* y, double* f)>;

    // probes: the states (size values each) where every variable is perturbed in turn; the
    // first must be one where f can be evaluated, the others are left out where f throws.
    // atProbe, where given, is called with each probe before f is evaluated there (f may hold
    // a part of itself at the probe, as evaluate's caller may at y).
    void build(int size, const std::vector<std::vector<double>>& probes, const Function& f,
               const std::function<void(const double* probe)>& atProbe = {});

    int size() const { return m_size; }
    int nonZeros() const { return static_cast<int>(m_rows.size()); }
    int groups() const { return static_cast<int>(m_groups.size()); }
    // Compressed columns: the entries of column j are [columnStart(j), columnStart(j + 1)).
    const std::vector<int>& columnStarts() const { return m_columnStart; }
    const std::vector<int>& rows() const { return m_rows; }

    // values (nonZeros) := df/dy at y, where fy = f(y); the increment of y_j is
    // sqrt(eps) max(|y_j|, scale_j) (scale_j: the size below which y_j is noise).
    void evaluate(const double* y, const double* fy, const double* scale, const Function& f,
                  double* values);

private:
    int m_size = 0;
    std::vector<int> m_columnStart;
    std::vector<int> m_rows;
    std::vector<std::vector<int>> m_groups; // columns of each group
    std::vector<double> m_y;
    std::vector<double> m_f;
    std::vector<double> m_increment;
};

} // namespace narv
