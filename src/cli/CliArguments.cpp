#include "cli/CliArguments.h"

#include "core/NumberFormat.h"

namespace narv::cli {

CliArguments::CliArguments(const std::vector<std::string>& args, const OptionSpec& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            if (static_cast<int>(m_positionals.size()) >= options.positionals)
                throw UsageError("unexpected argument '" + arg + "'");
            m_positionals.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        if (options.flags.count(name)) {
            if (inlineValue)
                throw UsageError("option " + name + " takes no value");
            m_flags.insert(name);
        } else if (options.withValue.count(name)) {
            if (m_values.count(name))
                throw UsageError("option " + name + " is given twice");
            if (inlineValue) {
                m_values[name] = *inlineValue;
            } else {
                if (i + 1 >= args.size())
                    throw UsageError("option " + name + " needs a value");
                m_values[name] = args[++i];
            }
            if (m_values[name].empty())
                throw UsageError("option " + name + " needs a value");
        } else {
            throw UsageError("unknown option '" + name + "'");
        }
    }
    if (static_cast<int>(m_positionals.size()) < options.positionals)
        throw UsageError("missing argument");
}

std::optional<std::string> CliArguments::value(const std::string& name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

std::string CliArguments::required(const std::string& name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end())
        throw UsageError("missing option " + name);
    return found->second;
}

std::optional<int> CliArguments::integer(const std::string& name) const
{
    const auto text = value(name);
    if (!text)
        return std::nullopt;
    int number = 0;
    if (!parseInteger(*text, number))
        throw UsageError("option " + name + " needs an integer, not '" + *text + "'");
    return number;
}

} // namespace narv::cli
