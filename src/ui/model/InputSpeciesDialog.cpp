#include "ui/model/InputSpeciesDialog.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace narv {

InputSpeciesDialog::InputSpeciesDialog(const SecondSpeciesDialog& content, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormInputSpecies"));
    setWindowTitle(QString::fromStdString(content.caption));
    auto* prompt = new QLabel(QString::fromStdString(content.prompt), this);
    prompt->setAccessibleName(prompt->text());
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setAccessibleName(QStringLiteral("Second species"));
    for (const std::string& item : content.items)
        m_list->addItem(QString::fromStdString(item));
    if (content.preselected >= 0)
        m_list->setCurrentRow(content.preselected);
    else
        m_list->setCurrentRow(-1);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_ok->setAccessibleName(m_ok->text());
    cancel->setAccessibleName(cancel->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &InputSpeciesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &InputSpeciesDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &InputSpeciesDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

int InputSpeciesDialog::chosen() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item != nullptr && item->isSelected() ? m_list->row(item) : -1;
}

void InputSpeciesDialog::accept()
{
    if (chosen() < 0)
        return;
    QDialog::accept();
}

} // namespace narv
