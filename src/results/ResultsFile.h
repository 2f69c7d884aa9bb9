#pragma once

#include "results/ResultSet.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace narv {

// The most series a run can record: 18 compartments of a model with 25 + 25 species and 50
// processes. A results file claiming more is damaged.
inline constexpr int kMaxResultSeries = 5 + 25 + 25 + 18 * (25 + 25 + 50 + 1) + 3;

// Writes the results file (*.rlt): version text, chart indexes, run start, counts, one chart
// record per chart (each with its series and points), tile state, checked charts and view
// options. IoError when the stream fails.
void SaveResults(std::ostream& out, const TResultSet& results);

// Reads a results file into results, replacing what it held. Quantities become one "c=f" per
// recorded series, so loaded results never show a load mean; Series holds the run series found
// in the charts at their index (series in no chart stay empty). A damaged, truncated or foreign
// file throws InvalidFileError naming sourceName and leaves results unchanged.
void LoadResults(std::istream& in, TResultSet& results,
                 const std::string& sourceName = "The results file");

// The same through files; saving goes through a temporary file.
void SaveResultsFile(const std::filesystem::path& file, const TResultSet& results);
void LoadResultsFile(const std::filesystem::path& file, TResultSet& results);

} // namespace narv
