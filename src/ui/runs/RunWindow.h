#pragma once

#include "core/IntervalGate.h"
#include "shell/RunWindowPort.h"
#include "ui/runs/RunWindowHost.h"

#include <QtWidgets/QWidget>

#include <functional>
#include <utility>
#include <vector>

class QBoxLayout;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace narv {

// The common face of the run windows: a top-level window with its status bar StatusBar1 and
// the port through which a run in the window's rules reaches the program.
//
// The run itself works in the user-interface thread and hands over to the event loop every
// 40 ms from the integrator's steps: the plant, its editors and the results are plain data
// shared with every other window, so a worker thread would need them all locked, while a run
// in this thread can never meet a half-changed plant. The windows and the main window keep
// their commands disabled while a run lasts.
class RunWindow : public QWidget, public RunWindowPort {
    Q_OBJECT
public:
    RunWindow(RunWindowHost& host, const char* caption, QWidget* parent);

    QStatusBar* statusBar() const { return m_statusBar; }
    // How often a run lets the window handle events (the default: every 40 ms).
    void setEventInterval(int milliseconds);
    // A computation is in progress in this window.
    virtual bool running() const = 0;

    void setStatus(const std::string& text) override;
    bool wantsProgress() override;
    void processEvents() override;
    void waitForEvents() override;
    void showMessage(const std::string& text) override;
    void setRunning(RunKind run) override;
    void markPlantModified() override;
    void showStatePage() override;
    void refreshStatePage() override;
    void refreshInitialConditions() override;
    void runResultsChanged() override;

protected:
    QBoxLayout* body() const { return m_body; }
    QPushButton* addButton(QBoxLayout* row, const char* name, const char* caption);
    // An edit with its label in a row of the body.
    QLineEdit* addField(const char* name, const QString& label);
    // A user's action: an error it throws is shown, not passed to the event loop.
    void guarded(const std::function<void()>& action);
    // Leaving an edit runs check (true: the entry was accepted) once per change, also when its
    // message takes the focus away.
    void onLeaving(QLineEdit* edit, std::function<bool()> check);
    // Checks the edits changed but not left yet, as leaving them would: a run started by a
    // shortcut or a screen reader's action, which leave the focus in the field, starts with
    // what was typed. False when an entry was refused (its message was shown).
    bool commitEdits();

    RunWindowHost& m_host;

private:
    QBoxLayout* m_body = nullptr;
    QStatusBar* m_statusBar = nullptr;
    // Asked after every step; they spare the run most clock reads.
    IntervalGate m_eventsDue{40'000'000};
    IntervalGate m_progressDue{40'000'000};
    bool m_checking = false;
    std::vector<std::pair<QLineEdit*, std::function<bool()>>> m_checkedFields;

    bool runCheck(QLineEdit* edit, const std::function<bool()>& check);
};

} // namespace narv
