#pragma once

#include "model/ModelDef.h"

namespace narv::testing {

// A carbon and nitrogen removal model of the size of ASM1: 7 dissolved and 6 particulate
// species, aeration and 8 processes with Monod, inhibition, variable-order and adsorption
// factors, converted to its base temperature.
TModelDef MakeCarbonNitrogenModel();

// Typical concentrations of an aerated reactor for that model.
void FillTypicalState(SpeciesArray& S, SpeciesArray& X);

} // namespace narv::testing
