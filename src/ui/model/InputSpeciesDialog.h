#pragma once

#include "model/ModelEditor.h"

#include <QtWidgets/QDialog>

class QListWidget;
class QPushButton;

namespace narv {

// "Input of 2.species" (TFormInputSpecies): the species a kinetic term relates to. "OK"
// without a selection keeps the dialog open.
class InputSpeciesDialog : public QDialog {
    Q_OBJECT
public:
    explicit InputSpeciesDialog(const SecondSpeciesDialog& content, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }
    // The chosen item, -1 for none.
    int chosen() const;

    void accept() override;

private:
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace narv
