#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <cstdint>
#include <optional>
#include <string>

namespace narv {

inline constexpr int kSbrPeriodCount = 12;
inline constexpr int kSbrMaxTimeslices = 288;       // timeslices of one cycle in all
inline constexpr int kSbrMaxTimesliceLength = 1440; // [min]
inline constexpr double kSbrMinAccuracy = 0.0001;
inline constexpr double kSbrMaxAccuracy = 0.02;
inline constexpr double kSbrMaxVolume = 1e100;    // [m3]
inline constexpr double kSbrVolumeFloor = 0.0001; // [m3], the smallest minimum initial volume

// How a period aerates the tank; the values are the positions in the editor's mode list.
enum class TSbrAerationMode : std::int32_t {
    FixedKla = 0,     // "fixed kla"
    FixedO2 = 1,      // "fixed O2 conc."
    Proportional = 2, // "prop. control"
    OnOff = 3,        // "on/off control"
};
inline constexpr int kSbrAerationModeCount = 4;

// The text of a mode in the editor's list.
const char* SbrAerationModeText(TSbrAerationMode mode);

// One period of the cycle: what is fed, what is drawn off and how the tank is aerated.
struct TSbrPeriod {
    int Timeslices = 0;             // 0 makes the period instantaneous
    double Influent1Volume = 0.0;   // [m3]
    double Influent2Volume = 0.0;   // [m3]
    double SupernatantVolume = 0.0; // [m3], water and dissolved matter only
    double MixedLiquorVolume = 0.0; // [m3], tank content at its composition
    double FixedO2 = 0.0;           // oxygen held in mode "fixed O2 conc."
    double FixedKla = 0.0;          // [1/d], also the kla a controlled period starts with
    TSbrAerationMode AerationMode = TSbrAerationMode::FixedKla;
    int SignalSpecies = 1; // dissolved species measured by the controlled modes
    // The seven control values, in file order.
    double Slope = 0.0;          // proportional: [1/d] per concentration unit
    double SignalValue = 0.0;    // proportional: signal at which the setpoint applies
    double Setpoint = 0.0;       // proportional: kla at the signal value [1/d]
    double UpperThreshold = 0.0; // on/off
    double LowerThreshold = 0.0; // on/off
    double ValueAbove = 0.0;     // on/off: kla above the upper threshold [1/d]
    double ValueBelow = 0.0;     // on/off: kla below the lower threshold [1/d]

    bool operator==(const TSbrPeriod&) const = default;
};

// The repeating cycle of a sequencing batch reactor.
struct TSbrCycle {
    int TimesliceLength = 5;                // [min], 0..1440
    double InitialVolume = kSbrVolumeFloor; // [m3], tank volume at the start of every cycle
    double Accuracy = 0.001;                // relative step accuracy of the SBR integration
    Array1<TSbrPeriod, kSbrPeriodCount> Periods;

    bool operator==(const TSbrCycle&) const = default;
};

// The defaults of a plant newly made an SBR plant; the initial volume keeps its value and is
// then raised to the minimum.
void ResetSbrCycle(TSbrCycle& cycle);

// Integration and relaxation are not available for an SBR plant: it runs its own cycle.
inline constexpr const char* kSbrComputationMessage =
    "An SBR plant is simulated only by the dynamic simulation of its cycle.";

// The plant data an SBR plant fixes: one reactor, one compartment, a 2nd influent.
void SetUpSbrPlant(TPlantDef& plant);

// The plant type chosen or shown as SBR: the common set-up of the type, and for a plant newly
// made an SBR plant (chosenFromMenu) the cycle's defaults.
void ApplySbrPlantType(const TModelDef& model, TPlantDef& plant, TPlantState& state,
                       TSbrCycle& cycle, bool chosenFromMenu);

// Derived values, computed from the cycle as it stands.
int SbrTotalTimeslices(const TSbrCycle& cycle);
long long SbrCycleLengthMinutes(const TSbrCycle& cycle);
// Minutes from the start of the cycle to the end of period k.
long long SbrCumulatedCycleTime(const TSbrCycle& cycle, int period);
double SbrInputVolume(const TSbrCycle& cycle);  // [m3] per cycle
double SbrOutputVolume(const TSbrCycle& cycle); // [m3] per cycle
// The smallest value of the running volume sum over the periods, 0 included (so <= 0).
double SbrLowestRunningVolume(const TSbrCycle& cycle);
// The larger of 0.2 x input volume and the deepest draw below the start, at least 0.0001.
double MinimumInitialVolume(const TSbrCycle& cycle);

// The balance check and its line: "Input Volume: ... m3 = Output Volume: ... m3" (" <> " when
// it fails; the window shows the line blue when it passes, red when not).
struct SbrBalance {
    bool passes = false;
    std::string line;
};
SbrBalance CheckSbrBalance(const TSbrCycle& cycle);

inline constexpr const char* kSbrPeriodMessage =
    "Cannot define influent AND effluent if duration of period is 0!";
// The period check: an instantaneous period may fill or draw, not both. Returns the message
// when the period fails.
std::optional<std::string> CheckSbrPeriod(const TSbrCycle& cycle, int period);

// "Initial Volume (m3) (>=" minimum "%.2f" "):".
std::string SbrInitialVolumeLabel(const TSbrCycle& cycle);
// The initial-volume rule: raises the initial volume to the minimum; returns the label.
std::string ApplySbrInitialVolumeRule(TSbrCycle& cycle);

// "Max. length of 1 cycle is 1440 minutes. (5 min * 288)".
std::string SbrCycleLengthLine(int timesliceLength);

// The largest number of timeslices period k may have beside the other eleven.
int SbrTimeslicesBound(const TSbrCycle& cycle, int period);

} // namespace narv
