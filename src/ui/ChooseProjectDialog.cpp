#include "ui/ChooseProjectDialog.h"

#include <functional>

#include "shell/ProjectChooser.h"
#include "ui/DesktopFormat.h"

#include <QtCore/QSignalBlocker>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QVBoxLayout>

namespace narv {
namespace {

QListWidget* addList(QGridLayout* grid, int column, const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    auto* list = new QListWidget(parent);
    label->setBuddy(list);
    list->setAccessibleName(caption);
    list->setObjectName(caption);
    list->setMinimumWidth(170);
    grid->addWidget(label, 0, column);
    grid->addWidget(list, 1, column);
    return list;
}

void fillList(QListWidget* list, const std::vector<std::string>& entries, int selected,
              bool enabled)
{
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& entry : entries)
        list->addItem(ToQString(entry));
    if (selected >= 0 && selected < list->count())
        list->setCurrentRow(selected);
    list->setEnabled(enabled);
}

} // namespace

ChooseProjectDialog::ChooseProjectDialog(ProjectChooser& chooser, QWidget* parent)
    : QDialog(parent), m_chooser(chooser)
{
    setWindowTitle(QStringLiteral("Choose Project"));
    setObjectName(QStringLiteral("TFormChooseProject"));
    auto* grid = new QGridLayout;
    m_projects = addList(grid, 0, QStringLiteral("Project directory"), this);
    m_models = addList(grid, 1, QStringLiteral("Model file"), this);
    m_plants = addList(grid, 2, QStringLiteral("Plant file"), this);
    m_variations = addList(grid, 3, QStringLiteral("Variation file"), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    const auto follow = [this](QListWidget* list, std::function<void(int)> select) {
        connect(list, &QListWidget::currentRowChanged, this, [this, select = std::move(select)](int row) {
            if (m_updating || row < 0)
                return;
            select(row);
            showChooser();
        });
    };
    follow(m_projects, [this](int row) { m_chooser.selectProject(row); });
    follow(m_models, [this](int row) { m_chooser.selectModel(row); });
    follow(m_plants, [this](int row) { m_chooser.selectPlant(row); });
    follow(m_variations, [this](int row) { m_chooser.selectVariation(row); });
    showChooser();
    m_projects->setFocus();
}

void ChooseProjectDialog::showChooser()
{
    m_updating = true;
    fillList(m_projects, m_chooser.projects(), m_chooser.selectedProject(), true);
    for (auto [list, files] :
         {std::pair{m_models, &m_chooser.models()}, std::pair{m_plants, &m_chooser.plants()},
          std::pair{m_variations, &m_chooser.variations()}})
        fillList(list, files->entries, files->selected, files->enabled);
    m_updating = false;
}

} // namespace narv
