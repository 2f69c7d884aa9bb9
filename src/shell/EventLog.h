#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace narv {

// The log of the running program: lines are collected in memory and the whole list replaces
// the log file at each write, so the file always shows the run up to its last write.
class EventLog {
public:
    static constexpr const char* kFileName = "narv.log";

    explicit EventLog(std::filesystem::path file) : m_file(std::move(file)) {}

    void add(std::string line) { m_lines.push_back(std::move(line)); }
    // A log that cannot be written must not stop the program: the lines stay in memory.
    bool write() const;

    const std::vector<std::string>& lines() const { return m_lines; }
    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
    std::vector<std::string> m_lines;
};

} // namespace narv
