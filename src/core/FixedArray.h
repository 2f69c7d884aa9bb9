#pragma once

#include "core/Error.h"

#include <array>
#include <cstddef>

namespace narv {

// Fixed-capacity array indexed from Low to High like the data it models; an index outside
// throws an IndexError instead of reading or clipping.
template <class T, int Low, int High> class ArrayRange {
public:
    static constexpr int capacity = High - Low + 1;

    T& operator[](int index)
    {
        if (index < Low || index > High)
            throwIndexError(index, Low, High);
        return m_data[static_cast<std::size_t>(index - Low)];
    }
    const T& operator[](int index) const
    {
        if (index < Low || index > High)
            throwIndexError(index, Low, High);
        return m_data[static_cast<std::size_t>(index - Low)];
    }

    // Unchecked access for hot loops whose bounds were checked once: element Low is data()[0].
    T* data() { return m_data.data(); }
    const T* data() const { return m_data.data(); }

    void fill(const T& value) { m_data.fill(value); }

    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

    bool operator==(const ArrayRange&) const = default;

private:
    std::array<T, capacity> m_data{};
};

// Indexed 1..N, as most arrays of the program are.
template <class T, int N> using Array1 = ArrayRange<T, 1, N>;

// Rows 1..R of columns 1..C, written a[row][column].
template <class T, int R, int C> using Array2 = Array1<Array1<T, C>, R>;

template <class T, int R, int C> void fillAll(Array2<T, R, C>& array, const T& value)
{
    for (auto& row : array)
        row.fill(value);
}

} // namespace narv
