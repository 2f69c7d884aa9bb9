#include "report/ModelReport.h"

#include "Golden.h"
#include "SampleModels.h"
#include "SolverCases.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "model/Temperature.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"
#include "TempPath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

const fs::path kData = NARV_TEST_DATA_DIR;
const fs::path kGolden = kData / "report";

// Byte for byte against tests/data/report/<name>.
void ExpectGolden(const std::string& name, const std::string& bytes)
{
    narv::testing::ExpectGolden(kGolden / name, bytes);
}

std::string FileBytes(const ReportInput& input, const TPrintOptions& options)
{
    std::ostringstream out;
    WriteReport(out, BuildReportLines(input, options, 0));
    return out.str();
}

// Five reactors and three clarifier compartments, every section, both kinds of control loop.
struct CascadeCase {
    TModelDef model = testing::MakeCarbonNitrogenModel();
    TPlantDef plant = testing::MakeCascade(5, 3, 1000.0);
    TPlantState state;

    CascadeCase()
    {
        for (int c = 1; c <= 8; ++c) {
            plant.Volume[c] = 250.0 * c;
            if (c <= 5) {
                plant.O2Setpoint[c] = c == 5 ? 0.0 : 2.0;
                plant.Kla[c] = 40.0 * c;
            }
            for (int j = 1; j <= model.NS; ++j)
                state.S[c][j] = model.InitialS[j] + 0.25 * c;
            for (int j = 1; j <= model.NX; ++j)
                state.X[c][j] = model.InitialX[j] * (c <= 5 ? 1.0 : 0.5) + c;
        }
        plant.OperatingTemperature = 12.5;
        ConvertToOperatingTemperature(model, 12.5, model.BaseTemperature);
        plant.ReturnFlow = 800.0;
        plant.ReturnReactor = 1;
        plant.RecircActive = true;
        plant.RecircFlow = 3000.0;
        plant.RecircFrom = 5;
        plant.RecircTo = 1;
        plant.SludgeAge = 12.0;
        plant.Influent2Flow = 20.5;
        plant.Influent2Reactor = 3;
        for (int j = 1; j <= model.NS; ++j)
            plant.SIn2[j] = 10.0 * j;
        for (int j = 1; j <= model.NX; ++j)
            plant.XIn2[j] = 100.0 * j + 0.125;
        ResetControlLoops(plant.ControlLoops);
        // Return sludge on/off by the nitrate of compartment 5.
        TControlLoopDef& onOff = plant.ControlLoops[kLoopReturnFlow];
        onOff.Active = true;
        onOff.OnOff = true;
        onOff.Stellung2 = 1200.0;
        onOff.ErwartetX = 8.0;
        onOff.Steigung = 400.0;
        onOff.ErwartetY = 4.0;
        onOff.Signal = 2 + 4;
        onOff.Compartment = 5;
        // Kla of reactor 3 by its oxygen, falling slope.
        TControlLoopDef& kla = plant.ControlLoops[kFirstKlaLoop + 2];
        kla.Active = true;
        kla.ErwartetY = 150.0;
        kla.Steigung = -200.0;
        kla.ErwartetX = 2.0;
        kla.Signal = 3;
        kla.Compartment = 3;
        // Excess sludge by the heterotrophs of compartment 1, rising slope.
        TControlLoopDef& excess = plant.ControlLoops[kLoopExcessRate];
        excess.Active = true;
        excess.ErwartetY = 0.08;
        excess.Steigung = 0.5;
        excess.ErwartetX = 2.4;
        excess.Signal = 2 + model.NS + 3;
        excess.Compartment = 1;
        // 2nd influent by the total solids of compartment 6.
        TControlLoopDef& influent2 = plant.ControlLoops[kLoopInfluent2Flow];
        influent2.Active = true;
        influent2.ErwartetY = 20.0;
        influent2.Steigung = 0.0;
        influent2.ErwartetX = 3500.0;
        influent2.Signal = kSignalTotalSolids;
        influent2.Compartment = 6;
        plant.ControlLoopsActive = true;
    }

