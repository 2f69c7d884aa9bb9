#include "core/Error.h"

#include <fmt/format.h>

namespace narv {

void throwIndexError(int index, int low, int high)
{
    throw IndexError(fmt::format("Index {} is outside the range {}..{}.", index, low, high));
}

} // namespace narv
