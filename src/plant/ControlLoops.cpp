#include "plant/ControlLoops.h"

#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {
namespace {

// A species name without its two-character kind prefix, runs of blanks collapsed to one.
std::string collapsedLabel(const std::string& name)
{
    return CollapseBlanks(name.size() > 2 ? std::string_view(name).substr(2, 14)
                                          : std::string_view());
}

std::string describeNumber(double value)
{
    return std::string(TrimBlanks(FormatNumber(10, 3, value)));
}

} // namespace

void ResetControlLoops(ControlLoopTable& loops)
{
    for (int n = 1; n <= MaxControlLoops; ++n) {
        loops[n] = TControlLoopDef{};
        loops[n].Compartment = n >= kFirstKlaLoop ? n - 4 : 1;
    }
}

std::string ControlledQuantityCaption(int entry)
{
    switch (entry) {
    case kLoopReturnFlow:
        return "Returnsludge";
    case kLoopRecircFlow:
        return "Recirculation";
    case kLoopExcessRate:
        return "Dx=Excess sludge";
    case kLoopInfluent2Flow:
        return "2.Influent";
    default:
        return fmt::format("Kla of Reactor {}", entry - 4);
    }
}

double MeasureSignal(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                     const TControlLoopDef& loop)
{
    const int signal = loop.Signal;
    if (signal == kSignalInfluent)
        return plant.InfluentFlow;
    const int r = loop.Compartment;
    if (signal == kSignalTotalSolids)
        return TotalParticulate(model, state, r);
    if (signal >= 3 && signal <= model.NS + 2)
        return state.S[r][signal - 2];
    if (signal > model.NS + 2 && signal <= model.NS + model.NX + 2)
        return state.X[r][signal - model.NS - 2];
    throw SimulationError(
        fmt::format("A control loop measures signal {}, which this model does not have (1 to {}).",
                    signal, model.NS + model.NX + 2));
}

std::string SignalDisplayName(const TModelDef& model, int signal, int compartment)
{
    if (signal == kSignalInfluent)
        return "Influent";
    if (signal == kSignalTotalSolids)
        return fmt::format("Tot.Solids({})", compartment);
    if (signal >= 3 && signal <= model.NS + 2)
        return fmt::format("{}({})", collapsedLabel(model.NameS[signal - 2]), compartment);
    if (signal > model.NS + 2 && signal <= model.NS + model.NX + 2 &&
        signal - model.NS - 2 <= MaxSpecies)
        return fmt::format("{}({})", collapsedLabel(model.NameX[signal - model.NS - 2]),
                           compartment);
    return fmt::format("Signal {}({})", signal, compartment);
}

void ApplyControlLoops(const TModelDef& model, TPlantDef& plant, const TPlantState& state, int step,
                       const CompartmentArray& relativeKla)
{
    const int last = plant.CompartmentCount + 4;
    for (int n = 1; n <= last; ++n) {
        TControlLoopDef& loop = plant.ControlLoops[n];
        if (!loop.Active)
            continue;
        const double s = MeasureSignal(model, plant, state, loop);
        double u = 0.0;
        if (loop.OnOff) {
            // Between the thresholds the previous output stays: hysteresis.
            u = loop.SwitchedOn ? loop.Stellung2 : loop.Steigung;
            if (s > loop.ErwartetX) {
                loop.SwitchedOn = true;
                u = loop.Stellung2;
            }
            if (!(s >= loop.ErwartetY)) {
                loop.SwitchedOn = false;
                u = loop.Steigung;
            }
        } else {
            u = (s - loop.ErwartetX) * loop.Steigung + loop.ErwartetY;
            if (u < 1e-6)
                u = 1e-6;
        }
        if (!std::isfinite(u))
            throw FloatingPointError(
                fmt::format("Control loop {} ({}) gives a value that is not finite.", n,
                            ControlledQuantityCaption(n)));
        if (!(u > -1.0))
            continue; // an output of -1 or less leaves the controlled quantity as it is
        // No flow or kla is negative, and none exceeds what the plant editor accepts.
        if (u < 0.0 || (n != kLoopExcessRate && u > kMaxPlantValue))
            throw SimulationError(
                fmt::format("Control loop {} ({}) gives {} at {} d; allowed are 0 to {}.", n,
                            ControlledQuantityCaption(n), formatShortest(u), state.Time,
                            formatLimit(kMaxPlantValue)));
        switch (n) {
        case kLoopReturnFlow:
            plant.ReturnFlow = u;
            break;
        case kLoopRecircFlow:
            plant.RecircFlow = u;
            break;
        case kLoopExcessRate:
            plant.ExcessRate = u;
            break;
        case kLoopInfluent2Flow:
            plant.Influent2Flow = u;
            break;
        default: {
            const int k = n - 4;
            const double v = relativeKla[k];
            if (v > 0.0 || loop.OnOff) {
                plant.Kla[k] = u;
                plant.O2Setpoint[k] = 0.0; // the reactor is aerated by kla while the loop acts
            }
            if (v == 0.0)
                plant.Kla[k] = 0.0; // a step with relative kla 0 keeps the aeration off
            if (step == 0)
                plant.Kla[k] = u;
            break;
        }
        }
    }
}

std::string DescribeControlLoop(const TModelDef& model, const TControlLoopDef& loop)
{
    const std::string name = SignalDisplayName(model, loop.Signal, loop.Compartment);
    if (loop.OnOff) {
        return fmt::format("={} if {}>{} and={} if <{}", describeNumber(loop.Stellung2), name,
                           describeNumber(loop.ErwartetX), describeNumber(loop.Steigung),
                           describeNumber(loop.ErwartetY));
    }
    return fmt::format("={}{}{}\u00D7({}-{})", describeNumber(loop.ErwartetY),
                       loop.Steigung >= 0.0 ? '+' : '-', describeNumber(std::fabs(loop.Steigung)),
                       name, describeNumber(loop.ErwartetX));
}

bool AnyControlLoopActive(const TPlantDef& plant)
{
    for (int n = 1; n <= plant.ReactorCount + 4; ++n)
        if (plant.ControlLoops[n].Active)
            return true;
    return false;
}

} // namespace narv
