#include "solvers/IntegrationRun.h"

#include "core/Error.h"
#include "solvers/Integrator.h"
#include "solvers/PlantIntegrator.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>

namespace narv {

double DefaultIntegrationEndTime(const TPlantDef& plant)
{
    return 0.5 * plant.SludgeAge;
}

std::string FormatElapsed(double seconds)
{
    const long total = std::lround(seconds);
    return fmt::format("{}:{:02d}:{:02d}", total / 3600, (total / 60) % 60, total % 60);
}

IntegrationRun::IntegrationRun(TModelDef& model, TPlantDef& plant, TPlantState& state,
                               const TSimSettings& settings)
    : m_model(model), m_plant(plant), m_state(state), m_settings(settings)
{
}

RunOutcome IntegrationRun::run(RunControl& control, double endTime, const std::string& endTimeText,
                               bool stepByStep, const std::function<void()>& afterChunk)
{
    const auto started = std::chrono::steady_clock::now();
    RunOutcome outcome;
    control.progress("Integration started");
    const int loops = m_settings.loops < 1 ? 1 : m_settings.loops;
    const double chunkLength = endTime / loops;
    double chunkClock = 0.0;
    CompartmentArray neutral; // no variation step is in force: the neutral column
    neutral.fill(1.0);
    const std::unique_ptr<PlantIntegrator> integrator =
        MakeSelectedIntegrator(m_model, m_plant, m_state, m_settings);
    for (int chunk = 1; chunk <= loops && !control.stopRequested(); ++chunk) {
        chunkClock += chunkLength;
        ++outcome.chunks;
        integrator->integrate(control, stepByStep, 0, neutral, chunkClock - chunkLength,
                              chunkClock, endTimeText);
        if (afterChunk)
            afterChunk();
    }
    outcome.stopped = control.stopRequested();
    outcome.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    control.progress("Integration not started");
    return outcome;
}

void IntegrationRun::saveConditions()
{
    m_saved = Concentrations{m_state.S, m_state.X};
}

void IntegrationRun::loadConditions()
{
    if (!m_saved)
        throw SimulationError("No initial conditions have been saved yet.");
    m_state.S = m_saved->S;
    m_state.X = m_saved->X;
}

} // namespace narv
