#pragma once

#include <string>

namespace narv::detail {

// x with the given decimals, right-aligned in width characters (a wider number takes the room
// it needs): Pascal's x:width:decimals. Rounded half up from the shortest decimal form of x, as
// the exponent reals of the files are, so a value typed as 0.0000005 is written 0.000001. A
// negative value that rounds to zero is written without its sign.
std::string FormatFixedFileReal(double x, int width, int decimals);

} // namespace narv::detail
