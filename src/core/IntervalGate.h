#pragma once

#include <cstdint>

namespace narv {

// The monotonic clock [ns].
std::int64_t MonotonicNanoseconds();

// Whether an interval has passed, asked after every step of a computation (to process a
// window's events or show progress). Reading the clock costs about as much as a small step, so
// it is read only every few calls: as many as pass in about 0.1 ms, at most 16, and again on
// every call as soon as steps take longer, so that a slow step is never waited for.
class IntervalGate {
public:
    using Clock = std::int64_t (*)(); // [ns]

    explicit IntervalGate(std::int64_t intervalNs, Clock clock = MonotonicNanoseconds);

    // A zero interval makes every call due.
    void setInterval(std::int64_t intervalNs);
    // True when the interval has passed since the last restart; then it restarts.
    bool due();
    void restart();

    int stride() const { return m_stride; }

private:
    std::int64_t m_interval;
    Clock m_clock;
    std::int64_t m_start = 0;
    std::int64_t m_lastRead = 0;
    int m_stride = 1;
    int m_calls = 0;
};

} // namespace narv
