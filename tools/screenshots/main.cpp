#include "shell/ProjectChooser.h"
#include "ui/ChooseProjectDialog.h"
#include "ui/ConfigurationDialog.h"
#include "ui/help/AboutDialog.h"
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
#include "ui/model/InputParametersDialog.h"
#include "ui/model/InputSpeciesDialog.h"
#include "ui/model/ModelForm.h"
#include "ui/model/NewModelWizardWindow.h"
#include "ui/report/PrintOptionsDialog.h"
#include "ui/report/ReportPrinting.h"
#include "ui/report/ReportWindow.h"
#include "model/ModelDef.h"
#include "plant/ModelSetup.h"
#include "shell/Workspace.h"

#include <QtCore/QTemporaryDir>
#include <QtGui/QPainter>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QApplication>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QTabWidget>

#include <filesystem>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;
using namespace narv;

namespace {

constexpr int kTitleBar = 26;

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
        SilentDialogs dialogs(&std::cerr);
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
        {
            AboutDialog about(&window);
            about.show();
            about.adjustSize();
            save(desktop(screen, {{&window, {0, 0}}, {&about, centredOver(mainFrame, &about, screen)}}),
                 out, "about", screen);
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
        {
            // The model editor on every page, its two dialogs, and the report's windows.
            ModelForm form(window.workspace().model, window.workspace().plant.OperatingTemperature,
                           window.dialogs());
            form.open();
            form.show();
            const QPoint formAt(40, 60);
            for (int page = 0; page < kModelPageCount; ++page) {
                form.showPage(static_cast<ModelPage>(page));
                save(desktop(screen, {{&window, {0, 0}}, {&form, formAt}}), out,
                     "model-editor-" + std::to_string(page), screen);
            }
            const QRect formFrame(formAt, form.size() + QSize(0, kTitleBar));
            form.setDialogRunner([&](QDialog& dialog) {
                dialog.show();
                dialog.adjustSize();
                const bool species = qobject_cast<InputSpeciesDialog*>(&dialog) != nullptr;
                save(desktop(screen, {{&window, {0, 0}},
                                      {&form, formAt},
                                      {&dialog, centredOver(formFrame, &dialog, screen)}}),
                     out, species ? "model-second-species" : "model-parameters", screen);
                // A chosen second species goes on to the parameter dialog, whose Cancel keeps
                // the cell as it was.
                if (auto* list = dialog.findChild<QListWidget*>())
                    list->setCurrentRow(0);
                return int(species ? QDialog::Accepted : QDialog::Rejected);
            });
            form.showPage(ModelPage::KineticsDissolved);
            form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 2, 8);
            form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 2, 5);
            form.close();

            PrintOptionsDialog options(ReportDestination::Window, true, &window);
            options.show();
            options.adjustSize();
            save(desktop(screen, {{&window, {0, 0}},
                                  {&options, centredOver(mainFrame, &options, screen)}}),
                 out, "report-options", screen);
            ReportWindow report(&window);
            const ReportInput input{window.workspace().model, window.workspace().plant,
                                    window.workspace().state, "user/asm1-benchmark"};
            report.setLines(BuildReportLines(input, InitialPrintOptions(true), 5));
            report.show();
            save(desktop(screen, {{&window, {0, 0}}, {&report, {60, 40}}}), out, "report-window",
                 screen);
            if (screen.width() == 1280) {
                // The printed report as a PDF file, to look at its pages (pdftoppm).
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(ToQString(out / "report-print.pdf"));
                PrintReportLines(printer,
                                 BuildReportLines(input, InitialPrintOptions(true),
                                                  ReportMargin(ReportDestination::Printer)),
                                 input.model.ModelName);
            }
        }
        {
            // Every step of the new-model wizard over a new model.
            Workspace fresh;
            fresh.model.NS = fresh.model.NX = fresh.model.NP = 4;
            fresh.model.ModelName = "new-model";
            ModelForm form(fresh.model, fresh.plant.OperatingTemperature, window.dialogs());
            form.open();
            form.show();
            NewModelWizardWindow wizard(form, window.dialogs());
            wizard.show();
            wizard.adjustSize();
            const QPoint formAt(40, 60);
            const QPoint wizardAt(formAt.x() + form.width() - wizard.width(),
                                  std::min(formAt.y() + form.height() + kTitleBar + 8,
                                           screen.height() - wizard.height() - kTitleBar));
            for (int step = 0; step <= NewModelWizard::kLastStep; ++step) {
                save(desktop(screen, {{&window, {0, 0}}, {&form, formAt}, {&wizard, wizardAt}}),
                     out, "wizard-step-" + std::to_string(step), screen);
                if (step < NewModelWizard::kLastStep)
                    wizard.forward();
            }
        }
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
