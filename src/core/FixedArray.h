#pragma once

#include "core/Error.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace narv {

// Fixed-capacity array indexed from 1 like the data it models; an index beyond the
// capacity throws an IndexError instead of reading or clipping.
template <class T, int N> class Array1 {
public:
    static constexpr int capacity = N;

    T& operator[](int index)
    {
        if (index < 1 || index > N)
            throwIndexError(index, 1, N);
        return m_data[static_cast<std::size_t>(index - 1)];
    }
    const T& operator[](int index) const
    {
        if (index < 1 || index > N)
            throwIndexError(index, 1, N);
        return m_data[static_cast<std::size_t>(index - 1)];
    }

    // Unchecked access for hot loops whose bounds were checked once: element 1 is data()[0].
    T* data() { return m_data.data(); }
    const T* data() const { return m_data.data(); }

    void fill(const T& value) { m_data.fill(value); }

    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

    bool operator==(const Array1&) const = default;

private:
    std::array<T, N> m_data{};
};

// Rows 1..R of columns 1..C, written a[row][column].
template <class T, int R, int C> using Array2 = Array1<Array1<T, C>, R>;

template <class T, int R, int C> void fillAll(Array2<T, R, C>& array, const T& value)
{
    for (auto& row : array)
        row.fill(value);
}

} // namespace narv
