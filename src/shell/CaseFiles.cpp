#include "shell/CaseFiles.h"

#include "dynamics/Variation.h"
#include "plant/ModelSetup.h"
#include "shell/SimulationSettingsFile.h"
#include "special/SpecialPlantFile.h"

namespace narv {

LoadedCase LoadCase(Workspace& workspace, const CaseFiles& files)
{
    Workspace& w = workspace;
    LoadedCase loaded;
    ReadModelFile(files.model, w.model, w.plant, w.state);
    ResetVariation(w.variation, w.model, w.plant);
    if (files.plant) {
        loaded.plantKeyword =
            ReadAnyPlantFile(*files.plant, w.model, w.plant, w.state, w.sbr, w.ai);
        w.plant.PlantType = FlowschemeTypeFromKeyword(loaded.plantKeyword);
    }
    if (files.variation)
        loaded.variationWarning = ReadAnyVariationFile(*files.variation, w.variation, w.aiVariation,
                                                       w.model, w.plant, w.ai);
    return loaded;
}

TSimSettings LoadSimulationSettings(const std::optional<std::filesystem::path>& file)
{
    if (file)
        return ReadSimulationSettings(*file);
    return SimSettingsForMissingKeys();
}

void SavePlant(const Workspace& workspace, const std::string& keyword,
               const std::filesystem::path& path)
{
    const Workspace& w = workspace;
    WriteAnyPlantFile(path, keyword, w.model, w.plant, w.state, w.sbr, w.ai);
}

} // namespace narv
