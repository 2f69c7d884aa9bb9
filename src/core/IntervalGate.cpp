#include "core/IntervalGate.h"

#include <chrono>

namespace narv {
namespace {

constexpr std::int64_t kReadGap = 100'000; // [ns] between clock reads while steps are quick
constexpr int kMaxStride = 16;

} // namespace

std::int64_t MonotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

IntervalGate::IntervalGate(std::int64_t intervalNs, Clock clock)
    : m_interval(intervalNs), m_clock(clock)
{
    restart();
}

void IntervalGate::setInterval(std::int64_t intervalNs)
{
    m_interval = intervalNs;
    m_stride = 1;
    m_calls = 0;
}

void IntervalGate::restart()
{
    m_start = m_clock();
    m_lastRead = m_start;
    m_calls = 0;
}

bool IntervalGate::due()
{
    if (m_interval <= 0)
        return true;
    if (++m_calls < m_stride)
        return false;
    m_calls = 0;
    const std::int64_t now = m_clock();
    const std::int64_t gap = now - m_lastRead;
    m_lastRead = now;
    if (gap < kReadGap && m_stride < kMaxStride)
        m_stride *= 2;
    else if (gap > 4 * kReadGap)
        m_stride = 1;
    if (now - m_start < m_interval)
        return false;
    m_start = now;
    return true;
}

} // namespace narv
