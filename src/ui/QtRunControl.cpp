#include "ui/QtRunControl.h"

#include <QtCore/QCoreApplication>

namespace narv {

void QtRunControl::progress(const std::string& text)
{
    if (m_sink)
        m_sink(text);
}

void QtRunControl::idle()
{
    if (m_clock.elapsed() < kEventIntervalMs)
        return;
    m_clock.restart();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtRunControl::pauseAfterStep()
{
    m_continue = false;
    m_paused = true;
    while (!m_continue && !m_stopRequested) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    m_paused = false;
}

} // namespace narv
