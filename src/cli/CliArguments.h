#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace narv::cli {

// A malformed command line: exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A message of the program's own (written with CR LF line breaks) followed by a line that
// tells what narv-cli wants instead (written as it is).
class HintedError : public std::runtime_error {
public:
    HintedError(const std::string& message, std::string hint)
        : std::runtime_error(message), m_hint(std::move(hint))
    {
    }
    const std::string& hint() const { return m_hint; }

private:
    std::string m_hint;
};

// The options a command accepts.
struct OptionSpec {
    std::set<std::string> withValue; // "--model FILE" or "--model=FILE"
    std::set<std::string> flags;     // "--stats"
    int positionals = 0;             // plain arguments after the command
};

// The parsed options of one command.
class CliArguments {
public:
    CliArguments(const std::vector<std::string>& args, const OptionSpec& options);

    bool has(const std::string& name) const { return m_values.count(name) || m_flags.count(name); }
    std::optional<std::string> value(const std::string& name) const;
    std::string required(const std::string& name) const;
    // The value as an integer; UsageError when it is not one.
    std::optional<int> integer(const std::string& name) const;
    const std::vector<std::string>& positionals() const { return m_positionals; }

private:
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
    std::vector<std::string> m_positionals;
};

} // namespace narv::cli
