#pragma once

#include "shell/StartDialog.h"

#include <QtWidgets/QDialog>

class QRadioButton;

namespace narv {

// The start dialog "Welcome to NARV": open the last project, open an existing one or create
// a new one, as the shell's choices enable and preselect them.
class StartDialogWindow : public QDialog {
    Q_OBJECT
public:
    StartDialogWindow(const StartDialogChoices& choices, QWidget* parent = nullptr);

    StartChoice choice() const;
    QRadioButton* button(StartChoice choice) const;

signals:
    // "Help" and "First Steps": a topic of the user guide.
    void helpRequested(const QString& topic);

private:
    QRadioButton* m_last;
    QRadioButton* m_existing;
    QRadioButton* m_new;
};

} // namespace narv
