#include "core/OutputSet.h"

#include "core/AtomicFile.h"
#include "core/Error.h"

#include <fmt/format.h>

#include <atomic>
#include <unistd.h>

namespace narv {
namespace {

std::filesystem::path besidePath(const std::filesystem::path& target, const char* kind)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path path = target;
    path += fmt::format(".{}-{}.{}", static_cast<long>(::getpid()), counter++, kind);
    return path;
}

} // namespace

OutputSet::~OutputSet()
{
    discard();
}

void OutputSet::discard()
{
    std::error_code ignored;
    for (const Output& output : m_outputs)
        std::filesystem::remove(output.staged, ignored);
    for (const auto& directory : m_stagingDirectories)
        std::filesystem::remove_all(directory, ignored);
    // Directories made for outputs that never came: only while they are empty.
    for (auto it = m_createdDirectories.rbegin(); it != m_createdDirectories.rend(); ++it)
        std::filesystem::remove(*it, ignored);
    m_outputs.clear();
    m_stagingDirectories.clear();
    m_createdDirectories.clear();
}

void OutputSet::createDirectories(const std::filesystem::path& directory)
{
    std::error_code ec;
    std::vector<std::filesystem::path> missing;
    for (auto p = directory; !p.empty() && !std::filesystem::exists(p, ec); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path())
            break;
    }
    std::filesystem::create_directories(directory, ec);
    m_createdDirectories.insert(m_createdDirectories.end(), missing.rbegin(), missing.rend());
    if (ec)
        throw IoError(fmt::format("The directory {} cannot be created: {}.", directory.string(),
                                  ec.message()));
}

std::filesystem::path OutputSet::stage(const std::filesystem::path& target)
{
    checkNotDirectory(target);
    const std::filesystem::path staged = besidePath(target, "part");
    m_outputs.push_back({target, staged});
    return staged;
}

std::vector<std::filesystem::path>
OutputSet::stageDirectory(const std::filesystem::path& directory,
                          const std::function<void(const std::filesystem::path&)>& fill)
{
    std::error_code ec;
    if (std::filesystem::exists(directory, ec) && !std::filesystem::is_directory(directory, ec))
        throw IoError(
            fmt::format("{} is a file; a directory is expected there.", directory.string()));
    // Beside the directory, so that the renames stay on one volume.
    const std::filesystem::path base =
        directory.has_filename() ? directory : directory.parent_path();
    const std::filesystem::path staging = besidePath(base, "part");
    if (!staging.parent_path().empty())
        createDirectories(staging.parent_path());
    m_stagingDirectories.push_back(staging);
    createDirectories(staging);
    m_createdDirectories.pop_back(); // the staging directory goes with the staged files
    fill(staging);
    std::vector<std::filesystem::path> targets;
    for (const auto& entry : std::filesystem::directory_iterator(staging)) {
        const std::filesystem::path target = directory / entry.path().filename();
        checkNotDirectory(target);
        m_outputs.push_back({target, entry.path()});
        targets.push_back(target);
    }
    return targets;
}

void OutputSet::commit()
{
    struct Done {
        std::filesystem::path target;
        std::filesystem::path backup; // empty: the target did not exist
    };
    std::vector<Done> done;
    const auto rollBack = [&] {
        std::error_code ignored;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (it->backup.empty())
                std::filesystem::remove(it->target, ignored);
            else
                std::filesystem::rename(it->backup, it->target, ignored);
        }
        discard();
    };
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        const Output output = m_outputs[i]; // a copy: a rollback clears the list
        std::error_code ec;
        const std::filesystem::path parent = output.target.parent_path();
        if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
            try {
                createDirectories(parent);
            } catch (const IoError&) {
                rollBack();
                throw;
            }
        }
        Done step{output.target, {}};
        std::error_code statusError;
        const std::filesystem::file_status status =
            std::filesystem::symlink_status(output.target, statusError);
        if (!ec && status.type() == std::filesystem::file_type::directory)
            ec = std::make_error_code(std::errc::is_a_directory);
        if (!ec && std::filesystem::exists(status)) {
            step.backup = besidePath(output.target, "old");
            std::filesystem::rename(output.target, step.backup, ec);
        }
        if (!ec)
            std::filesystem::rename(output.staged, output.target, ec);
        if (ec) {
            if (!step.backup.empty()) {
                std::error_code ignored;
                if (!std::filesystem::exists(output.target, ignored))
                    std::filesystem::rename(step.backup, output.target, ignored);
            }
            rollBack();
            throw IoError(fmt::format("{} could not be written ({}); no output of this command "
                                      "was replaced.",
                                      output.target.string(), ec.message()));
        }
        done.push_back(step);
    }
    std::error_code ignored;
    for (const Done& step : done)
        if (!step.backup.empty())
            std::filesystem::remove(step.backup, ignored);
    m_outputs.clear();
    m_createdDirectories.clear();
    discard();
}

} // namespace narv
