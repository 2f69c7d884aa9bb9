#pragma once

#include "model/ModelDef.h"

#include <iosfwd>

namespace narv {

class TextReader;

inline constexpr const char* kModelFileExtension = ".mod";

// Writes every stored field of the model in the model-file layout (single-byte text, CR LF).
void WriteModelText(std::ostream& out, const TModelDef& model);

// Reads the model-file layout into model, field by field; fields the file does not hold keep
// their values. Throws IoError, NumericFormatError or RangeError with the file and line; the
// caller reads into a copy so that a failure leaves its model untouched. The post-load steps
// that touch the plant are the caller's.
void ReadModelText(TextReader& in, TModelDef& model);

} // namespace narv
