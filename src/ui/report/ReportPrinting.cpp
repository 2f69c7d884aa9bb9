#include "ui/report/ReportPrinting.h"

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

int PrintReportLines(QPagedPaintDevice& device, const std::vector<std::string>& lines)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setFont(ReportFont(6));
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int pageHeight = painter.viewport().height();
    const int linesPerPage = std::max(1, pageHeight / lineHeight);
    int pages = 1;
    int onPage = 0;
    for (const std::string& line : lines) {
        if (onPage == linesPerPage) {
            device.newPage();
            ++pages;
            onPage = 0;
        }
        painter.drawText(0, onPage * lineHeight + metrics.ascent(), QString::fromStdString(line));
        ++onPage;
    }
    painter.end();
    return pages;
}

} // namespace narv
