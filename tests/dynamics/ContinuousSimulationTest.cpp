#include "dynamics/ContinuousSimulation.h"

#include "FakeRunControl.h"
#include "SolverCases.h"
#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"
#include "solvers/Integrator.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace narv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::filesystem::path kData = NARV_TEST_DATA_DIR;

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "every line ends with CR LF";
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Field i (0-based) of an output row.
double field(const std::string& row, int i)
{
    std::stringstream in(row);
    std::string token;
    for (int k = 0; k <= i; ++k)
        std::getline(in, token, ';');
    double value = 0.0;
    EXPECT_TRUE(parseReal(token.substr(token.find_first_not_of(' ')), value)) << token;
    return value;
}

// Two reactors and one clarifier compartment of the inert model: transport alone, 24 volumes
// a day, so a tracer changes noticeably within an hour.
struct Continuous : ::testing::Test {
    Continuous() : model(testing::MakeInertModel()), plant(testing::MakeCascade(2, 1, 2400.0))
    {
        for (int c = 1; c <= 3; ++c) {
            state.S[c][3] = 10.0;
            state.X[c][1] = 50.0;
        }
        model.InfluentS[3] = 1.0;
    }

    // A row of the inert model: time, temperature 20, the 1st influent flow, tracer S2.
    static std::string row(double hours, double flow, double tracer)
    {
        return fmt::format("{};20;{};0;0;0;0;0;{};0;0;0;", hours, flow, tracer);
    }
    static std::string table(const std::vector<std::string>& rows)
    {
        std::string text = "NARV 1.0.0.0\r\nInert\r\n\r\nnames\r\n";
        for (const std::string& r : rows)
            text += r + "\r\n";
        return text;
    }
    ContinuousInputTable read(const std::string& text)
    {
        return ReadContinuousInputText(text, "in.cin.csv", model);
    }
    std::vector<std::string> run(const std::vector<std::string>& rows, RunControl& control,
                                 int compartment = 1)
    {
        std::ostringstream out;
        outcome = ContinuousSimulation(model, plant, state, settings)
                      .run(control, read(table(rows)), compartment, out);
        return splitLines(out.str());
    }
    std::vector<std::string> run(const std::vector<std::string>& rows)
    {
        RunControl control;
        return run(rows, control);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSimSettings settings = SimSettingsForMissingKeys();
    ContinuousOutcome outcome;
};

TEST_F(Continuous, RowsAtZeroOneTwoHoursGiveTheInitialRowAndOneRowEach)
{
    // The reference: the same intervals integrated by hand with the rows' values.
    TPlantDef refPlant = plant;
    TPlantState refState = state;
    TModelDef refModel = model;
    CompartmentArray neutral;
    neutral.fill(1.0);
    RunControl none;
    Integrator reference(refModel, refPlant, refState, settings);
    refPlant.InfluentFlow = 1200.0;
    refModel.InfluentS = {};
    refModel.InfluentX = {};
    refModel.InfluentS[2] = 80.0;
    reference.integrate(none, false, 0, neutral, 0.0, 1.0 / 24.0, "");
    const std::string atOne = ContinuousOutputRow(1.0, refModel, refPlant, refState, 1);
    refPlant.InfluentFlow = 600.0;
    refModel.InfluentS[2] = 40.0;
    reference.integrate(none, false, 0, neutral, 1.0 / 24.0, 2.0 / 24.0, "");
    const std::string atTwo = ContinuousOutputRow(2.0, refModel, refPlant, refState, 1);

    const std::string initial = ContinuousOutputRow(0.0, model, plant, state, 1);
    const auto lines = run({row(0, 1800, 100), row(1, 1200, 80), row(2, 600, 40)});
    ASSERT_EQ(lines.size(), 4u + 4u);
    EXPECT_EQ(lines[4], initial);
    EXPECT_EQ(field(lines[5], 0), 0.0);
    EXPECT_EQ(field(lines[5], 2), 1800.0) << "the row at 0 shows its own inputs";
    EXPECT_EQ(field(lines[5], 9), field(lines[4], 9)) << "but the state is not integrated";
    EXPECT_EQ(lines[6], atOne);
    EXPECT_EQ(lines[7], atTwo);
    EXPECT_EQ(outcome.integrations, 2);
    EXPECT_EQ(outcome.rowsWritten, 4);
}

TEST_F(Continuous, RepeatedAndEarlierTimesOnlySetValuesAndTheClockNeverRunsBack)
{
    const auto lines = run({row(2, 2400, 0), row(2, 2400, 0), row(1, 100, 0), row(3, 2400, 0)});
    ASSERT_EQ(lines.size(), 4u + 5u);
    std::vector<double> times;
    for (std::size_t i = 4; i < lines.size(); ++i)
        times.push_back(field(lines[i], 0));
    EXPECT_THAT(times, ElementsAre(0.0, 2.0, 2.0, 2.0, 3.0));
    EXPECT_EQ(outcome.integrations, 2) << "[0,2] h and [2,3] h, nothing twice";
    EXPECT_EQ(field(lines[7], 2), 100.0);
    EXPECT_EQ(lines[6].substr(20 + 7 * 13), lines[7].substr(20 + 7 * 13)) << "same state";
    EXPECT_EQ(state.Time, 3.0 / 24.0);
}

TEST_F(Continuous, TablesWithoutATimeAfterZeroHaveNoData)
{
    for (const std::string& text : {table({}), table({row(0, 100, 1), row(0, 200, 1)}),
                                    std::string("only\r\ntwo lines\r\n")}) {
        try {
            read(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const InvalidFileError& e) {
            EXPECT_STREQ(e.what(), "Input file contains no data!");
            EXPECT_THAT(e.detail(), HasSubstr("in.cin.csv"));
        }
    }
}

TEST_F(Continuous, BadValuesAreReportedWithFileAndLine)
{
    const auto message = [&](const std::string& text) -> std::string {
        try {
            read(text);
        } catch (const Error& e) {
            return e.what();
        }
        return "accepted";
    };
    EXPECT_EQ(message(table({row(1, 2400, 0), "2;20;1.2.3;0;0;0;0;0;0;0;0;0;"})),
              "in.cin.csv, line 6: \"1.2.3\" (Influent) is not a number.");
    EXPECT_THAT(message(table({"1,20,2400,0,0,0,0,0,0,0,0,0"})),
                HasSubstr("line 5: \"1,20,2400,0,0,0,0,0,0,0,0,0\" (Time_in_hours) is not a "
                          "number. Separate the values by blanks or \";\""));
    EXPECT_EQ(message(table({row(1, 2400, 0), "2;20;2400;0;0"})),
              "in.cin.csv, line 6: the row that starts at line 6 ends after 5 of its 12 values "
              "(time, temperature, five flows and the influent concentrations).");
    EXPECT_EQ(message(table({"1;120;2400;0;0;0;0;0;0;0;0;0;"})),
              "in.cin.csv, line 5: Temperature = 120 is out of range; allowed are -20 to 100 °C.");
    EXPECT_EQ(message(table({"1;20;2400;0;-5;0;0;0;0;0;0;0;"})),
              "in.cin.csv, line 5: ReturnSludge = -5 is out of range; allowed are 0 to 1e9 m3/d.");
    EXPECT_THAT(message(table({"1e7;20;2400;0;0;0;0;0;0;0;0;0;"})),
                HasSubstr("allowed are 0 to 2.4e6 h"));
    EXPECT_THAT(message(table({"1;20;2400;0;0;0;0;0;0;0;0;1e111;"})),
                HasSubstr("allowed are 0 to 1e110"));
    EXPECT_THAT(message(table({"-1;20;2400;0;0;0;0;0;0;0;0;0;"})), HasSubstr("Time_in_hours"));
}

TEST_F(Continuous, TheProgramReadsItsOwnTemplateAndOutputOnceDataAreAdded)
{
    std::ostringstream out;
    WriteContinuousTemplate(out, model);
    EXPECT_EQ(out.str(),
              "\r\nInert\r\n\r\nTime_in_hours; Temperature;    Influent;  2.Influent;"
              "ReturnSludge;   1.Recycle;   2.Recycle;S Oxygen      O2;S Tracer     g/m3;"
              "S Salt       g/m3;X Solids     g/m3;X Sand       g/m3;\r\n");
    // A row over two lines, blanks and ";" mixed, a comment after the last value.
    const ContinuousInputTable input = read(out.str() + row(0.5, 1000, 7) + "\r\n" +
                                            "1.5 25 1 2 3 4 5\n6 7 8\n9 10 ignored text\n");
    ASSERT_EQ(input.rows.size(), 2u);
    const ContinuousInputRow& second = input.rows[1];
    EXPECT_EQ(second.line, 6);
    EXPECT_EQ(second.temperature, 25.0);
    EXPECT_EQ(second.recirc2Flow, 5.0);
    EXPECT_EQ(second.SIn1[3], 8.0);
    EXPECT_EQ(second.XIn1[2], 10.0);

    // The output's leading columns are an input table again: an effluent can feed a next plant.
    std::ostringstream output;
    RunControl control;
    ContinuousSimulation(model, plant, state, settings).run(control, input, 3, output);
    const ContinuousInputTable again = read(output.str());
    ASSERT_EQ(again.rows.size(), 3u);
    EXPECT_EQ(again.rows[2].timeHours, 1.5);
    EXPECT_EQ(again.rows[2].recirc2Flow, 5.0);
    EXPECT_EQ(again.rows[2].XIn1[1], 50.0) << "a clarifier layer keeps its particulates";
}

TEST_F(Continuous, OutputRowsHaveTheirFixedWidths)
{
    plant.OperatingTemperature = 12.5;
    state.S[2][1] = 1.23456;
    EXPECT_EQ(ContinuousOutputRow(1.0 / 3.0, model, plant, state, 2),
              " 3.33333333333E-0001; 1.250E+0001; 2.400E+0003; 0.000E+0000; 0.000E+0000; "
              "0.000E+0000; 0.000E+0000; 1.235E+0000; 0.000E+0000; 1.000E+0001; 5.000E+0001; "
              "0.000E+0000; 1.667E-0001; 0.000E+0000; 0.000E+0000;");
}

TEST_F(Continuous, BaseValuesAreBackAfterARunAStopAndAnError)
{
    const TPlantDef before = plant;
    const SpeciesArray influentBefore = model.InfluentS;
    const auto expectRestored = [&](const char* when) {
        EXPECT_EQ(plant.InfluentFlow, before.InfluentFlow) << when;
        EXPECT_EQ(plant.Recirc2Flow, before.Recirc2Flow) << when;
        EXPECT_EQ(plant.OperatingTemperature, before.OperatingTemperature) << when;
        EXPECT_EQ(plant.Kla, before.Kla) << when;
        EXPECT_EQ(model.InfluentS, influentBefore) << when;
    };
    // A control loop holds the kla of reactor 1 at 150 during the run.
    TControlLoopDef& loop = plant.ControlLoops[kFirstKlaLoop];
    loop.Active = true;
    loop.OnOff = false;
    loop.Signal = kSignalInfluent;
    loop.ErwartetY = 150.0;
    loop.Steigung = 0.0;
    plant.ControlLoopsActive = true;
    const std::string changed = "1;30;100;1;2;3;4;0;100;0;0;0;";
    const auto output = run({changed, row(2, 2400, 5)});
    EXPECT_EQ(field(output.back(), 13), 150.0);
    expectRestored("after a run");
    EXPECT_NE(state.S[1][2], 0.0) << "the state stays as simulated";

    // Stop requests arrive after the row at 0 and within the first hour's integration.
    testing::FakeRunControl stopAtOnce(1);
    auto lines = run({row(0, 5, 5), row(1, 2400, 5), row(2, 2400, 5)}, stopAtOnce);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(lines.size(), 4u + 2u);
    expectRestored("after a stop between rows");
    testing::FakeRunControl stopInside(3);
    lines = run({row(0, 5, 5), row(1, 2400, 5), row(2, 2400, 5)}, stopInside);
    ASSERT_EQ(lines.size(), 4u + 3u);
    EXPECT_GT(field(lines[6], 0), 0.0);
    EXPECT_LT(field(lines[6], 0), 1.0) << "the last row carries the time reached";
    EXPECT_EQ(lines[6].substr(0, 20), FormatFileReal(outcome.timeHours, 20));
    expectRestored("after a stop inside an integration");

    plant.Volume[1] = 0.0;
    EXPECT_THROW(run({changed, row(2, 2400, 5)}), Error);
    expectRestored("after an error");
}

TEST_F(Continuous, EveryRowConvertsTheModelToItsTemperature)
{
    TModelDef small;
    TPlantDef smallPlant;
    TPlantState smallState;
    ReadModelFile(kData / "models" / "small.mod", small, smallPlant, smallState);
    ReadPlantFile(kData / "plants" / "asr-clarifier.pln", small, smallPlant, smallState);
    smallPlant.PlantType = TFlowschemeType::ftASR;
    ASSERT_EQ(smallPlant.OperatingTemperature, 20.0);

    // Records the growth rate constant in force when each row has been written.
    struct Recorder : RunControl {
        explicit Recorder(const TModelDef& m) : model(m) {}
        void idle() override { rates.push_back(model.KrT[2]); }
        const TModelDef& model;
        std::vector<double> rates;
    } recorder(small);
    std::ostringstream out;
    ContinuousSimulation(small, smallPlant, smallState, settings)
        .run(recorder, ReadContinuousInputText("\n\n\n\n1 30 5 0 5 0 0 0 200 10\n", "in", small), 1,
             out);
    ASSERT_FALSE(recorder.rates.empty());
    for (const double rate : recorder.rates)
        EXPECT_EQ(rate, small.Kr[2] * std::exp(small.ThetaKr[2] * 10.0)) << "at 30 °C";
    EXPECT_EQ(small.KrT[2], small.Kr[2]) << "back at 20 °C after the run";
}

TEST_F(Continuous, RefusesWhatItCannotSimulate)
{
    RunControl control;
    std::ostringstream out;
    const ContinuousInputTable input = read(table({row(1, 2400, 0)}));
    ContinuousSimulation simulation(model, plant, state, settings);
    EXPECT_THROW(simulation.run(control, input, 4, out), RangeError);
    plant.PlantType = TFlowschemeType::ftSBR;
    EXPECT_THROW(simulation.run(control, input, 1, out), Error);
    EXPECT_TRUE(out.str().empty());
}

struct ContinuousFiles : Continuous {
    ContinuousFiles()
    {
        dir = std::filesystem::temp_directory_path() /
              fmt::format("narv-continuous-{}-{}", ::getpid(),
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    ~ContinuousFiles() override { std::filesystem::remove_all(dir); }
    void write(const std::filesystem::path& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::filesystem::path dir;
};

TEST_F(ContinuousFiles, BadInputLeavesThePlantAndThePreviousOutputAlone)
{
    write(dir / "in.cin.csv", table({row(1, 2400, 0), "2;20;x;0;0;0;0;0;0;0;0;0;"}));
    write(dir / "out.cou.csv", "previous");
    const TPlantState stateBefore = state;
    RunControl control;
    ContinuousSimulation simulation(model, plant, state, settings);
    EXPECT_THROW(simulation.runFiles(control, dir / "in.cin.csv", dir / "out.cou.csv", 1),
                 NumericFormatError);
    EXPECT_EQ(state.S, stateBefore.S);
    plant.Volume[1] = 0.0; // now the input is good but the computation breaks down
    write(dir / "in.cin.csv", table({row(1, 2400, 0)}));
    try {
        simulation.runFiles(control, dir / "in.cin.csv", dir / "out.cou.csv", 1);
        FAIL();
    } catch (const Error& e) {
        // The rows up to then stay, and the last line says where and why the table ends.
        const std::string output = readFileBytes(dir / "out.cou.csv");
        EXPECT_THAT(output, HasSubstr("Time_in_hours"));
        EXPECT_THAT(output, HasSubstr("\r\ncut off at "));
        EXPECT_THAT(output, ::testing::EndsWith(" h: " + std::string(e.what()) + "\r\n"));
    }
    EXPECT_THROW(simulation.runFiles(control, dir / "in.cin.csv", dir / "in.cin.csv", 1), IoError);
    EXPECT_EQ(readFileBytes(dir / "in.cin.csv"), table({row(1, 2400, 0)}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              2)
        << "no temporary files are left behind";
}

} // namespace
} // namespace narv
