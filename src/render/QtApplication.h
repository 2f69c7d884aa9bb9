#pragma once

namespace narv {

// Makes sure a Qt application exists before drawing: programs without one (narv-cli, tests)
// get an offscreen QApplication that lives until the process ends. Offscreen needs no display
// and keeps the font resolution, and so the pictures, independent of the machine's screen.
// needWidgets: the drawing uses widgets (Qt Charts), so an existing application must be a
// QApplication; otherwise a QGuiApplication suffices. Throws narv::Error when it is not.
void EnsureQtApplication(bool needWidgets);

} // namespace narv
