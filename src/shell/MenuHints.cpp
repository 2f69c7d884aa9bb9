#include "shell/MenuHints.h"

#include "core/AtomicFile.h"
#include "core/Encoding.h"
#include "core/Error.h"

#include <vector>

namespace narv {
namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    // A line ends at LF, CR LF or a lone CR.
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

std::map<std::string, std::string> ParseMenuHints(const std::string& text)
{
    std::map<std::string, std::string> hints;
    const std::vector<std::string> lines = splitLines(singleByteToUtf8(text));
    std::string name;
    std::string hint;
    bool collecting = false;
    bool hasLine = false;
    const auto finish = [&] {
        if (collecting && hasLine)
            hints[name] = hint;
        collecting = false;
    };
    // The last line of the file ends the item being collected and is never hint text.
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line.front() == '[') {
            finish();
            name = line.size() >= 2 ? line.substr(1, line.size() - 2) : std::string();
            hint.clear();
            hasLine = false;
            collecting = true;
        } else if (collecting && !(line.size() >= 1 && line.front() == ';')) {
            if (hasLine)
                hint += "\n";
            hint += line;
            hasLine = true;
        }
    }
    finish();
    return hints;
}

std::map<std::string, std::string> ReadMenuHints(const std::filesystem::path& path)
{
    try {
        return ParseMenuHints(readFileBytes(path));
    } catch (const Error&) {
        return {};
    }
}

} // namespace narv
