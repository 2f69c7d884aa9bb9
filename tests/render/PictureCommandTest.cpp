#include "cli/Cli.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include <unistd.h>

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

struct CliRun {
    int code = 0;
    std::string out;
    std::string err;
};

CliRun picture(const std::string& name, const fs::path& file, std::vector<std::string> extra = {})
{
    std::vector<std::string> args = {
        "picture", "--model",    example(name, ".mod"), "--plant", example(name, ".pln"),
        "--out",   file.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::ostringstream out, err;
    CliRun run;
    run.code = cli::runCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

class PictureCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("narv-picture-cli-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
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

} // namespace
} // namespace narv
