#include "special/SbrSimulation.h"

#include "core/Error.h"
#include "core/NumberFormat.h"
#include "model/Rates.h"
#include "plant/ModelSetup.h"
#include "results/Recording.h"
#include "solvers/StepBudget.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>

namespace narv {
namespace {

[[noreturn]] void throwEmptyTank(int period, double time, double volume)
{
    throw SimulationError(fmt::format(
        "The SBR tank runs empty in period {} at {} d (volume {} m3); raise the initial volume.",
        period, formatShortest(time), formatShortest(volume)));
}

double finiteValue(double value, const char* what, int period, double time)
{
    if (!std::isfinite(value))
        throw FloatingPointError(
            fmt::format("The {} of the SBR tank is not finite in period {} at {} d.", what, period,
                        formatShortest(time)));
    return value;
}

} // namespace

std::string SbrProgressText(double time, const std::string& endTimeText)
{
    return fmt::format("Integration stands at {:6.3f} of {}", time, endTimeText);
}

SbrSimulation::SbrSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                             const TSbrCycle& cycle, TResultSet& results)
    : m_model(model), m_plant(plant), m_state(state), m_cycle(cycle), m_results(results)
{
}

void SbrSimulation::CheckRunnable(const TSbrCycle& cycle)
{
    if (cycle.TimesliceLength < 0 || cycle.TimesliceLength > kSbrMaxTimesliceLength)
        throw SimulationError(fmt::format("The timeslice length of {} minutes lies outside 0..{}.",
                                          cycle.TimesliceLength, kSbrMaxTimesliceLength));
    for (int k = 1; k <= kSbrPeriodCount; ++k)
        if (cycle.Periods[k].Timeslices < 0)
            throw SimulationError(fmt::format("Period {} has a negative number of timeslices.", k));
    if (cycle.TimesliceLength == 0 && SbrTotalTimeslices(cycle) > 0)
        throw SimulationError(
            "The timeslices of the SBR cycle last 0 minutes, so its periods have no duration; "
            "set the duration of 1 timeslice to at least 1 minute.");
    if (!(cycle.Accuracy >= kSbrMinAccuracy && cycle.Accuracy <= kSbrMaxAccuracy))
        throw SimulationError(
            fmt::format("The integration accuracy {} of the SBR cycle lies outside 0.0001..0.02.",
                        formatShortest(cycle.Accuracy)));
    // The volume changes linearly within a period, so its lowest values lie at period ends.
    double volume = cycle.InitialVolume;
    if (!(volume > 0.0) || !std::isfinite(volume))
        throw SimulationError(
            fmt::format("The initial volume of the SBR tank is {} m3; it must exceed {:.2f} m3.",
                        formatShortest(volume), MinimumInitialVolume(cycle)));
    for (int k = 1; k <= kSbrPeriodCount; ++k) {
        const TSbrPeriod& p = cycle.Periods[k];
        volume = volume + p.Influent1Volume + p.Influent2Volume - p.SupernatantVolume -
                 p.MixedLiquorVolume;
        if (!(volume > 0.0))
            throw SimulationError(fmt::format(
                "The SBR tank runs empty in period {}: an initial volume of {} m3 leaves {} m3. "
                "Initial Volume should exceed {:.2f} m3.",
                k, formatShortest(cycle.InitialVolume), formatShortest(volume),
                MinimumInitialVolume(cycle)));
    }
}

