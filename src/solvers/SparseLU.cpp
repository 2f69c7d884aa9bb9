#include "solvers/SparseLU.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace narv {

void SparseLU::analyse(int n, const std::vector<int>& columnStarts, const std::vector<int>& rows,
                       const std::vector<char>& keep)
{
    m_n = n;
    const auto count = static_cast<std::size_t>(n);
    const auto kept = [&](int k) {
        return keep.empty() || keep[static_cast<std::size_t>(k)] != 0;
    };
    // The pattern with the fill of the elimination so far: [row][column].
    std::vector<std::vector<char>> filled(count, std::vector<char>(count, 0));
    for (std::size_t j = 0; j < count; ++j) {
        filled[j][j] = 1;
        for (int k = columnStarts[j]; k < columnStarts[j + 1]; ++k)
            if (kept(k))
                filled[static_cast<std::size_t>(rows[static_cast<std::size_t>(k)])][j] = 1;
    }
    // Off-diagonal entries of each row and column among the variables not yet eliminated.
    std::vector<long> rowCount(count, 0);
    std::vector<long> columnCount(count, 0);
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = 0; j < count; ++j)
            if (i != j && filled[i][j]) {
                ++rowCount[i];
                ++columnCount[j];
            }
    std::vector<char> alive(count, 1);
    std::vector<std::size_t> pivotRows;
    std::vector<std::size_t> pivotColumns;
    m_order.clear();
    for (std::size_t step = 0; step < count; ++step) {
        // The least Markowitz count (row entries - 1) (column entries - 1), the first on ties.
        std::size_t best = count;
        long bestCost = std::numeric_limits<long>::max();
        for (std::size_t v = 0; v < count; ++v) {
            if (!alive[v])
                continue;
            const long cost = rowCount[v] * columnCount[v];
            if (cost < bestCost) {
                bestCost = cost;
                best = v;
            }
        }
        const std::size_t k = best;
        alive[k] = 0;
        m_order.push_back(static_cast<int>(k));
        pivotRows.clear();
        pivotColumns.clear();
        for (std::size_t v = 0; v < count; ++v) {
            if (!alive[v])
                continue;
            if (filled[v][k]) {
                pivotRows.push_back(v);
                --rowCount[v];
            }
            if (filled[k][v]) {
                pivotColumns.push_back(v);
                --columnCount[v];
            }
        }
        for (const std::size_t i : pivotRows)
            for (const std::size_t j : pivotColumns)
                if (i != j && !filled[i][j]) {
                    filled[i][j] = 1;
                    ++rowCount[i];
                    ++columnCount[j];
                }
    }

    std::vector<int> position(count);
    for (std::size_t p = 0; p < count; ++p)
        position[static_cast<std::size_t>(m_order[p])] = static_cast<int>(p);
    m_start.assign(1, 0);
    m_diagonal.clear();
    m_column.clear();
    for (std::size_t p = 0; p < count; ++p) {
        const std::size_t v = static_cast<std::size_t>(m_order[p]);
        const std::size_t first = m_column.size();
        for (std::size_t j = 0; j < count; ++j)
            if (filled[v][j])
                m_column.push_back(position[j]);
        std::sort(m_column.begin() + static_cast<std::ptrdiff_t>(first), m_column.end());
        const auto diagonal = std::lower_bound(
            m_column.begin() + static_cast<std::ptrdiff_t>(first), m_column.end(),
            static_cast<int>(p));
        m_diagonal.push_back(static_cast<int>(diagonal - m_column.begin()));
        m_start.push_back(static_cast<int>(m_column.size()));
    }

    // Where each entry of the factors comes from in the matrix's values (-1: fill)...
    m_source.assign(m_column.size(), -1);
    for (std::size_t j = 0; j < count; ++j) {
        for (int k = columnStarts[j]; k < columnStarts[j + 1]; ++k) {
            if (!kept(k))
                continue;
            const int row = position[static_cast<std::size_t>(rows[static_cast<std::size_t>(k)])];
            const auto begin = m_column.begin() + m_start[static_cast<std::size_t>(row)];
            const auto end = m_column.begin() + m_start[static_cast<std::size_t>(row) + 1];
            const auto at = std::lower_bound(begin, end, position[j]);
            m_source[static_cast<std::size_t>(at - m_column.begin())] = k;
        }
    }
    // ... and, update by update, the entry of row i that row k's U entry q changes.
    m_target.clear();
    std::vector<int> place(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        for (int p = m_start[i]; p < m_start[i + 1]; ++p)
            place[static_cast<std::size_t>(m_column[static_cast<std::size_t>(p)])] = p;
        for (int p = m_start[i]; p < m_diagonal[i]; ++p) {
            const auto k = static_cast<std::size_t>(m_column[static_cast<std::size_t>(p)]);
            for (int q = m_diagonal[k] + 1; q < m_start[k + 1]; ++q)
                m_target.push_back(
                    place[static_cast<std::size_t>(m_column[static_cast<std::size_t>(q)])]);
        }
    }
    m_values.assign(m_column.size(), 0.0);
    m_inversePivot.assign(count, 0.0);
    m_work.assign(count, 0.0);
}

bool SparseLU::factorise(const double* values, double pivotTolerance)
{
    const int* column = m_column.data();
    const int* source = m_source.data();
    const int* target = m_target.data();
    double* lu = m_values.data();
    for (int i = 0; i < m_n; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const int begin = m_start[row];
        const int end = m_start[row + 1];
        const int diagonal = m_diagonal[row];
        double largest = 0.0;
        for (int p = begin; p < end; ++p) {
            const double value = source[p] >= 0 ? values[source[p]] : 0.0;
            lu[p] = value;
            largest = std::max(largest, std::fabs(value));
        }
        // Row i less the multiples of the rows before it, column by column in order.
        for (int p = begin; p < diagonal; ++p) {
            const auto k = static_cast<std::size_t>(column[p]);
            const double multiplier = lu[p] * m_inversePivot[k];
            lu[p] = multiplier;
            const int last = m_start[k + 1];
            for (int q = m_diagonal[k] + 1; q < last; ++q)
                lu[*target++] -= multiplier * lu[q];
        }
        const double pivot = lu[diagonal];
        if (!(std::fabs(pivot) > pivotTolerance * largest) || !std::isfinite(pivot))
            return false;
        m_inversePivot[row] = 1.0 / pivot;
    }
    return true;
}

void SparseLU::solve(const double* b, double* x) const
{
    double* w = m_work.data();
    const int* column = m_column.data();
    const double* lu = m_values.data();
    const int* start = m_start.data();
    const int* diagonal = m_diagonal.data();
    const int* order = m_order.data();
    const double* inversePivot = m_inversePivot.data();
    const int n = m_n;
    // b is read and x written in elimination order on the way, not in passes of their own;
    // every read comes before the first write.
    for (int i = 0; i < n; ++i) {
        double sum = b[order[i]];
        for (int p = start[i], end = diagonal[i]; p < end; ++p)
            sum -= lu[p] * w[column[p]];
        w[i] = sum;
    }
    // Each row's sum from its farthest column: the value the row before just found comes
    // last, so the rows' chains of subtractions overlap instead of waiting one for another.
    for (int i = n - 1; i >= 0; --i) {
        double sum = w[i];
        for (int p = start[i + 1] - 1, end = diagonal[i]; p > end; --p)
            sum -= lu[p] * w[column[p]];
        w[i] = sum * inversePivot[i];
        x[order[i]] = w[i];
    }
}

} // namespace narv
