#include "render/QtApplication.h"

#include "core/Error.h"

#include <QtWidgets/QApplication>

namespace narv {

void EnsureQtApplication(bool needWidgets)
{
    if (QCoreApplication::instance() != nullptr) {
        if (needWidgets && qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            throw Error("Charts can only be drawn in a program with a Qt widget application.");
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
            throw Error("Pictures can only be drawn in a program with a Qt GUI application.");
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Widget-based charts may be drawn in the same process later, so always a QApplication.
    static int argc = 1;
    static char programName[] = "narv";
    static char* argv[] = {programName, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

} // namespace narv
