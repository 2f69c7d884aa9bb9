#include "ui/report/PrintOptionsDialog.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace narv {

PrintOptionsDialog::PrintOptionsDialog(ReportDestination destination, bool plantLoaded,
                                       QWidget* parent)
    : QDialog(parent)
{
    const PrintOptionsCaptions captions = PrintOptionsCaptionsFor(destination);
    setObjectName(QStringLiteral("TFormPrintOptions"));
    setWindowTitle(QString::fromLatin1(captions.dialog));
    m_group = new QGroupBox(QString::fromLatin1(captions.group), this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->setAccessibleName(m_group->title().trimmed());
    auto* boxes = new QVBoxLayout(m_group);
    const TPrintOptions initial = InitialPrintOptions(plantLoaded);
    for (const PrintOptionsCheckBox& entry : PrintOptionsCheckBoxes()) {
        auto* box = new QCheckBox(QString::fromLatin1(entry.caption), m_group);
        box->setObjectName(QString::fromLatin1(entry.name));
        box->setAccessibleName(box->text());
        box->setChecked(initial.*entry.option);
        const std::string name = entry.name;
        if (name == "ckPlant" || name == "ckControl")
            box->setEnabled(PlantOptionsEnabled(plantLoaded));
        boxes->addWidget(box);
        m_boxes[name] = box;
    }
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);
    for (QPushButton* button : {m_ok, cancel})
        button->setAccessibleName(button->text());
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_group);
    layout->addLayout(buttons);
}

TPrintOptions PrintOptionsDialog::options() const
{
    TPrintOptions options;
    for (const PrintOptionsCheckBox& entry : PrintOptionsCheckBoxes())
        options.*entry.option = m_boxes.at(entry.name)->isChecked();
    return options;
}

} // namespace narv
