#pragma once

#include "render/RenderModule.h"

namespace narv::cli {

// The chart and picture renderers, loaded on first use from libnarv-render.so beside the
// program (else from the build tree it was built in). Throws Error naming the module when it
// cannot be loaded.
const RenderFunctions& Renderer();

} // namespace narv::cli
