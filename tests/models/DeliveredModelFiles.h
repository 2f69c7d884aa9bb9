#pragma once

#include "core/AtomicFile.h"
#include "core/TextReader.h"
#include "model/ModelDef.h"
#include "model/ModelFile.h"
#include "model/Temperature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace narv::testing {

inline std::filesystem::path DeliveredModelPath(const std::string& fileName)
{
    return std::filesystem::path(NARV_SOURCE_DIR) / "data" / "models" / fileName;
}

// The shipped file as the program loads it, at its base temperature.
inline std::unique_ptr<TModelDef> LoadDeliveredModel(const std::string& fileName)
{
    auto model = std::make_unique<TModelDef>();
    TextReader in(readFileBytes(DeliveredModelPath(fileName)), fileName);
    ReadModelText(in, *model);
    model->ThetaKr[1] = 0.0;
    ConvertToOperatingTemperature(*model, model->BaseTemperature, model->BaseTemperature);
    return model;
}

// The number of the process whose name is `name`; 0 (and a test failure) when there is none.
inline int ProcessNumber(const TModelDef& model, const std::string& name)
{
    for (int p = 1; p <= model.NP; ++p)
        if (model.ProcessName[p] == name)
            return p;
    ADD_FAILURE() << model.ModelName << " has no process \"" << name << "\"";
    return 0;
}

} // namespace narv::testing
