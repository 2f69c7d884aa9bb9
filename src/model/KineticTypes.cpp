#include "model/KineticTypes.h"

#include <array>

namespace narv {
namespace {

constexpr std::array<KineticTypeInfo, kDissolvedTypeCount> kDissolved = {{
    {"Zero order", "1.0", "", SecondValue::None},
    {"First order", "S", "", SecondValue::None},
    {"Variable order", "S^n", "Exponent n: ", SecondValue::None},
    {"Monod", "S/(Ks+S)", "Saturation value Ks: ", SecondValue::None},
    {"Inhibition", "Ki/(Ki+S)", "Inhibition value Ki: ", SecondValue::None},
    {"Two substrates", "S1/(Ks+S1))\u00B7(S1/(S1+S2)",
     "Saturation value Ks: ", SecondValue::Species},
    {"Gas stripping", "Kla\u00B7(S-K1)", "Stripping value K1: ", SecondValue::None},
    {"Exponential", "exp(K\u00B7S)", "Exponential term Ke: ", SecondValue::None},
    {"Monod II", "S^j/(Ks^j+S^j)", "Saturation value Ks: ", SecondValue::Exponent},
    {"Inhibition II", "Ki^j/(Ki^j+S^j)", "Inhibition value Ki: ", SecondValue::Exponent},
    {"Gas stripping II", "S-K1", "Stripping value K1: ", SecondValue::None},
    {"Gas stripping III", "S1-K1\u00B7S2", "Stripping value K1: ", SecondValue::Species},
}};

constexpr std::array<KineticTypeInfo, kParticulateTypeCount> kParticulate = {{
    {"Zero order", "1.0", "", SecondValue::None},
    {"First order", "X", "", SecondValue::None},
    {"Variable order", "X^n", "Exponent n: ", SecondValue::None},
    {"Adsorption", "(X1/X2)/(Kx+(X1/X2))", "Adsorption value Kx: ", SecondValue::Species},
    {"Inhibition", "Kx /(Kx+(X1/X2))", "Inhibition value Kx: ", SecondValue::Species},
    {"Inh./Saturation", "(Kx-X1/X2)/(1.05\u00B7Kx-X1/X2)",
     "Saturation value Kx: ", SecondValue::Species},
}};

} // namespace

const KineticTypeInfo* DissolvedTypeInfo(int type)
{
    if (type < 0 || type >= kDissolvedTypeCount)
        return nullptr;
    return &kDissolved[static_cast<std::size_t>(type)];
}

const KineticTypeInfo* ParticulateTypeInfo(int type)
{
    if (type < 0 || type >= kParticulateTypeCount)
        return nullptr;
    return &kParticulate[static_cast<std::size_t>(type)];
}

} // namespace narv
