#pragma once

#include "shell/NewModelWizard.h"

#include <QtWidgets/QWidget>

class QLabel;
class QPushButton;

namespace narv {

class ModelForm;
class UserDialogs;

// "Assistant for New Model Creation" (TFormNewModelWizard) beside the model editor: its text
// and the buttons "<" and ">" walk the editor's pages one by one. Closing it closes the editor
// and emits finished, after which the main window is enabled again.
class NewModelWizardWindow : public QWidget {
    Q_OBJECT
public:
    NewModelWizardWindow(ModelForm& form, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~NewModelWizardWindow() override;

    const NewModelWizard& wizard() const { return m_wizard; }
    QLabel* textLabel() const { return m_text; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* forwardButton() const { return m_forward; }

    void forward();
    void back();

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showStep();
    void finish();

    ModelForm& m_form;
    NewModelWizard m_wizard;
    QLabel* m_text = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_forward = nullptr;
    bool m_finished = false;
};

} // namespace narv
