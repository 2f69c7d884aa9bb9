#include "dynamics/ContinuousSimulation.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/TextReader.h"
#include "core/TextUtil.h"
#include "core/TextWriter.h"
#include "dynamics/Variation.h"
#include "model/Temperature.h"
#include "solvers/Integrator.h"
#include "solvers/PlantIntegrator.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <exception>
#include <ostream>

namespace narv {
namespace {

constexpr int kTemplateNameWidth = 12;
constexpr int kTimeWidth = 20;
constexpr int kValueWidth = 12;
constexpr int kHeaderLines = 4;

const char* const kLeadingNames[kContinuousLeadingColumns] = {
    "Time_in_hours", "Temperature", "Influent",  "2.Influent",
    "ReturnSludge",  "1.Recycle",   "2.Recycle",
};

std::vector<std::string> inputColumnNames(const TModelDef& model)
{
    std::vector<std::string> names(std::begin(kLeadingNames), std::end(kLeadingNames));
    for (int j = 1; j <= model.NS; ++j)
        names.push_back(model.NameS[j]);
    for (int j = 1; j <= model.NX; ++j)
        names.push_back(model.NameX[j]);
    return names;
}

void writeHeader(std::ostream& out, const TModelDef& model, const std::vector<std::string>& names)
{
    std::string columns;
    for (const std::string& name : names)
        columns += fmt::format("{:>{}}{}", name, kTemplateNameWidth, kContinuousSeparator);
    TextWriter w(out);
    w.line(model.ProgramVersion);
    w.line(model.ModelName);
    w.line("");
    w.line(columns);
}

void appendValue(std::string& row, double value, int width)
{
    row += FormatFileReal(value, width);
    row += kContinuousSeparator;
}

// Reads the values of one row, checking each as it comes.
class RowReader {
public:
    RowReader(TextReader& in, const TModelDef& model)
        : m_in(in), m_names(inputColumnNames(model)),
          m_count(kContinuousLeadingColumns + model.NS + model.NX)
    {
    }

    double next()
    {
        if (m_in.onlyBlanksRemain())
            throw NumericFormatError(m_in.located(
                fmt::format("the row that starts at line {} ends after {} of its {} values (time, "
                            "temperature, five flows and the influent concentrations).",
                            m_startLine, m_index, m_count)));
        const std::string token(m_in.readToken());
        if (m_index == 0)
            m_startLine = m_in.lineNumber();
        double value = 0.0;
        if (!parseReal(token, value)) {
            const bool comma = token.find(',') != std::string::npos;
            throw NumericFormatError(m_in.located(fmt::format(
                "\"{}\" ({}) is not a number.{}", EchoText(token), name(),
                comma ? " Separate the values by blanks or \";\" and write decimals with \".\"."
                      : "")));
        }
        ++m_index;
        return value;
    }

    double nextBetween(double min, double max, const std::string& unit)
    {
        const double value = next();
        if (value < min || value > max)
            outOfRange(value, fmt::format("allowed are {} to {}{}", formatLimit(min),
                                          formatLimit(max), unit));
        return value;
    }

    void startRow()
    {
        m_index = 0;
        m_startLine = 0;
    }
    int startLine() const { return m_startLine; }

private:
    const std::string& name() const { return m_names[static_cast<std::size_t>(m_index)]; }

    [[noreturn]] void outOfRange(double value, const std::string& rule) const
    {
        // m_index already counts the value read.
        const std::string& column = m_names[static_cast<std::size_t>(m_index - 1)];
        throw RangeError(m_in.located(
            fmt::format("{} = {} is out of range; {}.", column, formatShortest(value), rule)));
    }

