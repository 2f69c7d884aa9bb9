#pragma once

#include "graphics/FlowschemePicture.h"
#include "render/FlowschemeRenderer.h"
#include "results/ResultSet.h"

#include <filesystem>
#include <vector>

namespace narv {

// The renderers as the module libnarv-render offers them to programs that load it when they
// first draw, so that they start without Qt. The module and its caller are built together;
// the version guards against a stale module beside the program.
struct RenderFunctions {
    int version = 0;
    std::vector<std::filesystem::path> (*renderChartsToDirectory)(
        const std::vector<TChart>& charts, const std::filesystem::path& dir) = nullptr;
    void (*renderFlowschemePicture)(const FlowschemePicture& picture,
                                    const std::filesystem::path& file, PictureFileFormat format,
                                    int width, int height) = nullptr;
};

inline constexpr int kRenderModuleVersion = 1;
inline constexpr const char* kRenderModuleFile = "libnarv-render.so";
inline constexpr const char* kRenderModuleEntry = "narv_render_functions";

} // namespace narv
