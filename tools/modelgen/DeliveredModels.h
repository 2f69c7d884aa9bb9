#pragma once

#include "model/ModelDef.h"

#include <span>

namespace narv::modelgen {

// ASM1 (Henze et al., 1987), written as data/models/asm1.mod.
TModelDef MakeAsm1();

// ASM3 (Gujer et al., 1999), written as data/models/asm3.mod.
TModelDef MakeAsm3();

struct Asm1Parameters;

// ASM1 as the benchmark plant uses it, at 15 °C: the model of examples/asm1-benchmark.
TModelDef MakeAsm1Benchmark();
// The same matrix with other parameters (the built-in verification reads them at full
// precision); Asm1BenchmarkParameters are those of MakeAsm1Benchmark().
TModelDef MakeAsm1Benchmark(const Asm1Parameters& parameters);
Asm1Parameters Asm1BenchmarkParameters();

struct DeliveredModel {
    const char* fileName; // in data/models
    TModelDef (*make)();
};

// Every model shipped in data/models, in the order they are written.
std::span<const DeliveredModel> DeliveredModels();

} // namespace narv::modelgen
