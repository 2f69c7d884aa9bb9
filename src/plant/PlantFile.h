#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace narv {

class TextReader;

inline constexpr const char* kPlantFileExtension = ".pln";

// Fields of the plant files of every type: a real in 12 characters with four significant
// digits, a Boolean line, and an integer that must lie in low..high (RangeError otherwise).
std::string PlantFileReal(double value);
const char* PlantFileBoolean(bool value);
int ReadPlantFileIndex(TextReader& in, int low, int high, const char* what);

// "<file name> is not valid for this model!": the one message of a refused plant or variation file.
std::string NotValidForModelMessage(const std::filesystem::path& path);

// Whether line 2 of a plant or variation file names the loaded model: the model's name must
// occur in it; an empty name occurs nowhere.
bool FileMatchesModel(const std::string& line2, const std::string& modelName);

// Lines 1 and 2 of a plant or variation file: returns the version line; throws InvalidFileError
// naming the file and its line 2 when that line does not name the loaded model.
std::string ReadFileModelLines(TextReader& in, const std::string& fileName,
                               const TModelDef& model);

// The type keyword of line 3 of a plant file after the model check: "Unknown" for the
// oldest layout without a type line. Throws InvalidFileError when the file is not for the model.
std::string ReadPlantFileKeyword(const std::filesystem::path& path, const TModelDef& model);

// Writes the header and the standard body (types other than SBR and AI) under keyword.
void WriteStandardPlantText(std::ostream& out, const std::string& keyword, const TModelDef& model,
                            const TPlantDef& plant, const TPlantState& state);

// The part of the body that plants with A/I processes share with the standard ones: the three
// Boolean lines, the numeric line, the four influent lines and the compartment triples.
void ReadPlantFileHead(TextReader& in, const TModelDef& model, SpeciesArray& influentS,
                       SpeciesArray& influentX, TPlantDef& plant, TPlantState& state);

// Reads a plant file of a standard type: the plant definition, its control loops, the
// influents (the 1st into the model's influent) and the compartment concentrations; repairs
// the excess-sludge rate, clears the 2nd influent where the type in force has none, and
// converts the model to the plant's temperature. Returns the type keyword ("Unknown" for the
// oldest layout). Everything is read into copies: on any error model, plant and state are as
// they were, and an InvalidFileError says "<file name> is not valid for this model!".
std::string ReadStandardPlantText(TextReader& in, const std::string& fileName, TModelDef& model,
                                  TPlantDef& plant, TPlantState& state);

// The file commands of the standard types. SBR and AI bodies belong to the special plants,
// whose entry points (ReadAnyPlantFile, WriteAnyPlantFile) route every type; handed one of
// them, these refuse it with an error that names the right entry point. Writing goes through
// a temporary file.
std::string ReadPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                          TPlantState& state);
void WritePlantFile(const std::filesystem::path& path, const std::string& keyword,
                    const TModelDef& model, const TPlantDef& plant, const TPlantState& state);

} // namespace narv
