#include "dynamics/Variation.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextReader.h"
#include "core/TextUtil.h"
#include "core/TextWriter.h"
#include "core/Version.h"
#include "model/Temperature.h"
#include "plant/PlantFile.h"

#include <fmt/format.h>

#include <memory>
#include <ostream>

namespace narv {
namespace {

bool dividesCycle(int points)
{
    return points >= 1 && points <= MaxVariationPoints && MaxVariationPoints % points == 0;
}

// Columns 0..288 of the relative rows 1.0 and of the temperature row 0.0; column 289 stays.
void setNeutral(TVariationDef& variation, const TModelDef& model)
{
    const int temperatureRow = VariationTemperatureRow(model);
    for (int row = 0; row <= temperatureRow; ++row)
        for (int column = 0; column <= MaxVariationPoints; ++column)
            variation.Values[row][column] = row == temperatureRow ? 0.0 : 1.0;
}

} // namespace

TVariationDef::TVariationDef()
{
    // Neutral from the start for any model: the control loops read column 0 of the kla rows
    // before any variation is set up or loaded.
    for (auto& row : Values) {
        row.fill(1.0);
        row[MaxVariationPoints + 1] = 0.0;
    }
}

void ResetVariation(TVariationDef& variation, const TModelDef& model, const TPlantDef& plant)
{
    CheckModelCounts(model);
    variation.PointCount = 12;
    variation.CycleDuration = 1.0;
    variation.VaryConc2 = plant.Influent2Flow != 0.0;
    setNeutral(variation, model);
}

PlantBaseValues SavePlantBaseValues(const TModelDef& model, const TPlantDef& plant)
{
    PlantBaseValues base;
    base.OperatingTemperature = plant.OperatingTemperature;
    base.InfluentFlow = plant.InfluentFlow;
    base.ReturnFlow = plant.ReturnFlow;
    base.RecircFlow = plant.RecircFlow;
    base.ExcessRate = plant.ExcessRate;
    base.Influent2Flow = plant.Influent2Flow;
    base.Recirc2Flow = plant.Recirc2Flow;
    base.Kla = plant.Kla;
    base.SIn1 = model.InfluentS;
    base.XIn1 = model.InfluentX;
    base.SIn2 = plant.SIn2;
    base.XIn2 = plant.XIn2;
    return base;
}

void RestorePlantBaseValues(const PlantBaseValues& base, TModelDef& model, TPlantDef& plant)
{
    plant.InfluentFlow = base.InfluentFlow;
    plant.Influent2Flow = base.Influent2Flow;
    plant.ReturnFlow = base.ReturnFlow;
    plant.RecircFlow = base.RecircFlow;
    plant.Recirc2Flow = base.Recirc2Flow;
    plant.ExcessRate = base.ExcessRate;
    plant.Kla = base.Kla;
    model.InfluentS = base.SIn1;
    model.InfluentX = base.XIn1;
    plant.SIn2 = base.SIn2;
    plant.XIn2 = base.XIn2;
    plant.OperatingTemperature = base.OperatingTemperature;
    ConvertToOperatingTemperature(model, plant.OperatingTemperature, model.BaseTemperature);
}

PlantBaseValueGuard::PlantBaseValueGuard(TModelDef& model, TPlantDef& plant)
    : m_model(model), m_plant(plant), m_base(SavePlantBaseValues(model, plant))
{
}

PlantBaseValueGuard::~PlantBaseValueGuard()
{
    try {
        RestorePlantBaseValues(m_base, m_model, m_plant);
    } catch (const Error&) {
        // The temperature before the run converted then; it cannot fail now.
    }
}

void ApplyVariationPoint(const TVariationDef& variation, int step, const PlantBaseValues& base,
                         TModelDef& model, TPlantDef& plant)
{
    const auto& V = variation.Values;
    const int factor = variation.PointCount + 1;
    double temperature = base.OperatingTemperature + V[VariationTemperatureRow(model)][step];
    if (!(temperature >= 0.0))
        temperature = 0.0;
    plant.OperatingTemperature = temperature;
    ConvertToOperatingTemperature(model, plant.OperatingTemperature, model.BaseTemperature);

    plant.InfluentFlow = base.InfluentFlow * V[0][step] * V[0][factor];
    plant.ReturnFlow = base.ReturnFlow * V[1][step] * V[1][factor];
    plant.RecircFlow = base.RecircFlow * V[2][step] * V[2][factor];
    plant.ExcessRate = base.ExcessRate * V[3][step] * V[3][factor];
    plant.Influent2Flow = base.Influent2Flow * V[4][step] * V[4][factor];
    for (int k = 1; k <= plant.CompartmentCount; ++k) {
        const int row = VariationKlaRow(model, k);
        plant.Kla[k] = base.Kla[k] * V[row][step] * V[row][factor];
    }
    for (int j = 1; j <= model.NS; ++j) {
        const int row = VariationSpeciesRowS(j);
        model.InfluentS[j] = base.SIn1[j] * V[row][step] * V[row][factor];
        if (variation.VaryConc2)
            plant.SIn2[j] = base.SIn2[j] * V[row][step] * V[row][factor];
    }
    for (int j = 1; j <= model.NX; ++j) {
        const int row = VariationSpeciesRowX(model, j);
        model.InfluentX[j] = base.XIn1[j] * V[row][step] * V[row][factor];
        if (variation.VaryConc2)
            plant.XIn2[j] = base.XIn2[j] * V[row][step] * V[row][factor];
    }
}

std::string VariationRowName(const TModelDef& model, int row)
{
    static const char* const flows[] = {"influent flow", "return sludge flow", "recirculation flow",
                                        "excess sludge rate", "2nd influent flow"};
    if (row >= 0 && row <= 4)
        return flows[row];
    if (row <= 4 + model.NS)
        return "concentration of " + QuotedName(model.NameS[row - 4]);
    if (row <= 4 + model.NS + model.NX)
        return "concentration of " + QuotedName(model.NameX[row - 4 - model.NS]);
    if (row < VariationTemperatureRow(model))
        return fmt::format("kla of compartment {}", row - 4 - model.NS - model.NX);
    return "temperature difference";
}

CompartmentArray RelativeKlaOfStep(const TVariationDef& variation, const TModelDef& model, int step)
{
    CompartmentArray relative;
    for (int k = 1; k <= MaxCompartments; ++k)
        relative[k] = variation.Values[VariationKlaRow(model, k)][step];
    return relative;
}

long long VersionNumber(const std::string& text)
{
    std::string kept;
    for (const char c : text)
        if ((c >= '0' && c <= '9') || c == '.')
            kept += c;
    const auto refuse = [&](const char* why) {
        return NumericFormatError(
            fmt::format("\"{}\" is not a valid version number{}.", EchoText(text), why));
    };
    // Four parts of at most four digits each cannot overflow the combined number.
    long long number = 0;
    std::size_t start = 0;
    for (int parts = 1;; ++parts) {
        if (parts > kVersionParts)
            throw refuse(" (more than four parts)");
        const std::size_t point = kept.find('.', start);
        const std::string part =
            kept.substr(start, point == std::string::npos ? std::string::npos : point - start);
        int value = 0;
        if (part.size() > 4 || !parseInteger(part, value))
            throw refuse("");
        number = number * 100 + value;
        if (point == std::string::npos)
            return number;
        start = point + 1;
    }
}

void WriteVariationText(std::ostream& out, const TVariationDef& variation, const TModelDef& model)
{
    CheckModelCounts(model);
    if (!dividesCycle(variation.PointCount))
        throw RangeError(
            fmt::format("A variation of {} points cannot be saved.", variation.PointCount));
    TextWriter w(out);
    w.line(std::string("NARV ") + ProgramVersionText);
    w.line(model.ModelName);
    w.line(fmt::format("{:>8}{:8d}", FormatFileReal(variation.CycleDuration, 8),
                       variation.PointCount));
    w.line(variation.VaryConc2 ? "TRUE" : "FALSE");
    const int lastRow = VariationTemperatureRow(model);
    for (int i = 1; i <= variation.PointCount + 1; ++i) {
        std::string line;
        for (int row = 0; row <= lastRow; ++row)
            line.append(FormatFileReal(variation.Values[row][i], 12)).append(" ");
        w.line(line);
    }
    if (!out)
        throw IoError("Write error while saving the variation.");
}

void ReadVariationText(TextReader& in, const std::string& fileName, TVariationDef& variation,
                       const TModelDef& model)
{
    CheckModelCounts(model);
    const std::string versionLine = ReadFileModelLines(in, fileName, model);
    auto read = std::make_unique<TVariationDef>(variation);
    read->CycleDuration = in.readReal();
    read->PointCount = in.readInt();
    in.skipLine();
    if (!dividesCycle(read->PointCount))
        throw RangeError(in.located(
            fmt::format("{} points do not divide a cycle of 288 steps.", read->PointCount)));
    if (!(read->CycleDuration >= 0.0 && read->CycleDuration * 24.0 <= 1e9))
        throw RangeError(in.located("the duration of the cycle lies outside 0 to 1e9 hours."));
    read->VaryConc2 = in.readLine().substr(0, 70) == "TRUE";
    setNeutral(*read, model);

    // The first value line tells the layout: earlier releases wrote 12 kla rows. Only when its
    // number of values fits neither layout does the version of the writing program decide.
    const int species = model.NS + model.NX;
    const int values = in.tokensLeftOnLine();
    int klaRows = kVariationKlaRows;
    if (values == 6 + kOldVariationKlaRows + species)
        klaRows = kOldVariationKlaRows;
    else if (values != 6 + kVariationKlaRows + species &&
             VersionNumber(versionLine) < VersionNumber(ProgramVersionText))
        klaRows = kOldVariationKlaRows;

    const int temperatureRow = VariationTemperatureRow(model);
    for (int i = 1; i <= read->PointCount + 1; ++i) {
        const std::string where =
            i <= read->PointCount ? fmt::format("in time step {}", i) : std::string("factor");
        for (int row = 0; row <= 4 + species + klaRows; ++row)
            read->Values[row][i] =
                in.readReal(0.0, kMaxVariationValue,
                            fmt::format("the relative {} {}", VariationRowName(model, row), where));
        read->Values[temperatureRow][i] =
            in.readReal(-kMaxVariationValue, kMaxVariationValue,
                        fmt::format("the temperature difference {}", where));
        in.skipLine();
    }
    variation = *read;
}

void WriteVariationFile(const std::filesystem::path& path, const TVariationDef& variation,
                        const TModelDef& model)
{
    writeFileAtomically(path,
                        [&](std::ostream& out) { WriteVariationText(out, variation, model); });
}

void ReadVariationFile(const std::filesystem::path& path, TVariationDef& variation,
                       const TModelDef& model)
{
    TextReader in(readFileBytes(path), path.filename().string());
    ReadVariationText(in, path.filename().string(), variation, model);
}

} // namespace narv
