#pragma once

#include <QtWidgets/QWidget>

#include <string>
#include <vector>

class QPlainTextEdit;

namespace narv {

// "Show Model and Plant": the report as read-only text in a fixed-pitch font with both scroll
// bars, 85 characters wide unless the screen is narrower.
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);

    void setLines(const std::vector<std::string>& lines);
    QPlainTextEdit* text() const { return m_text; }

private:
    QPlainTextEdit* m_text = nullptr;
};

} // namespace narv
