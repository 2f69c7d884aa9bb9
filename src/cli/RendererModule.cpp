#include "cli/RendererModule.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace narv::cli {
namespace {

std::vector<std::filesystem::path> moduleCandidates()
{
    std::vector<std::filesystem::path> candidates;
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        candidates.push_back(executable.parent_path() / kRenderModuleFile);
#ifdef NARV_RENDER_MODULE
    candidates.emplace_back(NARV_RENDER_MODULE);
#endif
    return candidates;
}

const RenderFunctions* load()
{
    std::string reasons;
    for (const std::filesystem::path& file : moduleCandidates()) {
        std::error_code ec;
        if (!std::filesystem::exists(file, ec))
            continue;
        // Never closed: Qt keeps its application and threads until the process ends.
        void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            reasons += fmt::format(" {}", ::dlerror());
            continue;
        }
        using Entry = const RenderFunctions* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, kRenderModuleEntry));
        const RenderFunctions* functions = entry != nullptr ? entry() : nullptr;
        if (functions != nullptr && functions->version == kRenderModuleVersion)
            return functions;
        reasons += fmt::format(" {} is of another version of NARV.", file.string());
    }
    throw Error(fmt::format("The chart and picture renderer {} could not be loaded; charts and "
                            "pictures are not available.{}",
                            kRenderModuleFile, reasons));
}

void ThrowIfFailed(const RenderOutcome& outcome)
{
    switch (outcome.kind) {
    case RenderOutcome::Kind::Done:
        return;
    case RenderOutcome::Kind::Error:
        throw Error(outcome.message);
    case RenderOutcome::Kind::Internal:
        break;
    }
    throw std::runtime_error(outcome.message);
}

} // namespace

const RenderFunctions& Renderer()
{
    static std::mutex guard;
    static const RenderFunctions* functions = nullptr;
    const std::lock_guard lock(guard);
    if (functions == nullptr)
        functions = load();
    return *functions;
}

std::vector<std::filesystem::path> DrawChartsToDirectory(const std::vector<TChart>& charts,
                                                         const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> written;
    ThrowIfFailed(Renderer().renderChartsToDirectory(charts, dir, written));
    return written;
}

void DrawFlowschemePicture(const FlowschemePicture& picture, const std::filesystem::path& file,
                           PictureFileFormat format, int width, int height)
{
    ThrowIfFailed(Renderer().renderFlowschemePicture(picture, file, format, width, height));
}

} // namespace narv::cli

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its caches until the process ends, which the leak checker reports in every
// program that draws text. Weak, as the renderer library defines it too.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
