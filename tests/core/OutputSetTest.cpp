#include "core/OutputSet.h"

#include "core/AtomicFile.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <unistd.h>

namespace narv {
namespace {

namespace fs = std::filesystem;

class OutputSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("narv-outputs-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void put(const fs::path& path, const std::string& text)
    {
        writeFileAtomically(path, [&](std::ostream& out) { out << text; });
    }
    // Every file below the test directory with its content.
    std::map<std::string, std::string> contents() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir))
            files[fs::relative(entry.path(), m_dir).string()] =
                entry.is_regular_file() ? readFileBytes(entry.path()) : "<dir>";
        return files;
    }

    fs::path m_dir;
};

TEST_F(OutputSetTest, CommitReplacesEveryTargetAndLeavesNothingElse)
{
    put(m_dir / "a.pln", "old a");
    OutputSet outputs;
    put(outputs.stage(m_dir / "a.pln"), "new a");
    put(outputs.stage(m_dir / "b.json"), "new b");
    outputs.stageDirectory(m_dir / "charts", [&](const fs::path& staging) {
        put(staging / "1.png", "one");
        put(staging / "2.png", "two");
    });
    EXPECT_EQ(readFileBytes(m_dir / "a.pln"), "old a") << "nothing replaced before the commit";
    outputs.commit();
    const std::map<std::string, std::string> expected = {{"a.pln", "new a"},
                                                         {"b.json", "new b"},
                                                         {"charts", "<dir>"},
                                                         {"charts/1.png", "one"},
                                                         {"charts/2.png", "two"}};
    EXPECT_EQ(contents(), expected);
}

TEST_F(OutputSetTest, AFailureOnTheThirdOutputLeavesTheFirstTwoAsTheyWere)
{
    put(m_dir / "one.txt", "first before");
    put(m_dir / "three.txt", "third before");
    const auto before = contents();
    {
        // Failing while the third output is written: nothing was replaced yet.
        OutputSet outputs;
        put(outputs.stage(m_dir / "one.txt"), "first after");
        put(outputs.stage(m_dir / "two.txt"), "second after");
        EXPECT_THROW(writeFileAtomically(outputs.stage(m_dir / "three.txt"),
                                         [](std::ostream&) { throw IoError("disk full"); }),
                     IoError);
    }
    EXPECT_EQ(contents(), before) << "and the staged files are gone";

    // Failing while the third output is renamed: the first two are put back.
    OutputSet outputs;
    put(outputs.stage(m_dir / "one.txt"), "first after");
    put(outputs.stage(m_dir / "two.txt"), "second after");
    const fs::path third = outputs.stage(m_dir / "three.txt");
    put(third, "third after");
    fs::remove(third); // the rename of the third output fails
    EXPECT_THROW(outputs.commit(), IoError);
    EXPECT_EQ(contents(), before);
}

TEST_F(OutputSetTest, DirectoriesAreRefusedAsFileTargetsAndCreatedDirectoriesGoAgain)
{
    fs::create_directories(m_dir / "taken");
    OutputSet outputs;
    EXPECT_THROW(outputs.stage(m_dir / "taken"), IoError);

    OutputSet nested;
    nested.stageDirectory(m_dir / "new" / "charts",
                          [&](const fs::path& staging) { put(staging / "1.png", "one"); });
    EXPECT_THROW(nested.stageDirectory(m_dir / "taken",
                                       [&](const fs::path& staging) {
                                           put(staging / "x", "x");
                                           throw IoError("renderer failed");
                                       }),
                 IoError);
    const fs::path last = nested.stage(m_dir / "last.txt");
    EXPECT_FALSE(fs::exists(last)) << "never written: its rename fails";
    EXPECT_THROW(nested.commit(), IoError);
    EXPECT_FALSE(fs::exists(m_dir / "new")) << "the directories the commit made are removed";
    EXPECT_EQ(contents(), (std::map<std::string, std::string>{{"taken", "<dir>"}}));
}

} // namespace
} // namespace narv
