#pragma once

#include <QtCore/QString>

#include <memory>

class QWidget;

namespace narv {

class EventList;

// The help system, the About box and the edit-event list as the main window opens them. The
// main window knows only this interface; the help window behind it is built apart.
class HelpLauncher {
public:
    virtual ~HelpLauncher() = default;

    // A topic of the user guide by its id, e.g. "first-steps" (the start dialog's button).
    virtual void showTopic(const QString& topic) = 0;
    // "&Contents", "&Index", "&Find": the help window on that tab.
    virtual void showContents() = 0;
    virtual void showIndex() = 0;
    virtual void showFind() = 0;
    // "&About...": name, version, licence and the libraries used.
    virtual void showAbout() = 0;
    // The hidden command "Show &Events".
    virtual void showEvents() = 0;
    // Closing the main window closes the help window.
    virtual void closeHelp() = 0;
};

// The desktop program's help; parent is the main window, events the program's edit events.
std::unique_ptr<HelpLauncher> CreateHelpLauncher(QWidget* parent, EventList& events);

} // namespace narv
