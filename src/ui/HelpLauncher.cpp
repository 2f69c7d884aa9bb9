#include "ui/HelpLauncher.h"

#include "shell/EventList.h"
#include "ui/help/AboutDialog.h"
#include "ui/help/EventsWindow.h"
#include "ui/help/Help.h"

#include <QtCore/QPointer>
#include <QtWidgets/QWidget>

namespace narv {
namespace {

// The help window over the guide's help collection, the About box and the event window.
class QtHelpLauncher : public HelpLauncher {
public:
    QtHelpLauncher(QWidget* parent, EventList& events) : m_parent(parent), m_events(events) {}

    void showTopic(const QString& topic) override { showHelpTopic(m_parent, topic); }
    void showContents() override { showHelp(m_parent, HelpTab::Contents); }
    void showIndex() override { showHelp(m_parent, HelpTab::Index); }
    void showFind() override { showHelp(m_parent, HelpTab::Find); }
    void showAbout() override
    {
        AboutDialog about(m_parent);
        about.exec();
    }
    void showEvents() override
    {
        if (!m_eventsWindow)
            m_eventsWindow = new EventsWindow(m_events, m_parent);
        m_eventsWindow->show();
        m_eventsWindow->raise();
        m_eventsWindow->activateWindow();
    }
    void closeHelp() override { narv::closeHelp(); }

private:
    QWidget* m_parent;
    EventList& m_events;
    QPointer<EventsWindow> m_eventsWindow; // a window of its own, owned by the main window
};

} // namespace

std::unique_ptr<HelpLauncher> CreateHelpLauncher(QWidget* parent, EventList& events)
{
    return std::make_unique<QtHelpLauncher>(parent, events);
}

} // namespace narv
