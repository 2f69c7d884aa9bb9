#include "ui/help/Help.h"

#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>

namespace narv {
namespace {

// The one help window; it has no parent, so that it is a window of its own that outlives
// the dialog that opened it, and it goes with the application.
QPointer<HelpWindow>& theWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

HelpWindow* helpWindow(QWidget* parent)
{
    QPointer<HelpWindow>& window = theWindow();
    if (!window) {
        auto* made = new HelpWindow(helpCollectionFile());
        if (!made->valid()) {
            const QString error = made->error();
            delete made;
            QMessageBox::warning(parent, QStringLiteral("NARV Help"), error);
            return nullptr;
        }
        QObject::connect(qApp, &QApplication::aboutToQuit, made, &QObject::deleteLater);
        window = made;
    }
    // A modal dialog (the start dialog) blocks every window but its own children: while one
    // is open the help window belongs to it, so that the guide can be read and scrolled.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != window->parentWidget() && modal != window)
        window->setParent(modal, Qt::Window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace

QString helpCollectionFile()
{
    return QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("narv-help.qhc"));
}

void showHelp(QWidget* parent, HelpTab tab)
{
    if (HelpWindow* window = helpWindow(parent))
        window->showTab(tab);
}

void showHelpTopic(QWidget* parent, const QString& topic)
{
    if (HelpWindow* window = helpWindow(parent)) {
        window->showTab(HelpTab::Contents);
        window->showTopic(topic);
    }
}

void closeHelp()
{
    if (HelpWindow* window = theWindow())
        window->close();
}

} // namespace narv
