#pragma once

#include "render/RenderModule.h"

namespace narv::cli {

// The chart and picture renderers, loaded on first use from libnarv-render.so beside the
// program (else from the build tree it was built in). Throws Error naming the module when it
// cannot be loaded.
const RenderFunctions& Renderer();

// The module's renderers; they throw Error for the renderer's errors, std::runtime_error for
// any other failure.
std::vector<std::filesystem::path> DrawChartsToDirectory(const std::vector<TChart>& charts,
                                                         const std::filesystem::path& dir);
void DrawFlowschemePicture(const FlowschemePicture& picture, const std::filesystem::path& file,
                           PictureFileFormat format, int width, int height);

} // namespace narv::cli
