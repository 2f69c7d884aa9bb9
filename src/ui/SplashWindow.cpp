#include "ui/SplashWindow.h"

#include "core/Version.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QScreen>
#include <QtWidgets/QLabel>
#include <QtWidgets/QVBoxLayout>

namespace narv {
namespace {

// Text in silver over a black copy 3 pixels to the right and below.
void drawEmbossed(QPainter& painter, int x, int y, int pixelHeight, const QString& text)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    painter.setFont(font);
    const int baseline = y + QFontMetrics(font).ascent();
    painter.setPen(Qt::black);
    painter.drawText(x + 3, baseline + 3, text);
    painter.setPen(QColor(192, 192, 192));
    painter.drawText(x, baseline, text);
}

} // namespace

QPixmap SplashPicture()
{
    QPixmap picture(600, 260);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 260);
    sky.setColorAt(0.0, QColor(26, 60, 96));
    sky.setColorAt(1.0, QColor(70, 130, 160));
    painter.fillRect(picture.rect(), sky);

    // A basin of three reactors and a round clarifier.
    painter.setPen(QPen(QColor(220, 230, 240), 2));
    const QRect basin(30, 150, 240, 70);
    painter.setBrush(QColor(90, 120, 80));
    painter.drawRect(basin);
    painter.drawLine(110, 150, 110, 220);
    painter.drawLine(190, 150, 190, 220);
    painter.setBrush(QColor(100, 150, 190));
    painter.drawEllipse(QPoint(340, 185), 40, 35);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(10, 185, 30, 185);
    painter.drawLine(270, 185, 300, 185);
    painter.drawLine(380, 185, 420, 185);
    QPainterPath returnSludge;
    returnSludge.moveTo(340, 220);
    returnSludge.lineTo(340, 240);
    returnSludge.lineTo(50, 240);
    returnSludge.lineTo(50, 220);
    painter.drawPath(returnSludge);
    // Air bubbles in the aerated reactors.
    painter.setBrush(QColor(230, 240, 250));
    for (int i = 0; i < 14; ++i)
        painter.drawEllipse(QPointF(125 + (i * 37) % 140, 165 + (i * 23) % 45), 2.5, 2.5);

    drawEmbossed(painter, 350, 20, 30, QStringLiteral("NARV"));
    drawEmbossed(painter, 350, 60, 20,
                 QStringLiteral("Version ") + QLatin1String(ProgramVersionText));
    return picture;
}

// A plain frameless window, not a splash screen: window managers keep splash screens above
// every other window, and the start dialog has to lie over this one's corner.
SplashWindow::SplashWindow(QWidget* parent)
    : QFrame(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TFormSplash"));
    setWindowTitle(QStringLiteral("NARV"));
    setAccessibleName(QStringLiteral("NARV"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(3);
    auto* picture = new QLabel(this);
    picture->setPixmap(SplashPicture());
    picture->setAccessibleName(QStringLiteral("NARV Version ") + QLatin1String(ProgramVersionText));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(picture);
    adjustSize();
    // In the middle of the screen's work area, like the start dialog that overlaps it.
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

} // namespace narv
