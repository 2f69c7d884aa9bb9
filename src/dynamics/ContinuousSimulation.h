#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/SimSettings.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace narv {

inline constexpr const char* kContinuousInputExtension = ".cin.csv";
inline constexpr const char* kContinuousOutputExtension = ".cou.csv";
inline constexpr const char* kContinuousNoDataMessage = "Input file contains no data!";

// The column separator of every table the program writes. Fixed rather than taken from the
// locale, so that the reader (blanks or ";") always reads what the program wrote.
inline constexpr char kContinuousSeparator = ';';

// Values of the input table ahead of the influent concentrations: time, temperature, 5 flows.
inline constexpr int kContinuousLeadingColumns = 7;

// One row of the input table: the conditions that govern the interval ending at its time.
struct ContinuousInputRow {
    int line = 0;              // line of the file where the row starts, for messages
    double timeHours = 0.0;    // [h] from the start of the simulation
    double temperature = 20.0; // [°C]
    double influentFlow = 0.0; // [m3/d]
    double influent2Flow = 0.0;
    double returnFlow = 0.0;
    double recircFlow = 0.0;
    double recirc2Flow = 0.0;
    SpeciesArray SIn1; // 1st influent, species 1..NS
    SpeciesArray XIn1; // 1st influent, species 1..NX
};

// The data rows of an input table, read and checked completely before a run changes anything.
struct ContinuousInputTable {
    std::string sourceName;
    std::vector<ContinuousInputRow> rows;

    double lastTimeHours() const; // the largest row time [h]
};

// The input text with every ";" turned into a blank: what the reader parses. It is kept in
// memory, so no working file is left behind in the project directory.
std::string ContinuousWorkingCopy(std::string bytes);

// Reads an input table: four header lines skipped unread, then rows of 7 + NS + NX reals
// separated by blanks or ";" (a row may continue over line ends; the rest of the line after
// its last value is ignored). Throws NumericFormatError or RangeError naming the file and the
// line for a value that is not a number or out of range, and InvalidFileError with
// kContinuousNoDataMessage when no row has a time after 0.
ContinuousInputTable ReadContinuousInputText(const std::string& bytes,
                                             const std::string& sourceName, const TModelDef& model);
ContinuousInputTable ReadContinuousInputFile(const std::filesystem::path& path,
                                             const TModelDef& model);

// The empty input table offered to the user: the four header lines, no data rows.
void WriteContinuousTemplate(std::ostream& out, const TModelDef& model);
void WriteContinuousTemplateFile(const std::filesystem::path& path, const TModelDef& model);

// The four header lines of the output table. Its fourth line also names the excess-sludge
// and kla columns, which the template does not have.
void WriteContinuousOutputHeader(std::ostream& out, const TModelDef& model, const TPlantDef& plant);

// One output row without its line end: the time (width 20), temperature, five flows, the
// concentrations of the compartment, the excess-sludge rate and the kla of every reactor
// (width 12 each), every field followed by the separator.
std::string ContinuousOutputRow(double timeHours, const TModelDef& model, const TPlantDef& plant,
                                const TPlantState& state, int compartment);

struct ContinuousOutcome {
    int rowsApplied = 0;    // input rows whose values were set
    int integrations = 0;   // intervals integrated
    int rowsWritten = 0;    // output rows, the initial one included
    bool stopped = false;   // ended by a stop request
    double timeHours = 0.0; // [h] the simulation clock at the end
};

// Drives a standard plant through an input table: after the output row of the initial state,
// every row sets temperature (with the model converted to it), flows and 1st-influent
// concentrations, the plant is integrated from the clock up to the row's time, and the state
// of the chosen compartment is written as one output row.
//
// The clock never runs backwards: a row whose time is not after the clock only sets its
// values, and its output row carries the clock's time, so that no interval is integrated twice
// and no row shows a state at a time it does not have. A stop ends the run after the current
// row, which then carries the time actually reached. After the run, also after an error or a
// stop, the flows, temperature, kla values, influent concentrations and excess-sludge rate of
// before the run are back (the model converted to that temperature); the compartment states
// stay as simulated. A window pauses the run inside RunControl::idle, called after every row.
class ContinuousSimulation {
public:
    ContinuousSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                         const TSimSettings& settings);

    // compartment 1..CompartmentCount (RangeError otherwise); SBR and A/I plants are refused.
    ContinuousOutcome run(RunControl& control, const ContinuousInputTable& table, int compartment,
                          std::ostream& out);

    // Reads the whole input first, so bad input changes neither the plant nor the output
    // file. The output is written through a temporary file renamed over the target when the
    // run ends or is stopped, or when the computation breaks down (a SimulationError or
    // FloatingPointError, rethrown): then its last line "cut off at T h: <message>" marks it
    // as cut off. After any other error the previous output file stays as it was.
    ContinuousOutcome runFiles(RunControl& control, const std::filesystem::path& input,
                               const std::filesystem::path& output, int compartment);

private:
    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSimSettings& m_settings;
};

} // namespace narv
