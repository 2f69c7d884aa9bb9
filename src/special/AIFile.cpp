#include "special/AIFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextReader.h"
#include "core/TextUtil.h"
#include "core/TextWriter.h"
#include "model/Temperature.h"
#include "plant/PlantFile.h"

#include <fmt/format.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <sstream>

namespace narv {
namespace {

// The header and the part of the body that A/I files share with the standard plant file:
// the first 11 + 3 x CompartmentCount lines of the standard writer's text.
std::string sharedLines(const TModelDef& model, const TPlantDef& plant, const TPlantState& state)
{
    std::ostringstream standard;
    WriteStandardPlantText(standard, "AI", model, plant, state);
    const std::string text = standard.str();
    std::size_t end = 0;
    for (int line = 0; line < 11 + 3 * plant.CompartmentCount; ++line)
        end = text.find("\r\n", end) + 2;
    return text.substr(0, end);
}

void readLoopBlock(TextReader& in, int compartments, LaneLoopTable& table)
{
    for (int k = 0; k <= compartments + 4; ++k) {
        TControlLoopDef& loop = table[k];
        loop.Active = in.readLine() == "TRUE";
        loop.OnOff = in.readLine() == "TRUE";
        loop.ErwartetX = in.readReal();
        loop.ErwartetY = in.readReal();
        loop.Steigung = in.readReal();
        loop.Stellung2 = in.readReal();
        loop.Signal = std::max(in.readInt(), 1);
        loop.Compartment =
            std::max(ReadPlantFileIndex(in, -1000000, MaxCompartments,
                                        "The measuring compartment of a control loop"),
                     1);
        in.skipLine();
    }
}

void readBody(TextReader& in, const TModelDef& model, SpeciesArray& influentS,
              SpeciesArray& influentX, TPlantDef& plant, TPlantState& state, TAIPlant& ai)
{
    ReadPlantFileHead(in, model, influentS, influentX, plant, state);
    for (LaneLoopTable& table : ai.LaneLoops)
        readLoopBlock(in, plant.CompartmentCount, table);

    // A file that ends after the loop blocks keeps the 2nd recirculation and the counts.
    if (!in.onlyBlanksRemain()) {
        plant.Recirc2From =
            ReadPlantFileIndex(in, 1, MaxCompartments, "The origin of the 2nd recirculation");
        plant.Recirc2To =
            ReadPlantFileIndex(in, 1, MaxCompartments, "The target of the 2nd recirculation");
        plant.Recirc2Flow = in.readReal();
        in.skipLine();
        // Written without separators: three fields of three characters.
        const std::string counts = in.readLine();
        const auto field = [&](std::size_t n, const char* what) {
            int value = 0;
            const std::string text(
                TrimBlanks(std::string_view(counts).substr(std::min(counts.size(), 3 * n), 3)));
            if (!parseInteger(text, value))
                throw NumericFormatError(
                    in.located(fmt::format("\"{}\" is not a valid {}.", text, what)));
            return value;
        };
        ai.PolyvalentCount = field(0, "number of polyvalent reactors");
        ai.LaneCompartmentCount = field(1, "number of A/I compartments per lane");
        ai.PostAerationCount = field(2, "number of post-aeration reactors");
    }
    try {
        CheckAICounts(plant, ai);
    } catch (const SimulationError& e) {
        throw RangeError(in.located(e.what()));
    }
}

} // namespace

void WriteAIPlantText(std::ostream& out, const TModelDef& model, const TPlantDef& plant,
                      const TPlantState& state, const TAIPlant& ai)
{
    const std::string shared = sharedLines(model, plant, state);
    out.write(shared.data(), static_cast<std::streamsize>(shared.size()));
    TextWriter w(out);
    for (const LaneLoopTable& table : ai.LaneLoops) {
        for (int k = 0; k <= plant.CompartmentCount + 4; ++k) {
            const TControlLoopDef& loop = table[k];
            w.line(PlantFileBoolean(loop.Active));
            w.line(PlantFileBoolean(loop.OnOff));
            w.line(fmt::format("{} {} {} {} {:2d} {:2d} loop {:2d}", PlantFileReal(loop.ErwartetX),
                               PlantFileReal(loop.ErwartetY), PlantFileReal(loop.Steigung),
                               PlantFileReal(loop.Stellung2), loop.Signal, loop.Compartment, k));
        }
    }
    w.line(fmt::format("{:3d} {:3d} {}", plant.Recirc2From, plant.Recirc2To,
                       PlantFileReal(plant.Recirc2Flow)));
    w.line(fmt::format("{:3d}{:3d}{:3d}", ai.PolyvalentCount, ai.LaneCompartmentCount,
                       ai.PostAerationCount));
    if (!out)
        throw IoError("Write error while saving the plant.");
}

void ReadAIPlantText(TextReader& in, const std::string& fileName, TModelDef& model,
                     TPlantDef& plant, TPlantState& state, TAIPlant& ai)
{
    const std::string invalid = fileName + " is not valid for this model!";
    auto newModel = std::make_unique<TModelDef>(model);
    auto newPlant = std::make_unique<TPlantDef>(plant);
    auto newState = std::make_unique<TPlantState>(state);
    auto newAI = std::make_unique<TAIPlant>(ai);
    try {
        CheckModelCounts(model);
        ReadFileModelLines(in, fileName, model);
        const std::string keyword = in.readLine();
        if (keyword != "AI")
            throw InvalidFileError(
                invalid, fmt::format("{}, line 3: \"{}\" is not an A/I plant.", fileName, keyword));
        readBody(in, model, newModel->InfluentS, newModel->InfluentX, *newPlant, *newState, *newAI);
        if (std::fabs(newPlant->ExcessRate - 1.0 / newPlant->SludgeAge) > 1e-5)
            newPlant->ExcessRate = 1.0 / newPlant->SludgeAge;
        if (!newPlant->Influent2Enabled) {
            newPlant->Influent2Flow = 0.0;
            newPlant->Recirc2Flow = 0.0;
        }
        ConvertToOperatingTemperature(*newModel, newPlant->OperatingTemperature,
                                      newModel->BaseTemperature);
    } catch (const InvalidFileError&) {
        throw;
    } catch (const Error& e) {
        throw InvalidFileError(invalid, e.what());
    }
    newPlant->PlantType = TFlowschemeType::ftAI;
    model = *newModel;
    plant = *newPlant;
    state = *newState;
    ai = *newAI;
}

void WriteAIPlantFile(const std::filesystem::path& path, const TModelDef& model,
                      const TPlantDef& plant, const TPlantState& state, const TAIPlant& ai)
{
    writeFileAtomically(path,
                        [&](std::ostream& out) { WriteAIPlantText(out, model, plant, state, ai); });
}

void ReadAIPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                     TPlantState& state, TAIPlant& ai)
{
    const std::string fileName = path.filename().string();
    TextReader in(readFileBytes(path), fileName);
    ReadAIPlantText(in, fileName, model, plant, state, ai);
}

