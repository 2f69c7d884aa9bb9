#pragma once

#include <map>
#include <string>

namespace narv {

// The component name of a menu item, by which the menu-hint file names it: the letters and
// digits of its caption followed by "1" ("&New Model" gives "NewModel1").
std::string MenuComponentName(const std::string& caption);

// The long hint of a menu item or menu: the one of the menu-hint file when it has one (file
// hints by component name, as ReadMenuHints gives them), otherwise the built-in one. Lines
// are joined with "\n".
std::string MenuItemHint(const std::string& caption,
                         const std::map<std::string, std::string>& fileHints);

} // namespace narv
