#pragma once

#include <filesystem>
#include <string>

namespace narv::testing {

// Whether NARV_UPDATE_GOLDEN=1 asks the tests to rewrite their golden files.
bool UpdatingGoldens();

// Compares bytes with the golden file byte for byte; with NARV_UPDATE_GOLDEN=1 rewrites the
// file instead, for review as a diff.
void ExpectGolden(const std::filesystem::path& golden, const std::string& bytes);

} // namespace narv::testing
