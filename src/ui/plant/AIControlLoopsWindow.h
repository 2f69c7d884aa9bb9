#pragma once

#include "shell/Workspace.h"
#include "special/AIEditor.h"

#include <QtWidgets/QWidget>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QTabWidget;

namespace narv {

class ControlLoopDialogWindow;
class UserDialogs;

// "Control Loops AI" (TFormControlLoopsAI): a page per lane with the entries 0..4+ReactorCount
// of that lane's table; entry 0 switches the lane fed. After the settings dialog the user may
// copy the entry to the other lane.
class AIControlLoopsWindow : public QWidget {
    Q_OBJECT
public:
    using DialogRunner = std::function<bool(ControlLoopDialogWindow&)>;
    AIControlLoopsWindow(Workspace& workspace, UserDialogs& dialogs,
                         std::function<void()> modified, QWidget* parent = nullptr);

    void rebuild();
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    QCheckBox* activeBox(int lane, int entry) const;
    QComboBox* typeChoice(int lane, int entry) const;
    QLineEdit* description(int lane, int entry) const;
    QTabWidget* pages() const { return m_pages; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QCheckBox* active = nullptr;
        QComboBox* type = nullptr;
        QLineEdit* description = nullptr;
    };
    void showRow(int lane, int entry);
    void typeChosen(int lane, int entry, bool onOff);
    void changed();

    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    std::function<void()> m_modified;
    AIControlLoopList m_list;
    DialogRunner m_runDialog;
    QTabWidget* m_pages = nullptr;
    std::array<std::vector<Row>, 2> m_rows; // per lane, element k: entry k
};

} // namespace narv
