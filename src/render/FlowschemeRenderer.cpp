#include "render/FlowschemeRenderer.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "render/QtApplication.h"

#include <QtCore/QBuffer>
#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>
#include <QtCore/QPointF>
#include <QtCore/QString>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QFontMetricsF>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPen>
#include <QtWidgets/QApplication>

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>

namespace narv {
namespace {

constexpr int kMaximumPixels = 20000; // larger images need gigabytes

QPen penFor(PicturePen pen)
{
    if (pen == PicturePen::Dotted)
        return QPen(QBrush(Qt::black), 1.0, Qt::DotLine, Qt::FlatCap);
    return QPen(QBrush(Qt::black), 2.0, Qt::SolidLine, Qt::SquareCap);
}

QFont fontFor(double size)
{
    QFont font(QString::fromLatin1(kFlowschemeFontFamily));
    font.setStyleHint(QFont::Serif); // where Times New Roman is missing, a serif face
    font.setBold(true);
    font.setPointSize(std::max(1, PictureFontPoints(size)));
    return font;
}

void paint(QPainter& painter, const PictureLine& line, int width, int height)
{
    const PicturePixel from = ToPixel(line.x1, line.y1, width, height);
    const PicturePixel to = ToPixel(line.x2, line.y2, width, height);
    painter.setPen(penFor(line.pen));
    painter.drawLine(from.x, from.y, to.x, to.y);
}

void paint(QPainter& painter, const PictureText& text, int width, int height)
{
    const QFont font = fontFor(text.size);
    const QFontMetricsF metrics(font);
    const QString string =
        QString::fromUtf8(text.text.data(), static_cast<qsizetype>(text.text.size()));
    const PicturePixel at = ToPixel(text.x, text.y, width, height);
    const double textWidth = metrics.horizontalAdvance(string);
    const double textHeight = metrics.ascent() + metrics.descent();
    double left = at.x;
    if (text.anchorX == TextAnchorX::Centre)
        left -= textWidth / 2.0;
    else if (text.anchorX == TextAnchorX::Right)
        left -= textWidth;
    double top = at.y;
    if (text.anchorY == TextAnchorY::Bottom)
        top -= textHeight;
    else if (text.anchorY == TextAnchorY::Middle)
        top -= textHeight / 2.0;
    painter.setFont(font);
    painter.setPen(QPen(Qt::black));
    painter.drawText(QPointF(left, top + metrics.ascent()), string);
}

} // namespace

void RenderFlowschemePicture(const FlowschemePicture& picture, const std::filesystem::path& file,
                             PictureFileFormat format, int width, int height)
{
    // The fractions span the width less the right margin, so it must leave some pixels.
    if (width <= kPictureRightMargin || height < 1 || width > kMaximumPixels ||
        height > kMaximumPixels) {
        throw RangeError(fmt::format("A flowscheme picture must be {} to {} pixels wide and 1 to "
                                     "{} high, not {} x {}.",
                                     kPictureRightMargin + 1, kMaximumPixels, kMaximumPixels, width,
                                     height));
    }
    EnsureQtApplication(false);

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (const PictureItem& item : picture.items)
            std::visit([&](const auto& element) { paint(painter, element, width, height); }, item);
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const char* const qtFormat = format == PictureFileFormat::Png ? "PNG" : "BMP";
    if (!image.save(&buffer, qtFormat))
        throw IoError(
            fmt::format("{} could not be saved: the picture could not be encoded.", file.string()));
    writeFileAtomically(file, [&](std::ostream& out) {
        out.write(bytes.constData(), static_cast<std::streamsize>(bytes.size()));
    });
}

} // namespace narv
