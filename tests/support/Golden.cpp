#include "Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace narv::testing {

bool UpdatingGoldens()
{
    const char* update = std::getenv("NARV_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

void ExpectGolden(const std::filesystem::path& golden, const std::string& bytes)
{
    if (UpdatingGoldens()) {
        std::ofstream(golden, std::ios::binary) << bytes;
        return;
    }
    std::ifstream in(golden, std::ios::binary);
    ASSERT_TRUE(in) << "no golden file " << golden << " (NARV_UPDATE_GOLDEN=1 writes it)";
    const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, expected) << "differs from " << golden;
}

} // namespace narv::testing
