#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iosfwd>
#include <string>

namespace narv {

// Writes through a temporary file in the target's directory and renames it over the target,
// so a failure (an exception from write, a full disk) never destroys the previous file.
void writeFileAtomically(const std::filesystem::path& target,
                         const std::function<void(std::ostream&)>& write);

// The largest file any reader of the program accepts: a year of quarter-hour measurements
// in a continuous input table is some 20 MB.
inline constexpr std::uintmax_t kMaxInputFileBytes = 256u << 20;

// Reads a whole file as bytes; throws IoError naming the file when it cannot be opened, is a
// directory or is larger than kMaxInputFileBytes.
std::string readFileBytes(const std::filesystem::path& path);

// Opens a file for binary reading, with the same refusals as readFileBytes.
std::ifstream openInputFile(const std::filesystem::path& path);

// Throws IoError when target names an existing directory: a file is expected there.
void checkNotDirectory(const std::filesystem::path& target);

} // namespace narv
