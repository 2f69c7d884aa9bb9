#pragma once

#include <QtGui/QIcon>

#include <string>

namespace narv {

// The tool-bar image of a command: a badge in the colour of its menu with a short mark, drawn
// at run time so that the program needs no image files.
QIcon ToolBarIcon(const std::string& caption);

} // namespace narv
