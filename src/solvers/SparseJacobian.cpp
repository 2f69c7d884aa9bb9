#include "solvers/SparseJacobian.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>

namespace narv {

void SparseJacobian::build(int size, const std::vector<std::vector<double>>& probes,
                           const Function& f,
                           const std::function<void(const double* probe)>& atProbe)
{
    m_size = size;
    const auto n = static_cast<std::size_t>(size);
    std::vector<std::vector<char>> used(n, std::vector<char>(n, 0)); // [column][row]
    for (std::size_t j = 0; j < n; ++j)
        used[j][j] = 1; // the diagonal, which the solver's I - gamma J needs anyway
    m_f.assign(n, 0.0);
    std::vector<double> f0(n);
    for (std::size_t p = 0; p < probes.size(); ++p) {
        // The pattern of this probe alone, merged only when every evaluation succeeded.
        std::vector<std::vector<char>> seen(n, std::vector<char>(n, 0));
        try {
            m_y.assign(probes[p].begin(), probes[p].begin() + static_cast<std::ptrdiff_t>(n));
            if (atProbe)
                atProbe(m_y.data());
            f(m_y.data(), f0.data());
            for (std::size_t j = 0; j < n; ++j) {
                const double saved = m_y[j];
                m_y[j] = saved + 1e-3 * std::max(std::fabs(saved), 1.0);
                f(m_y.data(), m_f.data());
                m_y[j] = saved;
                for (std::size_t i = 0; i < n; ++i)
                    if (m_f[i] != f0[i])
                        seen[j][i] = 1;
            }
        } catch (...) {
            if (p == 0)
                throw;
            continue;
        }
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t i = 0; i < n; ++i)
                used[j][i] = static_cast<char>(used[j][i] | seen[j][i]);
    }

    m_columnStart.assign(1, 0);
    m_rows.clear();
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t i = 0; i < n; ++i)
            if (used[j][i])
                m_rows.push_back(static_cast<int>(i));
        m_columnStart.push_back(static_cast<int>(m_rows.size()));
    }

    // Greedy grouping: each column joins the first group none of whose rows it touches.
    m_groups.clear();
    std::vector<std::vector<char>> rowTaken;
    for (std::size_t j = 0; j < n; ++j) {
        std::size_t g = 0;
        for (; g < m_groups.size(); ++g) {
            bool free = true;
            for (int k = m_columnStart[j]; k < m_columnStart[j + 1] && free; ++k)
                free = !rowTaken[g][static_cast<std::size_t>(m_rows[static_cast<std::size_t>(k)])];
            if (free)
                break;
        }
        if (g == m_groups.size()) {
            m_groups.emplace_back();
            rowTaken.emplace_back(n, 0);
        }
        m_groups[g].push_back(static_cast<int>(j));
        for (int k = m_columnStart[j]; k < m_columnStart[j + 1]; ++k)
            rowTaken[g][static_cast<std::size_t>(m_rows[static_cast<std::size_t>(k)])] = 1;
    }
    m_increment.assign(n, 0.0);
}

void SparseJacobian::evaluate(const double* y, const double* fy, const double* scale,
                              const Function& f, double* values)
{
    const double root = std::sqrt(DBL_EPSILON);
    const auto n = static_cast<std::size_t>(m_size);
    m_y.assign(y, y + n);
    for (const std::vector<int>& group : m_groups) {
        for (const int j : group) {
            const auto c = static_cast<std::size_t>(j);
            const double increment = root * std::max(std::fabs(y[c]), scale[c]);
            m_y[c] = y[c] + increment;
            m_increment[c] = m_y[c] - y[c]; // the increment as represented
        }
        f(m_y.data(), m_f.data());
        for (const int j : group) {
            const auto c = static_cast<std::size_t>(j);
            for (int k = m_columnStart[c]; k < m_columnStart[c + 1]; ++k) {
                const auto row = static_cast<std::size_t>(m_rows[static_cast<std::size_t>(k)]);
                values[k] = (m_f[row] - fy[row]) / m_increment[c];
            }
            m_y[c] = y[c];
        }
    }
}

} // namespace narv
