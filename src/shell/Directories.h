#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace narv {

class UserDialogs;

// A directory setting: one beginning with "\" or "/" lies below the program directory, any
// other is taken as it is. "\" and "/" both separate directories.
std::filesystem::path ResolveDirectorySetting(const std::string& setting,
                                              const std::filesystem::path& programDir);

// The setting that reads back as dir: "\" and the path below the program directory when dir
// lies there, otherwise dir itself.
std::string DirectorySettingFor(const std::filesystem::path& dir,
                                const std::filesystem::path& programDir);

// The user's model directory: the model sub-directory setting always lies below UserDir.
std::filesystem::path UserModelDirOf(const std::filesystem::path& userDir,
                                     const std::string& modelSubDir);

// The delivered models; an empty setting means data/models of the installation, so that
// loading a delivered model never opens an undefined directory.
std::filesystem::path InstalledModelDirOf(const std::string& setting,
                                          const std::filesystem::path& programDir);

// True if dir exists or could be created (one level), each creation or failure announced.
bool EnsureDirectory(const std::filesystem::path& dir, UserDialogs& dialogs);

// The project names: every sub-directory of dir except "model", sorted.
std::vector<std::string> ListProjects(const std::filesystem::path& dir);

// The file names in dir whose extension (".mod" etc., any case) matches, sorted.
std::vector<std::string> ListFilesWithExtension(const std::filesystem::path& dir,
                                                const std::string& extension);

std::string ToLower(std::string text);

} // namespace narv
