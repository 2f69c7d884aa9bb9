#include "render/FlowschemeRenderer.h"

#include "core/Error.h"
#include "graphics/FlowschemePicture.h"

#include <QtGui/QColor>
#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace narv {
namespace {

namespace fs = std::filesystem;

// Before any test creates the application: the tests never need a display.
const bool kOffscreenPicture = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

fs::path scratchDirectory()
{
    const fs::path dir =
        fs::temp_directory_path() / ("narv-flowscheme-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

TPlantDef plant()
{
    TPlantDef result;
    result.PlantType = TFlowschemeType::ftASR;
    result.ReactorCount = 3;
    result.CompartmentCount = 4;
    result.Volume[1] = 100.0;
    result.Volume[2] = 200.0;
    result.Volume[3] = 100.0;
    result.Volume[4] = 50.0;
    return result;
}

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

TEST(FlowschemeRenderer, WritesAPngWithTheBasinWhereItsFractionsPlaceIt)
{
    const fs::path file = scratchDirectory() / "flowscheme.png";
    RenderFlowschemePicture(BuildFlowschemePicture(plant()), file, PictureFileFormat::Png, 820,
                            600);
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(file.string()), "PNG"));
    EXPECT_EQ(image.width(), 820);
    EXPECT_EQ(image.height(), 600);
    // The basin's left edge at x = 0.1 of 800 pixels, between y 240 and 360; white outside.
    EXPECT_TRUE(isDark(image.pixel(80, 300)));
    EXPECT_TRUE(isDark(image.pixel(300, 240)));
    EXPECT_FALSE(isDark(image.pixel(300, 300)));
    EXPECT_FALSE(isDark(image.pixel(5, 5)));
    fs::remove_all(file.parent_path());
}

TEST(FlowschemeRenderer, WritesABitmap)
{
    const fs::path file = scratchDirectory() / "flowscheme.BMP";
    ASSERT_EQ(PictureFormatForFile(file), PictureFileFormat::Bmp);
    RenderFlowschemePicture(BuildFlowschemePicture(plant()), file, PictureFileFormat::Bmp, 400,
                            300);
    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "BM");
    fs::remove_all(file.parent_path());
}

TEST(FlowschemeRenderer, RefusesUnknownFormatsAndSizes)
{
    EXPECT_EQ(PictureFormatForFile("a/b.Png"), PictureFileFormat::Png);
    EXPECT_THROW(PictureFormatForFile("picture.jpg"), RangeError);
    EXPECT_THROW(PictureFormatForFile("picture"), RangeError);
    const fs::path file = scratchDirectory() / "never.png";
    EXPECT_THROW(
        RenderFlowschemePicture(FlowschemePicture{}, file, PictureFileFormat::Png, 20, 100),
        RangeError);
    EXPECT_FALSE(fs::exists(file));
    fs::remove_all(file.parent_path());
}

} // namespace
} // namespace narv
