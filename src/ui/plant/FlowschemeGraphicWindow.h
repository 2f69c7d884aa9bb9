#pragma once

#include "graphics/FlowschemePicture.h"

#include <QtWidgets/QWidget>

#include <filesystem>
#include <functional>

class QPainter;

namespace narv {

class UserDialogs;

// Draws a display list into a painter over width x height pixels.
void PaintFlowschemePicture(QPainter& painter, const FlowschemePicture& picture, int width,
                            int height);

// The drawing area of the window: asks for the picture whenever it paints, so it is redrawn
// from the plant when shown and when resized.
class FlowschemeCanvas : public QWidget {
    Q_OBJECT
public:
    explicit FlowschemeCanvas(std::function<FlowschemePicture()> picture,
                              QWidget* parent = nullptr);
    FlowschemePicture picture() const { return m_picture(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<FlowschemePicture()> m_picture;
};

// "Graphic of Flowscheme" (TFormGraphicFlowscheme) and its A/I variant. It changes nothing:
// "Save to Clipboard" copies the picture, "Save to File" writes a bitmap (BMP, or PNG for a
// name ending in .png), the A/I picture's "Save to Metafile" writes SVG.
class FlowschemeGraphicWindow : public QWidget {
    Q_OBJECT
public:
    // startDirectory: where "Save to File" starts (the project, else the user directory).
    FlowschemeGraphicWindow(std::function<FlowschemePicture()> picture, bool aiPlant,
                            UserDialogs& dialogs,
                            std::function<std::filesystem::path()> startDirectory,
                            QWidget* parent = nullptr);

    void setAIPlant(bool aiPlant);
    // The picture at the canvas's size as an image on white.
    QImage image() const;
    void saveToClipboard();
    void saveToFile();
    void saveToMetafile();
    bool writeImage(const std::filesystem::path& path);
    bool writeSvg(const std::filesystem::path& path);

private:
    FlowschemeCanvas* m_canvas = nullptr;
    UserDialogs& m_dialogs;
    std::function<std::filesystem::path()> m_startDirectory;
    class QAction* m_metafile = nullptr;
    bool m_ai = false;
};

} // namespace narv
