#pragma once

#include <string>
#include <string_view>

namespace narv {

// Every run of blanks collapsed to one blank, as captions and legends show names.
std::string CollapseBlanks(std::string_view text);

// Leading and trailing blanks and tabs removed.
std::string_view TrimBlanks(std::string_view text);

} // namespace narv