    ReportInput input() const { return {model, plant, state, "/data/projects/cn"}; }
};

// Nine dissolved species, every dissolved and particulate kinetic type, zero coefficients.
TModelDef MakeNineSpeciesModel()
{
    TModelDef m;
    m.ModelName = "Nine dissolved species";
    m.RemarkCount = 1;
    m.Remarks[1] = "Every kinetic type once; parameters at 15 °C.";
    m.NS = 9;
    m.NX = 3;
    m.NP = 5;
    const char* dissolved[] = {"S Oxygen      O2", "S Substrate  COD", "S Ammonium     N",
                               "S Nitrate      N", "S Nitrite      N", "S Methane   g/m3",
                               "S Säure      mol", "S Phosphate    P", "S CO2"};
    const char* particulate[] = {"X Heterotr.  COD", "X Storage    COD", "X Inert      COD"};
    for (int j = 1; j <= m.NS; ++j)
        m.NameS[j] = dissolved[j - 1];
    for (int j = 1; j <= m.NX; ++j)
        m.NameX[j] = particulate[j - 1];
    m.ProcessName[1] = "Aeration";
    m.ProcessName[2] = "Growth on substrate";
    m.ProcessName[3] = "Nitritation and stripping";
    m.ProcessName[4] = "Storage";
    m.ProcessName[5] = "Decay";
    m.Kr[1] = 1.0;

    m.Kr[2] = 6.0;
    m.TypeS[2][1] = 3, m.KS[2][1] = 0.2;
    m.TypeS[2][2] = 1;
    m.TypeS[2][3] = 8, m.KS[2][3] = 0.5, m.Compound2S[2][3] = 2;
    m.TypeS[2][4] = 9, m.KS[2][4] = 0.25, m.Compound2S[2][4] = 3;
    m.TypeS[2][5] = 4, m.KS[2][5] = 1.5;
    m.TypeX[2][1] = 1;
    m.NueS[2][1] = -0.5, m.NueS[2][2] = -1.5, m.NueS[2][3] = -0.086;
    m.NueS[2][8] = -0.01, m.NueS[2][9] = 1234.5678;
    m.NueX[2][1] = 1.0;

    m.Kr[3] = 0.8;
    m.TypeS[3][3] = 5, m.KS[3][3] = 1.0, m.Compound2S[3][3] = 4;
    m.TypeS[3][6] = 6, m.KS[3][6] = 0.01;
    m.TypeS[3][7] = 7, m.KS[3][7] = -0.3;
    m.TypeS[3][8] = 10, m.KS[3][8] = 0.02;
    m.TypeS[3][9] = 11, m.KS[3][9] = 0.8, m.Compound2S[3][9] = 6;
    m.TypeX[3][1] = 2, m.KX[3][1] = 0.7;
    m.NueS[3][3] = -4.17, m.NueS[3][5] = 4.17, m.NueS[3][6] = -1.0;

    m.Kr[4] = 2.0;
    m.TypeS[4][2] = 2, m.KS[4][2] = 1.5;
    m.TypeX[4][2] = 3, m.KX[4][2] = 0.1, m.Compound2X[4][2] = 1;
    m.TypeX[4][3] = 4, m.KX[4][3] = 2.0, m.Compound2X[4][3] = 1;
    m.NueS[4][2] = -1.0, m.NueX[4][2] = 0.85;

    m.Kr[5] = 0.2;
    m.TypeX[5][1] = 5, m.KX[5][1] = 0.9, m.Compound2X[5][1] = 3;
    m.NueX[5][1] = -1.0, m.NueX[5][3] = 0.08;

    m.BaseTemperature = 15.0;
    m.ThetaKr[2] = 0.07;
    m.ThetaKS[2][3] = 0.02;
    m.ThetaKX[4][2] = -0.05;
    ConvertToOperatingTemperature(m, 10.0, m.BaseTemperature);
    return m;
}

