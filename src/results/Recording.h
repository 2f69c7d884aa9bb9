#pragma once

#include "core/TextUtil.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"

#include <string>

namespace narv {

// The number of recorded quantities: 5 + NS + NX + nC (NS + NX + NP + 1) + 2, plus 1 for A/I.
int RecordedQuantityCount(const TModelDef& model, const TPlantDef& plant);

// Frees all series; Series becomes empty.
void ClearSeries(TResultSet& results);

// Rebuilds Quantities from the model and plant: one caption + "=t" (concentration) or "=f"
// per series index.
void BuildQuantityList(TResultSet& results, const TModelDef& model, const TPlantDef& plant);

// Grows Series to index + 1 and puts a new, empty series at index; index 0 first rebuilds
// Quantities.
void CreateSeries(TResultSet& results, int index, const TModelDef& model, const TPlantDef& plant);

void AppendPoint(TResultSet& results, int index, double x, double y);

// When and how a recording is made.
struct RecordingTime {
    double cycleTime = 0.0;     // time within the cycle [d]
    double cycleDuration = 1.0; // [d]
    int cycle = 0;              // 0-based
    bool allCycles = false;     // X continues over the cycles instead of restarting
    bool createSeries = false;  // the first recording of a run creates the series
    int laneFed = 0;            // the lane fed, recorded for A/I plants
};

// Appends one point to every series in index order: X the time in hours, Y every quantity's
// value rounded to single precision. Evaluates the rates of every reactor (which may raise
// floors in its state, as every rate evaluation does).
void RecordResults(TResultSet& results, TModelDef& model, TPlantDef& plant, TPlantState& state,
                   const RecordingTime& time);

} // namespace narv
