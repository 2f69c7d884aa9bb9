#pragma once

#include "core/RunControl.h"

#include <string>
#include <vector>

namespace narv::testing {

// Records what a run reports and asks it to stop after a given number of steps.
class FakeRunControl : public RunControl {
public:
    explicit FakeRunControl(long stopAfterSteps = -1) : m_stopAfter(stopAfterSteps) {}

    bool wantsProgress() override { return true; }
    void progress(const std::string& text) override { texts.push_back(text); }
    void idle() override { ++steps; }
    bool stopRequested() override { return m_stopAfter >= 0 && steps >= m_stopAfter; }
    void pauseAfterStep() override { ++pauses; }

    std::vector<std::string> texts;
    long steps = 0;
    long pauses = 0;

private:
    long m_stopAfter;
};

} // namespace narv::testing