RunOutcome SbrSimulation::run(RunControl& control, int cycles, bool showAllCycles)
{
    if (cycles < 0)
        throw RangeError(fmt::format("{} cycles cannot be simulated.", cycles));
    if (m_plant.PlantType != TFlowschemeType::ftSBR || m_plant.CompartmentCount != 1 ||
        m_plant.ReactorCount != 1)
        throw SimulationError("The SBR simulation needs a plant of type SBR with one reactor.");
    CheckModelCounts(m_model);
    CheckRunnable(m_cycle);
    for (int k = 1; k <= kSbrPeriodCount; ++k) {
        const TSbrPeriod& p = m_cycle.Periods[k];
        const bool controlled = p.AerationMode == TSbrAerationMode::Proportional ||
                                p.AerationMode == TSbrAerationMode::OnOff;
        if (controlled && (p.SignalSpecies < 1 || p.SignalSpecies > m_model.NS))
            throw SimulationError(fmt::format(
                "The signal of period {} is species {}; the model has {} dissolved species.", k,
                p.SignalSpecies, m_model.NS));
    }

    const auto started = std::chrono::steady_clock::now();
    RunOutcome outcome;
    m_steps = 0;
    m_run = SbrRunState();
    m_run.cycleCount = cycles;
    m_run.showAllCycles = showAllCycles;
    const int L = m_cycle.TimesliceLength;
    m_run.cycleLength = static_cast<double>(SbrTotalTimeslices(m_cycle)) / 1440.0 * L;
    m_run.time = 0.0;
    m_run.endTimeText = fmt::format("{:6.3f}", cycles * m_run.cycleLength);
    if (cycles > 0)
        ClearSeries(m_results); // the first sample creates every series anew
    for (int cycle = 1; cycle <= cycles && !outcome.stopped; ++cycle) {
        ++outcome.chunks;
        m_run.cycleNumber = cycle;
        m_run.volume = m_cycle.InitialVolume;
        m_run.timesliceInCycle = 0;
        RecordSbrSample(1);
        for (int k = 1; k <= kSbrPeriodCount && !outcome.stopped; ++k) {
            const int n = m_cycle.Periods[k].Timeslices;
            if (n == 0) {
                ExchangeInstantly(k);
                continue;
            }
            for (int slice = 1; slice <= n; ++slice) {
                const std::int64_t i = ++m_run.timesliceCounter;
                const double target = static_cast<double>(i * L) / 1440.0;
                IntegratePeriod(control, k, target);
                if (control.wantsProgress())
                    control.progress(SbrProgressText(target, m_run.endTimeText));
                control.idle();
                RecordSbrSample(k);
                if (m_run.stopped) {
                    outcome.stopped = true;
                    break;
                }
            }
        }
    }
    outcome.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

void SbrSimulation::ExchangeInstantly(int period)
{
    const TSbrPeriod& p = m_cycle.Periods[period];
    const double V = m_run.volume;
    const double newVolume =
        V + p.Influent1Volume + p.Influent2Volume - p.SupernatantVolume - p.MixedLiquorVolume;
    if (!(newVolume > 0.0))
        throwEmptyTank(period, m_run.time, newVolume);
    auto& S = m_state.S[1];
    auto& X = m_state.X[1];
    SpeciesArray newS = S;
    SpeciesArray newX = X;
    for (int j = 1; j <= m_model.NS; ++j)
        newS[j] = finiteValue((S[j] * V + m_model.InfluentS[j] * p.Influent1Volume +
                               m_plant.SIn2[j] * p.Influent2Volume -
                               (p.SupernatantVolume + p.MixedLiquorVolume) * S[j]) /
                                  newVolume,
                              "dissolved concentration", period, m_run.time);
    // The supernatant takes no particulate matter.
    for (int j = 1; j <= m_model.NX; ++j)
        newX[j] = finiteValue((X[j] * V + m_model.InfluentX[j] * p.Influent1Volume +
                               m_plant.XIn2[j] * p.Influent2Volume - p.MixedLiquorVolume * X[j]) /
                                  newVolume,
                              "particulate concentration", period, m_run.time);
    S = newS;
    X = newX;
    m_run.volume = newVolume;
}

void SbrSimulation::UpdateSbrAeration(int period)
{
    const TSbrPeriod& p = m_cycle.Periods[period];
    switch (p.AerationMode) {
    case TSbrAerationMode::Proportional: {
        const double s = m_state.S[1][p.SignalSpecies];
        m_run.kla = (s - p.SignalValue) * p.Slope + p.Setpoint;
        if (m_run.kla < 0.0)
            m_run.kla = 0.0;
        break;
    }
    case TSbrAerationMode::OnOff: {
        const double s = m_state.S[1][p.SignalSpecies];
        if (s > p.UpperThreshold)
            m_run.kla = p.ValueAbove;
        if (s < p.LowerThreshold)
            m_run.kla = p.ValueBelow;
        break;
    }
    case TSbrAerationMode::FixedKla:
    case TSbrAerationMode::FixedO2:
        break;
    }
}

void SbrSimulation::IntegratePeriod(RunControl& control, int period, double targetTime)
{
    const TSbrPeriod& p = m_cycle.Periods[period];
    m_run.stopped = false;
    m_run.kla = p.FixedKla;
    m_run.o2Setpoint = p.AerationMode == TSbrAerationMode::FixedO2 ? p.FixedO2 : 0.0;
    const double D = static_cast<double>(m_cycle.TimesliceLength) / 1440.0 * p.Timeslices;
    if (!(D > 0.0))
        throw SimulationError(fmt::format(
            "Period {} has no duration ({} timeslices of {} minutes) and cannot be integrated.",
            period, p.Timeslices, m_cycle.TimesliceLength));
    const double eps = m_cycle.Accuracy;
    const double Vin1 = p.Influent1Volume;
    const double Vin2 = p.Influent2Volume;
    const double Vsup = p.SupernatantVolume;
    const double Vml = p.MixedLiquorVolume;
    auto& S = m_state.S[1];
    auto& X = m_state.X[1];
    const int nS = m_model.NS;
    const int nX = m_model.NX;
    do {
        UpdateSbrAeration(period);
        const double V = m_run.volume;
        if (!(V > 0.0))
            throwEmptyTank(period, m_run.time, V);
        const double f = 1.0 / (D * V);
        double h = (targetTime - m_run.time) / eps;
        ComputeConversionRates(m_model, S, X, m_run.kla, m_plant.O2Saturation);
        for (int j = 1; j <= nS; ++j) {
            double d =
                ((m_model.InfluentS[j] - S[j]) * Vin1 + (m_plant.SIn2[j] - S[j]) * Vin2) * f +
                m_model.RS[j];
            if (j == 1) {
                if (m_run.o2Setpoint > 0.0) {
                    S[1] = m_run.o2Setpoint;
                    d = 0.0;
                } else {
                    d = d + (m_plant.O2Saturation - S[1]) * m_run.kla;
                }
            }
            m_dS[j] = FiniteDerivative(d, m_model, true, j, 1, m_run.time);
            LimitStepBudget(h, S[j], m_dS[j]);
        }
        for (int j = 1; j <= nX; ++j) {
            const double d = ((m_model.InfluentX[j] - X[j]) * Vin1 +
                              (m_plant.XIn2[j] - X[j]) * Vin2 + Vsup * X[j]) *
                                 f +
                             m_model.RX[j];
            m_dX[j] = FiniteDerivative(d, m_model, false, j, 1, m_run.time);
            LimitStepBudget(h, X[j], m_dX[j]);
        }
        const double dV = (Vin1 + Vin2 - Vsup - Vml) / D;
        LimitStepBudget(h, V, dV);
        double dt = h * eps;
        if (dt < kSbrMinimumStep)
            dt = kSbrMinimumStep;
        const double newVolume = finiteValue(V + dV * dt, "volume", period, m_run.time);
        if (!(newVolume > 0.0))
            throwEmptyTank(period, m_run.time + dt, newVolume);
        for (int j = 1; j <= nS; ++j) {
            S[j] = finiteValue(S[j] + dt * m_dS[j], "dissolved concentration", period, m_run.time);
            if (S[j] < kSbrConcentrationFloor)
                S[j] = kSbrConcentrationFloor;
        }
        for (int j = 1; j <= nX; ++j) {
            X[j] =
                finiteValue(X[j] + dt * m_dX[j], "particulate concentration", period, m_run.time);
            if (X[j] < kSbrConcentrationFloor)
                X[j] = kSbrConcentrationFloor;
        }
        if (m_model.IsPHModel)
            UpdatePH(m_model, m_plant, m_state);
        m_run.volume = newVolume;
        m_run.time = m_run.time + dt;
        ++m_steps;
        control.idle();
        m_run.stopped = control.stopRequested();
    } while (!(m_run.time * 1.000001 > targetTime || m_run.stopped));
}

void SbrSimulation::RecordSbrSample(int period)
{
    const bool create = m_run.cycleNumber == 1 && m_run.timesliceInCycle == 0;
    const bool append = m_run.showAllCycles || m_run.cycleNumber == m_run.cycleCount;
    if (!create && !append) {
        ++m_run.timesliceInCycle;
        return;
    }
    const int L = m_cycle.TimesliceLength;
    const double hours = static_cast<double>(m_run.timesliceInCycle) * L / 60.0;
    const double x =
        m_run.showAllCycles
            ? static_cast<double>(m_run.cycleNumber - 1) * m_run.cycleLength * 24.0 + hours
            : hours;
    const TSbrPeriod& p = m_cycle.Periods[period];
    const int n = p.Timeslices;
    // A volume per period as a flow [m3/d]; an instantaneous period has none.
    const auto flow = [&](double volume) {
        return n == 0 || L == 0 ? 0.0 : volume * 1440.0 / static_cast<double>(n * L);
    };
    const RecordedSeriesLayout layout(m_model, m_plant);
    std::vector<double> row(static_cast<std::size_t>(layout.count()), 0.0);
    const auto set = [&](int index, double value) { row[static_cast<std::size_t>(index)] = value; };
    auto& S = m_state.S[1];
    auto& X = m_state.X[1];
    set(RecordedSeriesLayout::timeSteps(), hours);
    set(RecordedSeriesLayout::flow(1), flow(p.Influent1Volume));
    set(RecordedSeriesLayout::flow(2), m_run.volume);
    set(RecordedSeriesLayout::flow(3), flow(p.SupernatantVolume));
    set(RecordedSeriesLayout::flow(4), flow(p.MixedLiquorVolume));
    for (int j = 1; j <= m_model.NS; ++j)
        set(layout.influentDissolved(j), m_model.InfluentS[j]);
    for (int j = 1; j <= m_model.NX; ++j)
        set(layout.influentParticulate(j), m_model.InfluentX[j]);
    for (int j = 1; j <= m_model.NS; ++j)
        set(layout.dissolved(1, j), S[j]);
    for (int j = 1; j <= m_model.NX; ++j)
        set(layout.particulate(1, j), X[j]);
    ComputeOxygenRate(m_model, S, X, m_run.kla, m_plant.O2Saturation);
    for (int r = 2; r <= m_model.NP; ++r)
        set(layout.processRate(1, r), m_model.Rho[r]);
    m_run.oxygenUptakeRate = m_model.RS[1] == 0.0 ? 0.0 : -m_model.RS[1];
    set(layout.oxygenRate(1), m_run.oxygenUptakeRate);
    set(layout.kla(1), m_run.kla);
    set(layout.temperature(), m_plant.OperatingTemperature);
    set(layout.influent2Flow(), flow(p.Influent2Volume));
    StoreRecording(m_results, row, x, create, append, m_model, m_plant);
    ++m_run.timesliceInCycle;
}

} // namespace narv
