#pragma once

#include "model/ModelDef.h"

#include <span>

namespace narv::modelgen {

// ASM1 (Henze et al., 1987), written as data/models/asm1.mod.
TModelDef MakeAsm1();

// ASM3 (Gujer et al., 1999), written as data/models/asm3.mod.
TModelDef MakeAsm3();

struct DeliveredModel {
    const char* fileName; // in data/models
    TModelDef (*make)();
};

// Every model shipped in data/models, in the order they are written.
std::span<const DeliveredModel> DeliveredModels();

} // namespace narv::modelgen
