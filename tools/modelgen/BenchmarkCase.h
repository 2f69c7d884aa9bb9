#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <filesystem>
#include <string>
#include <vector>

namespace narv::modelgen {

// One published value of the benchmark's open-loop steady state.
struct PublishedValue {
    int reactor;     // 1..5
    bool dissolved;  // species of the dissolved or the particulate list
    int species;     // in the model's order
    std::string name; // as the table names it, e.g. "S_NH"
    double value;
};

// The benchmark plant with an ideal clarifier, its constant influent and the ASM1 parameters,
// all at full precision, as openloop-steady-state.json gives them, with the published table.
// The state starts at the model's initial conditions (the published last reactor, rounded).
struct BenchmarkCase {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    std::vector<PublishedValue> published;
};

// Reads data/benchmark/openloop-steady-state.json. Throws narv::Error naming the file and the
// entry for a file that cannot be read or lacks an entry.
BenchmarkCase LoadBenchmarkCase(const std::filesystem::path& path);

} // namespace narv::modelgen
