#pragma once

#include "TempPath.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace narv::testing {

// An empty folder of this test process's own, removed with everything in it at the end of the
// scope (also when an assertion ends the test early).
class TempFolder {
public:
    explicit TempFolder(const std::string& name) : m_path(UniqueTempPath(name))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace narv::testing
