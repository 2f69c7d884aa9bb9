#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace narv {

// Writes through a temporary file in the target's directory and renames it over the target,
// so a failure (an exception from write, a full disk) never destroys the previous file.
void writeFileAtomically(const std::filesystem::path& target,
                         const std::function<void(std::ostream&)>& write);

// Reads a whole file as bytes; throws IoError naming the file when it cannot be opened.
std::string readFileBytes(const std::filesystem::path& path);

} // namespace narv
