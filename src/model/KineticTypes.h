#pragma once

#include <string>

namespace narv {

inline constexpr int kDissolvedTypeCount = 12;  // TKineticTypeS 0..11
inline constexpr int kParticulateTypeCount = 6; // TKineticTypeX 0..5

// What Compound2S / Compound2X hold for a type.
enum class SecondValue { None, Species, Exponent };

struct KineticTypeInfo {
    const char* name;
    const char* formula;          // UTF-8; "·" is the middle dot of the single-byte set
    const char* parameterCaption; // caption under which the parameter is entered; "" for none
    SecondValue second;
};

// Type out of the table: nullptr.
const KineticTypeInfo* DissolvedTypeInfo(int type);
const KineticTypeInfo* ParticulateTypeInfo(int type);

// Types 0 and 1 carry no parameter and are not converted to the operating temperature.
inline bool TypeHasParameter(int type)
{
    return type != 0 && type != 1;
}

} // namespace narv
