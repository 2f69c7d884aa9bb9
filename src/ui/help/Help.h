#pragma once

#include <QString>

class QWidget;

namespace narv {

// The help window of the program: one window, made on first use, that the help commands,
// the start dialog and closing the main window reach through these functions.
enum class HelpTab { Contents, Index, Find };

// The help collection of the user guide, beside the program.
QString helpCollectionFile();

// Shows the help window on the tab. A missing help collection is reported to the user in a
// message box over parent.
void showHelp(QWidget* parent, HelpTab tab);
// Shows the guide's page for the topic: a page title ("First Steps"), an index keyword or a
// page name ("first-steps"); the contents page when nothing matches.
void showHelpTopic(QWidget* parent, const QString& topic);
// Closes the help window if it is open.
void closeHelp();

} // namespace narv
