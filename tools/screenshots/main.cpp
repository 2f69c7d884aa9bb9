#include "shell/ProjectChooser.h"
#include "ui/ChooseProjectDialog.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DesktopFormat.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"
#include "ui/StartDialogWindow.h"
#include "ui/runs/ContinuousSimulationWindow.h"
#include "ui/runs/DynamicSimulationWindow.h"
#include "ui/runs/IntegrationWindow.h"
#include "ui/runs/RelaxationWindow.h"
#include "ui/runs/RunWindows.h"
#include "ui/variation/VariationWindow.h"

#include <QtCore/QTemporaryDir>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QTabWidget>

#include <filesystem>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;
using namespace narv;

namespace {

constexpr int kTitleBar = 26;

// Nothing may wait for a click here: messages go to the terminal, questions get No.
class SilentDialogs : public UserDialogs {
public:
    void showMessage(const std::string& text, const std::string&, Icon) override
    {
        std::cerr << "message: " << text << '\n';
    }
    bool askYesNo(const std::string&, const std::string&, Icon) override { return false; }
    Answer askYesNoCancel(const std::string&, const std::string&, Icon) override
    {
        return Answer::Cancel;
    }
    bool askOkCancel(const std::string&, const std::string&, Icon) override { return false; }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<fs::path> chooseOpenFile(const FileDialogOptions&) override { return {}; }
    std::optional<fs::path> chooseSaveFile(const FileDialogOptions&) override { return {}; }
    std::optional<fs::path> chooseDirectory(const fs::path&) override { return {}; }
    bool chooseProject(ProjectChooser&) override { return false; }
};

// A window as a window manager would frame it: a title bar with the caption above its grab.
struct Placed {
    QWidget* window;
    QPoint topLeft; // of the frame
};

QImage desktop(const QSize& screen, const std::vector<Placed>& windows)
{
    QImage image(screen, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient background(0, 0, 0, screen.height());
    background.setColorAt(0, QColor(58, 82, 104));
    background.setColorAt(1, QColor(30, 44, 58));
    painter.fillRect(image.rect(), background);
    for (const Placed& placed : windows) {
        const QPixmap content = placed.window->grab();
        const bool framed = !(placed.window->windowFlags() & Qt::FramelessWindowHint);
        QPoint origin = placed.topLeft;
        if (framed) {
            const QRect bar(origin, QSize(content.width(), kTitleBar));
            painter.fillRect(bar, QColor(45, 45, 48));
            painter.setPen(Qt::white);
            QFont font = painter.font();
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(bar.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft,
                             placed.window->windowTitle());
            origin.ry() += kTitleBar;
        }
        painter.drawPixmap(origin, content);
        painter.setPen(QColor(20, 20, 20));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(placed.topLeft,
                               QSize(content.width(), content.height() + (framed ? kTitleBar : 0)))
                             .adjusted(0, 0, -1, -1));
    }
    return image;
}

// A dialog centred over its parent's frame, kept on the screen.
QPoint centredOver(const QRect& parentFrame, QWidget* dialog, const QSize& screen)
{
    const QSize size = dialog->sizeHint().expandedTo(dialog->size()) + QSize(0, kTitleBar);
    QPoint p = parentFrame.center() - QPoint(size.width() / 2, size.height() / 2);
    p.setX(std::clamp(p.x(), 0, std::max(0, screen.width() - size.width())));
    p.setY(std::clamp(p.y(), 0, std::max(0, screen.height() - size.height())));
    return p;
}

void save(const QImage& image, const fs::path& out, const std::string& name, const QSize& screen)
{
    const fs::path file = out / (name + "-" + std::to_string(screen.width()) + "x" +
                                 std::to_string(screen.height()) + ".png");
    if (!image.save(ToQString(file)))
        std::cerr << "could not write " << file << '\n';
    else
        std::cout << file.string() << '\n';
}

void copyExample(const fs::path& user, const std::string& name)
{
    fs::create_directories(user / name);
    for (const auto& entry : fs::directory_iterator(fs::path(NARV_SOURCE_DIR) / "examples" / name))
        fs::copy_file(entry.path(), user / name / entry.path().filename());
}

// A run window before, during (at its first progress text with prefix) and after a run, to
// the right of the main window.
void shootRun(MainWindow& window, RunWindow& run, const std::string& name, const QString& prefix,
              const fs::path& out, const QSize& screen)
{
    const QPoint at(std::min(window.width() + 20, screen.width() - run.width() - 10), 60);
    save(desktop(screen, {{&window, {0, 0}}, {&run, at}}), out, name + "-before", screen);
    if (prefix.isEmpty())
        return;
    bool shot = false;
    const auto connection = QObject::connect(
        run.statusBar(), &QStatusBar::messageChanged, &run, [&](const QString& text) {
            if (shot || !text.startsWith(prefix))
                return;
            shot = true;
            save(desktop(screen, {{&window, {0, 0}}, {&run, at}}), out, name + "-during", screen);
        });
    run.findChild<QPushButton*>("btStart")->click();
    QObject::disconnect(connection);
    save(desktop(screen, {{&window, {0, 0}}, {&run, at}}), out, name + "-after", screen);
    run.close();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: narv-screenshots OUTDIR\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    const fs::path out = argv[1];
    fs::create_directories(out);

    QTemporaryDir programDir;
    const fs::path program = ToPath(programDir.path());
    fs::create_directories(program / "user" / "model");
    for (const char* example : {"asm1-benchmark", "carbon-nitrogen", "sbr-demo", "ai-demo"})
        copyExample(program / "user", example);

    for (const QSize screen : {QSize(1280, 800), QSize(1920, 1080)}) {
        SilentDialogs dialogs;
        MainWindow window(program, &dialogs);
        if (!window.startUp())
            return 1;
        window.show();
        window.adjustSize();
        const QRect mainFrame(QPoint(0, 0), window.size() + QSize(0, kTitleBar));

        // The start dialog over the splash window, as at start-up.
        {
            SplashWindow splash;
            splash.show();
            const QPoint splashAt((screen.width() - splash.width()) / 2,
                                  (screen.height() - splash.height()) / 2);
            StartDialogWindow start(window.shell().startDialogChoices(), &window);
            start.show();
            start.adjustSize();
            const QPoint startAt(splashAt.x() + splash.width() - start.width() + 10,
                                 splashAt.y() + splash.height() - start.height() - kTitleBar + 10);
            save(desktop(screen, {{&window, {0, 0}}, {&splash, splashAt}, {&start, startAt}}), out,
                 "start-dialog", screen);
        }
        {
            ProjectChooser chooser(window.shell().userDir());
            ChooseProjectDialog choose(chooser, &window);
            choose.show();
            choose.adjustSize();
            save(desktop(screen,
                         {{&window, {0, 0}}, {&choose, centredOver(mainFrame, &choose, screen)}}),
                 out, "choose-project", screen);
        }
        window.openProjectDirectory(program / "user" / "asm1-benchmark");
        save(desktop(screen, {{&window, {0, 0}}}), out, "main-window", screen);
        {
            ConfigurationDialog configuration(window.shell().settings(), window.dialogs(), &window);
            configuration.show();
            configuration.adjustSize();
            const QPoint at = centredOver(mainFrame, &configuration, screen);
            save(desktop(screen, {{&window, {0, 0}}, {&configuration, at}}), out,
                 "configuration-simulation", screen);
            configuration.pages()->setCurrentIndex(1);
            save(desktop(screen, {{&window, {0, 0}}, {&configuration, at}}), out,
                 "configuration-chart", screen);
        }
        window.runCommand("&Relaxation");
        shootRun(window, window.runWindows().relaxation(), "relaxation", "Relaxation stands at",
                 out, screen);
        window.runCommand("&Integration");
        shootRun(window, window.runWindows().integration(), "integration",
                 "Integration stands at   1.", out, screen);
        window.runCommand("&Dynamic Simulation");
        shootRun(window, window.runWindows().dynamicSimulation(), "dynamic-simulation",
                 "Integration stands at   0.5", out, screen);
        window.runWindows().show(window.runWindows().continuousSimulation());
        shootRun(window, window.runWindows().continuousSimulation(), "continuous-simulation", {},
                 out, screen);
        // Every page of the variation window, and the lane page of an A/I plant's.
        const auto shootVariation = [&](const std::string& prefix, int firstPage) {
            window.showVariationEditor(WindowPort::VariationPage::Options);
            VariationWindow& variation = *window.variationWindow();
            variation.resize(std::min(1100, screen.width() - 40), std::min(620, screen.height() - 140));
            const QPoint at(20, std::min(120, screen.height() - variation.height() - kTitleBar));
            for (int page = firstPage; page < variation.pages()->count(); ++page) {
                variation.pages()->setCurrentIndex(page);
                QString caption = variation.pages()->tabText(page).replace(' ', '-');
                save(desktop(screen, {{&window, {0, 0}}, {&variation, at}}), out,
                     prefix + "-" + std::to_string(page) + "-" + caption.toStdString(), screen);
            }
            variation.hide();
        };
        shootVariation("variation", 0);
        window.openProjectDirectory(program / "user" / "ai-demo");
        shootVariation("variation-ai", 6);
    }
    return 0;
}
