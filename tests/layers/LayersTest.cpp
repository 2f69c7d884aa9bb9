#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The layers from the bottom; folders of one rank do not include each other.
const std::map<std::string, int> kRanks = {
    {"core", 0},   {"model", 1},    {"plant", 2},   {"solvers", 3},  {"results", 3},
    {"report", 3}, {"dynamics", 4}, {"special", 5}, {"graphics", 6}, {"shell", 6},
    {"render", 7}, {"ui", 8},       {"cli", 8},     {"python", 8}, {"app", 9},
};
// The first layer that may use Qt.
constexpr int kFirstQtRank = 7;

struct Include {
    fs::path file;
    int line;
    std::string text;
};

std::optional<int> rankOf(const std::string& folder)
{
    const auto found = kRanks.find(folder);
    if (found == kRanks.end())
        return std::nullopt;
    return found->second;
}

// What follows "#include" on a line, from its opening quote or bracket; empty for other lines.
std::string includeTarget(const std::string& text)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos || text[at] != '#')
        return {};
    at = text.find_first_not_of(" \t", at + 1);
    const std::string keyword = "include";
    if (at == std::string::npos || text.compare(at, keyword.size(), keyword) != 0)
        return {};
    at = text.find_first_not_of(" \t", at + keyword.size());
    return at == std::string::npos ? std::string() : text.substr(at);
}

// The folder of a project header ("folder/file.h"), if the include names one.
std::optional<std::string> projectFolder(const std::string& target)
{
    if (target.empty() || target.front() != '"')
        return std::nullopt;
    const std::size_t slash = target.find('/', 1);
    const std::size_t close = target.find('"', 1);
    if (slash == std::string::npos || close == std::string::npos || slash > close || slash == 1)
        return std::nullopt;
    return target.substr(1, slash - 1);
}

bool isQtHeader(const std::string& target)
{
    if (target.size() < 3 || target.front() != '<')
        return false;
    return (target[1] == 'Q' && std::isalpha(static_cast<unsigned char>(target[2]))) ||
           target.compare(1, 2, "qt") == 0;
}

// Every offending include of one file in folder: a project header of a higher layer, of
// another folder of the same rank or of an unknown folder, and Qt below the renderers.
std::vector<Include> offendingIncludes(const fs::path& file, const std::string& folder)
{
    const int rank = *rankOf(folder);
    std::vector<Include> found;
    std::ifstream in(file);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::string target = includeTarget(text);
        if (const auto included = projectFolder(target)) {
            const auto targetRank = rankOf(*included);
            if (*included != folder && (!targetRank || *targetRank >= rank))
                found.push_back({file, line, text});
        } else if (rank < kFirstQtRank && isQtHeader(target)) {
            found.push_back({file, line, text});
        }
    }
    return found;
}

std::vector<Include> offendingIncludesUnder(const fs::path& sources)
{
    std::vector<Include> found;
    for (const fs::directory_entry& folder : fs::directory_iterator(sources)) {
        if (!folder.is_directory())
            continue;
        const std::string name = folder.path().filename().string();
        if (!rankOf(name)) {
            found.push_back({folder.path(), 0, "a folder outside the layers"});
            continue;
        }
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            const std::string extension = entry.path().extension().string();
            if (entry.is_regular_file() &&
                (extension == ".h" || extension == ".cpp" || extension == ".in"))
                for (Include& include : offendingIncludes(entry.path(), name))
                    found.push_back(std::move(include));
        }
    }
    return found;
}

std::string describe(const std::vector<Include>& includes)
{
    std::string text;
    for (const Include& include : includes)
        text +=
            include.file.string() + ":" + std::to_string(include.line) + ": " + include.text + "\n";
    return text;
}

TEST(Layers, NoSourceFileIncludesAHigherOrSameRankLayer)
{
    const std::vector<Include> found = offendingIncludesUnder(fs::path(NARV_SOURCE_DIR) / "src");
    EXPECT_TRUE(found.empty()) << describe(found);
}

// The check itself: a tree with one file of each kind of fault.
TEST(Layers, TheCheckFindsEachKindOfFault)
{
    const fs::path root = fs::temp_directory_path() / ("narv-layers-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const auto write = [&](const std::string& path, const std::string& text) {
        fs::create_directories((root / path).parent_path());
        std::ofstream(root / path) << text;
    };
    write("plant/Good.cpp",
          "#include \"plant/Good.h\"\n#include \"core/Error.h\"\n#include <map>\n");
    write("plant/Up.cpp", "#include \"solvers/Integrator.h\"\n");
    write("results/Side.h", "#pragma once\n#include \"report/ModelReport.h\"\n");
    write("model/Qt.cpp", "#include <QString>\n");
    write("render/Qt.cpp", "#include <QString>\n#include \"shell/Workspace.h\"\n");
    write("misc/Any.cpp", "\n");
    const std::vector<Include> found = offendingIncludesUnder(root);
    fs::remove_all(root);
    std::vector<std::string> names;
    for (const Include& include : found)
        names.push_back(include.file.filename().string() + ":" + std::to_string(include.line));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Qt.cpp:1", "Side.h:2", "Up.cpp:1", "misc:0"}))
        << describe(found);
}

} // namespace
