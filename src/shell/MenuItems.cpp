#include "shell/MenuItems.h"

#include <cctype>

namespace narv {
namespace {

const std::map<std::string, std::string>& builtInHints()
{
    static const std::map<std::string, std::string> hints = {
        {"&File", "Projects, the user directory and leaving NARV"},
        {"&USER Directory", "Choose the user directory that holds your projects and models"},
        {"&New Project", "Create a new project directory in the user directory"},
        {"&Load Project", "Open a project with its model, plant and variation"},
        {"&Save Project", "Save the model, plant and variation of the project"},
        {"Save Project &as", "Save the whole project under a new name"},
        {"&Exit", "Save what is unsaved and leave NARV"},
        {"&Variation", "The daily course of flows, loads, aeration and temperature"},
        {"&New Variation", "Start a new variation for the active plant"},
        {"&Load Variation", "Read a variation file"},
        {"&Edit Variation", "Show the variation editor"},
        {"&Save Variation", "Save the variation into the project directory"},
        {"Save Variation &as", "Save the variation under a new name"},
        {"&Model", "The biokinetic model"},
        {"&New Model", "Define a new model step by step"},
        {"Load &USER Model", "Read one of your own models from the user model directory"},
        {"Load NARV &Model", "Read one of the models delivered with NARV"},
        {"&Edit active Model", "Show the model editor"},
        {"&Save Model", "Save the model into the project directory"},
        {"Save Model &as", "Save the model under a new name"},
        {"S&how Model and Plant as Text", "Show the report of model and plant"},
        {"&Print Model and Plant", "Print the report of model and plant"},
        {"E&xport Model and Plant", "Write the report of model and plant into a file"},
        {"as &Text File", "Write the report of model and plant into a text file"},
        {"&Plant Definition", "The flowscheme and the state of the plant"},
        {"&Define new Flowscheme", "Start a new plant of one of the flowscheme types"},
        {"&Activated Sludge Reactor", "Reactors in series with a secondary clarifier"},
        {"&CSTR (Completely Stirred Tank Reactor) ", "Reactors in series without sludge return"},
        {"&Batch Reactor", "One reactor without flows"},
        {"&SBR (Sequencing Batch Reactor)", "One reactor run through a cycle of phases"},
        {"A/I Processes", "Two lanes of which one at a time is fed"},
        {"&Edit Flowscheme", "Show the plant editor"},
        {"&Graphic of Flowscheme", "Show the picture of the flowscheme"},
        {"&Show State of Plant", "Show the concentrations in every compartment"},
        {"&Concentrations in Influent", "Show the concentrations of the influents"},
        {"Change &Temperature", "Change the operating temperature"},
        {"&Initial Conditions", "Show the initial concentrations of the compartments"},
        {"Save Plant &File", "Save the plant into the project directory"},
        {"Save Plant File &as", "Save the plant under a new name"},
        {"&Load Plant File", "Read a plant file"},
        {"Control &Loops", "Show the control loops of the plant"},
        {"&Computations", "Relaxation, integration and simulations"},
        {"&Relaxation", "Relax the plant to its steady state"},
        {"&Integration", "Integrate the plant over a time with constant inputs"},
        {"&Dynamic Simulation", "Run the plant through cycles of its variation"},
        {"&Continuous Simulation", "Drive the plant through a table of measured data"},
        {"&Results", "Charts and results files"},
        {"Show &Results", "Show the charts of the last run"},
        {"&Save Results to File", "Save the results of the last run into a file"},
        {"Load Results from &File", "Read a results file and show its charts"},
        {"Show Results from File", "Show the charts of the results file read last"},
        {"&Tools", "Settings"},
        {"&Configuration", "The numerical settings of the solvers and the chart settings"},
        {"&Help", "The user guide"},
        {"&Contents", "The contents of the user guide"},
        {"&Index", "The index of the user guide"},
        {"&Find", "Search the user guide"},
        {"&About...", "Name, version and licence of NARV"},
    };
    return hints;
}

} // namespace

std::string MenuComponentName(const std::string& caption)
{
    std::string name;
    for (const char c : caption)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name + "1";
}

std::string MenuItemHint(const std::string& caption,
                         const std::map<std::string, std::string>& fileHints)
{
    const auto fromFile = fileHints.find(MenuComponentName(caption));
    if (fromFile != fileHints.end())
        return fromFile->second;
    const auto builtIn = builtInHints().find(caption);
    return builtIn == builtInHints().end() ? std::string() : builtIn->second;
}

} // namespace narv
