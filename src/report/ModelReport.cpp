#include "report/ModelReport.h"

#include "core/AtomicFile.h"
#include "core/Encoding.h"
#include "core/NumberFormat.h"
#include "core/TextWriter.h"
#include "model/Rates.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

namespace narv {
namespace {

// Species and process names are cut by single-byte characters, as the file holds them; UTF-8
// bytes would cut a "°" in half.
std::string Characters(const std::string& text, std::size_t first, std::size_t count,
                       bool pad = false)
{
    std::string bytes = utf8ToSingleByte(text);
    bytes = first - 1 < bytes.size() ? bytes.substr(first - 1, count) : std::string();
    if (pad && bytes.size() < count)
        bytes.append(count - bytes.size(), ' ');
    return singleByteToUtf8(bytes);
}

std::string R(int width, int decimals, double x)
{
    return FormatFixed(width, decimals, x);
}

// A blank, then R(w, d): the column separator of the tables.
std::string BlankR(int width, int decimals, double x)
{
    std::string text(1, ' ');
    text += FormatFixed(width, decimals, x);
    return text;
}

std::string I(int width, int n)
{
    std::string text = std::to_string(n);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string I1(int n)
{
    return std::to_string(n);
}

class ReportBuilder {
public:
    ReportBuilder(const ReportInput& input, const TPrintOptions& options, int margin)
        : m_model(input.model), m_plant(input.plant), m_state(input.state),
          m_filesName(input.filesName), m_options(options),
          m_prefix(static_cast<std::size_t>(std::max(margin, 0)), ' ')
    {
    }

    std::vector<std::string> build()
    {
        empty();
        line("Name of the model: " + m_model.ModelName);
        empty();
        line("Name of the files: " + m_filesName + ".*");
        empty();
        if (m_options.Remarks) {
            line("Remarks to the model:");
            for (int r = 1; r <= m_model.RemarkCount; ++r)
                line("     " + m_model.Remarks[r]);
            empty();
        }
        if (m_options.SpecieS)
            names("Names of the dissolved species", m_model.NameS, 1, m_model.NS);
        if (m_options.SpecieX)
            names("Names of the particulate species", m_model.NameX, 1, m_model.NX);
        if (m_options.Processes)
            names("Names of the biological processes", m_model.ProcessName, 2, m_model.NP);
        if (m_model.NP > 1) {
            if (m_options.StoichS)
                stoichiometry("Stoichiometry of dissolved species", m_model.NameS, m_model.NueS,
                              m_model.NS);
            if (m_options.StoichX)
                stoichiometry("Stoichiometry of particulate species", m_model.NameX, m_model.NueX,
                              m_model.NX);
            if (m_options.Kinetics)
                kinetics();
        }
        if (m_options.Plant)
            flowscheme();
        if (m_plant.ControlLoopsActive && m_options.Control)
            controlLoops();
        if (m_options.State) {
            const int count = m_plant.CompartmentCount;
            if (count < 7) {
                state(1, count);
            } else {
                state(1, 6);
                state(7, count);
            }
        }
        return std::move(m_lines);
    }

private:
    void line(const std::string& text) { m_lines.push_back(m_prefix + text); }
    void empty() { m_lines.emplace_back(); }

    template <class Names> void names(const char* title, const Names& list, int first, int last)
    {
        line(title);
        empty();
        for (int j = first; j <= last; ++j)
            line(list[j]);
        empty();
    }

    void stoichiometry(const char* title, const Array1<std::string, MaxSpecies>& names,
                       const ProcessSpeciesReal& nue, int count)
    {
        if (count < 8) {
            stoichiometryTable(title, names, nue, 1, count);
        } else {
            stoichiometryTable(title, names, nue, 1, 7);
            stoichiometryTable(title, names, nue, 8, count);
        }
    }

    void stoichiometryTable(const char* title, const Array1<std::string, MaxSpecies>& names,
                            const ProcessSpeciesReal& nue, int first, int last)
    {
        line(title);
        empty();
        std::string header = "Process    ";
        for (int j = first; j <= last; ++j)
            header += Characters(names[j], 3, 9, true) + " ";
        line(header);
        empty();
        for (int p = 2; p <= m_model.NP; ++p) {
            std::string row = Characters(m_model.ProcessName[p], 1, 9);
            for (int j = first; j <= last; ++j) {
                const double coefficient = nue[p][j];
                row += coefficient != 0.0 ? BlankR(9, 3, coefficient) : std::string(10, ' ');
            }
            line(row);
        }
        empty();
    }

    static std::string dissolvedFormula(int type, int i, int e)
    {
        const std::string is = I1(i);
        const std::string es = I1(e);
        switch (type) {
        case 1:
            return "          * S                             (";
        case 2:
            return "          * S^n                           (";
        case 3:
            return "          * S / (Ks(" + is + ") + S)               (";
        case 4:
            return "          * Ki(" + is + ") / (Ki(" + is + ") + S)           (";
        case 5:
            return "          * S1/(Ks(" + is + ")+S1)*(S1/(S1+S2))     (";
        case 6:
            return "          * kla * (S - K(" + is + "))              (";
        case 7:
            return "          * exp(Ke(" + is + ") * S)                   (";
        case 8:
            return "          * S^" + es + " / (Ks(" + is + ")^" + es + " + S^" + es +
                   ")         (";
        case 9:
            return "          * Ki(" + is + ")^" + es + " / (Ki(" + is + ")^" + es + " + S^" + es +
                   ")     (";
        case 10:
            return "          * (S - K(" + is + "))                       (";
        case 11:
            return "          * (S1 - Kh(" + is + ")*S2)               (";
        default:
            return {};
        }
    }

    static std::string particulateFormula(int type, int j)
    {
        const std::string js = I1(j);
        switch (type) {
        case 1:
            return "          * X                             (";
        case 2:
            return "          * X^n                           (";
        case 3:
            return "          * (X1/X2)  / (Kx" + js + " + (X1/X2))    (";
        case 4:
            return "          * Kx" + js + "  / (Kx" + js + " + (X1/X2))        (";
        case 5:
            return "          * (Kx" + js + "-X1/X2)/(1.05*Kx" + js + "-X1/X2)  (";
        default:
            return {};
        }
    }

    void kinetics()
    {
        const double base = m_model.BaseTemperature;
        const double operating = m_plant.OperatingTemperature;
        line("The basetemperature for the kinetic parameters is " + R(6, 2, base) + "°C");
        line("The operating temperature for the plant is " + R(13, 2, operating) + "°C");
        line("All kinetic parameters are given for base and operating temperature.");
        empty();
        line("The following kinetic expressions and constants are used:");
        empty();
        for (int p = 2; p <= m_model.NP; ++p)
            processBlock(p);
    }

    void processBlock(int p)
    {
        const TModelDef& m = m_model;
        const int n = p - 1;
        line("Process Nr. " + I(2, n) + " : " + m.ProcessName[p]);
        empty();
        line("rho(" + I(2, n) + ") = Kr");
        for (int i = 1; i <= m.NS; ++i) {
            const int type = m.TypeS[p][i];
            if (type < 1 || type > 11)
                continue;
            std::string names = m.NameS[i];
            if (type == 5 || type == 11)
                names += "/ " + m.NameS[m.Compound2S[p][i]];
            line(dissolvedFormula(type, i, m.Compound2S[p][i]) + names + ")");
        }
        for (int j = 1; j <= m.NX; ++j) {
            const int type = m.TypeX[p][j];
            if (type < 1 || type > 5)
                continue;
            std::string names = m.NameX[j];
            if (type >= 3)
                names += "/ " + m.NameX[m.Compound2X[p][j]];
            line(particulateFormula(type, j) + names + ")");
        }
        empty();
        line(std::string(43, ' ') + "at" + R(6, 2, m.BaseTemperature) + "°C   at" +
             R(6, 2, m_plant.OperatingTemperature) + "°C");
        empty();
        line("Reactionrate                         : Kr    = " + R(8, 3, m.Kr[p]) + " " +
             R(12, 3, m.KrT[p]));
        for (int i = 1; i <= m.NS; ++i) {
            const std::string both = R(8, 3, m.KS[p][i]) + BlankR(12, 3, m.KST[p][i]);
            const std::string name = m.NameS[i];
            const std::string index = I1(i);
            switch (m.TypeS[p][i]) {
            case 2:
                line("Exponent for Kinetics of " + name + "  = " + R(8, 3, m.KS[p][i]));
                break;
            case 3:
            case 5:
            case 8:
                line("Saturation value for " + name + ": Ks(" + index + ") = " + both);
                break;
            case 4:
            case 9:
                line("Inhibition value for " + name + ": Ki(" + index + ") = " + both);
                break;
            case 6:
            case 10:
                line("Stripping value for  " + name + ": K(" + index + ")  = " + both);
                break;
            case 7:
                line("Exponential term for " + name + ": Ke(" + index + ") = " + both);
                break;
            case 11:
                line("Henry constant for   " + name + ": Kh(" + index + ") = " + both);
                break;
            default:
                break;
            }
        }
        for (int j = 1; j <= m.NX; ++j) {
            const std::string both = R(8, 3, m.KX[p][j]) + BlankR(12, 3, m.KXT[p][j]);
            const std::string name = m.NameX[j];
            switch (m.TypeX[p][j]) {
            case 2:
                line("Exponent for kinetics of " + name + "  = " + R(8, 3, m.KX[p][j]));
                break;
            case 3:
            case 5:
                line("Saturation value for " + name + ": Kx" + I1(j) + " = " + both);
                break;
            case 4:
                line("Inhibition value for " + name + ": Kx" + I1(j) + " = " + both);
                break;
            default:
                break;
            }
        }
        empty();
    }

    void flowscheme()
    {
        const TPlantDef& plant = m_plant;
        line("The flowscheme of the plant is defined as follows:");
        empty();
        line("Number of reactors: " + I1(plant.CompartmentCount));
        empty();
        line(std::string(17, ' ') + "Volume         Setpoint for O2     Kla value");
        empty();
        for (int r = 1; r <= plant.ReactorCount; ++r)
            line("Reactor Nr." + I(2, r) + R(11, 3, plant.Volume[r]) +
                 R(15, 3, plant.O2Setpoint[r]) + R(22, 3, plant.Kla[r]));
        for (int k = plant.ReactorCount + 1; k <= plant.CompartmentCount; ++k)
            line("Clarifi Nr." + I(2, k - plant.ReactorCount) + R(11, 3, plant.Volume[k]));
        empty();
        line("1. Influent flow rate = " + R(8, 3, plant.InfluentFlow) + " to reactor Nr. " +
             I1(plant.InfluentReactor));
        line("2. Influent flow rate = " + R(8, 3, plant.Influent2Flow) + " to reactor Nr. " +
             I1(plant.Influent2Reactor));
        if (plant.SludgeSeparation)
            line("Returnsludge flowrate = " + R(8, 3, plant.ReturnFlow) + " to reactor Nr. " +
                 I1(plant.ReturnReactor));
        if (plant.RecircActive)
            line("Internal recirculation= " + R(8, 3, plant.RecircFlow) + " to reactor Nr. " +
                 I1(plant.RecircTo) + " coming from reactor Nr. " + I1(plant.RecircFrom));
        if (plant.SludgeSeparation)
            line("Sludge age (SRT)      = " + R(8, 3, plant.SludgeAge));
        line("Saturation concentration for oxygen    = " + R(8, 3, plant.O2Saturation));
        empty();
    }

    static std::string controlledQuantity(int entry)
    {
        switch (entry) {
        case 1:
            return "Returnsludge ";
        case 2:
            return "Recirculation";
        case 3:
            return "Dx=Excess slu";
        case 4:
            return "2.Influent   ";
        default:
            return "Kla value(" + I1(entry - 4) + ")  ";
        }
    }

    std::string signalText(const TControlLoopDef& loop) const
    {
        const int signal = loop.Signal;
        std::string where = "(";
        where += I1(loop.Compartment);
        where += ')';
        if (signal == 1)
            return "Influent";
        if (signal == 2)
            return "Total solids" + where;
        if (signal >= 3 && signal <= m_model.NS + 2)
            return Characters(m_model.NameS[signal - 2], 3, 9) + where;
        if (signal >= m_model.NS + 3 && signal <= m_model.NS + m_model.NX + 2)
            return Characters(m_model.NameX[signal - m_model.NS - 2], 3, 9) + where;
        return {};
    }

    void controlLoops()
    {
        line("Controlloop Nr. with controlequation");
        empty();
        for (int k = 1; k <= m_plant.CompartmentCount + 4; ++k) {
            const TControlLoopDef& loop = m_plant.ControlLoops[k];
            const std::string label = controlledQuantity(k);
            std::string text = "Nr.";
            text += I1(k);
            text += " is  ";
            text += loop.Active ? "active: " : "not active:  ";
            text += label;
            if (!loop.Active) {
                line(text);
                continue;
            }
            const std::string signal = signalText(loop);
            if (loop.OnOff) {
                line(text + " = " + R(7, 3, loop.Stellung2) + " for " + signal + " > " +
                     R(7, 3, loop.ErwartetX) + " and ");
                // The continuation stands under the first line's label, without the margin.
                m_lines.push_back(std::string(17, ' ') + label + " = " + R(7, 3, loop.Steigung) +
                                  " for " + signal + " < " + R(7, 3, loop.ErwartetY));
            } else {
                line(text + " = " + R(7, 3, loop.ErwartetY) + (loop.Steigung < 0.0 ? " -" : " +") +
                     R(7, 3, std::abs(loop.Steigung)) + "*(" + signal + "-" +
                     R(7, 1, loop.ErwartetX) + ")");
            }
        }
        empty();
    }

    void state(int first, int last)
    {
        const TModelDef& m = m_model;
        const int reactorsLast = std::min(last, m_plant.ReactorCount);
        line("State of the plant");
        empty();
        line("Operating temperature: " + R(6, 2, m_plant.OperatingTemperature) + "°C");
        empty();
        line("                   Influent Reactor Nr.");
        std::string numbers(24, ' ');
        for (int k = first; k <= last; ++k)
            numbers += I(9, k);
        line(numbers);
        for (int j = 1; j <= m.NS; ++j) {
            std::string row = m.NameS[j] + R(9, 2, m.InfluentS[j]);
            // Clarifier compartments hold no oxygen worth showing.
            const int shownLast = j == 1 ? reactorsLast : last;
            for (int k = first; k <= shownLast; ++k)
                row += BlankR(8, 2, m_state.S[k][j]);
            line(row);
        }
        empty();
        for (int j = 1; j <= m.NX; ++j) {
            std::string row = m.NameX[j] + R(9, 2, m.InfluentX[j]);
            for (int k = first; k <= reactorsLast; ++k)
                row += BlankR(8, 2, m_state.X[k][j]);
            line(row);
        }
        empty();
        std::string consumption = "Oxygenconsumption        ";
        for (int k = first; k <= reactorsLast; ++k)
            consumption += BlankR(8, 2, oxygenConsumption(k));
        line(consumption);
        empty();
        if (m_plant.Influent2Flow > 0.0) {
            line("Concentrations in 2. Flowrate:");
            for (int j = 1; j <= m.NS; ++j)
                line(m.NameS[j] + R(10, 3, m_plant.SIn2[j]));
            empty();
            for (int j = 1; j <= m.NX; ++j)
                line(m.NameX[j] + R(10, 3, m_plant.XIn2[j]));
        }
    }

    // Evaluated on copies: the floors of the rate evaluation must not change the shown state,
    // and the model's last rates belong to the solvers.
    double oxygenConsumption(int reactor)
    {
        if (!m_scratch)
            m_scratch = std::make_unique<TModelDef>(m_model);
        SpeciesArray S = m_state.S[reactor];
        SpeciesArray X = m_state.X[reactor];
        ComputeOxygenRate(*m_scratch, S, X, m_plant.Kla[reactor], m_plant.O2Saturation);
        // 0.0 - rate rather than -rate: no consumption prints as 0.00, not -0.00.
        return 0.0 - m_scratch->RS[1];
    }

    const TModelDef& m_model;
    const TPlantDef& m_plant;
    const TPlantState& m_state;
    const std::string& m_filesName;
    const TPrintOptions& m_options;
    const std::string m_prefix;
    std::unique_ptr<TModelDef> m_scratch;
    std::vector<std::string> m_lines;
};

} // namespace

TPrintOptions InitialPrintOptions(bool plantLoaded)
{
    TPrintOptions options;
    options.Plant = plantLoaded;
    options.Control = plantLoaded;
    options.State = plantLoaded;
    return options;
}

bool PlantOptionsEnabled(bool plantLoaded)
{
    return plantLoaded;
}

const std::vector<PrintOptionsCheckBox>& PrintOptionsCheckBoxes()
{
    static const std::vector<PrintOptionsCheckBox> boxes = {
        {"ckRemarks", "Remarks", &TPrintOptions::Remarks},
        {"ckSpecieS", "Dissolved species", &TPrintOptions::SpecieS},
        {"ckSpecieX", "Particulate species", &TPrintOptions::SpecieX},
        {"ckProcesses", "Processes", &TPrintOptions::Processes},
        {"ckStoichS", "Stoichiometry of dissolved species", &TPrintOptions::StoichS},
        {"ckStoichX", "Stoichiometry of particulate species", &TPrintOptions::StoichX},
        {"ckKinetics", "Kinetics", &TPrintOptions::Kinetics},
        {"ckPlant", "Plant definition", &TPrintOptions::Plant},
        {"ckControl", "Controls", &TPrintOptions::Control},
        {"ckState", "State", &TPrintOptions::State},
    };
    return boxes;
}

PrintOptionsCaptions PrintOptionsCaptionsFor(ReportDestination destination)
{
    switch (destination) {
    case ReportDestination::Window:
        return {"Show Options", "Check to show / uncheck to disgard "};
    case ReportDestination::Printer:
        return {"Print Options", "Check to print / uncheck to disgard "};
    case ReportDestination::TextFile:
        return {"Write Options", "Check to write in file / uncheck to disgard "};
    }
    return {"", ""};
}

int ReportWindowWidth(int widthOfH, int screenWidth)
{
    return std::min(85 * widthOfH, screenWidth - 50);
}

int ReportMargin(ReportDestination destination)
{
    switch (destination) {
    case ReportDestination::Window:
        return 5;
    case ReportDestination::Printer:
        return 7;
    case ReportDestination::TextFile:
        return 0;
    }
    return 0;
}

std::string ReportFilesName(const std::filesystem::path& directory, const std::string& baseName)
{
    return (directory / baseName).string();
}

std::vector<std::string> BuildReportLines(const ReportInput& input, const TPrintOptions& options,
                                          int margin)
{
    return ReportBuilder(input, options, margin).build();
}

void WriteReport(std::ostream& out, const std::vector<std::string>& lines)
{
    TextWriter writer(out);
    for (const std::string& text : lines)
        writer.line(text);
}

void WriteReportFile(const std::filesystem::path& target, const ReportInput& input,
                     const TPrintOptions& options)
{
    const std::vector<std::string> lines =
        BuildReportLines(input, options, ReportMargin(ReportDestination::TextFile));
    writeFileAtomically(target, [&](std::ostream& out) { WriteReport(out, lines); });
}

std::vector<std::vector<std::string>> PaginateReport(const std::vector<std::string>& lines,
                                                     int linesPerPage, const std::string& title,
                                                     int margin)
{
    // Characters, not bytes: the lines are UTF-8 and "°" takes two bytes.
    const auto length = [](const std::string& text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    };
    const std::size_t perPage = static_cast<std::size_t>(std::max(1, linesPerPage - 2));
    std::vector<std::vector<std::string>> bodies;
    std::size_t width = 0;
    for (std::size_t i = 0; i < lines.size();) {
        if (!bodies.empty())
            while (i < lines.size() && lines[i].empty())
                ++i;
        if (i == lines.size())
            break;
        const std::size_t end = std::min(lines.size(), i + perPage);
        bodies.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(i),
                            lines.begin() + static_cast<std::ptrdiff_t>(end));
        for (; i < end; ++i)
            width = std::max(width, length(lines[i]));
    }
    if (bodies.empty())
        bodies.emplace_back();
    std::vector<std::vector<std::string>> pages;
    for (std::size_t n = 0; n < bodies.size(); ++n) {
        std::string header = std::string(static_cast<std::size_t>(std::max(0, margin)), ' ') + title;
        const std::string number = fmt::format("Page {} of {}", n + 1, bodies.size());
        const std::size_t used = length(header) + 2 + number.size();
        header.append(used < width ? width - used + 2 : 2, ' ');
        header += number;
        std::vector<std::string> page{std::move(header), std::string()};
        page.insert(page.end(), bodies[n].begin(), bodies[n].end());
        pages.push_back(std::move(page));
    }
    return pages;
}

std::string ReportSavedMessage(const std::string& fileName, const std::string& directory)
{
    return "Model " + fileName + " saved as Textfile in " + directory + " .";
}

} // namespace narv
