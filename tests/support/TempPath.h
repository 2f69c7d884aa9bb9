#pragma once

#include <filesystem>
#include <string>
#include <unistd.h>

namespace narv::testing {

// A path in the temporary directory that no other test process uses: ctest runs tests in
// parallel, each in its own process.
inline std::filesystem::path UniqueTempPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
}

} // namespace narv::testing
