#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace narv {

// Hints of menu items by component name, from the menu-hint file "NARV.men". Items whose hint
// has no line are left out, so they keep their built-in hint.
std::map<std::string, std::string> ParseMenuHints(const std::string& text);

// A missing or unreadable file gives no hints: the built-in ones stay.
std::map<std::string, std::string> ReadMenuHints(const std::filesystem::path& path);

} // namespace narv
