#include "special/SbrFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextReader.h"
#include "core/TextUtil.h"
#include "core/TextWriter.h"
#include "core/Version.h"
#include "plant/PlantFile.h"
#include "special/SpecialFormat.h"

#include <fmt/format.h>

#include <memory>
#include <ostream>

namespace narv {
namespace {

// F:12:6 followed by the separating space.
std::string f12(double value)
{
    return detail::FormatFixedFileReal(value, 12, 6) + " ";
}

double readRange(TextReader& in, double low, double high, const char* what)
{
    const double value = in.readReal();
    if (!(value >= low) || value > high)
        throw RangeError(
            in.located(fmt::format("{} {} lies outside {} to {}.", what, formatShortest(value),
                                   formatShortest(low), formatShortest(high))));
    return value;
}

void readBody(TextReader& in, const TModelDef& model, SpeciesArray& influentS,
              SpeciesArray& influentX, TPlantDef& plant, TPlantState& state, TSbrCycle& cycle)
{
    cycle.TimesliceLength =
        ReadPlantFileIndex(in, 0, kSbrMaxTimesliceLength, "The timeslice length in minutes");
    in.skipLine();
    cycle.InitialVolume = readRange(in, 0.0, kSbrMaxVolume, "The initial volume");
    cycle.Accuracy = readRange(in, kSbrMinAccuracy, kSbrMaxAccuracy, "The integration accuracy");
    in.skipLine();
    for (TSbrPeriod& period : cycle.Periods)
        period.Timeslices =
            ReadPlantFileIndex(in, 0, kSbrMaxTimeslices, "The number of timeslices");
    in.skipLine();
    if (SbrTotalTimeslices(cycle) > kSbrMaxTimeslices)
        throw RangeError(
            in.located(fmt::format("the cycle has {} timeslices; at most {} are allowed.",
                                   SbrTotalTimeslices(cycle), kSbrMaxTimeslices)));
    for (TSbrPeriod& period : cycle.Periods) {
        period.Influent1Volume = readRange(in, 0.0, kSbrMaxVolume, "A volume of the 1st influent");
        period.Influent2Volume = readRange(in, 0.0, kSbrMaxVolume, "A volume of the 2nd influent");
        period.SupernatantVolume = readRange(in, 0.0, kSbrMaxVolume, "A supernatant volume");
        period.MixedLiquorVolume = readRange(in, 0.0, kSbrMaxVolume, "A mixed-liquor volume");
        period.FixedO2 = readRange(in, 0.0, kSbrMaxVolume, "A fixed O2 concentration");
        period.FixedKla = readRange(in, 0.0, kSbrMaxVolume, "A fixed kla");
        in.skipLine();
    }
    const auto readSpecies = [&](const std::string& name, double& influent1, double& influent2,
                                 double& reactor) {
        const std::string label = QuotedName(name);
        influent1 = in.readConcentration(label + " in the 1st influent");
        influent2 = in.readConcentration(label + " in the 2nd influent");
        reactor = in.readConcentration(label + " in the reactor");
        in.skipLine();
    };
    for (int j = 1; j <= model.NS; ++j)
        readSpecies(model.NameS[j], influentS[j], plant.SIn2[j], state.S[1][j]);
    for (int j = 1; j <= model.NX; ++j)
        readSpecies(model.NameX[j], influentX[j], plant.XIn2[j], state.X[1][j]);
    for (TSbrPeriod& period : cycle.Periods) {
        period.AerationMode = static_cast<TSbrAerationMode>(
            ReadPlantFileIndex(in, 0, kSbrAerationModeCount - 1, "The aeration mode"));
        period.SignalSpecies = ReadPlantFileIndex(in, 1, model.NS, "The signal species");
        period.Slope = in.readReal();
        period.SignalValue = in.readReal();
        period.Setpoint = in.readReal();
        period.UpperThreshold = in.readReal();
        period.LowerThreshold = in.readReal();
        period.ValueAbove = in.readReal();
        period.ValueBelow = in.readReal();
        in.skipLine();
    }
}

} // namespace

void WriteSbrPlantText(std::ostream& out, const TModelDef& model, const TPlantDef& plant,
                       const TPlantState& state, const TSbrCycle& cycle)
{
    CheckModelCounts(model);
    TextWriter w(out);
    w.line(std::string("NARV ") + ProgramVersionText);
    w.line(model.ModelName);
    w.line("SBR");
    w.line(fmt::format("{}", cycle.TimesliceLength));
    w.line(FormatFileReal(cycle.InitialVolume, 23) + FormatFileReal(cycle.Accuracy, 23));
    std::string line;
    for (const TSbrPeriod& period : cycle.Periods)
        line += fmt::format("{:4d} ", period.Timeslices);
    w.line(line);
    for (const TSbrPeriod& p : cycle.Periods)
        w.line(f12(p.Influent1Volume) + f12(p.Influent2Volume) + f12(p.SupernatantVolume) +
               f12(p.MixedLiquorVolume) + f12(p.FixedO2) + f12(p.FixedKla));
    const auto speciesLine = [](double in1, double in2, double reactor) {
        return detail::FormatFixedFileReal(in1, 12, 6) + " " +
               detail::FormatFixedFileReal(in2, 12, 6) + " " +
               detail::FormatFixedFileReal(reactor, 12, 6);
    };
    for (int j = 1; j <= model.NS; ++j)
        w.line(speciesLine(model.InfluentS[j], plant.SIn2[j], state.S[1][j]));
    for (int j = 1; j <= model.NX; ++j)
        w.line(speciesLine(model.InfluentX[j], plant.XIn2[j], state.X[1][j]));
    for (const TSbrPeriod& p : cycle.Periods)
        w.line(fmt::format("{:4d} {:4d} ", static_cast<int>(p.AerationMode), p.SignalSpecies) +
               f12(p.Slope) + f12(p.SignalValue) + f12(p.Setpoint) + f12(p.UpperThreshold) +
               f12(p.LowerThreshold) + f12(p.ValueAbove) + f12(p.ValueBelow));
    if (!out)
        throw IoError("Write error while saving the plant.");
}

void ReadSbrPlantText(TextReader& in, const std::string& fileName, TModelDef& model,
                      TPlantDef& plant, TPlantState& state, TSbrCycle& cycle)
{
    const std::string invalid = fileName + " is not valid for this model!";
    auto newInfluentS = model.InfluentS;
    auto newInfluentX = model.InfluentX;
    auto newPlant = std::make_unique<TPlantDef>(plant);
    auto newState = std::make_unique<TPlantState>(state);
    auto newCycle = std::make_unique<TSbrCycle>(cycle);
    try {
        CheckModelCounts(model);
        ReadFileModelLines(in, fileName, model);
        const std::string keyword = in.readLine();
        if (keyword != "SBR")
            throw InvalidFileError(
                invalid, fmt::format("{}, line 3: \"{}\" is not an SBR plant.", fileName, keyword));
        readBody(in, model, newInfluentS, newInfluentX, *newPlant, *newState, *newCycle);
    } catch (const InvalidFileError&) {
        throw;
    } catch (const Error& e) {
        throw InvalidFileError(invalid, e.what());
    }
    SetUpSbrPlant(*newPlant);
    model.InfluentS = newInfluentS;
    model.InfluentX = newInfluentX;
    plant = *newPlant;
    state = *newState;
    cycle = *newCycle;
}

void WriteSbrPlantFile(const std::filesystem::path& path, const TModelDef& model,
                       const TPlantDef& plant, const TPlantState& state, const TSbrCycle& cycle)
{
    writeFileAtomically(
        path, [&](std::ostream& out) { WriteSbrPlantText(out, model, plant, state, cycle); });
}

void ReadSbrPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                      TPlantState& state, TSbrCycle& cycle)
{
    const std::string fileName = path.filename().string();
    TextReader in(readFileBytes(path), fileName);
    ReadSbrPlantText(in, fileName, model, plant, state, cycle);
}

} // namespace narv
