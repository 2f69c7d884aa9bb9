#include "cli/Cli.h"

#include "CliRun.h"

#include "core/AtomicFile.h"

#include <ostream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace narv::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kModels = std::string(NARV_TEST_DATA_DIR) + "/models/";

using narv::testing::CliRun;

CliRun run(const std::vector<std::string>& args)
{
    return narv::testing::RunCli(args);
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                (std::string("narv-cli-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(Cli, VersionAndHelp)
{
    const CliRun version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_THAT(version.out, ::testing::MatchesRegex("NARV [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n"));
    EXPECT_EQ(run({"--help"}).code, 0);
    const CliRun commandHelp = run({"rates", "--help"});
    EXPECT_EQ(commandHelp.code, 0);
    EXPECT_THAT(commandHelp.out, HasSubstr("--compartment"));
}

TEST_F(Cli, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(run({}).code, 2);
    EXPECT_EQ(run({"frobnicate"}).code, 2);
    EXPECT_EQ(run({"rates"}).code, 2);            // --model missing
    EXPECT_EQ(run({"rates", "--model"}).code, 2); // value missing
    EXPECT_EQ(run({"rates", "--model", kModels + "small.mod", "--bogus"}).code, 2);
    EXPECT_EQ(run({"rates", "--model", kModels + "small.mod", "--compartment", "x"}).code, 2);
    const CliRun outside = run({"rates", "--model", kModels + "small.mod", "--compartment", "19"});
    EXPECT_EQ(outside.code, 2);
    EXPECT_THAT(outside.err, HasSubstr("between 1 and 18"));
}

TEST_F(Cli, CheckPrintsASummary)
{
    const CliRun check = run({"check", "--model", kModels + "small.mod"});
    EXPECT_EQ(check.code, 0) << check.err;
    EXPECT_EQ(check.out, "Model small.mod: \"Small test model\", 2 dissolved species, 1 "
                         "particulate species, 2 processes\n");
}

TEST_F(Cli, BadModelFileExitsWithOneAndTheReadersMessage)
{
    std::string bytes = readFileBytes(kModels + "small.mod");
    bytes.replace(bytes.find(" 2  1  2"), 8, " 2  1 51");
    writeFileAtomically(m_dir / "bad.mod", [&](std::ostream& out) { out << bytes; });
    const CliRun check = run({"check", "--model", (m_dir / "bad.mod").string()});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.err,
              "bad.mod, line 6: the number of processes is 51; it must lie between 1 and 50.\n");
    EXPECT_EQ(run({"rates", "--model", (m_dir / "missing.mod").string()}).code, 1);
}

TEST_F(Cli, RewriteWritesTheSameBytesAndUpgradesOldLayouts)
{
    for (const char* name : {"small.mod", "nx0.mod"}) {
        const CliRun check =
            run({"check", "--model", kModels + name, "--rewrite", (m_dir / "out").string()});
        EXPECT_EQ(check.code, 0) << check.err;
        EXPECT_EQ(readFileBytes(m_dir / "out" / name), readFileBytes(kModels + name));
    }
    EXPECT_EQ(run({"check", "--model", kModels + "legacy.mod", "--rewrite", m_dir.string()}).code,
              0);
    EXPECT_EQ(readFileBytes(m_dir / "legacy.mod"), readFileBytes(kModels + "legacy-rewritten.mod"));
}

TEST_F(Cli, RatesJsonOfACompartment)
{
    const CliRun rates = run({"rates", "--model", kModels + "small.mod", "--compartment", "3"});
    ASSERT_EQ(rates.code, 0) << rates.err;
    const auto json = nlohmann::json::parse(rates.out);
    EXPECT_EQ(json["compartment"], 3);
    // Default plant: kla 0, saturation 10; state = the model's initial conditions (O2 2,
    // substrate 50, biomass 1000). Growth: 2 * O2/(10 + O2) * X.
    ASSERT_EQ(json["rho"].size(), 2u);
    EXPECT_EQ(json["rho"][0].get<double>(), 0.0);
    EXPECT_EQ(json["rho"][1].get<double>(), 2.0 * 2.0 / (10.0 + 2.0) * 1000.0);
    ASSERT_EQ(json["RS"].size(), 2u);
    ASSERT_EQ(json["RX"].size(), 1u);
    const double growth = json["rho"][1].get<double>();
    EXPECT_EQ(json["RS"][1].get<double>(), -0.4 * growth);
    EXPECT_EQ(json["RX"][0].get<double>(), growth);
    EXPECT_EQ(json["oxygen_rate"].get<double>(), -1.0 * growth);
}

TEST_F(Cli, CheckReadsPlantAndVariationAndRewritesThemExactly)
{
    const std::string data = NARV_TEST_DATA_DIR;
    const CliRun check =
        run({"check", "--model", kModels + "small.mod", "--plant", data + "/plants/oldest.pln",
             "--variation", data + "/variations/small-12.vrt", "--rewrite", m_dir.string()});
    ASSERT_EQ(check.code, 0) << check.err;
    EXPECT_THAT(check.out, HasSubstr("Plant oldest.pln: type Unknown, 1 reactors, 1 compartments, "
                                     "control loops off\n"));
    EXPECT_THAT(check.out, HasSubstr("Variation small-12.vrt: 12 points in a cycle of 1 d, 2nd "
                                     "influent varied\n"));
    EXPECT_EQ(readFileBytes(m_dir / "small-12.vrt"),
              readFileBytes(data + "/variations/small-12.vrt"));
    // The oldest layout is upgraded: a type line and the last line are written.
    const std::string plant = readFileBytes(m_dir / "oldest.pln");
    EXPECT_THAT(plant, HasSubstr("Small test model\r\nUnknown\r\nFALSE\r\n"));
    EXPECT_THAT(plant, ::testing::EndsWith("\r\n 2  1  0.000E+0000\r\n"));
}

TEST_F(Cli, PlantOfAnotherModelIsRefusedWithTheReadersMessage)
{
    const std::string data = NARV_TEST_DATA_DIR;
    const CliRun check =
        run({"check", "--model", kModels + "nx0.mod", "--plant", data + "/plants/oldest.pln"});
    EXPECT_EQ(check.code, 1);
    EXPECT_THAT(check.err, StartsWith("oldest.pln is not valid for this model!\n"));
    const CliRun variation = run({"rates", "--model", kModels + "nx0.mod", "--variation",
                                  data + "/variations/small-12.vrt"});
    EXPECT_EQ(variation.code, 1);
    EXPECT_THAT(variation.err, StartsWith("small-12.vrt is not valid for this model!\n"));
}

TEST_F(Cli, RatesAtThePlantsStateAndTemperature)
{
    const std::string data = NARV_TEST_DATA_DIR;
    // oldest.pln: 15 °C, compartment 1 with O2 2, substrate 50, biomass 1000.
    const CliRun rates =
        run({"rates", "--model", kModels + "small.mod", "--plant", data + "/plants/oldest.pln"});
    ASSERT_EQ(rates.code, 0) << rates.err;
    const auto json = nlohmann::json::parse(rates.out);
    const double rate = 2.0 * std::exp(0.06931472 * (15.0 - 20.0));
    EXPECT_DOUBLE_EQ(json["rho"][1].get<double>(), rate * 2.0 / 12.0 * 1000.0);
}

class CliRuns : public Cli {
protected:
    const std::string m_model =
        std::string(NARV_SOURCE_DIR) + "/examples/carbon-nitrogen/carbon-nitrogen.mod";
    const std::string m_plant =
        std::string(NARV_SOURCE_DIR) + "/examples/carbon-nitrogen/carbon-nitrogen.pln";
};

TEST_F(CliRuns, IntegrateWritesStateJsonAndPlant)
{
    const std::string json = (m_dir / "state.json").string();
    const std::string saved = (m_dir / "after.pln").string();
    const CliRun integrate = run({"integrate", "--model", m_model, "--plant", m_plant, "--days",
                                  "2", "--state-json", json, "--save", saved});
    ASSERT_EQ(integrate.code, 0) << integrate.err;
    EXPECT_THAT(integrate.out, StartsWith("Integrated 2 d in 10 chunks"));
    const auto state = nlohmann::json::parse(readFileBytes(json));
    EXPECT_NEAR(state["time"].get<double>(), 2.0, 1e-9);
    ASSERT_EQ(state["compartments"].size(), 5u);
    EXPECT_EQ(state["compartments"][0]["S"].size(), 7u);
    EXPECT_EQ(state["compartments"][4]["X"].size(), 6u);
    EXPECT_EQ(state["plant"]["Kla"].size(), 5u);
    EXPECT_EQ(state["plant"]["O2Setpoint"][2].get<double>(), 2.0);
    EXPECT_EQ(state["compartments"][2]["S"][0].get<double>(), 2.0) << "the setpoint reactor";
    // The saved plant reads back with the state at the end, to four digits.
    const CliRun rates = run({"check", "--model", m_model, "--plant", saved});
    EXPECT_EQ(rates.code, 0) << rates.err;
    EXPECT_THAT(readFileBytes(saved), HasSubstr("\r\nASR\r\n"));
}

TEST_F(CliRuns, SameNumbersEveryRun)
{
    const std::string first = (m_dir / "a.json").string();
    const std::string second = (m_dir / "b.json").string();
    ASSERT_EQ(run({"relax", "--model", m_model, "--plant", m_plant, "--state-json", first}).code,
              0);
    ASSERT_EQ(run({"relax", "--model", m_model, "--plant", m_plant, "--state-json", second}).code,
              0);
    EXPECT_EQ(readFileBytes(first), readFileBytes(second));
}

TEST_F(CliRuns, RelaxWithTimesAndSettings)
{
    const std::string settings = (m_dir / "NARV.ini").string();
    writeFileAtomically(settings, [](std::ostream& out) {
        out << "[Simulation]\r\nloopmin=3\r\nEps2=\r\n[Other]\r\nloops=7\r\n";
    });
    const CliRun relax =
        run({"relax", "--model", m_model, "--plant", m_plant, "--times", "4,0.5,0.25", "--settings",
             settings, "--state-json", (m_dir / "s.json").string()});
    ASSERT_EQ(relax.code, 0) << relax.err;
    EXPECT_THAT(relax.out,
                StartsWith("Relaxed over 4 d (particulate), 0.5 d (dissolved), 0.25 d (oxygen)"));
    EXPECT_EQ(run({"relax", "--model", m_model, "--plant", m_plant, "--times", "4,0.5"}).code, 2);
    const std::string malformed = (m_dir / "bad.ini").string();
    writeFileAtomically(malformed,
                        [](std::ostream& out) { out << "[Simulation]\r\nEps2=abc\r\n"; });
    const CliRun refused =
        run({"relax", "--model", m_model, "--plant", m_plant, "--settings", malformed});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "bad.ini, [Simulation] Eps2: \"abc\" is not a number.\n");
    EXPECT_EQ(run({"relax", "--model", m_model, "--plant", m_plant, "--times", "4,x,1"}).code, 2);
    EXPECT_EQ(run({"integrate", "--model", m_model, "--plant", m_plant, "--days", "-1"}).code, 2);
    EXPECT_EQ(run({"integrate", "--model", m_model, "--days", "1"}).code, 2)
        << "--plant is required";
}

TEST_F(CliRuns, RelaxRefusesActiveControlLoops)
{
    std::string plant = readFileBytes(m_plant);
    plant.replace(plant.find("ASR\r\nTRUE\r\nTRUE\r\nFALSE\r\n"), 25,
                  "ASR\r\nTRUE\r\nTRUE\r\nTRUE\r\n");
    writeFileAtomically(m_dir / "loops.pln", [&](std::ostream& out) { out << plant; });
    const CliRun relax =
        run({"relax", "--model", m_model, "--plant", (m_dir / "loops.pln").string()});
    EXPECT_EQ(relax.code, 1);
    EXPECT_EQ(relax.err, "Control loops active. Use option Integration!\n");
}

TEST_F(CliRuns, AccurateSolversByOption)
{
    const std::string legacyJson = (m_dir / "legacy.json").string();
    const std::string cvodeJson = (m_dir / "cvode.json").string();
    ASSERT_EQ(run({"integrate", "--model", m_model, "--plant", m_plant, "--days", "2",
                   "--state-json", legacyJson})
                  .code,
              0);
    const CliRun cvode = run({"integrate", "--model", m_model, "--plant", m_plant, "--days", "2",
                              "--solver", "cvode", "--rtol", "1e-7", "--state-json", cvodeJson});
    ASSERT_EQ(cvode.code, 0) << cvode.err;
    const auto legacy = nlohmann::json::parse(readFileBytes(legacyJson));
    const auto accurate = nlohmann::json::parse(readFileBytes(cvodeJson));
    // The same plant: within the legacy integrator's percent, not the same bits.
    for (int c = 0; c < 5; ++c)
        for (int j = 0; j < 6; ++j) {
            const double a = legacy["compartments"][c]["X"][j].get<double>();
            const double b = accurate["compartments"][c]["X"][j].get<double>();
            EXPECT_NEAR(a, b, 0.05 * std::fabs(a) + 1e-3) << c << " " << j;
        }
    EXPECT_EQ(accurate["time"].get<double>(), legacy["time"].get<double>());

    const CliRun newton = run({"relax", "--model", m_model, "--plant", m_plant, "--steady",
                               "newton"});
    ASSERT_EQ(newton.code, 0) << newton.err;
    EXPECT_THAT(newton.out, StartsWith("Steady state by Newton's method in "));

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--solver", "euler"}, {"--rtol", "2"}, {"--atol", "0"},
          {"--rtol", "x"}, {"--steady", "newton"}}) {
        std::vector<std::string> args{"integrate", "--model", m_model, "--plant", m_plant,
                                      "--days", "1"};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(run(args).code, 2) << bad[0] << " " << bad[1];
    }
    EXPECT_EQ(run({"relax", "--model", m_model, "--plant", m_plant, "--steady", "exact"}).code, 2);
}

