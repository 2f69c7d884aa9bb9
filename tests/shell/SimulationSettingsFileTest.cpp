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

TEST(SimulationSettings, ReadsTheSectionAndFallsBackOnBadValues)
{
    const TSimSettings s = ParseSimulationSettings("[Simulation]\r\nEps2=  0.05\r\nEps=x\r\nloops=250\r\n"
                                                   "loopmin=0\r\nDeltMin=2e-3\r\nConcMax=1e50\r\n");
    EXPECT_EQ(s.Eps2, 0.05);
    EXPECT_EQ(s.Eps, 0.02) << "not a number: the missing-key value";
    EXPECT_EQ(s.loops, 100) << "above 100 reads as 100";
    EXPECT_EQ(s.loopmin, 1) << "a run needs at least one chunk";
    EXPECT_EQ(s.DeltMin, 2e-3);
    EXPECT_DOUBLE_EQ(s.DeltMinO2, 2e-4);
    EXPECT_EQ(s.ConcMax, 1e50);
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

TEST(SimulationSettings, MissingFile)
{
    EXPECT_THROW(ReadSimulationSettings("/nonexistent/NARV.ini"), IoError);
}

} // namespace
} // namespace narv
