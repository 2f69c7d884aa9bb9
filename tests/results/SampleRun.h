#pragma once

#include "SolverCases.h"
#include "results/Recording.h"

namespace narv::testing {

// 3 dissolved and 2 particulate species and 4 processes: the runs whose charts the tests count.
inline TModelDef MakeFourProcessModel()
{
    TModelDef model = MakeInertModel();
    model.NP = 4;
    model.ProcessName[1] = "Aeration";
    model.ProcessName[2] = "Growth   of  biomass";
    model.ProcessName[3] = "Decay";
    model.ProcessName[4] = "Hydrolysis";
    return model;
}

// Series of every recorded quantity with points at X = 0, 2, 4 ...; the Y of series i at point
// k is level * (i + 1) + k, so every series and every run is told apart by its values.
inline void RecordSampleRun(TResultSet& results, const TModelDef& model, const TPlantDef& plant,
                            int points, double level)
{
    ClearSeries(results);
    const int count = RecordedQuantityCount(model, plant);
    for (int i = 0; i < count; ++i)
        CreateSeries(results, i, model, plant);
    for (int k = 0; k < points; ++k)
        for (int i = 0; i < count; ++i)
            AppendPoint(results, i, 2.0 * k, level * (i + 1) + k);
}

} // namespace narv::testing
