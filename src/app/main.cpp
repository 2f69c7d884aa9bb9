#include "core/Version.h"
#include "ui/MainWindow.h"

#include <QtCore/QLocale>
#include <QtGui/QScreen>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>

#include <cstddef>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kHelp = R"(Usage: narv [PROJECT_DIR] [--results FILE.rlt]
       narv --help | --version

The NARV desktop program. Without an argument it shows the start dialog; with a project
directory it opens that project (its model, plant and variation) directly. The directory
above the project becomes the user directory. --results opens a results file in its own
window, as "Load Results from File" does.

The settings file NARV.ini, the menu-hint file NARV.men and the log narv.log are kept in the
current directory.
)";

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path projectDir;
    std::filesystem::path resultsFile;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "NARV " << narv::ProgramVersionText << '\n';
            return 0;
        }
        if (arg == "--results" && i + 1 < args.size() && resultsFile.empty()) {
            resultsFile = args[++i];
            continue;
        }
        if ((!arg.empty() && arg.front() == '-') || !projectDir.empty()) {
            std::cerr << "narv: unexpected argument '" << arg << "'\n" << kHelp;
            return 2;
        }
        projectDir = arg;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NARV"));
    QApplication::setApplicationVersion(QString::fromLatin1(narv::ProgramVersionText));
    const QString separator = QLocale::system().decimalPoint();
    narv::MainWindow window(std::filesystem::current_path());
    if (!window.startUp(separator.isEmpty() ? QLatin1Char('.') : separator.at(0)))
        return 1;
    window.show();
    // The frame, title bar included, at the top left of the work area: only a shown window
    // knows its frame, and a plain move() before would put the client area there instead.
    if (const QScreen* screen = window.screen())
        window.windowHandle()->setFramePosition(screen->availableGeometry().topLeft());
    if (!projectDir.empty()) {
        if (!window.openProjectDirectory(projectDir))
            return 1;
    } else if (!window.runStartDialog()) {
        return 0;
    }
    // A results file that cannot be read was told in its message; the program goes on.
    if (!resultsFile.empty())
        window.openResultsFile(resultsFile);
    return QApplication::exec();
}
