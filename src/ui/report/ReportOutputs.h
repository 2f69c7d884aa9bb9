#pragma once

#include "report/ModelReport.h"

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace narv {

class ReportWindow;

// The desktop destinations of the report: the options dialog captioned for the destination,
// the window "Show Model and Plant" and the printer through the system's print dialog. The
// dialogs run through a runner that tests replace.
class ReportOutputs {
public:
    explicit ReportOutputs(QWidget* parent);
    ~ReportOutputs();

    // TFormPrintOptions; nothing when it was not confirmed with "OK".
    std::optional<TPrintOptions> chooseOptions(ReportDestination destination, bool plantLoaded);
    // The report with the window's margin in the report window, shown and raised.
    void show(const ReportInput& input, const TPrintOptions& options);
    // The print dialog, then the report with the printer's margin; false when the dialog was
    // cancelled or the printer could not be opened. Where no printer is installed the dialog
    // starts on a PDF file named after pdfName.
    bool print(const ReportInput& input, const TPrintOptions& options,
               const std::string& pdfName = {});

    ReportWindow* window() const { return m_window.get(); }
    QPrinter& printer();
    void setDialogRunner(std::function<int(QDialog&)> run) { m_runDialog = std::move(run); }

private:
    QWidget* m_parent;
    std::unique_ptr<ReportWindow> m_window;
    std::unique_ptr<QPrinter> m_printer;
    std::function<int(QDialog&)> m_runDialog;
};

} // namespace narv
