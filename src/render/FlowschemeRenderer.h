#pragma once

#include "graphics/FlowschemePicture.h"

#include <filesystem>

namespace narv {

inline constexpr int kDefaultPictureWidth = 800;
inline constexpr int kDefaultPictureHeight = 600;

// Paints the display list on white into an image of width x height pixels, without a display,
// and writes it through a temporary file and a rename. Creates the Qt application on first use
// when the program has none, so call it from the main thread. Throws RangeError for a size
// outside 1..20000 pixels and IoError when the file cannot be written.
void RenderFlowschemePicture(const FlowschemePicture& picture, const std::filesystem::path& file,
                             PictureFileFormat format, int width = kDefaultPictureWidth,
                             int height = kDefaultPictureHeight);

} // namespace narv
