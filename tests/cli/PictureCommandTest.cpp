#include "cli/Cli.h"

#include "CliRun.h"
#include "TempFolder.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>


namespace narv {
namespace {

namespace fs = std::filesystem;

const bool kOffscreenCommand = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

std::string example(const std::string& name, const std::string& extension)
{
    return std::string(NARV_SOURCE_DIR) + "/examples/" + name + "/" + name + extension;
}

using testing::CliRun;

CliRun picture(const std::string& name, const fs::path& file,
                        std::vector<std::string> extra = {})
{
    std::vector<std::string> args = {
        "picture", "--model",    example(name, ".mod"), "--plant", example(name, ".pln"),
        "--out",   file.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return testing::RunCli(args);
}

class PictureCommand : public ::testing::Test {
protected:
    testing::TempFolder m_folder{"narv-picture-cli"};
    fs::path m_dir = m_folder.path();
};

TEST_F(PictureCommand, WritesThePictureOfAnActivatedSludgePlant)
{
    const fs::path file = m_dir / "plant.png";
    const CliRun run = picture("carbon-nitrogen", file, {"--width", "640", "--height", "480"});
    ASSERT_EQ(run.code, cli::kExitSuccess) << run.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(file.string()), "PNG"));
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
}

TEST_F(PictureCommand, DrawsAnAIPlantAndRefusesAnSbrPlant)
{
    EXPECT_EQ(picture("ai-demo", m_dir / "ai.bmp").code, cli::kExitSuccess);
    EXPECT_TRUE(fs::exists(m_dir / "ai.bmp"));
    const CliRun sbr = picture("sbr-demo", m_dir / "sbr.png");
    EXPECT_EQ(sbr.code, cli::kExitError);
    EXPECT_NE(sbr.err.find("SBR"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "sbr.png"));
}

TEST_F(PictureCommand, RefusesOtherFormatsAndTooSmallPictures)
{
    EXPECT_EQ(picture("carbon-nitrogen", m_dir / "plant.gif").code, cli::kExitUsage);
    EXPECT_EQ(picture("carbon-nitrogen", m_dir / "plant.png", {"--width", "20"}).code,
              cli::kExitUsage);
    EXPECT_FALSE(fs::exists(m_dir / "plant.png"));
}

// The program carries a C++ runtime of its own beside the renderer module's: a picture and a
// renderer's error cross between the two as plain data.
TEST_F(PictureCommand, TheProgramDrawsThroughItsModuleAndReportsTheModulesErrors)
{
    const std::string command = std::string(NARV_CLI_PATH) + " picture --model " +
                                example("carbon-nitrogen", ".mod") + " --plant " +
                                example("carbon-nitrogen", ".pln") + " --out ";
    std::string output;
    EXPECT_EQ(testing::RunProgram(command + (m_dir / "plant.png").string() + " 2>&1", output),
              cli::kExitSuccess)
        << output;
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString((m_dir / "plant.png").string()), "PNG"));

    const fs::path unreachable = m_dir / "missing" / "plant.png";
    EXPECT_EQ(testing::RunProgram(command + unreachable.string() + " 2>&1", output),
              cli::kExitError);
    EXPECT_NE(output.find(unreachable.string() + " could not be saved"), std::string::npos)
        << output;
    EXPECT_EQ(output.find("Internal error"), std::string::npos) << output;
}

} // namespace
} // namespace narv
