#include "shell/Directories.h"

#include "shell/UserDialogs.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace narv {
namespace fs = std::filesystem;

namespace {

// Appends each part of a path written with either separator.
fs::path appendParts(fs::path base, const std::string& relative)
{
    std::string part;
    for (const char c : relative + '/') {
        if (c == '/' || c == '\\') {
            if (!part.empty())
                base /= part;
            part.clear();
        } else {
            part += c;
        }
    }
    return base;
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

std::string ToLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

fs::path ResolveDirectorySetting(const std::string& setting, const fs::path& programDir)
{
    if (!setting.empty() && isSeparator(setting.front())) {
        fs::path below = appendParts(programDir, setting);
#ifndef _WIN32
        // An absolute directory written back by DirectorySettingFor also begins with "/".
        std::error_code ec;
        if (setting.front() == '/' && !fs::is_directory(below, ec) && fs::is_directory(setting, ec))
            return fs::path(setting);
#endif
        return below;
    }
#ifdef _WIN32
    return fs::path(setting).make_preferred();
#else
    std::string unixPath = setting;
    std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
    return fs::path(unixPath);
#endif
}

std::string DirectorySettingFor(const fs::path& dir, const fs::path& programDir)
{
    const fs::path base = programDir.lexically_normal();
    const fs::path relative = dir.lexically_normal().lexically_relative(base);
    if (!relative.empty() && *relative.begin() != "..") {
        std::string setting;
        for (const fs::path& part : relative)
            if (part != ".")
                setting += "\\" + part.string();
        if (!setting.empty())
            return setting;
    }
    return dir.string();
}

fs::path UserModelDirOf(const fs::path& userDir, const std::string& modelSubDir)
{
    return appendParts(userDir, modelSubDir);
}

fs::path InstalledModelDirOf(const std::string& setting, const fs::path& programDir)
{
    if (setting.find_first_not_of(" \t") == std::string::npos)
        return programDir / "data" / "models";
    return ResolveDirectorySetting(setting, programDir);
}

bool EnsureDirectory(const fs::path& dir, UserDialogs& dialogs)
{
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return true;
    if (fs::create_directory(dir, ec) && !ec) {
        dialogs.showMessage("Directory " + dir.string() + " created.");
        return true;
    }
    dialogs.showMessage("Directory " + dir.string() + " could not be created.", {},
                        UserDialogs::Icon::Error);
    return false;
}

std::vector<std::string> ListProjects(const fs::path& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        std::string name = it->path().filename().string();
        if (name != "model" && name != "." && name != "..")
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ListFilesWithExtension(const fs::path& dir, const std::string& extension)
{
    std::vector<std::string> names;
    std::error_code ec;
    const std::string wanted = ToLower(extension);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && ToLower(it->path().extension().string()) == wanted)
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace narv
