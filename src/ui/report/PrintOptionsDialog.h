#pragma once

#include "report/ModelReport.h"

#include <QtWidgets/QDialog>

#include <map>
#include <string>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace narv {

// TFormPrintOptions: the report's sections as check boxes, captioned for the destination.
// The initial states are set on every construction; only "OK" confirms.
class PrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    PrintOptionsDialog(ReportDestination destination, bool plantLoaded, QWidget* parent = nullptr);

    TPrintOptions options() const;
    QCheckBox* checkBox(const std::string& name) const { return m_boxes.at(name); }
    QGroupBox* group() const { return m_group; }
    QPushButton* okButton() const { return m_ok; }

private:
    std::map<std::string, QCheckBox*> m_boxes;
    QGroupBox* m_group = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace narv
