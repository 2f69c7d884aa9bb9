#pragma once

#include "core/TextUtil.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"

#include <string>
#include <vector>

namespace narv {

// Where every recorded quantity of a run lies among its series: the one layout of the recording
// of standard and A/I plants, of the SBR recording (one compartment) and of the run charts.
// Species j and process p count from 1 as in the model; compartments r from 1.
class RecordedSeriesLayout {
public:
    RecordedSeriesLayout(int NS, int NX, int NP, int compartmentCount, bool laneFed);
    RecordedSeriesLayout(const TModelDef& model, const TPlantDef& plant);

    static constexpr int timeSteps() { return 0; }
    // 1 influent, 2 return sludge (SBR: volume), 3 recirculation (SBR: supernatant),
    // 4 excess sludge (SBR: mixed liquor).
    static constexpr int flow(int i) { return i; }
    int influentDissolved(int j) const { return 4 + j; }
    int influentParticulate(int j) const { return 4 + m_NS + j; }
    // A clarifier compartment records the dissolved species but oxygen; the other series of its
    // block are "not used".
    int dissolved(int r, int j) const { return blockStart(r) + j - 1; }
    int particulate(int r, int j) const { return blockStart(r) + m_NS + j - 1; }
    int processRate(int r, int p) const { return blockStart(r) + m_NS + m_NX + p - 2; } // p >= 2
    int oxygenRate(int r) const { return blockStart(r) + m_NS + m_NX + m_NP - 1; }
    int kla(int r) const { return blockStart(r) + m_NS + m_NX + m_NP; }
    int temperature() const { return blockStart(m_compartments + 1); }
    int influent2Flow() const { return temperature() + 1; }
    int laneFed() const { return temperature() + 2; } // A/I plants only
    // 5 + NS + NX + nC (NS + NX + NP + 1) + 2, plus 1 for A/I.
    int count() const { return temperature() + 2 + (m_laneFed ? 1 : 0); }

private:
    int blockStart(int r) const { return 5 + m_NS + m_NX + (r - 1) * (m_NS + m_NX + m_NP + 1); }

    int m_NS;
    int m_NX;
    int m_NP;
    int m_compartments;
    bool m_laneFed;
};

// The number of recorded quantities of the plant: RecordedSeriesLayout::count().
int RecordedQuantityCount(const TModelDef& model, const TPlantDef& plant);

// One recording of every series, index = position in row (RecordedSeriesLayout): the first
// recording of a run creates the series (createSeries); appendPoints appends the values,
// rounded to single precision, at x.
void StoreRecording(TResultSet& results, const std::vector<double>& row, double x,
                    bool createSeries, bool appendPoints, const TModelDef& model,
                    const TPlantDef& plant);

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