TEST(ReportOptions, InitialStatesFollowTheLoadedPlant)
{
    const TPrintOptions withPlant = InitialPrintOptions(true);
    const TPrintOptions withoutPlant = InitialPrintOptions(false);
    for (const PrintOptionsCheckBox& box : PrintOptionsCheckBoxes()) {
        EXPECT_TRUE(withPlant.*box.option) << box.name;
        const bool plantSection = std::string(box.name) == "ckPlant" ||
                                  std::string(box.name) == "ckControl" ||
                                  std::string(box.name) == "ckState";
        EXPECT_EQ(withoutPlant.*box.option, !plantSection) << box.name;
    }
    EXPECT_TRUE(PlantOptionsEnabled(true));
    EXPECT_FALSE(PlantOptionsEnabled(false));
}

TEST(ReportOptions, CheckBoxesInSectionOrder)
{
    std::vector<std::string> captions;
    for (const PrintOptionsCheckBox& box : PrintOptionsCheckBoxes())
        captions.emplace_back(box.caption);
    EXPECT_THAT(captions,
                ::testing::ElementsAre("Remarks", "Dissolved species", "Particulate species",
                                       "Processes", "Stoichiometry of dissolved species",
                                       "Stoichiometry of particulate species", "Kinetics",
                                       "Plant definition", "Controls", "State"));
}

TEST(ReportOptions, CaptionsAndMarginsPerDestination)
{
    EXPECT_STREQ(PrintOptionsCaptionsFor(ReportDestination::Window).dialog, "Show Options");
    EXPECT_STREQ(PrintOptionsCaptionsFor(ReportDestination::Window).group,
                 "Check to show / uncheck to disgard ");
    EXPECT_STREQ(PrintOptionsCaptionsFor(ReportDestination::Printer).dialog, "Print Options");
    EXPECT_STREQ(PrintOptionsCaptionsFor(ReportDestination::Printer).group,
                 "Check to print / uncheck to disgard ");
    EXPECT_STREQ(PrintOptionsCaptionsFor(ReportDestination::TextFile).dialog, "Write Options");
    EXPECT_STREQ(PrintOptionsCaptionsFor(ReportDestination::TextFile).group,
                 "Check to write in file / uncheck to disgard ");
    EXPECT_EQ(ReportMargin(ReportDestination::Window), 5);
    EXPECT_EQ(ReportMargin(ReportDestination::Printer), 7);
    EXPECT_EQ(ReportMargin(ReportDestination::TextFile), 0);
    EXPECT_EQ(ReportWindowWidth(8, 1920), 680);
    EXPECT_EQ(ReportWindowWidth(8, 700), 650);
    EXPECT_EQ(ReportSavedMessage("asm1.txt", "/home/u/narv"),
              "Model asm1.txt saved as Textfile in /home/u/narv .");
}

TEST(ModelReport, EightCompartmentsEverySection)
{
    const CascadeCase c;
    const fs::path dir = narv::testing::UniqueTempPath("narv-report-eight");
    fs::remove_all(dir);
    fs::create_directories(dir);
    WriteReportFile(dir / "cn.txt", c.input(), InitialPrintOptions(true));
    ExpectGolden("cascade-eight.txt", readFileBytes(dir / "cn.txt"));
    fs::remove_all(dir);
}

TEST(ModelReport, StateBlocksShowOxygenAndSolidsOfReactorsOnly)
{
    const CascadeCase c;
    TPrintOptions options;
    options = TPrintOptions{false, false, false, false, false, false, false, false, false, true};
    const std::vector<std::string> lines = BuildReportLines(c.input(), options, 0);
    const auto count = [&](const std::string& text) {
        return std::count(lines.begin(), lines.end(), text);
    };
    EXPECT_EQ(count("State of the plant"), 2);
    EXPECT_EQ(
        count(std::string(24, ' ') + "        1        2        3        4        5        6"), 1);
    EXPECT_EQ(count(std::string(24, ' ') + "        7        8"), 1);
    // The second block lies beyond the five reactors: influent values alone for oxygen and
    // solids, compartments 7 and 8 for the other dissolved species.
    EXPECT_EQ(count("S Oxygen      O2     0.00"), 1);
    EXPECT_EQ(count("X Inert      COD    50.00"), 1);
    EXPECT_EQ(count("S Inert      COD    30.00    31.75    32.00"), 1);
    EXPECT_EQ(count("Oxygenconsumption        "), 1);
}

