#include "core/AtomicFile.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace narv {
namespace {

std::filesystem::path temporaryPathFor(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = target;
    temp += fmt::format(".{}-{}.tmp", static_cast<long>(::getpid()), counter++);
    return temp;
}

} // namespace

void writeFileAtomically(const std::filesystem::path& target,
                         const std::function<void(std::ostream&)>& write)
{
    checkNotDirectory(target);
    const std::filesystem::path temp = temporaryPathFor(target);
    const auto fail = [&](const std::string& reason) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw IoError(fmt::format("{} could not be saved ({}); the previous version is unchanged.",
                                  target.string(), reason));
    };
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            fail("cannot create a file in its directory");
        try {
            write(out);
        } catch (...) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            throw;
        }
        out.flush();
        if (!out)
            fail("write error");
        out.close();
        if (out.fail())
            fail("write error");
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec); // replaces the target in one step on one volume
    if (ec)
        fail(ec.message());
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
