#include "DeliveredModels.h"

#include <array>

namespace narv::modelgen {

std::span<const DeliveredModel> DeliveredModels()
{
    static constexpr std::array<DeliveredModel, 2> models{{
        {"asm1.mod", &MakeAsm1},
        {"asm3.mod", &MakeAsm3},
    }};
    return models;
}

} // namespace narv::modelgen
