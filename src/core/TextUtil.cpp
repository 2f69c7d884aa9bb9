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

std::string QuotedName(std::string_view name)
{
    return "\"" + EchoText(CollapseBlanks(TrimBlanks(name))) + "\"";
}

std::string EchoText(std::string_view text)
{
    // Counts code points: a continuation byte (10xxxxxx) does not start a character.
    std::size_t characters = 0;
    std::size_t cut = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters == kMaxEchoedCharacters - 3)
            cut = i;
        if (++characters > kMaxEchoedCharacters)
            return std::string(text.substr(0, cut)) + "...";
    }
    return std::string(text);
}

} // namespace narv
