#include "ui/report/ReportWindow.h"

#include "report/ModelReport.h"
#include "ui/report/ReportPrinting.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QScreen>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QVBoxLayout>

namespace narv {

ReportWindow::ReportWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TFormShowReport"));
    setWindowTitle(QString::fromLatin1(kReportWindowTitle));
    setAccessibleName(windowTitle());
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setAccessibleName(QStringLiteral("Report"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setFont(ReportFont(10));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    const QScreen* screen = this->screen();
    const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1280;
    const int screenHeight = screen != nullptr ? screen->availableGeometry().height() : 800;
    const QFontMetrics metrics(m_text->font());
    resize(ReportWindowWidth(metrics.horizontalAdvance(QLatin1Char('H')), screenWidth),
           screenHeight * 3 / 4);
}

void ReportWindow::setLines(const std::vector<std::string>& lines)
{
    QString text;
    for (const std::string& line : lines) {
        text += QString::fromStdString(line);
        text += QLatin1Char('\n');
    }
    m_text->setPlainText(text);
}

} // namespace narv
