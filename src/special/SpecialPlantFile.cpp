#include "special/SpecialPlantFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextReader.h"
#include "plant/PlantFile.h"
#include "special/AIFile.h"
#include "special/SbrFile.h"

namespace narv {

std::string ReadAnyPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                             TPlantState& state, TSbrCycle& sbr, TAIPlant& ai)
{
    const std::string fileName = path.filename().string();
    const std::string bytes = readFileBytes(path);
    std::string keyword;
    {
        // Only the type line decides; every reader checks the header itself.
        TextReader header(bytes, fileName);
        try {
            header.readLine();
            header.readLine();
            keyword = header.readLine();
        } catch (const IoError&) {
        }
    }
    TextReader in(bytes, fileName);
    try {
        if (keyword == "SBR") {
            ReadSbrPlantText(in, fileName, model, plant, state, sbr);
            return keyword;
        }
        if (keyword == "AI") {
            ReadAIPlantText(in, fileName, model, plant, state, ai);
            return keyword;
        }
        return ReadStandardPlantText(in, fileName, model, plant, state);
    } catch (const InvalidFileError&) {
        throw;
    } catch (const IoError& e) {
        // A file that ends inside its header.
        throw InvalidFileError(fileName + " is not valid for this model!", e.what());
    }
}

void WriteAnyPlantFile(const std::filesystem::path& path, const std::string& keyword,
                       const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                       const TSbrCycle& sbr, const TAIPlant& ai)
{
    if (keyword == "SBR")
        WriteSbrPlantFile(path, model, plant, state, sbr);
    else if (keyword == "AI")
        WriteAIPlantFile(path, model, plant, state, ai);
    else
        WritePlantFile(path, keyword, model, plant, state);
}

std::optional<std::string> ReadAnyVariationFile(const std::filesystem::path& path,
                                                TVariationDef& variation, TAIVariation& lanes,
                                                const TModelDef& model, const TPlantDef& plant,
                                                TAIPlant& ai)
{
    if (plant.PlantType == TFlowschemeType::ftAI)
        return ReadAIVariationFile(path, variation, lanes, model, plant, ai);
    ReadVariationFile(path, variation, model);
    return std::nullopt;
}

std::optional<std::string> WriteAnyVariationFile(const std::filesystem::path& path,
                                                 const TVariationDef& variation,
                                                 TAIVariation& lanes, const TModelDef& model,
                                                 const TPlantDef& plant)
{
    if (plant.PlantType == TFlowschemeType::ftAI)
        return WriteAIVariationFile(path, variation, lanes, model);
    WriteVariationFile(path, variation, model);
    return std::nullopt;
}

} // namespace narv
