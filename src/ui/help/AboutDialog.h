#pragma once

#include <QDialog>
#include <QList>
#include <QString>

namespace narv {

// A library the program is linked with, as the About box names it.
struct LinkedLibrary {
    QString name;
    QString version; // empty when the library does not tell its version
    QString purpose;
};

// The libraries of this build of the desktop program, in the order the About box lists them.
QList<LinkedLibrary> linkedLibraries();

// The box "About NARV": name, version, licence and the libraries used.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The text of the box as rich text.
    static QString text();
};

} // namespace narv
