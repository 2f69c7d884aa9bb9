#include "ui/report/ReportOutputs.h"

#include "ui/report/PrintOptionsDialog.h"
#include "ui/report/ReportPrinting.h"
#include "ui/report/ReportWindow.h"

#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

namespace narv {

ReportOutputs::ReportOutputs(QWidget* parent)
    : m_parent(parent), m_runDialog([](QDialog& dialog) { return dialog.exec(); })
{
}

ReportOutputs::~ReportOutputs() = default;

QPrinter& ReportOutputs::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

std::optional<TPrintOptions> ReportOutputs::chooseOptions(ReportDestination destination,
                                                          bool plantLoaded)
{
    PrintOptionsDialog dialog(destination, plantLoaded, m_parent);
    if (m_runDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.options();
}

void ReportOutputs::show(const ReportInput& input, const TPrintOptions& options)
{
    const auto lines = BuildReportLines(input, options, ReportMargin(ReportDestination::Window));
    if (!m_window)
        m_window = std::make_unique<ReportWindow>(m_parent);
    m_window->setLines(lines);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool ReportOutputs::print(const ReportInput& input, const TPrintOptions& options,
                          const std::string& pdfName)
{
    const auto lines = BuildReportLines(input, options, ReportMargin(ReportDestination::Printer));
    QPrinter& device = printer();
    if (QPrinterInfo::availablePrinterNames().isEmpty() && device.outputFileName().isEmpty() &&
        !pdfName.empty()) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QString::fromStdString(pdfName));
    }
    QPrintDialog dialog(&device, m_parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (m_runDialog(dialog) != QDialog::Accepted)
        return false;
    return PrintReportLines(device, lines, input.model.ModelName) > 0;
}

} // namespace narv
