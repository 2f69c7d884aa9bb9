#pragma once

#include <QtGui/QFont>

#include <string>
#include <vector>

class QPagedPaintDevice;

namespace narv {

// "Courier New", or the system's fixed-pitch font where it is missing.
QFont ReportFont(int pointSize);

// The report on pages in a fixed-pitch font of size 6, one report line per text line, as many
// lines to a page as fit, each page headed by the title and its page number. Returns the number
// of pages.
int PrintReportLines(QPagedPaintDevice& device, const std::vector<std::string>& lines,
                     const std::string& title);

} // namespace narv