TEST(ModelReport, WindowAndPrinterIndentEveryLineButTheOnOffContinuation)
{
    const CascadeCase c;
    const TPrintOptions options = InitialPrintOptions(true);
    const std::vector<std::string> file = BuildReportLines(c.input(), options, 0);
    for (const int margin : {5, 7}) {
        const std::vector<std::string> indented = BuildReportLines(c.input(), options, margin);
        ASSERT_EQ(indented.size(), file.size());
        int unindented = 0;
        for (std::size_t k = 0; k < file.size(); ++k) {
            if (file[k].empty()) {
                EXPECT_EQ(indented[k], "");
            } else if (indented[k] == file[k]) {
                ++unindented;
                EXPECT_THAT(file[k], ::testing::StartsWith(std::string(17, ' ') + "Returnsludge "));
            } else {
                EXPECT_EQ(indented[k],
                          std::string(static_cast<std::size_t>(margin), ' ') + file[k]);
            }
        }
        EXPECT_EQ(unindented, 1);
    }
}

TEST(ModelReport, ReportLeavesStateAndRatesAlone)
{
    CascadeCase c;
    c.state.S[2][3] = 1e-20; // the rate evaluation raises values below 1e-12
    c.model.RS[1] = 42.0;
    const TPlantState before = c.state;
    BuildReportLines(c.input(), InitialPrintOptions(true), 0);
    EXPECT_EQ(c.state.S[2][3], before.S[2][3]);
    EXPECT_EQ(c.model.RS[1], 42.0);
}

TEST(ModelReport, NineDissolvedSpeciesEveryKineticType)
{
    const TModelDef model = MakeNineSpeciesModel();
    const TPlantDef plant;
    TPlantState state;
    TPlantDef operating = plant;
    operating.OperatingTemperature = 10.0;
    ExpectGolden("nine-species.txt",
                 FileBytes({model, operating, state, "/data/nine"}, InitialPrintOptions(false)));
}

TEST(ModelReport, MonodTwoLineAndZeroCoefficients)
{
    const TModelDef model = MakeNineSpeciesModel();
    const TPlantDef plant;
    const TPlantState state;
    const std::vector<std::string> lines =
        BuildReportLines({model, plant, state, "x"}, InitialPrintOptions(false), 0);
    EXPECT_THAT(lines, Contains("          * S^2 / (Ks(3)^2 + S^2)         (S Ammonium     N)"));
    // Two tables of dissolved stoichiometry: species 1..7 and 8..9.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Stoichiometry of dissolved species"), 2);
    EXPECT_THAT(lines, Contains("Process    Phosphate CO2       "));
    // Growth: species 4..7 are zero, ten blanks each, between S Ammonium and the end.
    EXPECT_THAT(lines, Contains("Growth on    -0.500    -1.500    -0.086" + std::string(40, ' ')));
    EXPECT_THAT(lines, Contains("Growth on    -0.010  1234.568"));
    EXPECT_THAT(lines, Contains("Decay" + std::string(70, ' ')));
    EXPECT_THAT(lines, Contains("Decay" + std::string(20, ' ')));
}

TEST(ModelReport, OneProcessPrintsNoStoichiometryAndNoKinetics)
{
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    ReadModelFile(kData / "models" / "np1.mod", model, plant, state);
    ASSERT_EQ(model.NP, 1);
    const std::string bytes =
        FileBytes({model, plant, state, "/data/np1"}, InitialPrintOptions(true));
    EXPECT_THAT(bytes, Not(HasSubstr("Stoichiometry")));
    EXPECT_THAT(bytes, Not(HasSubstr("kinetic")));
    ExpectGolden("np1.txt", bytes);
}

