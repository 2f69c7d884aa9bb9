#include "plant/PlantFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/TextReader.h"
#include "core/TextUtil.h"
#include "core/TextWriter.h"
#include "core/Version.h"
#include "model/Temperature.h"

#include <fmt/format.h>

#include <cmath>
#include <memory>
#include <ostream>

namespace narv {
namespace {

bool isSpecialKeyword(const std::string& keyword)
{
    return keyword == "SBR" || keyword == "AI";
}

// The header up to the type line; returns the keyword as stored ("TRUE"/"FALSE" for the
// oldest layout). Throws InvalidFileError for a file of another model.
std::string readHeader(TextReader& in, const std::string& fileName, const TModelDef& model)
{
    ReadFileModelLines(in, fileName, model);
    return in.readLine();
}

void readHead(TextReader& in, const std::string& firstBoolean, bool oldestLayout,
              const TModelDef& model, SpeciesArray& influentS, SpeciesArray& influentX,
              TPlantDef& plant, TPlantState& state)
{
    plant.SludgeSeparation = (oldestLayout ? firstBoolean : in.readLine()) == "TRUE";
    plant.RecircActive = in.readLine() == "TRUE";
    plant.ControlLoopsActive = in.readLine() == "TRUE";

    plant.CompartmentCount =
        ReadPlantFileIndex(in, 1, MaxCompartments, "The number of compartments");
    plant.InfluentFlow = in.readReal(0.0, kMaxPlantValue, "the flow of the 1st influent");
    plant.Influent2Flow = in.readReal(0.0, kMaxPlantValue, "the flow of the 2nd influent");
    plant.ReturnFlow = in.readReal(0.0, kMaxPlantValue, "the return sludge flow");
    plant.RecircFlow = in.readReal(0.0, kMaxPlantValue, "the recirculation flow");
    plant.InfluentReactor =
        ReadPlantFileIndex(in, 1, MaxCompartments, "The reactor of the 1st influent");
    plant.Influent2Reactor =
        ReadPlantFileIndex(in, 1, MaxCompartments, "The reactor of the 2nd influent");
    plant.ReturnReactor =
        ReadPlantFileIndex(in, 1, MaxCompartments, "The reactor of the return sludge");
    plant.RecircFrom =
        ReadPlantFileIndex(in, 1, MaxCompartments, "The origin of the recirculation");
    plant.RecircTo = ReadPlantFileIndex(in, 1, MaxCompartments, "The target of the recirculation");
    plant.ReactorCount =
        ReadPlantFileIndex(in, 1, plant.CompartmentCount, "The number of reactors");
    plant.SludgeAge = in.readReal(0.0, kMaxPlantValue, "the sludge age");
    if (plant.SludgeAge == 0.0)
        throw RangeError(in.located("the sludge age is 0."));
    plant.ExcessRate = in.readReal(); // repaired from the sludge age after reading
    plant.O2Saturation = in.readReal(0.0, kMaxPlantValue, "the oxygen saturation");
    plant.OperatingTemperature =
        in.readReal(kMinTemperature, kMaxTemperature, "the operating temperature");
    in.skipLine();

    // Species before firstUsed are stored but never used (the oxygen and the particulate
    // species of clarifier compartments), so they are not checked.
    const auto readRow = [&](SpeciesArray& row, bool dissolved, const std::string& where,
                             int firstUsed = 1) {
        const int count = dissolved ? model.NS : model.NX;
        for (int j = 1; j <= count; ++j) {
            if (j < firstUsed)
                row[j] = in.readReal();
            else
                row[j] = in.readConcentration(
                    QuotedName(dissolved ? model.NameS[j] : model.NameX[j]) + where);
        }
        in.skipLine();
    };
    readRow(influentS, true, " in the 1st influent");
    readRow(influentX, false, " in the 1st influent");
    readRow(plant.SIn2, true, " in the 2nd influent");
    readRow(plant.XIn2, false, " in the 2nd influent");

    for (int c = 1; c <= plant.CompartmentCount; ++c) {
        plant.Volume[c] =
            in.readReal(0.0, kMaxPlantValue, fmt::format("the volume of compartment {}", c));
        plant.O2Setpoint[c] = in.readReal(0.0, kMaxPlantValue,
                                          fmt::format("the oxygen setpoint of compartment {}", c));
        plant.Kla[c] =
            in.readReal(0.0, kMaxPlantValue, fmt::format("the kla of compartment {}", c));
        in.skipLine();
        const bool reactor = c <= plant.ReactorCount;
        const std::string where = fmt::format(" in compartment {}", c);
        readRow(state.S[c], true, where, reactor ? 1 : 2);
        readRow(state.X[c], false, where, reactor ? 1 : MaxSpecies + 1);
    }
}

void readBody(TextReader& in, const std::string& firstBoolean, bool oldestLayout,
              const TModelDef& model, SpeciesArray& influentS, SpeciesArray& influentX,
              TPlantDef& plant, TPlantState& state)
{
    readHead(in, firstBoolean, oldestLayout, model, influentS, influentX, plant, state);
    for (int k = 1; k <= plant.CompartmentCount + 4; ++k) {
        TControlLoopDef& loop = plant.ControlLoops[k];
        loop.Active = in.readLine() == "TRUE";
        loop.OnOff = in.readLine() == "TRUE";
        loop.ErwartetX = in.readReal();
        loop.ErwartetY = in.readReal();
        loop.Steigung = in.readReal();
        loop.Stellung2 = in.readReal();
        loop.Signal = in.readInt();
        loop.Compartment = ReadPlantFileIndex(in, 1, MaxCompartments,
                                              "The measuring compartment of a control loop");
        in.skipLine();
    }

    // Files of an older layout end here; the 2nd recirculation then keeps its values.
    if (!in.onlyBlanksRemain()) {
        plant.Recirc2From =
            ReadPlantFileIndex(in, 1, MaxCompartments, "The origin of the 2nd recirculation");
        plant.Recirc2To =
            ReadPlantFileIndex(in, 1, MaxCompartments, "The target of the 2nd recirculation");
        plant.Recirc2Flow = in.readReal(0.0, kMaxPlantValue, "the 2nd recirculation flow");
    }
}

} // namespace

void ReadPlantFileHead(TextReader& in, const TModelDef& model, SpeciesArray& influentS,
                       SpeciesArray& influentX, TPlantDef& plant, TPlantState& state)
{
    readHead(in, std::string(), false, model, influentS, influentX, plant, state);
}

std::string PlantFileReal(double value)
{
    return FormatFileReal(value, 12); // R:12, four significant digits
}

const char* PlantFileBoolean(bool value)
{
    return value ? "TRUE" : "FALSE";
}

int ReadPlantFileIndex(TextReader& in, int low, int high, const char* what)
{
    const int value = in.readInt();
    if (value < low || value > high)
        throw RangeError(
            in.located(fmt::format("{} {} lies outside {}..{}.", what, value, low, high)));
    return value;
}

std::string NotValidForModelMessage(const std::filesystem::path& path)
{
    return path.filename().string() + " is not valid for this model!";
}

bool FileMatchesModel(const std::string& line2, const std::string& modelName)
{
    return !modelName.empty() && line2.find(modelName) != std::string::npos;
}

std::string ReadFileModelLines(TextReader& in, const std::string& fileName,
                               const TModelDef& model)
{
    std::string versionLine = in.readLine();
    const std::string modelLine = in.readLine();
    if (!FileMatchesModel(modelLine, model.ModelName))
        throw InvalidFileError(fileName + " is not valid for this model!",
                               fmt::format("{}, line 2: \"{}\" does not name the model \"{}\".",
                                           fileName, modelLine, model.ModelName));
    return versionLine;
}

std::string ReadPlantFileKeyword(const std::filesystem::path& path, const TModelDef& model)
{
    const std::string fileName = path.filename().string();
    TextReader in(readFileBytes(path), fileName);
    try {
        const std::string keyword = readHeader(in, fileName, model);
        return keyword == "TRUE" || keyword == "FALSE" ? "Unknown" : keyword;
    } catch (const InvalidFileError&) {
        throw;
    } catch (const Error& e) {
        throw InvalidFileError(fileName + " is not valid for this model!", e.what());
    }
}

void WriteStandardPlantText(std::ostream& out, const std::string& keyword, const TModelDef& model,
                            const TPlantDef& plant, const TPlantState& state)
{
    CheckModelCounts(model);
    if (plant.CompartmentCount < 1 || plant.CompartmentCount > MaxCompartments)
        throw RangeError(fmt::format("The plant has {} compartments; allowed are 1 to {}.",
                                     plant.CompartmentCount, MaxCompartments));
    TextWriter w(out);
    w.line(std::string("NARV ") + ProgramVersionText);
    w.line(model.ModelName);
    w.line(keyword);
    w.line(PlantFileBoolean(plant.SludgeSeparation));
    w.line(PlantFileBoolean(plant.RecircActive));
    w.line(PlantFileBoolean(plant.ControlLoopsActive));
    w.line(fmt::format(
        "{:3d} {} {} {} {} {:2d} {:2d} {:2d} {:2d} {:2d} {:2d} {} {} {} {}", plant.CompartmentCount,
        PlantFileReal(plant.InfluentFlow), PlantFileReal(plant.Influent2Flow),
        PlantFileReal(plant.ReturnFlow), PlantFileReal(plant.RecircFlow), plant.InfluentReactor,
        plant.Influent2Reactor, plant.ReturnReactor, plant.RecircFrom, plant.RecircTo,
        plant.ReactorCount, PlantFileReal(plant.SludgeAge), PlantFileReal(plant.ExcessRate),
        PlantFileReal(plant.O2Saturation), PlantFileReal(plant.OperatingTemperature)));
    const auto influentLine = [](const SpeciesArray& row, int count, const char* label) {
        std::string line;
        for (int j = 1; j <= count; ++j)
            line.append(" ").append(PlantFileReal(row[j]));
        return line.append(label);
    };
    w.line(influentLine(model.InfluentS, model.NS, " S Influent 1"));
    w.line(influentLine(model.InfluentX, model.NX, " X Influent 1"));
    w.line(influentLine(plant.SIn2, model.NS, " s Influent 2"));
    w.line(influentLine(plant.XIn2, model.NX, " X Influent 2"));
    const auto stateLine = [](const SpeciesArray& row, int count, const char* label, int c) {
        std::string line;
        for (int j = 1; j <= count; ++j)
            line.append(PlantFileReal(row[j])).append(" ");
        return line + fmt::format("{}{:2d}", label, c);
    };
    for (int c = 1; c <= plant.CompartmentCount; ++c) {
        w.line(fmt::format("{} {} {} V O2 kla {:2d}", PlantFileReal(plant.Volume[c]),
                           PlantFileReal(plant.O2Setpoint[c]), PlantFileReal(plant.Kla[c]), c));
        w.line(stateLine(state.S[c], model.NS, " S ", c));
        w.line(stateLine(state.X[c], model.NX, " X ", c));
    }
    for (int k = 1; k <= plant.CompartmentCount + 4; ++k) {
        const TControlLoopDef& loop = plant.ControlLoops[k];
        w.line(PlantFileBoolean(loop.Active));
        w.line(PlantFileBoolean(loop.OnOff));
        w.line(fmt::format("{} {} {} {} {:2d} {:2d} loop {:2d}", PlantFileReal(loop.ErwartetX),
                           PlantFileReal(loop.ErwartetY), PlantFileReal(loop.Steigung),
                           PlantFileReal(loop.Stellung2), loop.Signal, loop.Compartment, k));
    }
    w.line(fmt::format("{:2d} {:2d} {}", plant.Recirc2From, plant.Recirc2To,
                       PlantFileReal(plant.Recirc2Flow)));
    if (!out)
        throw IoError("Write error while saving the plant.");
}

std::string ReadStandardPlantText(TextReader& in, const std::string& fileName, TModelDef& model,
                                  TPlantDef& plant, TPlantState& state)
{
    const std::string typeLine = readHeader(in, fileName, model);
    if (isSpecialKeyword(typeLine))
        throw Error(fmt::format("{}: a plant file of type {} is read by the reader of its type "
                                "(ReadAnyPlantFile), not by the standard reader.",
                                fileName, typeLine));
    const bool oldestLayout = typeLine == "TRUE" || typeLine == "FALSE";

    auto newModel = std::make_unique<TModelDef>(model);
    auto newPlant = std::make_unique<TPlantDef>(plant);
    auto newState = std::make_unique<TPlantState>(state);
    try {
        readBody(in, typeLine, oldestLayout, model, newModel->InfluentS, newModel->InfluentX,
                 *newPlant, *newState);
        if (std::fabs(newPlant->ExcessRate - 1.0 / newPlant->SludgeAge) > 1e-5)
            newPlant->ExcessRate = 1.0 / newPlant->SludgeAge;
        if (!newPlant->Influent2Enabled) {
            newPlant->Influent2Flow = 0.0;
            newPlant->Recirc2Flow = 0.0;
        }
        ConvertToOperatingTemperature(*newModel, newPlant->OperatingTemperature,
                                      newModel->BaseTemperature);
    } catch (const Error& e) {
        throw InvalidFileError(fileName + " is not valid for this model!", e.what());
    }
    model = *newModel;
    plant = *newPlant;
    state = *newState;
    return oldestLayout ? "Unknown" : typeLine;
}

std::string ReadPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                          TPlantState& state)
{
    const std::string fileName = path.filename().string();
    TextReader in(readFileBytes(path), fileName);
    try {
        return ReadStandardPlantText(in, fileName, model, plant, state);
    } catch (const InvalidFileError&) {
        throw;
    } catch (const IoError& e) {
        // A file that ends inside its header.
        throw InvalidFileError(fileName + " is not valid for this model!", e.what());
    }
}

void WritePlantFile(const std::filesystem::path& path, const std::string& keyword,
                    const TModelDef& model, const TPlantDef& plant, const TPlantState& state)
{
    if (isSpecialKeyword(keyword))
        throw Error(fmt::format("A plant of type {} is written by the writer of its type "
                                "(WriteAnyPlantFile), not by the standard writer.",
                                keyword));
    writeFileAtomically(path, [&](std::ostream& out) {
        WriteStandardPlantText(out, keyword, model, plant, state);
    });
}

} // namespace narv
