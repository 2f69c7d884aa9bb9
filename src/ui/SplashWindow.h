#pragma once

#include <QtWidgets/QFrame>

namespace narv {

// The borderless window shown while the program starts: a picture with the title and the
// version drawn over it.
class SplashWindow : public QFrame {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
};

// The splash picture: a plant in the background, "NARV" and "Version " + the version text in
// silver over a black shadow.
QPixmap SplashPicture();

} // namespace narv
