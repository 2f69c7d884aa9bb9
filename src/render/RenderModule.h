#pragma once

#include "graphics/FlowschemePicture.h"
#include "render/FlowschemeRenderer.h"
#include "results/ResultSet.h"

#include <filesystem>
#include <string>
#include <vector>

namespace narv {

// How a renderer call of the module ended. No exception crosses the module's boundary: the
// program may carry a C++ runtime of its own beside the module's, and their unwinders and
// exception records are not to be mixed.
struct RenderOutcome {
    enum class Kind { Done, Error, Internal };
    Kind kind = Kind::Done;
    std::string message; // of the Error, or of any other exception (Internal)
};

// The renderers as the module libnarv-render offers them to programs that load it when they
// first draw, so that they start without Qt. The module and its caller are built together;
// the version guards against a stale module beside the program.
struct RenderFunctions {
    int version = 0;
    RenderOutcome (*renderChartsToDirectory)(const std::vector<TChart>& charts,
                                             const std::filesystem::path& dir,
                                             std::vector<std::filesystem::path>& written) =
        nullptr;
    RenderOutcome (*renderFlowschemePicture)(const FlowschemePicture& picture,
                                             const std::filesystem::path& file,
                                             PictureFileFormat format, int width,
                                             int height) = nullptr;
};

inline constexpr int kRenderModuleVersion = 2;
inline constexpr const char* kRenderModuleFile = "libnarv-render.so";
inline constexpr const char* kRenderModuleEntry = "narv_render_functions";

} // namespace narv
