#include "special/AIDynamicSimulation.h"

#include "core/Error.h"
#include "dynamics/DynamicSimulation.h"
#include "results/Recording.h"
#include "special/AIIntegrator.h"

#include <fmt/format.h>

#include <chrono>

namespace narv {
namespace {

bool validLane(int lane)
{
    return lane == 1 || lane == 2;
}

} // namespace

int InitialLaneFed(const TAIVariation& lanes)
{
    return validLane(lanes.LaneFed[1]) ? lanes.LaneFed[1] : 1;
}

int LaneFedForStep(const TAIPlant& ai, const TAIVariation& lanes, int step, int current)
{
    return AnyLaneLoopActive(ai) ? current : lanes.LaneFed[step];
}

AIDynamicSimulation::AIDynamicSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                         TAIPlant& ai, const TVariationDef& variation,
                                         const TAIVariation& lanes, const TSimSettings& settings,
                                         TResultSet& results)
    : m_model(model), m_plant(plant), m_state(state), m_ai(ai), m_variation(variation),
      m_lanes(lanes), m_settings(settings), m_results(results)
{
}

void AIDynamicSimulation::record(int cycle, double cycleTime, bool showAllCycles)
{
    RecordingTime time;
    time.cycleTime = cycleTime;
    time.cycleDuration = m_variation.CycleDuration;
    time.cycle = cycle;
    time.allCycles = showAllCycles;
    time.createSeries = !m_seriesCreated;
    time.laneFed = m_laneFed;
    RecordResults(m_results, m_model, m_plant, m_state, time);
    m_seriesCreated = true;
}

RunOutcome AIDynamicSimulation::run(RunControl& control, int cycles, bool showAllCycles)
{
    if (cycles < 1 || cycles > kMaxCycles)
        throw RangeError(fmt::format("Number should be between 1 and {}", kMaxCycles));
    if (m_plant.PlantType != TFlowschemeType::ftAI)
        throw SimulationError("The A/I simulation needs a plant of type AI.");
    CheckAICounts(m_plant, m_ai);
    const double P = m_variation.CycleDuration;
    if (!(P > 0.0))
        throw SimulationError(
            "The cycle of the variation lasts 0 hours; a dynamic simulation needs a cycle of "
            "positive duration. Set the duration of a cycle in the variation.");
    const int N = m_variation.PointCount;
    if (N < 1 || N > kStepsPerCycle || kStepsPerCycle % N != 0)
        throw RangeError(fmt::format(
            "A variation of {} points does not divide a cycle of {} steps.", N, kStepsPerCycle));
    if (!AnyLaneLoopActive(m_ai))
        for (int i = 1; i <= N; ++i)
            if (!validLane(m_lanes.LaneFed[i]))
                throw SimulationError(fmt::format(
                    "The variation feeds lane {} in step {}; an A/I plant feeds lane 1 or 2.",
                    m_lanes.LaneFed[i], i));
    BuildLaneUpstream(m_ai, m_plant.CompartmentCount);

    const auto started = std::chrono::steady_clock::now();
    RunOutcome outcome;
    m_seriesCreated = false;
    m_laneFed = InitialLaneFed(m_lanes);
    const std::string endText = DynamicEndTimeText(cycles, P);
    const PlantBaseValueGuard saved(m_model, m_plant);
    AIIntegrator integrator(m_model, m_plant, m_state, m_ai, m_settings);
    const int m = kStepsPerCycle / N;
    bool stopped = false;
    for (int k = 0; k < cycles && !stopped; ++k) {
        ++outcome.chunks;
        double cycleTime = 0.0;
        const bool recorded = showAllCycles || k == cycles - 1;
        if ((showAllCycles && k == 0) || (!showAllCycles && k == cycles - 1))
            record(k, cycleTime, showAllCycles);
        for (int i = 1; i <= N && !stopped; ++i) {
            ApplyVariationPoint(m_variation, i, saved.base(), m_model, m_plant);
            const CompartmentArray relativeKla = RelativeKlaOfStep(m_variation, m_model, i);
            for (int j = 1; j <= m; ++j) {
                const double t0 = cycleTime;
                cycleTime = cycleTime + P / kStepsPerCycle;
                m_laneFed = LaneFedForStep(m_ai, m_lanes, i, m_laneFed);
                integrator.integrate(control, false, i, relativeKla, m_laneFed, k * P + t0,
                                     k * P + cycleTime, endText);
                if (recorded)
                    record(k, cycleTime, showAllCycles);
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
