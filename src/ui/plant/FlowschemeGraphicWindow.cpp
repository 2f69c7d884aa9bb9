#include "ui/plant/FlowschemeGraphicWindow.h"

#include "shell/UserDialogs.h"

#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QVBoxLayout>

#include <cmath>
#include <type_traits>
#include <utility>

namespace narv {
namespace {

QPoint pixel(double x, double y, int width, int height)
{
    const PicturePixel p = ToPixel(x, y, width, height);
    return {p.x, p.y};
}

void paintText(QPainter& painter, const PictureText& text, int width, int height)
{
    QFont font(QString::fromLatin1(kFlowschemeFontFamily));
    font.setPointSize(PictureFontPoints(text.size));
    font.setBold(true);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const QString shown = QString::fromStdString(text.text);
    const QPoint at = pixel(text.x, text.y, width, height);
    const int textWidth = metrics.horizontalAdvance(shown);
    int left = at.x();
    if (text.anchorX == TextAnchorX::Centre)
        left -= textWidth / 2;
    else if (text.anchorX == TextAnchorX::Right)
        left -= textWidth;
    // The baseline from the anchor: the bottom edge is the descent below the baseline.
    int baseline = at.y() - metrics.descent();
    if (text.anchorY == TextAnchorY::Middle)
        baseline = at.y() + (metrics.ascent() - metrics.descent()) / 2;
    else if (text.anchorY == TextAnchorY::Top)
        baseline = at.y() + metrics.ascent();
    painter.drawText(QPoint(left, baseline), shown);
}

} // namespace

void PaintFlowschemePicture(QPainter& painter, const FlowschemePicture& picture, int width,
                            int height)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QPen solid(Qt::black, 2, Qt::SolidLine);
    const QPen dotted(Qt::black, 1, Qt::DotLine);
    for (const PictureItem& item : picture.items) {
        if (const auto* line = std::get_if<PictureLine>(&item)) {
            painter.setPen(line->pen == PicturePen::Solid ? solid : dotted);
            painter.drawLine(pixel(line->x1, line->y1, width, height),
                             pixel(line->x2, line->y2, width, height));
        } else if (const auto* text = std::get_if<PictureText>(&item)) {
            painter.setPen(solid);
            paintText(painter, *text, width, height);
        }
    }
}

FlowschemeCanvas::FlowschemeCanvas(std::function<FlowschemePicture()> picture, QWidget* parent)
    : QWidget(parent), m_picture(std::move(picture))
{
    setObjectName(QStringLiteral("Image1"));
    setAccessibleName(tr("Flowscheme of the plant"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setMinimumSize(400, 300);
}

void FlowschemeCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintFlowschemePicture(painter, m_picture(), width(), height());
}

FlowschemeGraphicWindow::FlowschemeGraphicWindow(
    std::function<FlowschemePicture()> picture, bool aiPlant, UserDialogs& dialogs,
    std::function<std::filesystem::path()> startDirectory, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_startDirectory(std::move(startDirectory))
{
    setObjectName(QStringLiteral("TFormGraphicFlowscheme"));
    m_canvas = new FlowschemeCanvas(std::move(picture), this);
    auto* menu = new QMenuBar(this);
    QAction* clipboard = menu->addAction(tr("Save to Clipboard"));
    clipboard->setObjectName(QStringLiteral("SavetoClipboard"));
    connect(clipboard, &QAction::triggered, this, &FlowschemeGraphicWindow::saveToClipboard);
    QAction* file = menu->addAction(tr("Save to File"));
    file->setObjectName(QStringLiteral("SavetoFile"));
    connect(file, &QAction::triggered, this, &FlowschemeGraphicWindow::saveToFile);
    m_metafile = menu->addAction(tr("Save to Metafile"));
    m_metafile->setObjectName(QStringLiteral("SavetoMetafile"));
    connect(m_metafile, &QAction::triggered, this, &FlowschemeGraphicWindow::saveToMetafile);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menu);
    layout->addWidget(m_canvas);
    resize(760, 560);
    setAIPlant(aiPlant);
}

void FlowschemeGraphicWindow::setAIPlant(bool aiPlant)
{
    m_ai = aiPlant;
    setWindowTitle(aiPlant ? tr("Graphic of Flowscheme: A/I Process")
                           : tr("Graphic of Flowscheme"));
    m_metafile->setVisible(aiPlant);
    m_canvas->update();
}

QImage FlowschemeGraphicWindow::image() const
{
    QImage image(m_canvas->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintFlowschemePicture(painter, m_canvas->picture(), image.width(), image.height());
    return image;
}

void FlowschemeGraphicWindow::saveToClipboard()
{
    QGuiApplication::clipboard()->setImage(image());
}

bool FlowschemeGraphicWindow::writeImage(const std::filesystem::path& path)
{
    const QString name = QString::fromStdString(path.string());
    // A bitmap unless the name asks for PNG.
    const char* format = name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? "PNG" : "BMP";
    if (image().save(name, format))
        return true;
    m_dialogs.showError("Cannot write the picture to " + path.string() + ".");
    return false;
}

bool FlowschemeGraphicWindow::writeSvg(const std::filesystem::path& path)
{
    QSvgGenerator svg;
    svg.setFileName(QString::fromStdString(path.string()));
    svg.setSize(m_canvas->size());
    svg.setViewBox(QRect(QPoint(0, 0), m_canvas->size()));
    svg.setTitle(windowTitle());
    QPainter painter;
    if (!painter.begin(&svg)) {
        m_dialogs.showError("Cannot write the picture to " + path.string() + ".");
        return false;
    }
    PaintFlowschemePicture(painter, m_canvas->picture(), m_canvas->width(), m_canvas->height());
    return painter.end();
}

void FlowschemeGraphicWindow::saveToFile()
{
    const auto path = m_dialogs.chooseSaveFile(
        {"Bitmap files (*.bmp)|*.BMP|PNG files (*.png)|*.PNG", "BMP", m_startDirectory(), {}});
    if (path)
        writeImage(*path);
}

void FlowschemeGraphicWindow::saveToMetafile()
{
    const auto path = m_dialogs.chooseSaveFile(
        {"Scalable Vector Graphics (*.svg)|*.SVG", "SVG", m_startDirectory(), {}});
    if (path)
        writeSvg(*path);
}

} // namespace narv