    TextReader& m_in;
    std::vector<std::string> m_names;
    int m_count;
    int m_index = 0;
    int m_startLine = 0;
};

// convertedAt: the temperature the model's parameters were last converted to in this run.
void applyRow(const ContinuousInputRow& row, TModelDef& model, TPlantDef& plant,
              std::optional<double>& convertedAt)
{
    plant.OperatingTemperature = row.temperature;
    plant.InfluentFlow = row.influentFlow;
    plant.Influent2Flow = row.influent2Flow;
    plant.ReturnFlow = row.returnFlow;
    plant.RecircFlow = row.recircFlow;
    plant.Recirc2Flow = row.recirc2Flow;
    for (int j = 1; j <= model.NS; ++j)
        model.InfluentS[j] = row.SIn1[j];
    for (int j = 1; j <= model.NX; ++j)
        model.InfluentX[j] = row.XIn1[j];
    if (convertedAt == plant.OperatingTemperature)
        return; // the conversion is a function of the temperature alone
    ConvertToOperatingTemperature(model, plant.OperatingTemperature, model.BaseTemperature);
    convertedAt = plant.OperatingTemperature;
}

void checkWritten(const std::ostream& out)
{
    if (!out)
        throw IoError("Write error in the output table of the continuous simulation.");
}

// An error of the computation itself, after which the rows written so far are still right.
bool isComputationError(const Error& e)
{
    return dynamic_cast<const SimulationError*>(&e) != nullptr ||
           dynamic_cast<const FloatingPointError*>(&e) != nullptr;
}

double cutOffHours(const TPlantState& state)
{
    return state.Time * 24.0;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    const auto canonicalA = std::filesystem::weakly_canonical(a, ec);
    if (ec)
        return false;
    const auto canonicalB = std::filesystem::weakly_canonical(b, ec);
    return !ec && canonicalA == canonicalB;
}

} // namespace

double ContinuousInputTable::lastTimeHours() const
{
    double last = 0.0;
    for (const ContinuousInputRow& row : rows)
        last = std::max(last, row.timeHours);
    return last;
}

std::string ContinuousWorkingCopy(std::string bytes)
{
    std::replace(bytes.begin(), bytes.end(), ';', ' ');
    return bytes;
}

ContinuousInputTable ReadContinuousInputText(const std::string& bytes,
                                             const std::string& sourceName, const TModelDef& model)
{
    CheckModelCounts(model);
    TextReader in(ContinuousWorkingCopy(bytes), sourceName);
    for (int i = 0; i < kHeaderLines; ++i)
        in.skipLine();

    ContinuousInputTable table;
    table.sourceName = sourceName;
    RowReader values(in, model);
    while (!in.onlyBlanksRemain()) {
        ContinuousInputRow row;
        values.startRow();
        // Negative times cannot be reached from the start at 0 h.
        row.timeHours = values.nextBetween(0.0, kMaxContinuousHours, " h");
        row.line = values.startLine();
        row.temperature = values.nextBetween(kMinTemperature, kMaxTemperature, " °C");
        // Negative flows or concentrations would drive the mass balances out of their domain.
        row.influentFlow = values.nextBetween(0.0, kMaxPlantValue, " m3/d");
        row.influent2Flow = values.nextBetween(0.0, kMaxPlantValue, " m3/d");
        row.returnFlow = values.nextBetween(0.0, kMaxPlantValue, " m3/d");
        row.recircFlow = values.nextBetween(0.0, kMaxPlantValue, " m3/d");
        row.recirc2Flow = values.nextBetween(0.0, kMaxPlantValue, " m3/d");
        for (int j = 1; j <= model.NS; ++j)
            row.SIn1[j] = values.nextBetween(0.0, kMaxConcentration, "");
        for (int j = 1; j <= model.NX; ++j)
            row.XIn1[j] = values.nextBetween(0.0, kMaxConcentration, "");
        in.skipLine();
        table.rows.push_back(row);
    }

    if (table.rows.empty())
        throw InvalidFileError(kContinuousNoDataMessage,
                               sourceName + ": no data rows follow the four header lines.");
    if (!(table.lastTimeHours() > 0.0))
        throw InvalidFileError(kContinuousNoDataMessage,
                               sourceName + ": no row has a time after 0 hours.");
    return table;
}

ContinuousInputTable ReadContinuousInputFile(const std::filesystem::path& path,
                                             const TModelDef& model)
{
    return ReadContinuousInputText(readFileBytes(path), path.filename().string(), model);
}

void WriteContinuousTemplate(std::ostream& out, const TModelDef& model)
{
    CheckModelCounts(model);
    writeHeader(out, model, inputColumnNames(model));
    checkWritten(out);
}

void WriteContinuousTemplateFile(const std::filesystem::path& path, const TModelDef& model)
{
    writeFileAtomically(path, [&](std::ostream& out) { WriteContinuousTemplate(out, model); });
}

void WriteContinuousOutputHeader(std::ostream& out, const TModelDef& model, const TPlantDef& plant)
{
    std::vector<std::string> names = inputColumnNames(model);
    names.emplace_back("ExcessRate");
    for (int k = 1; k <= plant.ReactorCount; ++k)
        names.push_back(fmt::format("Kla_{}", k));
    writeHeader(out, model, names);
}

std::string ContinuousOutputRow(double timeHours, const TModelDef& model, const TPlantDef& plant,
                                const TPlantState& state, int compartment)
{
    std::string row;
    appendValue(row, timeHours, kTimeWidth);
    for (const double value : {plant.OperatingTemperature, plant.InfluentFlow, plant.Influent2Flow,
                               plant.ReturnFlow, plant.RecircFlow, plant.Recirc2Flow})
        appendValue(row, value, kValueWidth);
    for (int j = 1; j <= model.NS; ++j)
        appendValue(row, state.S[compartment][j], kValueWidth);
    for (int j = 1; j <= model.NX; ++j)
        appendValue(row, state.X[compartment][j], kValueWidth);
    appendValue(row, plant.ExcessRate, kValueWidth);
    for (int k = 1; k <= plant.ReactorCount; ++k)
        appendValue(row, plant.Kla[k], kValueWidth);
    return row;
}

ContinuousSimulation::ContinuousSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                           const TSimSettings& settings)
    : m_model(model), m_plant(plant), m_state(state), m_settings(settings)
{
}

