#include "shell/SettingsFile.h"

#include "TempDirectory.h"
#include "core/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

using test::readText;
using test::TempDirectory;
using test::writeText;

TEST(ShellSettings, MissingFileGivesEveryDefault)
{
    TempDirectory dir;
    const ShellSettings s = ReadShellSettings(dir.path() / kSettingsFileName);
    EXPECT_EQ(s.User, "\\user");
    EXPECT_EQ(s.NARVModel, "");
    EXPECT_EQ(s.Model, "\\model");
    EXPECT_EQ(s.LastProject, "");
    EXPECT_EQ(s.LastContInput, "");
    EXPECT_FALSE(s.ContSimulation);
    EXPECT_EQ(s.BottomAxisTitleCaption, "Time [h]");
    EXPECT_EQ(s.DefaultPenWidth, 3);
    EXPECT_EQ(s.NameS1, "S Oxygen      O2");
    EXPECT_EQ(s.simulation.DeltMin, 1e-4);
    EXPECT_EQ(s.simulation.loops, 10);
}

TEST(ShellSettings, ReadsKeysAndCapsCounts)
{
    const ShellSettings s = ParseShellSettings(
        "[Directories]\r\nUser=D:\\narv\\work\r\nNARVModel=\\models\r\n"
        "[StartUp]\r\nLastProject=p1\r\nLastPlant=plant1\r\nContSimulation=true\r\n"
        "[Charts]\r\nDefaultPenWidth=\r\nBottomAxisTitleCaption=Zeit [h]\r\n"
        "[Simulation]\r\nNameS1=S O2 \xE4\r\nloops=250\r\nloopmin=\r\nEps=\r\n");
    EXPECT_EQ(s.User, "D:\\narv\\work");
    EXPECT_EQ(s.NARVModel, "\\models");
    EXPECT_EQ(s.LastProject, "p1");
    EXPECT_EQ(s.LastContInput, "plant1.CIN") << "the default follows LastPlant";
    EXPECT_EQ(s.LastContOutput, "plant1.COU");
    EXPECT_TRUE(s.ContSimulation);
    EXPECT_EQ(s.DefaultPenWidth, 3) << "empty: the default";
    EXPECT_EQ(s.BottomAxisTitleCaption, "Zeit [h]");
    EXPECT_EQ(s.NameS1, "S O2 \u00e4") << "single-byte file text becomes UTF-8";
    EXPECT_EQ(s.simulation.loops, 100);
    EXPECT_EQ(s.simulation.loopmin, 10) << "empty: the default";
    EXPECT_EQ(s.simulation.Eps, 0.02);
    for (const char* bad : {"[Charts]\nDefaultPenWidth=thick\n", "[Charts]\nDefaultPenWidth=0\n",
                            "[Charts]\nDefaultPenWidth=6\n", "[Simulation]\nEps=0,5\n"})
        EXPECT_THROW(ParseShellSettings(bad), Error) << bad;
}

TEST(ShellSettings, FormatsRealsAsTrimmedG)
{
    EXPECT_EQ(FormatSettingReal(0.1), "0.1");
    EXPECT_EQ(FormatSettingReal(1e-5), "1e-05");
    EXPECT_EQ(FormatSettingReal(1e100), "1e+100");
    EXPECT_EQ(FormatSettingReal(0.123456789), "0.123457");
    EXPECT_EQ(FormatSettingReal(1234567.0), "1.23457e+06");
}

TEST(ShellSettings, WritesOnlyItsKeysAndKeepsTheRest)
{
    TempDirectory dir;
    const auto file = dir.path() / kSettingsFileName;
    writeText(file, "; my settings\r\n[Directories]\r\nUser=\\user\r\nNARVModel=\\delivered\r\n"
                    "[StartUp]\r\nLastContInput=old.csv\r\n[Charts]\r\nDefaultPenWidth=5\r\n"
                    "[Simulation]\r\nloops=250\r\n");
    ShellSettings s = ReadShellSettings(file);
    s.User = "\\other";
    s.LastProject = "p2";
    s.LastContInput = "new";
    s.NARVModel = "\\ignored";
    s.simulation.DeltMin = 2.5e-6;
    WriteShellSettings(file, s, {false, true});

    const std::string text = readText(file);
    EXPECT_NE(text.find("; my settings\r\n"), std::string::npos);
    EXPECT_NE(text.find("NARVModel=\\delivered\r\n"), std::string::npos) << "never written";
    EXPECT_NE(text.find("LastContInput=old.csv\r\n"), std::string::npos) << "kept without file";
    EXPECT_NE(text.find("loops=100\r\n"), std::string::npos) << "250 is written back as 100";
    EXPECT_NE(text.find("DeltMin=2.5e-06\r\n"), std::string::npos);
    EXPECT_NE(text.find("ContSimulation=false\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\n\n"), std::string::npos) << "every line ends with CR LF";

    const ShellSettings back = ReadShellSettings(file);
    EXPECT_EQ(back.User, "\\other");
    EXPECT_EQ(back.LastProject, "p2");
    EXPECT_EQ(back.DefaultPenWidth, 5);
}

