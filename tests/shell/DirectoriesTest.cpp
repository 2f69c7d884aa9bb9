#include "shell/Directories.h"
#include "shell/EventLog.h"
#include "shell/MenuHints.h"

#include "ScriptedDialogs.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

namespace fs = std::filesystem;
using test::ScriptedDialogs;
using test::TempDirectory;

TEST(Directories, SettingsBeginningWithASeparatorLieBelowTheProgramDirectory)
{
    const fs::path program = "/opt/narv";
    EXPECT_EQ(ResolveDirectorySetting("\\user", program), program / "user");
    EXPECT_EQ(ResolveDirectorySetting("/user/a", program), program / "user" / "a");
    EXPECT_EQ(ResolveDirectorySetting("\\work\\b/c", program), program / "work" / "b" / "c");
    EXPECT_EQ(ResolveDirectorySetting("home/u", program), fs::path("home/u"));
    EXPECT_EQ(UserModelDirOf("/data/user", "\\model"), fs::path("/data/user/model"));
    EXPECT_EQ(UserModelDirOf("/data/user", "\\my\\models"), fs::path("/data/user/my/models"));
}

TEST(Directories, SettingWrittenForADirectoryReadsBackAsIt)
{
    TempDirectory dir;
    const fs::path program = dir.path() / "program";
    const fs::path outside = dir.path() / "elsewhere";
    fs::create_directories(program / "work" / "u");
    fs::create_directories(outside);
    EXPECT_EQ(DirectorySettingFor(program / "work" / "u", program), "\\work\\u");
    EXPECT_EQ(
        ResolveDirectorySetting(DirectorySettingFor(program / "work" / "u", program), program),
        program / "work" / "u");
    EXPECT_EQ(ResolveDirectorySetting(DirectorySettingFor(outside, program), program), outside)
        << "a directory outside the program directory keeps its absolute path";
}

TEST(Directories, EmptyInstalledModelSettingMeansTheDeliveredModels)
{
    const fs::path program = "/opt/narv";
    EXPECT_EQ(InstalledModelDirOf("", program), program / "data" / "models");
    EXPECT_EQ(InstalledModelDirOf("  ", program), program / "data" / "models");
    EXPECT_EQ(InstalledModelDirOf("\\lib", program), program / "lib");
}

TEST(Directories, EnsureDirectoryCreatesOneLevelAndSaysSo)
{
    TempDirectory dir;
    ScriptedDialogs dialogs;
    EXPECT_TRUE(EnsureDirectory(dir.path(), dialogs));
    EXPECT_TRUE(dialogs.shown.empty()) << "an existing directory is not announced";

    const fs::path user = dir.path() / "user";
    EXPECT_TRUE(EnsureDirectory(user, dialogs));
    EXPECT_TRUE(fs::is_directory(user));
    const fs::path deep = dir.path() / "a" / "b";
    EXPECT_FALSE(EnsureDirectory(deep, dialogs));
    EXPECT_FALSE(fs::exists(deep));
    EXPECT_EQ(dialogs.messages(),
              (std::vector<std::string>{"Directory " + user.string() + " created.",
                                        "Directory " + deep.string() + " could not be created."}));
}

TEST(Directories, ProjectsAreSubDirectoriesExceptModel)
{
    TempDirectory dir;
    fs::create_directories(dir.path() / "model");
    fs::create_directories(dir.path() / "beta");
    fs::create_directories(dir.path() / "alpha" / "inner");
    test::writeText(dir.path() / "file.mod", "");
    EXPECT_EQ(ListProjects(dir.path()), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_TRUE(ListProjects(dir.path() / "missing").empty());
}

TEST(EventLog, EachWriteReplacesTheFileWithAllLines)
{
    TempDirectory dir;
    EventLog log(dir.path() / EventLog::kFileName);
    log.add("UserDir=/x");
    ASSERT_TRUE(log.write());
    EXPECT_EQ(test::readText(log.file()), "UserDir=/x\r\n");
    log.add("Reading project directories!");
    EXPECT_EQ(test::readText(log.file()), "UserDir=/x\r\n") << "lines wait for the next write";
    ASSERT_TRUE(log.write());
    EXPECT_EQ(test::readText(log.file()), "UserDir=/x\r\nReading project directories!\r\n");

    EventLog nowhere(dir.path() / "missing" / "narv.log");
    nowhere.add("line");
    EXPECT_FALSE(nowhere.write());
    EXPECT_EQ(nowhere.lines().size(), 1u);
}

TEST(MenuHints, ItemsCommentsJoinsAndTheLastLine)
{
    const auto hints =
        ParseMenuHints("[NewModel1]\r\nCreate a model\r\n; comment\r\nstep by step\r\n"
                       "[Empty1]\r\n; only a comment\r\n"
                       "[loadproject1]\r\nlower case\r\n"
                       "[Exit1]\r\nnever a hint\r\n");
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints.at("NewModel1"), "Create a model\nstep by step");
    EXPECT_EQ(hints.at("loadproject1"), "lower case") << "names keep their case";
    EXPECT_EQ(hints.count("Empty1"), 0u) << "no hint line: the built-in hint stays";
    EXPECT_EQ(hints.count("Exit1"), 0u) << "the file's last line is never hint text";
    EXPECT_TRUE(ReadMenuHints("/nonexistent/NARV.men").empty());
    // Lone carriage returns end lines like LF.
    const auto mac = ParseMenuHints("[NewModel1]\rCreate a model\rstep by step\r[End]\r");
    EXPECT_EQ(mac.at("NewModel1"), "Create a model\nstep by step");
}

} // namespace
} // namespace narv
