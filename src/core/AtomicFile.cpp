#include "core/AtomicFile.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

namespace narv {
namespace {

// Unique among the writers of this process (the counter) and, with a random token drawn once,
// among processes writing into the same directory.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target)
{
    static const unsigned token = std::random_device{}();
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = target;
    temp += fmt::format(".{:08x}-{}.tmp", token, counter++);
    return temp;
}

IoError saveError(const std::filesystem::path& target, const std::string& reason)
{
    return IoError(fmt::format("{} could not be saved ({}); the previous version is unchanged.",
                               target.string(), reason));
}

} // namespace

void writeFileAtomically(const std::filesystem::path& target,
                         const std::function<void(std::ostream&)>& write)
{
    checkNotDirectory(target);
    const std::filesystem::path temp = temporaryPathFor(target);
    // Called with the stream closed: an open file cannot be removed everywhere.
    const auto discardTemporary = [&] {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    };
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out)
        throw saveError(target, "cannot create a file in its directory");
    try {
        write(out);
    } catch (const Error& error) {
        out.close();
        discardTemporary();
        // The writer's message says what went wrong; the user also needs to know which file.
        if (std::string(error.what()).find(target.filename().string()) != std::string::npos)
            throw;
        throw saveError(target, error.what());
    } catch (...) {
        out.close();
        discardTemporary();
        throw;
    }
    out.close(); // flushes
    if (out.fail()) {
        discardTemporary();
        throw saveError(target, "write error");
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec); // replaces the target in one step on one volume
    if (ec) {
        discardTemporary();
        throw saveError(target, ec.message());
    }
}

void checkNotDirectory(const std::filesystem::path& target)
{
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec))
        throw IoError(fmt::format("{} is a directory; a file is expected there.", target.string()));
}

std::ifstream openInputFile(const std::filesystem::path& path)
{
    checkNotDirectory(path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IoError(fmt::format("Cannot open file {}.", path.string()));
    return in;
}

std::string readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in = openInputFile(path);
    // Read in pieces: a device or a pipe has no size to ask for beforehand.
    std::string content;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (content.size() > kMaxInputFileBytes)
            throw IoError(fmt::format("{} is larger than {} MiB; no file of this program is that "
                                      "large.",
                                      path.string(), kMaxInputFileBytes >> 20));
    }
    if (in.bad())
        throw IoError(fmt::format("Read error in file {}.", path.string()));
    return content;
}

} // namespace narv
