#include "core/IntervalGate.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

// A clock the test moves; it counts how often it is read.
std::int64_t g_now = 0;
int g_reads = 0;
std::int64_t fakeClock()
{
    ++g_reads;
    return g_now;
}

constexpr std::int64_t kMs = 1'000'000; // [ns]

struct IntervalGateTest : ::testing::Test {
    IntervalGateTest() { g_now = 0, g_reads = 0; }
    // Calls due() once per step of the given length until it is true; returns the calls.
    static int callsUntilDue(IntervalGate& gate, std::int64_t step, int limit = 1'000'000)
    {
        for (int calls = 1; calls <= limit; ++calls) {
            g_now += step;
            if (gate.due())
                return calls;
        }
        return -1;
    }
};

TEST_F(IntervalGateTest, QuickStepsReadTheClockSeldomAndStayOnTime)
{
    IntervalGate gate(40 * kMs, fakeClock);
    // 2 µs steps: due after 40 ms, give or take the 16 calls between reads.
    for (int round = 0; round < 5; ++round) {
        g_reads = 0;
        const int calls = callsUntilDue(gate, 2'000);
        EXPECT_GE(calls, 20'000);
        EXPECT_LE(calls, 20'000 + 16);
        if (round > 0) {
            EXPECT_LE(g_reads, calls / 16 + 1);
        }
    }
    EXPECT_EQ(gate.stride(), 16);
}

TEST_F(IntervalGateTest, ASlowStepIsNeverWaitedFor)
{
    IntervalGate gate(40 * kMs, fakeClock);
    callsUntilDue(gate, 1'000);
    ASSERT_EQ(gate.stride(), 16);
    // Steps of 10 ms: the clock is read on every call again after at most one stride.
    const int calls = callsUntilDue(gate, 10 * kMs);
    EXPECT_LE(calls, 16 + 4);
    EXPECT_EQ(gate.stride(), 1);
    EXPECT_EQ(callsUntilDue(gate, 10 * kMs), 4);
}

TEST_F(IntervalGateTest, ZeroIntervalAndRestart)
{
    IntervalGate gate(0, fakeClock);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(gate.due());
    gate.setInterval(40 * kMs);
    g_now += 39 * kMs;
    EXPECT_FALSE(gate.due());
    gate.restart(); // the interval counts from here
    g_now += 39 * kMs;
    EXPECT_FALSE(gate.due());
    g_now += 1 * kMs;
    EXPECT_TRUE(gate.due());
}

} // namespace
} // namespace narv