// The A/I plant runs on the accurate integrator too, close to the legacy one; the SBR cycle,
// which has its own integrator, says that it does not.
TEST_F(CliRuns, AccurateSolverOnSpecialPlants)
{
    const std::string special = std::string(NARV_TEST_DATA_DIR) + "/special/";
    std::vector<nlohmann::json> states;
    for (const char* solver : {"legacy", "cvode"}) {
        const std::string json = (m_dir / (std::string(solver) + ".json")).string();
        const CliRun ai = run({"simulate", "--model", kModels + "small.mod", "--plant",
                               special + "ai-small.pln", "--variation",
                               special + "ai-small-12.vrt", "--cycles", "1", "--solver", solver,
                               "--state-json", json});
        ASSERT_EQ(ai.code, 0) << ai.err;
        states.push_back(nlohmann::json::parse(readFileBytes(json)));
    }
    const auto& compartments = states[0]["compartments"];
    for (std::size_t c = 0; c < compartments.size(); ++c)
        for (std::size_t j = 0; j < compartments[c]["X"].size(); ++j) {
            const double legacy = compartments[c]["X"][j].get<double>();
            const double accurate = states[1]["compartments"][c]["X"][j].get<double>();
            EXPECT_NEAR(accurate, legacy, 0.02 * std::fabs(legacy) + 1e-3) << c << " " << j;
        }
    const CliRun sbr = run({"simulate", "--model", kModels + "small.mod", "--plant",
                            special + "sbr-small.pln", "--cycles", "1", "--solver", "cvode"});
    EXPECT_EQ(sbr.code, 1);
    EXPECT_THAT(sbr.err, HasSubstr("not available for SBR plants"));
}

