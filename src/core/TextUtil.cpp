#include "core/TextUtil.h"

namespace narv {

std::string CollapseBlanks(std::string_view text)
{
    std::string collapsed;
    collapsed.reserve(text.size());
    for (const char c : text) {
        if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ')
            continue;
        collapsed += c;
    }
    return collapsed;
}

std::string_view TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace narv
