#include "shell/SimulationSettingsFile.h"

#include "core/Error.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

TEST(SimulationSettings, ValuesBeforeTheFileAndForMissingKeys)
{
    const TSimSettings before;
    EXPECT_EQ(before.DeltMin, 1e-9);
    EXPECT_EQ(before.DeltMinO2, 1e-10);
    const TSimSettings missing = ParseSimulationSettings("[Other]\r\nEps2=0.5\r\n");
    EXPECT_EQ(missing.Eps2, 0.1);
    EXPECT_EQ(missing.Eps, 0.02);
    EXPECT_EQ(missing.Tdif, 0.01);
    EXPECT_EQ(missing.loops, 10);
    EXPECT_EQ(missing.loopmin, 10);
    EXPECT_EQ(missing.ConcMin, 1e-5);
    EXPECT_EQ(missing.ConcMax, 1e100);
    EXPECT_EQ(missing.DeltMin, 1e-4);
    EXPECT_DOUBLE_EQ(missing.DeltMinO2, 1e-5);
}

TEST(SimulationSettings, ReadsTheSectionAndCapsTheCounts)
{
    const TSimSettings s =
        ParseSimulationSettings("[Simulation]\r\nEps2=  0.05\r\nEps=\r\nloops=250\r\n"
                                "loopmin=1\r\nDeltMin=2e-3\r\nConcMax=1e50\r\n");
    EXPECT_EQ(s.Eps2, 0.05);
    EXPECT_EQ(s.Eps, 0.02) << "an empty value counts as missing";
    EXPECT_EQ(s.loops, 100) << "above 100 reads as 100";
    EXPECT_EQ(s.loopmin, 1);
    EXPECT_EQ(s.DeltMin, 2e-3);
    EXPECT_DOUBLE_EQ(s.DeltMinO2, 2e-4);
    EXPECT_EQ(s.ConcMax, 1e50);
    EXPECT_EQ(ParseSimulationSettings("[Simulation]\nloops=99999999999999999999\n").loops, 100);
}

TEST(SimulationSettings, MalformedAndImpossibleValuesAreRefused)
{
    struct Bad {
        const char* lines;
        const char* message;
    };
    const Bad bads[] = {
        {"Eps=x", "NARV.ini, [Simulation] Eps: \"x\" is not a number."},
        {"Eps2=0,05", "NARV.ini, [Simulation] Eps2: \"0,05\" is not a number."},
        {"Eps2=nan", "NARV.ini, [Simulation] Eps2: \"nan\" is not a number."},
        {"Tdif=1e400", "NARV.ini, [Simulation] Tdif: \"1e400\" is not a number."},
        {"Eps2=0.5", "NARV.ini, [Simulation] Eps2 is 0.5; it must lie between 0 and 0.1."},
        {"Eps2=0.05\nEps=0.06",
         "NARV.ini, [Simulation] Eps is 0.06; it must lie between 0 and 0.05."},
        {"Eps=-0.01", "NARV.ini, [Simulation] Eps is -0.01; it must lie between 0 and 0.1."},
        {"Eps2=0.01", "NARV.ini, [Simulation] Eps is missing and its default 0.02 exceeds Eps2 "
                      "0.01; it must lie between 0 and 0.01."},
        {"Eps2=0.\nEps=", "NARV.ini, [Simulation] Eps is missing and its default 0.02 exceeds "
                          "Eps2 0; it must lie between 0 and 0."},
        {"Tdif=-1", "NARV.ini, [Simulation] Tdif is -1; it must lie between 0 and 1e9."},
        {"loops=0", "NARV.ini, [Simulation] loops is 0; it must lie between 1 and 100."},
        {"loopmin=abc", "NARV.ini, [Simulation] loopmin: \"abc\" is not a whole number."},
        {"loops=2.5", "NARV.ini, [Simulation] loops: \"2.5\" is not a whole number."},
        {"ConcMin=-1e-5",
         "NARV.ini, [Simulation] ConcMin is -1e-05; it must lie between 0 and 1e9."},
        {"ConcMax=1e120",
         "NARV.ini, [Simulation] ConcMax is 1e+120; it must lie between 0 and 1e110."},
        {"DeltMin=-1e-4",
         "NARV.ini, [Simulation] DeltMin is -0.0001; it must lie between 0 and 0.01."},
        {"DeltMin=1", "NARV.ini, [Simulation] DeltMin is 1; it must lie between 0 and 0.01."},
    };
    for (const Bad& bad : bads) {
        try {
            ParseSimulationSettings(std::string("[Simulation]\n") + bad.lines + "\n");
            FAIL() << bad.lines;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), bad.message);
        }
    }
}

TEST(SimulationSettings, DefaultValuesLeaveTheMinimalStep)
{
    TSimSettings s = ParseSimulationSettings("[Simulation]\nEps2=0.07\nDeltMin=3e-6\nloops=4\n");
    SetDefaultSimSettings(s);
    EXPECT_EQ(s.Eps2, 0.1);
    EXPECT_EQ(s.loops, 10);
    EXPECT_EQ(s.DeltMin, 3e-6);
    EXPECT_EQ(SimSettingFields().size(), 8u);
    EXPECT_GE(SimSettingFields()[7].max, SimSettingsForMissingKeys().DeltMin)
        << "the dialog accepts the DeltMin of a missing key";
}

TEST(SimulationSettings, SolverKeys)
{
    const TSimSettings missing = ParseSimulationSettings("[Simulation]\r\nEps2=0.05\r\n");
    EXPECT_EQ(missing.Solver, IntegratorChoice::Legacy);
    EXPECT_EQ(missing.Steady, SteadyMethod::Relax);
    EXPECT_EQ(missing.RelTol, 1e-6);
    EXPECT_EQ(missing.AbsTol, 1e-8);
    const TSimSettings chosen = ParseSimulationSettings(
        "[Simulation]\r\nSolver= CVODE \r\nSteadyState=newton\r\nRelTol=1e-8\r\n");
    EXPECT_EQ(chosen.Solver, IntegratorChoice::Cvode);
    EXPECT_EQ(chosen.Steady, SteadyMethod::Newton);
    EXPECT_EQ(chosen.RelTol, 1e-8);
    // A solver that is not known, or a tolerance that is no number or outside its range, is an
    // error naming the key.
    for (const char* bad : {"Solver=rk4", "SteadyState=bisection", "RelTol=0", "RelTol=0.5",
                            "AbsTol=-1e-9", "AbsTol=0", "AbsTol=x"}) {
        try {
            ParseSimulationSettings(std::string("[Simulation]\r\n") + bad + "\r\n");
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            const std::string key = std::string(bad).substr(0, std::string(bad).find('='));
            EXPECT_NE(std::string(e.what()).find("[Simulation] " + key), std::string::npos)
                << e.what();
        }
    }
}

TEST(SimulationSettings, MissingFile)
{
    EXPECT_THROW(ReadSimulationSettings("/nonexistent/NARV.ini"), IoError);
}

} // namespace
} // namespace narv