TEST_F(Cli, VerifyMeetsThePublishedSteadyState)
{
    const CliRun verify = run({"verify"});
    EXPECT_EQ(verify.code, 0) << verify.out << verify.err;
    EXPECT_THAT(verify.out, HasSubstr("Steady state by Newton's method"));
    EXPECT_THAT(verify.out, HasSubstr("within the allowed 0.0001."));
    // 5 reactors x 13 species, each on one line between the header and the verdict.
    EXPECT_EQ(std::count(verify.out.begin(), verify.out.end(), '\n'), 3 + 65 + 1);

    // A published table the plant does not reach fails with exit code 1.
    std::string data = readFileBytes(std::string(NARV_SOURCE_DIR) +
                                     "/data/benchmark/openloop-steady-state.json");
    data.replace(data.find("2.8082"), 6, "2.9082");
    const std::string changed = (m_dir / "changed.json").string();
    writeFileAtomically(changed, [&](std::ostream& out) { out << data; });
    const CliRun failing = run({"verify", "--data", changed});
    EXPECT_EQ(failing.code, 1);
    EXPECT_THAT(failing.out, HasSubstr("S_S    "));
    EXPECT_THAT(failing.out, HasSubstr("NOT within"));
    EXPECT_EQ(run({"verify", "--data", (m_dir / "none.json").string()}).code, 1);
}

