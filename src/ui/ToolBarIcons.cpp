#include "ui/ToolBarIcons.h"

#include <QtGui/QPainter>
#include <QtGui/QPixmap>

#include <map>
#include <utility>

namespace narv {
namespace {

struct Badge {
    const char* mark;
    QColor colour;
};

const QColor kFile(90, 100, 115);
const QColor kVariation(200, 120, 30);
const QColor kModel(40, 90, 170);
const QColor kPlant(40, 130, 70);
const QColor kComputations(170, 50, 50);
const QColor kResults(110, 60, 150);
const QColor kHelp(20, 130, 140);

Badge badgeOf(const std::string& caption)
{
    static const std::map<std::string, Badge> badges = {
        {"&New Project", {"New", kFile}},
        {"&Load Project", {"Op", kFile}},
        {"&Save Project", {"Sv", kFile}},
        {"&Edit Variation", {"Va", kVariation}},
        {"&Edit active Model", {"Mo", kModel}},
        {"S&how Model and Plant as Text", {"Tx", kModel}},
        {"&Print Model and Plant", {"Pr", kModel}},
        {"&Edit Flowscheme", {"Fs", kPlant}},
        {"&Graphic of Flowscheme", {"Gr", kPlant}},
        {"Control &Loops", {"CL", kPlant}},
        {"&Relaxation", {"Rx", kComputations}},
        {"&Integration", {"In", kComputations}},
        {"&Dynamic Simulation", {"Dy", kComputations}},
        {"&Continuous Simulation", {"Co", kComputations}},
        {"Show &Results", {"Re", kResults}},
        {"&Index", {"?", kHelp}},
    };
    const auto found = badges.find(caption);
    return found == badges.end() ? Badge{"", kFile} : found->second;
}

QPixmap drawBadge(const Badge& badge, int size, bool disabled)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = badge.colour;
    if (disabled) {
        const int grey = qGray(fill.rgb());
        fill = QColor(grey, grey, grey, 110);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 5.0, size / 5.0);
    QFont font;
    font.setBold(true);
    font.setPixelSize(size * 11 / 24);
    painter.setFont(font);
    painter.setPen(disabled ? QColor(255, 255, 255, 160) : Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromLatin1(badge.mark));
    return pixmap;
}

} // namespace

QIcon ToolBarIcon(const std::string& caption)
{
    const Badge badge = badgeOf(caption);
    QIcon icon;
    for (const int size : {24, 48}) {
        icon.addPixmap(drawBadge(badge, size, false), QIcon::Normal);
        icon.addPixmap(drawBadge(badge, size, true), QIcon::Disabled);
    }
    return icon;
}

} // namespace narv
