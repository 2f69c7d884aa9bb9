#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace narv::fuzz {

// The input as the readers see a file's bytes.
inline std::string Bytes(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

// A model read as the program reads it, with the state that loading it leaves.
struct LoadedModel {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
};

// The models of the repository (examples, delivered models, test models), read once: plant and
// variation inputs are read against the one whose name their line 2 holds.
const std::vector<LoadedModel>& Models();
const LoadedModel& ModelFor(const std::string& bytes);

// A finding that no sanitizer sees: an invariant of the readers that does not hold.
[[noreturn]] void Fail(const char* what, const std::string& detail);

} // namespace narv::fuzz