std::optional<std::string> RepairLaneFed(TAIVariation& lanes, int pointCount)
{
    if (lanes.LaneFed[1] == 0) {
        lanes.LaneFed.fill(1);
        return std::string(kNotAIVariationWarning);
    }
    bool repaired = false;
    for (int i = 1; i <= pointCount && i <= MaxVariationPoints; ++i) {
        if (lanes.LaneFed[i] != 1 && lanes.LaneFed[i] != 2) {
            lanes.LaneFed[i] = 1;
            repaired = true;
        }
    }
    if (repaired)
        return std::string(kNotAIVariationWarning);
    return std::nullopt;
}

void WriteAIVariationText(std::ostream& out, const TVariationDef& variation,
                          const TAIVariation& lanes, const TModelDef& model)
{
    WriteVariationText(out, variation, model);
    std::string line;
    for (int i = 1; i <= variation.PointCount; ++i)
        line += fmt::format("{:2d}", lanes.LaneFed[i]);
    TextWriter(out).line(line);
    if (!out)
        throw IoError("Write error while saving the variation.");
}

std::optional<std::string> ReadAIVariationText(TextReader& in, const std::string& fileName,
                                               TVariationDef& variation, TAIVariation& lanes,
                                               const TModelDef& model, const TPlantDef& plant,
                                               TAIPlant& ai)
{
    auto newVariation = std::make_unique<TVariationDef>(variation);
    TAIVariation newLanes = lanes;
    ReadVariationText(in, fileName, *newVariation, model);
    if (in.onlyBlanksRemain()) {
        // A variation of a standard plant: no lane line.
        for (int i = 1; i <= newVariation->PointCount; ++i)
            newLanes.LaneFed[i] = 0;
    } else {
        try {
            // A line of zeros is what saving a variation without lanes writes: no lanes, as
            // without the line. Otherwise every step names lane 1 or 2.
            int firstZero = 0;
            int firstLane = 0;
            for (int i = 1; i <= newVariation->PointCount; ++i) {
                const int lane = in.readInt();
                if (lane != 0 && lane != 1 && lane != 2)
                    throw RangeError(in.located(fmt::format(
                        "the lane fed in time step {} is {}; it must be 1 or 2.", i, lane)));
                if (lane == 0 && firstZero == 0)
                    firstZero = i;
                if (lane != 0 && firstLane == 0)
                    firstLane = i;
                newLanes.LaneFed[i] = lane;
            }
            if (firstZero != 0 && firstLane != 0)
                throw RangeError(in.located(fmt::format(
                    "the lane fed in time step {} is 0; it must be 1 or 2.", firstZero)));
        } catch (const Error& e) {
            throw InvalidFileError(fileName + " is not valid for this model!", e.what());
        }
    }
    const std::optional<std::string> warning = RepairLaneFed(newLanes, newVariation->PointCount);
    variation = *newVariation;
    lanes = newLanes;
    BuildLaneUpstream(ai, plant.CompartmentCount);
    return warning;
}

std::optional<std::string> WriteAIVariationFile(const std::filesystem::path& path,
                                                const TVariationDef& variation, TAIVariation& lanes,
                                                const TModelDef& model)
{
    writeFileAtomically(
        path, [&](std::ostream& out) { WriteAIVariationText(out, variation, lanes, model); });
    return RepairLaneFed(lanes, variation.PointCount);
}

std::optional<std::string> ReadAIVariationFile(const std::filesystem::path& path,
                                               TVariationDef& variation, TAIVariation& lanes,
                                               const TModelDef& model, const TPlantDef& plant,
                                               TAIPlant& ai)
{
    const std::string fileName = path.filename().string();
    TextReader in(readFileBytes(path), fileName);
    return ReadAIVariationText(in, fileName, variation, lanes, model, plant, ai);
}

} // namespace narv
