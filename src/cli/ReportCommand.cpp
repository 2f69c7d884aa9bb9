#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "report/ModelReport.h"

#include <filesystem>
#include <ostream>

namespace narv::cli {

namespace fs = std::filesystem;

const char* const kReportHelp =
    R"(Usage: narv-cli report --model M.mod [--plant P.pln] [--out FILE.txt]

Writes the text report of the model and, with a plant, of the plant: names, remarks,
stoichiometry, kinetics, flowscheme, control loops and state. Every model section is
written; plant definition, controls and state only with a plant. The text is the one the
program exports as a text file: no margin, single-byte text, CR LF line ends.

  --model FILE   the model file (required)
  --plant FILE   a plant file, checked against the model
  --out FILE     write the report into FILE; without it the report goes to stdout
)";

OptionSpec ReportOptions()
{
    return {{"--model", "--plant", "--out"}, {}, 0};
}

int runReport(const CliArguments& arguments, std::ostream& out)
{
    Workspace workspace;
    LoadCaseFiles(workspace, arguments);
    const bool plantLoaded = arguments.has("--plant");

    // The program names the files by the model's directory and base name.
    const fs::path model = fs::absolute(fs::path(arguments.required("--model"))).lexically_normal();
    const ReportInput input{workspace.model, workspace.plant, workspace.state,
                            ReportFilesName(model.parent_path(), model.stem().string())};
    const TPrintOptions options = InitialPrintOptions(plantLoaded);

    if (const auto target = arguments.value("--out")) {
        WriteReportFile(*target, input, options);
        const fs::path written = fs::absolute(fs::path(*target)).lexically_normal();
        out << ReportSavedMessage(written.filename().string(), written.parent_path().string())
            << '\n';
    } else {
        WriteReport(out,
                    BuildReportLines(input, options, ReportMargin(ReportDestination::TextFile)));
    }
    return kExitSuccess;
}

} // namespace narv::cli
