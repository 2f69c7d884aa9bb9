#include "ui/help/EventsWindow.h"

#include "shell/EventList.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace narv {

EventsWindow::EventsWindow(EventList& events, QWidget* parent)
    : QDialog(parent), m_events(events), m_view(new QPlainTextEdit)
{
    setWindowTitle(QStringLiteral("Events"));
    setObjectName(QStringLiteral("EventsWindow"));
    resize(560, 400);
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setAccessibleName(QStringLiteral("Events"));

    auto* clear = new QPushButton(QStringLiteral("Clear"));
    auto* copy = new QPushButton(QStringLiteral("Copy to Clipboard"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(clear, &QPushButton::clicked, this, [this] { m_events.clear(); });
    connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(QString::fromStdString(m_events.text()));
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);

    m_events.setObserver([this] {
        if (isVisible())
            refresh();
    });
}

EventsWindow::~EventsWindow()
{
    m_events.setObserver({});
}

void EventsWindow::refresh()
{
    QStringList lines;
    for (const std::string& line : m_events.lines())
        lines.append(QString::fromStdString(line));
    m_view->setPlainText(lines.join(QLatin1Char('\n')));
    m_view->moveCursor(QTextCursor::End);
}

void EventsWindow::showEvent(QShowEvent* event)
{
    refresh();
    QDialog::showEvent(event);
}

} // namespace narv
