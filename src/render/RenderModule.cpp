// The entry point of the renderer module: the only symbol it exports.
#include "render/RenderModule.h"

#include "render/ChartRenderer.h"
#include "render/FlowschemeRenderer.h"

extern "C" __attribute__((visibility("default"))) const narv::RenderFunctions*
narv_render_functions()
{
    static const narv::RenderFunctions functions{
        narv::kRenderModuleVersion, &narv::RenderChartsToDirectory,
        &narv::RenderFlowschemePicture};
    return &functions;
}
