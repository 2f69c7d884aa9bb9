#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace narv {

// Every error a user can meet derives from Error; what() is the message shown as is.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A file could not be opened, read or written.
class IoError : public Error {
public:
    using Error::Error;
};

// A value in a file or an entry is not a number of the expected kind.
class NumericFormatError : public Error {
public:
    using Error::Error;
};

// A count or value lies outside its allowed range (never clipped silently).
class RangeError : public Error {
public:
    using Error::Error;
};

// An index beyond the capacity of a fixed array, or a species reference outside 1..25.
class IndexError : public Error {
public:
    using Error::Error;
};

// A zero denominator, an overflow or a non-finite value: the computation stops at once.
class FloatingPointError : public Error {
public:
    using Error::Error;
};

// Any other failure of a simulation step or a consistency rule.
class SimulationError : public Error {
public:
    using Error::Error;
};

// A file that does not fit: the message is the one the user sees; detail says where and why,
// for logs and the command line.
class InvalidFileError : public Error {
public:
    InvalidFileError(const std::string& message, std::string detail)
        : Error(message), m_detail(std::move(detail))
    {
    }
    const std::string& detail() const { return m_detail; }

private:
    std::string m_detail;
};

[[noreturn]] void throwIndexError(int index, int low, int high);

} // namespace narv
