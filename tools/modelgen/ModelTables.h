#pragma once

#include "model/ModelDef.h"

#include <initializer_list>
#include <string>
#include <string_view>

// Helpers for writing a published model as tables: species, processes and kinetic factors.
namespace narv::modelgen {

// The kinetic types the delivered models use.
inline constexpr int kFirstOrderS = 1; // S
inline constexpr int kMonodS = 3;      // S/(K+S)
inline constexpr int kInhibitionS = 4; // K/(K+S)
inline constexpr int kFirstOrderX = 1; // X
inline constexpr int kAdsorptionX = 3; // (X/X2)/(K+X/X2)
inline constexpr int kInhibitionX = 4; // K/(K+X/X2)

// A kinetic parameter at 20 °C and at 10 °C, as the models' sources publish them.
struct ValuePair {
    double at20;
    double at10;

    // ln(k20 / k10) / 10 [1/°C], exactly 0 for a value given as temperature independent.
    double theta() const;
};

struct SpeciesRow {
    std::string_view name;
    std::string_view unit;
    double influent;
    double initial;
};

// "S " or "X ", then a label of 14 characters: the name at the left, the unit at the right.
std::string SpeciesName(char kind, std::string_view name, std::string_view unit);

// Header, counts and species of a new model at a base temperature of 20 °C, with aeration as
// process 1 and no other process yet. Each temperature coefficient starts at 0.
void StartModel(TModelDef& model, std::string_view modelName,
                std::initializer_list<std::string_view> remarks,
                std::initializer_list<SpeciesRow> dissolved,
                std::initializer_list<SpeciesRow> particulate);

// Appends a process and returns its number.
int AddProcess(TModelDef& model, std::string_view name, double rateConstant, double theta);

void SetDissolvedFactor(TModelDef& model, int process, int species, int type, double k,
                        double theta = 0.0);
void SetParticulateFactor(TModelDef& model, int process, int species, int type, double k = 0.0,
                          double theta = 0.0, int secondSpecies = 0);

// Converts the parameters to the base temperature, as loading the file would.
void FinishModel(TModelDef& model);

} // namespace narv::modelgen
