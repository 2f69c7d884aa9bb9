#pragma once

#include <string>
#include <string_view>

namespace narv {

// Every run of blanks collapsed to one blank, as captions and legends show names.
std::string CollapseBlanks(std::string_view text);

// Leading and trailing blanks and tabs removed.
std::string_view TrimBlanks(std::string_view text);

// How much of a name, token or line a message repeats: a garbled file can hold a "name" of a
// megabyte, which would bury the message.
inline constexpr std::size_t kMaxEchoedCharacters = 80;

// text itself when it has at most 80 characters (UTF-8 code points), otherwise its first 77
// and "...".
std::string EchoText(std::string_view text);

// A name as messages quote it: blanks trimmed and collapsed, at most 80 characters, in quotes.
std::string QuotedName(std::string_view name);

} // namespace narv
