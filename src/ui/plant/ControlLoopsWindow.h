#pragma once

#include "plant/ControlLoopEditor.h"
#include "shell/Workspace.h"

#include <QtWidgets/QDialog>
#include <QtWidgets/QWidget>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;

namespace narv {

class UserDialogs;

// TFormSetControlLoop: signal, measuring compartment and the four values of one loop, on a
// copy that OK puts into the table.
class ControlLoopDialogWindow : public QDialog {
    Q_OBJECT
public:
    ControlLoopDialogWindow(ControlLoopDialog& dialog, UserDialogs& dialogs,
                            QWidget* parent = nullptr);

    QComboBox* compartments() const { return m_compartments; }
    QComboBox* signalChoice() const { return m_signals; }
    QLineEdit* field(ControlLoopDialog::Field field) const { return m_fields[field]; }
    // The lane loop's set values: "1" or "2"; null for other loops.
    QComboBox* laneChoice(ControlLoopDialog::Field field) const { return m_lanes[field]; }

    void accept() override;

private:
    bool leave(ControlLoopDialog::Field field);

    ControlLoopDialog& m_dialog;
    UserDialogs& m_dialogs;
    QComboBox* m_compartments = nullptr; // cb_knkb
    QComboBox* m_signals = nullptr;      // cb_signals
    std::array<QLineEdit*, ControlLoopDialog::kFieldCount> m_fields{};
    std::array<QComboBox*, ControlLoopDialog::kFieldCount> m_lanes{};
    bool m_checking = false;
};

// "Control Loops" (TFormControlLoops): one row per entry in use, each with "Active", the type
// choice and the description; "Deactivate All" and "Close".
class ControlLoopsWindow : public QWidget {
    Q_OBJECT
public:
    // modified: a row changed the table, the plant is to be saved. openDialog runs the settings
    // dialog (tests replace the modal run); true for OK.
    using DialogRunner = std::function<bool(ControlLoopDialogWindow&)>;
    ControlLoopsWindow(Workspace& workspace, UserDialogs& dialogs, std::function<void()> modified,
                       QWidget* parent = nullptr);

    // The rows again from the table; this marks nothing unsaved.
    void rebuild();
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    QCheckBox* activeBox(int entry) const;
    QComboBox* typeChoice(int entry) const;
    QLineEdit* description(int entry) const;
    void deactivateAll();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QWidget* caption = nullptr;
        QCheckBox* active = nullptr;
        QComboBox* type = nullptr;
        QLineEdit* description = nullptr;
    };
    void showRow(int entry);
    void typeChosen(int entry, bool onOff);

    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    std::function<void()> m_modified;
    ControlLoopList m_list;
    DialogRunner m_runDialog;
    QWidget* m_rowsArea = nullptr;
    QGridLayout* m_rowsLayout = nullptr;
    std::vector<Row> m_rows; // element 0: entry 1
};

} // namespace narv
