#pragma once

#include "shell/ConfigurationEditor.h"

#include <QtWidgets/QDialog>

#include <map>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace narv {

struct ShellSettings;
class UserDialogs;

// "Configuration": the numerical settings ("Simulation Settings") and the chart settings
// ("Chart Settings") edited in a working copy. Leaving a field checks it; a refused field
// shows its previous value again and keeps the focus; Enter moves to the next field.
class ConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    ConfigurationDialog(ShellSettings& settings, UserDialogs& dialogs, QWidget* parent = nullptr);

    QLineEdit* field(const std::string& key) const { return m_fields.at(key); }
    // The list of a choice field (the solvers).
    QComboBox* choice(const std::string& key) const { return m_choices.at(key); }
    QTabWidget* pages() const { return m_pages; }
    QCheckBox* stepByStep() const { return m_stepByStep; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* defaultsButton() const { return m_defaults; }
    const ConfigurationEditor& editor() const { return m_editor; }

    // "Ok": checks every field once more; stays open on a refusal.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    // Checks a field the user changed; false after a refusal (message shown, previous value
    // back, focus in the field).
    bool leave(const std::string& key);
    void refuse(const std::string& key, const ConfigurationEditor::Entry& entry);
    void setDefaults();

    ShellSettings& m_settings;
    UserDialogs& m_dialogs;
    ConfigurationEditor m_editor;
    std::map<std::string, QLineEdit*> m_fields;
    std::map<std::string, QComboBox*> m_choices;
    QTabWidget* m_pages = nullptr;
    QCheckBox* m_stepByStep = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_defaults = nullptr;
    bool m_checking = false;
};

} // namespace narv
