#include "dynamics/DynamicSimulation.h"

#include "core/Error.h"
#include "model/Temperature.h"
#include "results/Recording.h"
#include "solvers/Integrator.h"
#include "solvers/PlantIntegrator.h"

#include <fmt/format.h>

namespace narv {

std::string DynamicEndTimeText(int cycles, double cycleDuration)
{
    return fmt::format("{:7.3f}", cycles * cycleDuration);
}

void SetRunStart(TResultSet& results, const std::tm& t)
{
    results.RunStart = fmt::format("{:02d}.{:02d}.{:04d} {:02d}:{:02d}:{:02d}", t.tm_mday,
                                   t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    results.RunId = fmt::format(" {:04d}{:02d}{:02d}{:02d}{:02d}{:02d}", t.tm_year + 1900,
                                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

DynamicSimulation::DynamicSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                     const TVariationDef& variation, const TSimSettings& settings,
                                     TResultSet& results)
    : m_model(model), m_plant(plant), m_state(state), m_variation(variation), m_settings(settings),
      m_results(results)
{
}

void DynamicSimulation::record(int cycle, bool showAllCycles)
{
    const auto started = std::chrono::steady_clock::now();
    RecordingTime time;
    time.cycleTime = m_cycleTime;
    time.cycleDuration = m_variation.CycleDuration;
    time.cycle = cycle;
    time.allCycles = showAllCycles;
    time.createSeries = !m_seriesCreated;
    time.laneFed = laneFedRecorded();
    RecordResults(m_results, m_model, m_plant, m_state, time);
    m_seriesCreated = true;
    m_recordingSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void DynamicSimulation::checkPlant() const
{
    if (m_plant.PlantType == TFlowschemeType::ftSBR || m_plant.PlantType == TFlowschemeType::ftAI)
        throw SimulationError(
            fmt::format("Plants of type {} run their own simulation, not the dynamic simulation "
                        "of the standard plants.",
                        FlowschemeKeyword(m_plant.PlantType)));
}

std::unique_ptr<PlantIntegrator> DynamicSimulation::makeIntegrator()
{
    return MakeSelectedIntegrator(m_model, m_plant, m_state, m_settings);
}

RunOutcome DynamicSimulation::run(RunControl& control, int cycles, bool showAllCycles)
{
    if (cycles < 1 || cycles > kMaxCycles)
        throw RangeError(fmt::format("Number should be between 1 and {}", kMaxCycles));
    checkPlant();
    const double P = m_variation.CycleDuration;
    if (!(P > 0.0))
        throw SimulationError(
            "The cycle of the variation lasts 0 hours; a dynamic simulation needs a cycle of "
            "positive duration. Set the duration of a cycle in the variation.");
    const int N = m_variation.PointCount;
    if (N < 1 || N > kStepsPerCycle || kStepsPerCycle % N != 0)
        throw RangeError(fmt::format(
            "A variation of {} points does not divide a cycle of {} steps.", N, kStepsPerCycle));
    prepare();

    const auto started = std::chrono::steady_clock::now();
    RunOutcome outcome;
    m_seriesCreated = false;
    m_recordingSeconds = 0.0;
    const std::string endText = DynamicEndTimeText(cycles, P);
    const PlantBaseValueGuard saved(m_model, m_plant);
    const std::unique_ptr<PlantIntegrator> integrator = makeIntegrator();
    const int m = kStepsPerCycle / N;
    bool stopped = false;
    for (int k = 0; k < cycles && !stopped; ++k) {
        ++outcome.chunks;
        m_cycle = k;
        m_cycleTime = 0.0;
        m_stepCounter = 0;
        const bool recorded = showAllCycles || k == cycles - 1;
        if ((showAllCycles && k == 0) || (!showAllCycles && k == cycles - 1))
            record(k, showAllCycles);
        for (int i = 1; i <= N && !stopped; ++i) {
            ApplyVariationPoint(m_variation, i, saved.base(), m_model, m_plant);
            const CompartmentArray relativeKla = RelativeKlaOfStep(m_variation, m_model, i);
            for (int j = 1; j <= m; ++j) {
                m_stepCounter = (i - 1) * m + j;
                const double t0 = m_cycleTime;
                m_cycleTime = m_cycleTime + P / kStepsPerCycle;
                beforeOutputStep(i);
                integrator->integrate(control, false, i, relativeKla, k * P + t0,
                                     k * P + m_cycleTime, endText);
                if (recorded)
                    record(k, showAllCycles);
                if (control.stopRequested()) {
                    stopped = true;
                    break;
                }
            }
        }
    }
    outcome.stopped = stopped;
    outcome.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

} // namespace narv