TEST_F(CliRuns, SimulateWritesResultsCsvAndCharts)
{
    const std::string data = NARV_TEST_DATA_DIR;
    const std::string results = (m_dir / "run.rlt").string();
    const std::string csv = (m_dir / "run.csv").string();
    std::vector<std::string> args = {"simulate",
                                     "--model",
                                     kModels + "small.mod",
                                     "--plant",
                                     data + "/plants/oldest.pln",
                                     "--variation",
                                     data + "/variations/small-12.vrt",
                                     "--cycles",
                                     "2",
                                     "--all-cycles",
                                     "--results",
                                     results,
                                     "--csv",
                                     csv,
                                     "--state-json",
                                     (m_dir / "s.json").string()};
#ifndef NARV_HAS_CHART_RENDERER
    // Without the renderer --charts is refused with its reason.
    std::vector<std::string> withCharts = args;
    withCharts.insert(withCharts.end(), {"--charts", (m_dir / "charts").string()});
    const CliRun refused = run(withCharts);
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err, HasSubstr("without the chart renderer"));
#else
    args.insert(args.end(), {"--charts", (m_dir / "charts").string()});
#endif
    const CliRun simulate = run(args);
    ASSERT_EQ(simulate.code, 0) << simulate.err;
    // 5 + NS + NX + nC (NS + NX + NP + 1) + 2 series of 289 + 288 points; 11 charts.
    EXPECT_THAT(simulate.out, HasSubstr("16 series of 577 points, 11 charts"));
    const std::string table = readFileBytes(csv);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 577);
    EXPECT_THAT(table, StartsWith("X,Time steps,1.influent flowrate,"));
