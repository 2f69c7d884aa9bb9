#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace narv {

class TextReader;

inline constexpr const char* kVariationFileExtension = ".vrt";
inline constexpr int MaxVariationRows = 74;    // 5 flows + 25 + 25 species + 18 kla + temperature
inline constexpr int MaxVariationPoints = 288; // steps of a cycle
inline constexpr int kVariationKlaRows = 18;
inline constexpr int kOldVariationKlaRows = 12; // files of earlier releases
// The largest value the variation editor accepts: relative values 0..1e20, temperature
// differences -1e20..1e20 [K] (the run floors the temperature at 0 °C).
inline constexpr double kMaxVariationValue = 1e20;

// The variation table: rows 0..73 (quantities), columns 0..289 (0 the neutral point, 1..N the
// steps, N+1 the factors).
using VariationTable =
    ArrayRange<ArrayRange<double, 0, MaxVariationPoints + 1>, 0, MaxVariationRows - 1>;

// The relative courses of flows, influent concentrations and kla, and the temperature
// difference, over one cycle. A default-constructed variation is neutral (every relative value
// 1, every temperature difference 0) with 12 points of a one-day cycle.
struct TVariationDef {
    TVariationDef();

    double CycleDuration = 1.0; // [d]
    int PointCount = 12;        // a divisor of 288
    bool VaryConc2 = false;     // the relative concentrations apply to the 2nd influent too
    VariationTable Values;
};

// Row positions, which depend on the model's counts.
inline int VariationSpeciesRowS(int j)
{
    return 4 + j;
}
inline int VariationSpeciesRowX(const TModelDef& model, int j)
{
    return 4 + model.NS + j;
}
inline int VariationKlaRow(const TModelDef& model, int k)
{
    return 4 + model.NS + model.NX + k;
}
inline int VariationTemperatureRow(const TModelDef& model)
{
    return 23 + model.NS + model.NX;
}

// The neutral variation: 12 points of one day, every relative value 1, temperature 0;
// VaryConc2 when the plant has a 2nd influent. Column 289 is left as it was.
void ResetVariation(TVariationDef& variation, const TModelDef& model, const TPlantDef& plant);

// The plant's own values that a variation multiplies: saved before a run, restored after it.
struct PlantBaseValues {
    double OperatingTemperature = 0.0;
    double InfluentFlow = 0.0;
    double ReturnFlow = 0.0;
    double RecircFlow = 0.0;
    double ExcessRate = 0.0;
    double Influent2Flow = 0.0;
    double Recirc2Flow = 0.0;
    CompartmentArray Kla;
    SpeciesArray SIn1;
    SpeciesArray XIn1;
    SpeciesArray SIn2;
    SpeciesArray XIn2;
};

PlantBaseValues SavePlantBaseValues(const TModelDef& model, const TPlantDef& plant);

// Puts the saved values back (flows, kla, the four influent arrays, temperature) and converts
// the model to the restored temperature.
void RestorePlantBaseValues(const PlantBaseValues& base, TModelDef& model, TPlantDef& plant);

// Saves the plant's base values and puts them back however a run ends.
class PlantBaseValueGuard {
public:
    PlantBaseValueGuard(TModelDef& model, TPlantDef& plant);
    ~PlantBaseValueGuard();
    PlantBaseValueGuard(const PlantBaseValueGuard&) = delete;
    PlantBaseValueGuard& operator=(const PlantBaseValueGuard&) = delete;
    const PlantBaseValues& base() const { return m_base; }

private:
    TModelDef& m_model;
    TPlantDef& m_plant;
    PlantBaseValues m_base;
};

// Sets the plant's current values for step i (1..N) from the base values: temperature first
// (floored at 0 °C, with the model converted to it), the five flows, the kla of compartments
// 1..CompartmentCount, the 1st influent and, with VaryConc2, the 2nd.
void ApplyVariationPoint(const TVariationDef& variation, int step, const PlantBaseValues& base,
                         TModelDef& model, TPlantDef& plant);

// What row of the table holds, for messages: "influent flow", "concentration of \"S_S\"".
std::string VariationRowName(const TModelDef& model, int row);

// The relative kla of every compartment in column step (0: the neutral column), as the control
// loops read it.
CompartmentArray RelativeKlaOfStep(const TVariationDef& variation, const TModelDef& model,
                                   int step);

// ((p1 * 100 + p2) * 100 + p3) * 100 + p4 of the digits and points of text: "1.2.3" gives
// 10203. Throws NumericFormatError for an empty part (also for a text without digits), for
// more than four parts and for a part of more than four digits.
inline constexpr int kVersionParts = 4;
long long VersionNumber(const std::string& text);

// The variation file. The reader checks the model name like the plant reader, recognises the
// 12 kla rows of earlier releases by the number of values on the first value line, and reads
// into a copy: on any error the variation is unchanged.
void WriteVariationText(std::ostream& out, const TVariationDef& variation, const TModelDef& model);
void ReadVariationText(TextReader& in, const std::string& fileName, TVariationDef& variation,
                       const TModelDef& model);
void WriteVariationFile(const std::filesystem::path& path, const TVariationDef& variation,
                        const TModelDef& model);
void ReadVariationFile(const std::filesystem::path& path, TVariationDef& variation,
                       const TModelDef& model);

} // namespace narv
