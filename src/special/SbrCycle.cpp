#include "special/SbrCycle.h"

#include "core/NumberFormat.h"
#include "plant/PlantDef.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {

const char* SbrAerationModeText(TSbrAerationMode mode)
{
    switch (mode) {
    case TSbrAerationMode::FixedKla:
        return "fixed kla";
    case TSbrAerationMode::FixedO2:
        return "fixed O2 conc.";
    case TSbrAerationMode::Proportional:
        return "prop. control";
    case TSbrAerationMode::OnOff:
        return "on/off control";
    }
    return "";
}

void ResetSbrCycle(TSbrCycle& cycle)
{
    cycle.TimesliceLength = 5;
    cycle.Accuracy = 0.001;
    for (TSbrPeriod& period : cycle.Periods)
        period = TSbrPeriod();
    ApplySbrInitialVolumeRule(cycle);
}

void SetUpSbrPlant(TPlantDef& plant)
{
    plant.PlantType = TFlowschemeType::ftSBR;
    plant.ReactorCount = 1;
    plant.CompartmentCount = 1;
    plant.Influent2Enabled = true;
}

void ApplySbrPlantType(const TModelDef& model, TPlantDef& plant, TPlantState& state,
                       TSbrCycle& cycle, bool chosenFromMenu)
{
    ApplyPlantType(TFlowschemeType::ftSBR, model, plant, state, chosenFromMenu);
    SetUpSbrPlant(plant);
    if (chosenFromMenu)
        ResetSbrCycle(cycle);
}

int SbrTotalTimeslices(const TSbrCycle& cycle)
{
    int total = 0;
    for (const TSbrPeriod& period : cycle.Periods)
        total += period.Timeslices;
    return total;
}

long long SbrCycleLengthMinutes(const TSbrCycle& cycle)
{
    return SbrCumulatedCycleTime(cycle, kSbrPeriodCount);
}

long long SbrCumulatedCycleTime(const TSbrCycle& cycle, int period)
{
    long long minutes = 0;
    for (int k = 1; k <= period; ++k)
        minutes += static_cast<long long>(cycle.Periods[k].Timeslices) * cycle.TimesliceLength;
    return minutes;
}

double SbrInputVolume(const TSbrCycle& cycle)
{
    double volume = 0.0;
    for (const TSbrPeriod& period : cycle.Periods)
        volume += period.Influent1Volume + period.Influent2Volume;
    return volume;
}

double SbrOutputVolume(const TSbrCycle& cycle)
{
    double volume = 0.0;
    for (const TSbrPeriod& period : cycle.Periods)
        volume += period.SupernatantVolume + period.MixedLiquorVolume;
    return volume;
}

double SbrLowestRunningVolume(const TSbrCycle& cycle)
{
    double running = 0.0;
    double lowest = 0.0;
    for (const TSbrPeriod& p : cycle.Periods) {
        running +=
            p.Influent1Volume + p.Influent2Volume - p.SupernatantVolume - p.MixedLiquorVolume;
        if (running < lowest)
            lowest = running;
    }
    return lowest;
}

double MinimumInitialVolume(const TSbrCycle& cycle)
{
    double minimum = 0.2 * SbrInputVolume(cycle);
    const double deepest = -SbrLowestRunningVolume(cycle);
    if (deepest > minimum)
        minimum = deepest;
    if (minimum < kSbrVolumeFloor)
        minimum = kSbrVolumeFloor;
    return minimum;
}

SbrBalance CheckSbrBalance(const TSbrCycle& cycle)
{
    const double in = SbrInputVolume(cycle);
    const double out = SbrOutputVolume(cycle);
    SbrBalance balance;
    if (in == out) {
        balance.passes = true;
    } else {
        // A cycle without output is measured against a tiny volume, so any input fails.
        const double d = out == 0.0 ? 1e-12 : out;
        balance.passes = std::fabs(1.0 - in / d) <= 0.001;
    }
    balance.line = "Input Volume: " + FormatNumber(10, 3, in) + " m3" +
                   (balance.passes ? " = " : " <> ") +
                   "Output Volume: " + FormatNumber(10, 3, out) + " m3";
    return balance;
}

std::optional<std::string> CheckSbrPeriod(const TSbrCycle& cycle, int period)
{
    const TSbrPeriod& p = cycle.Periods[period];
    if (p.Timeslices > 0)
        return std::nullopt;
    const bool fills = p.Influent1Volume > 0.0 || p.Influent2Volume > 0.0;
    const bool draws = p.SupernatantVolume > 0.0 || p.MixedLiquorVolume > 0.0;
    if (fills && draws)
        return std::string(kSbrPeriodMessage);
    return std::nullopt;
}

std::string SbrInitialVolumeLabel(const TSbrCycle& cycle)
{
    return fmt::format("Initial Volume (m3) (>={:.2f}):", MinimumInitialVolume(cycle));
}

std::string ApplySbrInitialVolumeRule(TSbrCycle& cycle)
{
    const double minimum = MinimumInitialVolume(cycle);
    if (cycle.InitialVolume < minimum)
        cycle.InitialVolume = minimum;
    return SbrInitialVolumeLabel(cycle);
}

std::string SbrCycleLengthLine(int timesliceLength)
{
    return fmt::format("Max. length of 1 cycle is {} minutes. ({} min * {})",
                       timesliceLength * kSbrMaxTimeslices, timesliceLength, kSbrMaxTimeslices);
}

int SbrTimeslicesBound(const TSbrCycle& cycle, int period)
{
    return kSbrMaxTimeslices - (SbrTotalTimeslices(cycle) - cycle.Periods[period].Timeslices);
}

} // namespace narv
