#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace narv {

class EventList;

// The window "Events" (modeless): the program's edit events, with "Clear" and "Copy to
// Clipboard". It follows the list while it is open.
class EventsWindow : public QDialog {
    Q_OBJECT
public:
    explicit EventsWindow(EventList& events, QWidget* parent = nullptr);
    ~EventsWindow() override;

    void refresh();
    QPlainTextEdit* view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    EventList& m_events;
    QPlainTextEdit* m_view;
};

} // namespace narv
