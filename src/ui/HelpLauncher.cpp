#include "ui/HelpLauncher.h"

#include <QtWidgets/QMessageBox>
#include <QtWidgets/QWidget>

namespace narv {
namespace {

// Until the help collection is built, every help command says so instead of doing nothing.
class MessageHelpLauncher : public HelpLauncher {
public:
    explicit MessageHelpLauncher(QWidget* parent) : m_parent(parent) {}

    void showTopic(const QString& topic) override
    {
        say(QStringLiteral("The help topic \"%1\"").arg(topic));
    }
    void showContents() override { say(QStringLiteral("The help contents")); }
    void showIndex() override { say(QStringLiteral("The help index")); }
    void showFind() override { say(QStringLiteral("The help search")); }
    void showAbout() override { say(QStringLiteral("The About box")); }
    void showEvents() override { say(QStringLiteral("The event list")); }
    void closeHelp() override {}

private:
    void say(const QString& what)
    {
        QMessageBox::information(m_parent, QStringLiteral("NARV"),
                                 what + QStringLiteral(" is not available yet."));
    }

    QWidget* m_parent;
};

} // namespace

std::unique_ptr<HelpLauncher> CreateHelpLauncher(QWidget* parent)
{
    return std::make_unique<MessageHelpLauncher>(parent);
}

} // namespace narv
