#pragma once

#include "model/ModelEditor.h"

#include <QtWidgets/QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace narv {

class UserDialogs;

// "Input kinetic parameters" (TFormInputParameters) over the editor's working copy of one
// kinetics cell: the parameter at operating and at base temperature and its coefficient, and
// for Monod II and Inhibition II the exponent. Leaving a field checks and converts it; a
// refused field shows its previous value again and keeps the focus.
class InputParametersDialog : public QDialog {
    Q_OBJECT
public:
    InputParametersDialog(ParameterDialog& content, UserDialogs& dialogs,
                          QWidget* parent = nullptr);

    QLineEdit* field(ParameterDialog::Field field) const;
    QComboBox* exponentList() const { return m_exponent; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The texts of the labels, top to bottom.
    QStringList texts() const;

    // "OK": the field being edited is checked first; a refusal keeps the dialog open.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool leave(ParameterDialog::Field field);
    void showValues();

    ParameterDialog& m_content;
    UserDialogs& m_dialogs;
    std::array<QLineEdit*, 3> m_fields{};
    QList<QLabel*> m_labels;
    QComboBox* m_exponent = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_checking = false;
};

} // namespace narv
