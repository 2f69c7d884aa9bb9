#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <memory>
#include <string>
#include <vector>

namespace narv::modelgen {

inline constexpr const char* kAsm1BenchmarkProject = "asm1-benchmark";

// The model, plant and variation of an example project as the program holds them after
// loading its files.
struct ExampleCase {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;
};

// ASM1 at 15 °C on the benchmark plant with an ideal clarifier, its constant influent and a
// dry-weather diurnal variation of flow and load (12 steps of 2 hours).
std::unique_ptr<ExampleCase> MakeAsm1BenchmarkCase();

// One file of an example project: its name in the project directory and its bytes.
struct ExampleFile {
    std::string fileName;
    std::string bytes;
};

// examples/asm1-benchmark as the program's writers write it: asm1-benchmark.mod, .pln, .vrt,
// and measured.cin.csv, three days of hourly operating data with a rain event on the third.
std::vector<ExampleFile> Asm1BenchmarkProjectFiles();

} // namespace narv::modelgen
