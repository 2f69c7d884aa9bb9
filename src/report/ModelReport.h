#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace narv {

// Where the report goes; each destination has its own margin and dialog captions.
enum class ReportDestination { Window, Printer, TextFile };

inline constexpr const char* kNoModelLoadedMessage = "No model loaded !";
// The file the window destination writes, loads and deletes, in the current directory.
inline constexpr const char* kReportWindowTempFile = "$narvtemp.txt";
inline constexpr const char* kReportWindowTitle = "Show Model and Plant";

// The window's width: 85 times the width of "H" in its font, at most the screen's width less 50.
int ReportWindowWidth(int widthOfH, int screenWidth);

// The check boxes of the options dialog TFormPrintOptions: the sections to write.
struct TPrintOptions {
    bool Remarks = true;
    bool SpecieS = true;
    bool SpecieX = true;
    bool Processes = true;
    bool StoichS = true;
    bool StoichX = true;
    bool Kinetics = true;
    bool Plant = true;
    bool Control = true;
    bool State = true;
};

// The states the dialog sets every time it is shown.
TPrintOptions InitialPrintOptions(bool plantLoaded);

// ckPlant and ckControl can be changed only with a plant loaded; the others always.
bool PlantOptionsEnabled(bool plantLoaded);

struct PrintOptionsCheckBox {
    const char* name; // "ckRemarks", ...
    const char* caption;
    bool TPrintOptions::*option;
};

// The check boxes in the order of the sections.
const std::vector<PrintOptionsCheckBox>& PrintOptionsCheckBoxes();

struct PrintOptionsCaptions {
    const char* dialog;
    const char* group;
};

PrintOptionsCaptions PrintOptionsCaptionsFor(ReportDestination destination);

// Blanks before every report line: 5 in the window, 7 on the printer, none in the text file.
int ReportMargin(ReportDestination destination);

// What the report is made of. filesName is the text after "Name of the files: " without the
// ".*": the model's directory and base name.
struct ReportInput {
    const TModelDef& model;
    const TPlantDef& plant;
    const TPlantState& state;
    std::string filesName;
};

// directory + separator + base name, as the "Name of the files" line shows them.
std::string ReportFilesName(const std::filesystem::path& directory, const std::string& baseName);

// The report lines (UTF-8, without line ends) with the given margin. Evaluates the oxygen
// rate of each reactor on a copy of the model and of the state; throws what that throws.
std::vector<std::string> BuildReportLines(const ReportInput& input, const TPrintOptions& options,
                                          int margin);

// The lines as the text file holds them: single-byte text, CR LF.
void WriteReport(std::ostream& out, const std::vector<std::string>& lines);

// The text-file destination: no margin, written through a temporary file and a rename.
void WriteReportFile(const std::filesystem::path& target, const ReportInput& input,
                     const TPrintOptions& options);

// The printed report cut into pages of linesPerPage lines. Every page starts with a header, the
// margin, the title and, right-aligned over the widest report line, "Page n of m", and an empty
// line; a page after the first does not start with empty report lines. A page of fewer than
// three lines still takes one report line.
std::vector<std::vector<std::string>> PaginateReport(const std::vector<std::string>& lines,
                                                     int linesPerPage, const std::string& title,
                                                     int margin);

// The message after the text file is written.
std::string ReportSavedMessage(const std::string& fileName, const std::string& directory);

} // namespace narv