#ifdef NARV_HAS_CHART_RENDERER
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "charts"), fs::directory_iterator()),
              11);
#endif
    const CliRun stats = run({"results", results, "--stats"});
    ASSERT_EQ(stats.code, 0) << stats.err;
    EXPECT_THAT(stats.out, StartsWith("Flow Rates\n     Title"));
    const auto state = nlohmann::json::parse(readFileBytes(m_dir / "s.json"));
    EXPECT_NEAR(state["time"].get<double>(), 2.0, 1e-9);
}

TEST_F(CliRuns, SimulateNeedsAVariationAndValidCycles)
{
    const std::string data = NARV_TEST_DATA_DIR;
    const std::string plant = data + "/plants/oldest.pln";
    EXPECT_EQ(
        run({"simulate", "--model", kModels + "small.mod", "--plant", plant, "--cycles", "1"}).code,
        1);
    EXPECT_EQ(run({"simulate", "--model", kModels + "small.mod", "--plant", plant, "--variation",
                   data + "/variations/small-12.vrt", "--cycles", "0"})
                  .code,
              2);
}

TEST_F(CliRuns, SpecialPlantsAreCheckedSimulatedAndSaved)
{
    const std::string special = std::string(NARV_TEST_DATA_DIR) + "/special/";
    const std::string sbrJson = (m_dir / "sbr.json").string();
    const std::string sbrSaved = (m_dir / "sbr.pln").string();
    const CliRun sbr =
        run({"simulate", "--model", kModels + "small.mod", "--plant", special + "sbr-small.pln",
             "--cycles", "2", "--state-json", sbrJson, "--save", sbrSaved});
    ASSERT_EQ(sbr.code, 0) << sbr.err;
    const auto state = nlohmann::json::parse(readFileBytes(sbrJson));
    ASSERT_TRUE(state.contains("sbr"));
    EXPECT_GT(state["sbr"]["volume"].get<double>(), 0.0);
    EXPECT_NEAR(state["sbr"]["time"].get<double>(), 2.0 / 3.0, 1e-9);
    EXPECT_THAT(readFileBytes(sbrSaved), HasSubstr("\r\nSBR\r\n"));
    EXPECT_EQ(run({"check", "--model", kModels + "small.mod", "--plant", sbrSaved}).code, 0);

    const CliRun ai = run({"simulate", "--model", kModels + "small.mod", "--plant",
                           special + "ai-small.pln", "--variation", special + "ai-small-12.vrt",
                           "--cycles", "1", "--state-json", (m_dir / "ai.json").string()});
    ASSERT_EQ(ai.code, 0) << ai.err;
    EXPECT_FALSE(nlohmann::json::parse(readFileBytes(m_dir / "ai.json")).contains("sbr"));

    const CliRun relax =
        run({"relax", "--model", kModels + "small.mod", "--plant", special + "ai-small.pln"});
    EXPECT_EQ(relax.code, 1);
    EXPECT_THAT(relax.err, StartsWith("For A/I processes you have to define a variation file"));
    const CliRun integrate = run({"integrate", "--model", kModels + "small.mod", "--plant",
                                  special + "sbr-small.pln", "--days", "1"});
    EXPECT_EQ(integrate.code, 1);
    EXPECT_EQ(run({"simulate", "--model", kModels + "small.mod", "--plant",
                   special + "ai-small.pln", "--cycles", "1"})
                  .code,
              1)
        << "an A/I plant needs its variation";
}

// The real program: exit codes and streams as a calling script sees them.
int runProgram(const std::string& arguments, std::string& output)
{
    return narv::testing::RunProgram(std::string(NARV_CLI_PATH) + " " + arguments + " 2>&1",
                                     output);
}

TEST_F(Cli, ProgramExitCodes)
{
    std::string output;
    EXPECT_EQ(runProgram("--version", output), 0);
    EXPECT_THAT(output, StartsWith("NARV "));
    EXPECT_EQ(runProgram("rates --model " + kModels + "np1.mod", output), 0);
    EXPECT_THAT(output, HasSubstr("\"oxygen_rate\": 0.0"));
    EXPECT_EQ(runProgram("rates --model " + (m_dir / "none.mod").string(), output), 1);
    EXPECT_THAT(output, HasSubstr("Cannot open file"));
    EXPECT_EQ(runProgram("nonsense", output), 2);
}

} // namespace
} // namespace narv::cli
