#include "core/AtomicFile.h"

#include "core/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace narv {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir =
            fs::temp_directory_path() /
            ("narv-atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::size_t fileCount() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

TEST_F(AtomicFileTest, WritesAndReplaces)
{
    const fs::path target = m_dir / "model.mod";
    writeFileAtomically(target, [](std::ostream& out) { out << "first\r\n"; });
    writeFileAtomically(target, [](std::ostream& out) { out << "second\r\n"; });
    EXPECT_EQ(readFileBytes(target), "second\r\n");
    EXPECT_EQ(fileCount(), 1u);
}

// Whatever the writer throws: the previous file stays, no temporary is left behind, and a
// message of ours names the file.
TEST_F(AtomicFileTest, FailingWriterKeepsThePreviousFileAndNamesIt)
{
    const fs::path target = m_dir / "model.mod";
    writeFileAtomically(target, [](std::ostream& out) { out << "previous"; });
    struct Case {
        std::function<void()> fail;
        std::string message; // empty: the writer's exception passes unchanged
    };
    const std::vector<Case> cases = {
        {[] { throw IoError("disk full"); },
         target.string() + " could not be saved (disk full); the previous version is unchanged."},
        {[] { throw RangeError("Kla[19] is out of range"); },
         target.string() +
             " could not be saved (Kla[19] is out of range); the previous version is unchanged."},
        {[] { throw IoError("model.mod: line 3 is too long"); }, "model.mod: line 3 is too long"},
        {[] { throw std::runtime_error("not ours"); }, "not ours"},
    };
    for (const Case& c : cases) {
        try {
            writeFileAtomically(target, [&](std::ostream& out) {
                out << "half";
                c.fail();
            });
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(readFileBytes(target), "previous");
        EXPECT_EQ(fileCount(), 1u);
    }
}

TEST_F(AtomicFileTest, FailingStreamIsReportedAndKeepsThePreviousFile)
{
    const fs::path target = m_dir / "model.mod";
    writeFileAtomically(target, [](std::ostream& out) { out << "previous"; });
    EXPECT_THROW(
        writeFileAtomically(target, [](std::ostream& out) { out.setstate(std::ios::badbit); }),
        IoError);
    EXPECT_EQ(readFileBytes(target), "previous");
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(AtomicFileTest, MissingDirectoryAndFile)
{
    EXPECT_THROW(writeFileAtomically(m_dir / "no" / "such.mod", [](std::ostream&) {}), IoError);
    EXPECT_THROW(readFileBytes(m_dir / "missing.mod"), IoError);
}

} // namespace
} // namespace narv