TEST(ShellSettings, RoundTripKeepsEveryWrittenValue)
{
    TempDirectory dir;
    const auto file = dir.path() / kSettingsFileName;
    ShellSettings s;
    s.User = "\\u\\v";
    s.LastProject = "proj";
    s.LastModel = "m";
    s.LastPlant = "p";
    s.LastVariation = "v";
    s.LastContInput = "in";
    s.LastContOutput = "out";
    s.ContSimulation = true;
    s.NameS1 = "S Sauerstoff \u00f6";
    s.simulation.Eps2 = 0.07;
    s.simulation.Eps = 0.015;
    s.simulation.Tdif = 0.02;
    s.simulation.loops = 7;
    s.simulation.loopmin = 3;
    s.simulation.ConcMin = 1e-7;
    s.simulation.ConcMax = 1e50;
    s.simulation.DeltMin = 1e-6;
    UpdateDeltMinO2(s.simulation);
    WriteShellSettings(file, s);
    EXPECT_THAT(readText(file),
                ::testing::EndsWith("[Simulation]\r\nNameS1=S Sauerstoff \xF6\r\nEps2=0.07\r\n"
                                    "Eps=0.015\r\nTdif=0.02\r\nloops=7\r\nloopmin=3\r\n"
                                    "ConcMin=1e-07\r\nConcMax=1e+50\r\nDeltMin=1e-06\r\n"))
        << "a new file in the order of the keys, single-byte text";
    const ShellSettings back = ReadShellSettings(file);
    EXPECT_EQ(back.User, s.User);
    EXPECT_EQ(back.LastProject, s.LastProject);
    EXPECT_EQ(back.LastModel, s.LastModel);
    EXPECT_EQ(back.LastPlant, s.LastPlant);
    EXPECT_EQ(back.LastVariation, s.LastVariation);
    EXPECT_EQ(back.LastContInput, s.LastContInput);
    EXPECT_EQ(back.LastContOutput, s.LastContOutput);
    EXPECT_EQ(back.ContSimulation, s.ContSimulation);
    EXPECT_EQ(back.NameS1, s.NameS1);
    EXPECT_EQ(back.simulation.Eps2, s.simulation.Eps2);
    EXPECT_EQ(back.simulation.Eps, s.simulation.Eps);
    EXPECT_EQ(back.simulation.Tdif, s.simulation.Tdif);
    EXPECT_EQ(back.simulation.loops, s.simulation.loops);
    EXPECT_EQ(back.simulation.loopmin, s.simulation.loopmin);
    EXPECT_EQ(back.simulation.ConcMin, s.simulation.ConcMin);
    EXPECT_EQ(back.simulation.ConcMax, s.simulation.ConcMax);
    EXPECT_EQ(back.simulation.DeltMin, s.simulation.DeltMin);
    EXPECT_EQ(back.simulation.DeltMinO2, s.simulation.DeltMinO2);
}

TEST(ShellSettings, SolverKeysAreWrittenOnlyWhenChosen)
{
    TempDirectory dir;
    const auto file = dir.path() / kSettingsFileName;
    ShellSettings s;
    WriteShellSettings(file, s);
    EXPECT_EQ(readText(file).find("Solver"), std::string::npos) << "the legacy default";
    s.simulation.Solver = IntegratorChoice::Cvode;
    s.simulation.Steady = SteadyMethod::Newton;
    s.simulation.RelTol = 1e-7;
    s.simulation.AbsTol = 2.5e-9;
    WriteShellSettings(file, s);
    EXPECT_THAT(readText(file), ::testing::EndsWith("DeltMin=0.0001\r\nSolver=cvode\r\n"
                                                    "SteadyState=newton\r\nRelTol=1e-07\r\n"
                                                    "AbsTol=2.5e-09\r\n"));
    const ShellSettings back = ReadShellSettings(file);
    EXPECT_EQ(back.simulation.Solver, IntegratorChoice::Cvode);
    EXPECT_EQ(back.simulation.Steady, SteadyMethod::Newton);
    EXPECT_EQ(back.simulation.RelTol, 1e-7);
    EXPECT_EQ(back.simulation.AbsTol, 2.5e-9);

    // Back to the defaults: the keys in the file follow, or the next start would run cvode.
    s.simulation = SimSettingsForMissingKeys();
    WriteShellSettings(file, s);
    EXPECT_THAT(readText(file), ::testing::EndsWith("DeltMin=0.0001\r\nSolver=legacy\r\n"
                                                    "SteadyState=relax\r\nRelTol=1e-06\r\n"
                                                    "AbsTol=1e-08\r\n"));
    const ShellSettings again = ReadShellSettings(file);
    EXPECT_EQ(again.simulation.Solver, IntegratorChoice::Legacy);
    EXPECT_EQ(again.simulation.Steady, SteadyMethod::Relax);
    EXPECT_EQ(again.simulation.RelTol, 1e-6);
}

} // namespace
} // namespace narv
