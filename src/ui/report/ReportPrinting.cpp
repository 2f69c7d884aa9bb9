#include "ui/report/ReportPrinting.h"

#include "report/ModelReport.h"

#include <QtGui/QFontDatabase>
#include <QtGui/QFontInfo>
#include <QtGui/QPagedPaintDevice>
#include <QtGui/QPainter>

#include <algorithm>

namespace narv {

QFont ReportFont(int pointSize)
{
    QFont font(QStringLiteral("Courier New"), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(pointSize);
    }
    return font;
}

int PrintReportLines(QPagedPaintDevice& device, const std::vector<std::string>& lines,
                     const std::string& title)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setFont(ReportFont(6));
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int linesPerPage = std::max(1, painter.viewport().height() / lineHeight);
    const auto pages =
        PaginateReport(lines, linesPerPage, title, ReportMargin(ReportDestination::Printer));
    for (std::size_t n = 0; n < pages.size(); ++n) {
        if (n > 0)
            device.newPage();
        int row = 0;
        for (const std::string& line : pages[n])
            painter.drawText(0, row++ * lineHeight + metrics.ascent(), QString::fromStdString(line));
    }
    painter.end();
    return static_cast<int>(pages.size());
}

} // namespace narv
