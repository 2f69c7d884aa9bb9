#pragma once

#include <QtGui/QFont>

#include <string>
#include <vector>

class QPagedPaintDevice;

namespace narv {

// "Courier New", or the system's fixed-pitch font where it is missing.
QFont ReportFont(int pointSize);

// The report on pages in a fixed-pitch font of size 6, one report line per text line, as many
// lines to a page as fit. Returns the number of pages.
int PrintReportLines(QPagedPaintDevice& device, const std::vector<std::string>& lines);

} // namespace narv