ContinuousOutcome ContinuousSimulation::run(RunControl& control, const ContinuousInputTable& table,
                                            int compartment, std::ostream& out)
{
    CheckModelCounts(m_model);
    if (m_plant.PlantType == TFlowschemeType::ftSBR || m_plant.PlantType == TFlowschemeType::ftAI)
        throw Error(fmt::format("The continuous simulation is not available for plants of type {}.",
                                FlowschemeKeyword(m_plant.PlantType)));
    if (compartment < 1 || compartment > m_plant.CompartmentCount)
        throw RangeError(fmt::format("The output compartment {} does not exist; the plant has "
                                     "compartments 1 to {}.",
                                     compartment, m_plant.CompartmentCount));
    if (table.rows.empty() || !(table.lastTimeHours() > 0.0))
        throw InvalidFileError(kContinuousNoDataMessage,
                               table.sourceName + ": no row has a time after 0 hours.");

    const std::string endText = FormatFixed(1, 3, table.lastTimeHours() / 24.0);
    CompartmentArray neutralKla; // variation index 0: every relative kla is 1
    neutralKla.fill(1.0);
    const std::unique_ptr<PlantIntegrator> integrator =
        MakeSelectedIntegrator(m_model, m_plant, m_state, m_settings);
    const PlantBaseValues saved = SavePlantBaseValues(m_model, m_plant);
    ContinuousOutcome outcome;
    try {
        WriteContinuousOutputHeader(out, m_model, m_plant);
        TextWriter writer(out);
        const auto writeRow = [&](double timeHours) {
            writer.line(ContinuousOutputRow(timeHours, m_model, m_plant, m_state, compartment));
            checkWritten(out);
            ++outcome.rowsWritten;
        };
        // The clock in hours as the table gives it, so that the output repeats the input times
        // exactly rather than after a round trip through days.
        double clockHours = 0.0;
        writeRow(clockHours);
        std::optional<double> convertedAt;
        for (const ContinuousInputRow& row : table.rows) {
            applyRow(row, m_model, m_plant, convertedAt);
            ++outcome.rowsApplied;
            if (clockHours < row.timeHours) {
                const double end = row.timeHours / 24.0;
                integrator->integrate(control, false, 0, neutralKla, clockHours / 24.0, end,
                                      endText);
                ++outcome.integrations;
                outcome.stopped = control.stopRequested();
                clockHours =
                    outcome.stopped && m_state.Time < end ? m_state.Time * 24.0 : row.timeHours;
            }
            writeRow(clockHours);
            control.idle();
            if (outcome.stopped || control.stopRequested()) {
                outcome.stopped = true;
                break;
            }
        }
        outcome.timeHours = clockHours;
    } catch (const Error& e) {
        RestorePlantBaseValues(saved, m_model, m_plant);
        // A computation that breaks down leaves the rows up to then, marked as cut off.
        if (isComputationError(e) && outcome.rowsWritten > 0 && out) {
            TextWriter(out).line(
                fmt::format("cut off at {} h: {}", formatShortest(cutOffHours(m_state)), e.what()));
            checkWritten(out);
        }
        throw;
    } catch (...) {
        RestorePlantBaseValues(saved, m_model, m_plant);
        throw;
    }
    RestorePlantBaseValues(saved, m_model, m_plant);
    return outcome;
}

ContinuousOutcome ContinuousSimulation::runFiles(RunControl& control,
                                                 const std::filesystem::path& input,
                                                 const std::filesystem::path& output,
                                                 int compartment)
{
    const ContinuousInputTable table = ReadContinuousInputFile(input, m_model);
    if (sameFile(input, output))
        throw IoError(fmt::format("The output table {} would replace the input table; choose "
                                  "another output file.",
                                  output.string()));
    ContinuousOutcome outcome;
    std::exception_ptr cutOff;
    writeFileAtomically(output, [&](std::ostream& out) {
        try {
            outcome = run(control, table, compartment, out);
        } catch (const Error& e) {
            if (!isComputationError(e))
                throw;
            cutOff = std::current_exception(); // the table so far is kept, marked as cut off
        }
    });
    if (cutOff)
        std::rethrow_exception(cutOff);
    return outcome;
}

} // namespace narv