TEST(ModelReport, SectionsFollowTheirCheckBoxes)
{
    const CascadeCase c;
    TPrintOptions none{false, false, false, false, false, false, false, false, false, false};
    EXPECT_EQ(BuildReportLines(c.input(), none, 0),
              (std::vector<std::string>{"", "Name of the model: Carbon and nitrogen removal", "",
                                        "Name of the files: /data/projects/cn.*", ""}));
    // Controls need the plant's loops active as well as their box.
    CascadeCase inactive;
    inactive.plant.ControlLoopsActive = false;
    TPrintOptions controls = none;
    controls.Control = true;
    EXPECT_EQ(BuildReportLines(inactive.input(), controls, 0).size(), 5u);
    const std::vector<std::string> withLoops = BuildReportLines(c.input(), controls, 0);
    EXPECT_EQ(withLoops.size(), 5u + 2u + 12u + 1u + 1u);
    EXPECT_EQ(withLoops[5], "Controlloop Nr. with controlequation");
}

TEST(ModelReport, FailedWriteKeepsThePreviousFile)
{
    const CascadeCase c;
    const fs::path dir = narv::testing::UniqueTempPath("narv-report-failed");
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "cn.txt";
    std::ofstream(target, std::ios::binary) << "previous";
    // A second species beyond the capacity stops the report; the previous file stays.
    CascadeCase broken;
    broken.model.TypeS[3][5] = 5;
    broken.model.Compound2S[3][5] = 26;
    EXPECT_THROW(WriteReportFile(target, broken.input(), InitialPrintOptions(true)), Error);
    EXPECT_EQ(readFileBytes(target), "previous");
    EXPECT_THROW(WriteReportFile(dir / "missing" / "cn.txt", c.input(), InitialPrintOptions(true)),
                 Error);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(ModelReport, FilesNameJoinsDirectoryAndBaseName)
{
    EXPECT_EQ(ReportFilesName(fs::path("/home/u/models"), "asm1"),
              (fs::path("/home/u/models") / "asm1").string());
}

TEST(ModelReport, PrintedPagesCarryAHeaderAndStartWithText)
{
    // 7 lines, "°" counting as one character of the widest line.
    const std::vector<std::string> lines = {"",   "       Name of the model: cn", "",
                                            "       a", "",  "",
                                            "       at 15.00\u00b0C   at 20.00\u00b0C"};
    const auto pages = PaginateReport(lines, 5, "cn", 7);
    ASSERT_EQ(pages.size(), 3U);
    const std::size_t width = 7 + std::string("at 15.00 C   at 20.00 C").size();
    for (std::size_t n = 0; n < pages.size(); ++n) {
        const std::string number = "Page " + std::to_string(n + 1) + " of 3";
        const std::string& header = pages[n].at(0);
        EXPECT_EQ(header.rfind("       cn  ", 0), 0U) << header;
        EXPECT_EQ(header.size(), width) << header;
        EXPECT_EQ(header.substr(header.size() - number.size()), number);
        EXPECT_EQ(pages[n].at(1), "");
        EXPECT_LE(pages[n].size(), 5U);
    }
    // Three report lines to a page; the empty lines at the top of pages 2 and 3 are left out.
    EXPECT_EQ(pages[0], (std::vector<std::string>{pages[0][0], "", "", lines[1], ""}));
    EXPECT_EQ(pages[1], (std::vector<std::string>{pages[1][0], "", lines[3], "", ""}));
    EXPECT_EQ(pages[2], (std::vector<std::string>{pages[2][0], "", lines[6]}));

    // A title wider than the text, a page too small for the header, an empty report.
    const auto narrow = PaginateReport({"x", "y"}, 1, "a long model name", 0);
    ASSERT_EQ(narrow.size(), 2U);
    EXPECT_EQ(narrow[0][0], "a long model name  Page 1 of 2");
    EXPECT_EQ(narrow[1].back(), "y");
    const auto empty = PaginateReport({}, 60, "m", 7);
    ASSERT_EQ(empty.size(), 1U);
    EXPECT_EQ(empty[0][0], "       m  Page 1 of 1");
}

} // namespace
} // namespace narv
