#pragma once

#include "special/SbrEditor.h"
#include "shell/Workspace.h"

#include <QtCore/QAbstractTableModel>
#include <QtWidgets/QDialog>
#include <QtWidgets/QWidget>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace narv {

class UserDialogs;

// The periods grid AdvStringGrid1 over the cycle: columns of SbrPageEditor::GridColumnTitles;
// the mode and the "    Define" buttons are widgets of the view.
class SbrGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    SbrGridModel(SbrPageEditor& editor, TSbrCycle& cycle, UserDialogs& dialogs,
                 QObject* parent = nullptr);

    void reload();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void entered();

private:
    SbrPageEditor& m_editor;
    TSbrCycle& m_cycle;
    UserDialogs& m_dialogs;
};

// The SBR page (TabSheet6) of the plant dialog.
class SbrPage : public QWidget {
    Q_OBJECT
public:
    SbrPage(Workspace& workspace, UserDialogs& dialogs, std::function<void()> changed,
            QWidget* parent = nullptr);

    // The fields and the grid from the cycle.
    void reload();
    // Where the leave check sends the user.
    void focus(SbrLeaveCheck::Focus focus);
    // The value entry of a period: an input box or the SBR control dialog.
    void defineValues(int period, const SbrValueRequest& request);
    // Checks what is still typed in the fields, as if they were left; false when a field
    // refused its text (it has the focus again).
    bool commit();

private:
    bool leave(QLineEdit* edit, SbrEntry (SbrPageEditor::*enter)(const std::string&));
    void showLines();
    void accepted();

    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    std::function<void()> m_changed;
    SbrPageEditor m_editor;
    SbrControlDialogMemory m_memory;
    SbrGridModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLineEdit* m_timeslice = nullptr;     // ed_Min
    QLineEdit* m_accuracy = nullptr;      // ed_eps
    QLineEdit* m_initialVolume = nullptr; // ed_Volini
    QLabel* m_cycleLength = nullptr;      // lb_cyclelength
    QLabel* m_balance = nullptr;          // lb_sum_input_output
    QLabel* m_initialVolumeLabel = nullptr; // lb_Volini
    bool m_checking = false;
};

// TFormSetControlLoopSBR: the controlled aeration of one period.
class SbrControlDialogWindow : public QDialog {
    Q_OBJECT
public:
    SbrControlDialogWindow(SbrControlDialog& dialog, UserDialogs& dialogs,
                           QWidget* parent = nullptr);
    QLineEdit* field(SbrControlDialog::Field field) const { return m_fields[field]; }

    void accept() override;

private:
    bool leave(SbrControlDialog::Field field);

    SbrControlDialog& m_dialog;
    UserDialogs& m_dialogs;
    std::array<QLineEdit*, SbrControlDialog::kFieldCount> m_fields{};
    bool m_checking = false;
};

} // namespace narv
