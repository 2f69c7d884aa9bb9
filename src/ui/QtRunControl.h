#pragma once

#include "core/RunControl.h"

#include <QtCore/QElapsedTimer>

#include <functional>

namespace narv {

// A run in the user-interface thread: progress texts go to a window's status line, pending
// events are processed every few milliseconds (so that Stop and the windows work without
// slowing down runs of tiny steps), and Stop and Continue set flags the run reads.
class QtRunControl : public RunControl {
public:
    using ProgressSink = std::function<void(const std::string&)>;

    explicit QtRunControl(ProgressSink sink = {}) : m_sink(std::move(sink)) { m_clock.start(); }

    bool wantsProgress() override { return static_cast<bool>(m_sink); }
    void progress(const std::string& text) override;
    void idle() override;
    bool stopRequested() override { return m_stopRequested; }
    void pauseAfterStep() override;

    // The Stop and Continue buttons.
    void requestStop() { m_stopRequested = true; }
    void continueRun() { m_continue = true; }
    void reset()
    {
        m_stopRequested = false;
        m_continue = false;
    }
    bool paused() const { return m_paused; }

private:
    static constexpr int kEventIntervalMs = 20;

    ProgressSink m_sink;
    QElapsedTimer m_clock;
    bool m_stopRequested = false;
    bool m_continue = false;
    bool m_paused = false;
};

} // namespace narv
