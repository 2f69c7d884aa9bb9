#pragma once

#include "model/ModelDef.h"

#include <span>

namespace narv::modelgen {

// ASM1 (Henze et al., 1987), written as data/models/asm1.mod.
TModelDef MakeAsm1();

// ASM3 (Gujer et al., 1999), written as data/models/asm3.mod.
TModelDef MakeAsm3();

// ASM1 as the benchmark plant uses it, at 15 °C: the model of examples/asm1-benchmark.
TModelDef MakeAsm1Benchmark();

struct DeliveredModel {
    const char* fileName; // in data/models
    TModelDef (*make)();
};

// Every model shipped in data/models, in the order they are written.
std::span<const DeliveredModel> DeliveredModels();

} // namespace narv::modelgen
