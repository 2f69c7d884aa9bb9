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

std::string readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IoError(fmt::format("Cannot open file {}.", path.string()));
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        throw IoError(fmt::format("Read error in file {}.", path.string()));
    return content.str();
}

} // namespace narv
