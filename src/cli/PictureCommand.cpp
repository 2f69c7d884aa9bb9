#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/Error.h"
#include "graphics/FlowschemePicture.h"
#include "shell/Workspace.h"

#ifdef NARV_HAS_CHART_RENDERER
#include "cli/RendererModule.h"
#endif

#include <fmt/format.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <system_error>

#include <unistd.h>

namespace narv::cli {

const char* const kPictureHelp =
    R"(Usage: narv-cli picture --model M.mod --plant P.pln --out FILE.png [--width W] [--height H]

Draws the flowscheme of the plant as the window "Graphic of Flowscheme" shows it: the
reactors as one basin divided in proportion to their volumes, influents, recirculations,
return sludge and clarifier with their flows, and the table of volume, oxygen setpoint and
kla per compartment. Activated-sludge, CSTR and batch plants, and A/I plants with their two
lanes; SBR plants have no flowscheme picture.

  --model FILE    the model file (required)
  --plant FILE    the plant file (required)
  --out FILE      the picture: PNG (*.png) or bitmap (*.bmp) by the extension (required)
  --width W       the width in pixels (default 800)
  --height H      the height in pixels (default 600)
)";

namespace {

constexpr int kMaximumPicturePixels = 20000;

int pictureSize(const CliArguments& arguments, const std::string& name, int fallback, int minimum)
{
    const auto value = arguments.integer(name);
    if (!value)
        return fallback;
    if (*value < minimum || *value > kMaximumPicturePixels)
        throw UsageError(
            fmt::format("{} must lie between {} and {}", name, minimum, kMaximumPicturePixels));
    return *value;
}

} // namespace

OptionSpec PictureOptions()
{
    return {{"--model", "--plant", "--out", "--width", "--height"}, {}, 0};
}

int runPicture(const CliArguments& arguments, std::ostream& out)
{
    arguments.required("--plant");
    const std::filesystem::path file = arguments.required("--out");
    // The fractions of the picture span its width less a right margin of 20 pixels.
    const int width = pictureSize(arguments, "--width", 800, kPictureRightMargin + 1);
    const int height = pictureSize(arguments, "--height", 600, 1);
#ifdef NARV_HAS_CHART_RENDERER
    PictureFileFormat format = PictureFileFormat::Png;
    try {
        format = PictureFormatForFile(file);
    } catch (const RangeError& e) {
        throw UsageError(e.what());
    }
#endif

    auto workspace = std::make_unique<Workspace>();
    Workspace& w = *workspace;
    LoadCaseFiles(w, arguments);
    FlowschemePicture picture;
    switch (w.plant.PlantType) {
    case TFlowschemeType::ftSBR:
        throw Error("An SBR plant has no flowscheme picture: its cycle is shown in the SBR "
                    "editor.");
    case TFlowschemeType::ftAI:
        picture = BuildAIFlowschemePicture(w.plant, w.ai);
        break;
    default:
        picture = BuildFlowschemePicture(w.plant);
        break;
    }

#ifdef NARV_HAS_CHART_RENDERER
    // Qt wants a private runtime directory; without a session there is none.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::filesystem::path runtime =
            std::filesystem::temp_directory_path() / fmt::format("narv-runtime-{}", ::getuid());
        std::error_code ec;
        std::filesystem::create_directories(runtime, ec);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all, ec);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    }
    DrawFlowschemePicture(picture, file, format, width, height);
    out << fmt::format("Flowscheme picture of {} x {} pixels written to {}\n", width, height,
                       file.string());
    return kExitSuccess;
#else
    (void)picture;
    (void)out;
    (void)width;
    (void)height;
    throw Error("This narv-cli was built without the picture renderer (NARV_BUILD_UI=OFF): the "
                "flowscheme picture is not available.");
#endif
}

} // namespace narv::cli
