// The entry point of the renderer module: the only symbol it exports.
#include "render/RenderModule.h"

#include "core/Error.h"
#include "render/ChartRenderer.h"
#include "render/FlowschemeRenderer.h"

#include <exception>

namespace {

template <typename Render>
narv::RenderOutcome Guarded(Render&& render) noexcept
{
    using Kind = narv::RenderOutcome::Kind;
    try {
        render();
        return {};
    } catch (const narv::Error& e) {
        return {Kind::Error, e.what()};
    } catch (const std::exception& e) {
        return {Kind::Internal, e.what()};
    } catch (...) {
        return {Kind::Internal, "unknown exception in the renderer"};
    }
}

narv::RenderOutcome ChartsToDirectory(const std::vector<narv::TChart>& charts,
                                      const std::filesystem::path& dir,
                                      std::vector<std::filesystem::path>& written)
{
    return Guarded([&] { written = narv::RenderChartsToDirectory(charts, dir); });
}

narv::RenderOutcome Flowscheme(const narv::FlowschemePicture& picture,
                               const std::filesystem::path& file,
                               narv::PictureFileFormat format, int width, int height)
{
    return Guarded(
        [&] { narv::RenderFlowschemePicture(picture, file, format, width, height); });
}

} // namespace

extern "C" __attribute__((visibility("default"))) const narv::RenderFunctions*
narv_render_functions()
{
    static const narv::RenderFunctions functions{narv::kRenderModuleVersion, &ChartsToDirectory,
                                                 &Flowscheme};
    return &functions;
}
