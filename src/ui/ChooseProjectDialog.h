#pragma once

#include <QtWidgets/QDialog>

class QListWidget;

namespace narv {

class ProjectChooser;

// "Choose Project": the project list and the model, plant and variation files of the selected
// project. The rules are the chooser's; the dialog shows its lists and passes the selections.
class ChooseProjectDialog : public QDialog {
    Q_OBJECT
public:
    ChooseProjectDialog(ProjectChooser& chooser, QWidget* parent = nullptr);

    QListWidget* projectList() const { return m_projects; }
    QListWidget* modelList() const { return m_models; }
    QListWidget* plantList() const { return m_plants; }
    QListWidget* variationList() const { return m_variations; }

private:
    void showChooser();

    ProjectChooser& m_chooser;
    QListWidget* m_projects;
    QListWidget* m_models;
    QListWidget* m_plants;
    QListWidget* m_variations;
    bool m_updating = false;
};

} // namespace narv
