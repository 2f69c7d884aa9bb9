#include "core/AtomicFile.h"

#include "core/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

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

TEST_F(AtomicFileTest, FailingWriterKeepsThePreviousFile)
{
    const fs::path target = m_dir / "model.mod";
    writeFileAtomically(target, [](std::ostream& out) { out << "previous"; });
    EXPECT_THROW(writeFileAtomically(target,
                                     [](std::ostream& out) {
                                         out << "half";
                                         throw IoError("disk full");
                                     }),
                 IoError);
    EXPECT_EQ(readFileBytes(target), "previous");
    EXPECT_EQ(fileCount(), 1u); // no temporary file left behind
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
