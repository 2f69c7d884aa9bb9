#pragma once

#include <filesystem>
#include <functional>
#include <vector>

namespace narv {

// The files a command writes, replaced all together or not at all: each output is first
// written in full beside its target (stage), and commit renames them over their targets. When
// a rename fails, the targets already replaced get their previous content back (or are removed
// when they did not exist) and commit throws IoError; staged files that were never committed
// are removed when the set goes.
class OutputSet {
public:
    OutputSet() = default;
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // A path in target's directory to write target's new content to; the caller writes it (for
    // example with writeFileAtomically). A directory given as target is refused.
    std::filesystem::path stage(const std::filesystem::path& target);

    // fill writes files into an empty staging directory; each becomes an output of the same name
    // in directory (created on commit when missing). Returns the targets.
    std::vector<std::filesystem::path>
    stageDirectory(const std::filesystem::path& directory,
                   const std::function<void(const std::filesystem::path& staging)>& fill);

    void commit();

private:
    struct Output {
        std::filesystem::path target;
        std::filesystem::path staged;
    };
    void discard();
    // Creates directory and remembers each level it made, to remove it again on failure.
    void createDirectories(const std::filesystem::path& directory);

    std::vector<Output> m_outputs;
    std::vector<std::filesystem::path> m_stagingDirectories;
    std::vector<std::filesystem::path> m_createdDirectories;
};

} // namespace narv
