#include "BenchmarkCase.h"

#include "Asm1Matrix.h"
#include "DeliveredModels.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "plant/ModelSetup.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <array>

namespace narv::modelgen {
namespace {

struct SpeciesKey {
    const char* name;
    bool dissolved;
    int species;
};
// The table's names in the order of the model of examples/asm1-benchmark.
constexpr std::array<SpeciesKey, 13> kSpecies{{
    {"S_O", true, 1},
    {"S_I", true, 2},
    {"S_S", true, 3},
    {"S_NO", true, 4},
    {"S_NH", true, 5},
    {"S_ND", true, 6},
    {"S_ALK", true, 7},
    {"X_I", false, 1},
    {"X_S", false, 2},
    {"X_BH", false, 3},
    {"X_BA", false, 4},
    {"X_P", false, 5},
    {"X_ND", false, 6},
}};
constexpr int kReactors = 5;

using Json = nlohmann::json;

class Reader {
public:
    explicit Reader(std::string file) : m_file(std::move(file)) {}

    const Json& at(const Json& node, const std::string& key, const std::string& where) const
    {
        if (!node.is_object() || !node.contains(key))
            throw Error(fmt::format("{}: the entry {}{} is missing.", m_file, where, key));
        return node.at(key);
    }
    double number(const Json& node, const std::string& key, const std::string& where) const
    {
        const Json& value = at(node, key, where);
        if (!value.is_number())
            throw Error(fmt::format("{}: {}{} is not a number.", m_file, where, key));
        return value.get<double>();
    }
    double element(const Json& node, const std::string& key, int index,
                   const std::string& where) const
    {
        const Json& list = at(node, key, where);
        if (!list.is_array() || static_cast<int>(list.size()) <= index ||
            !list[static_cast<std::size_t>(index)].is_number())
            throw Error(fmt::format("{}: {}{} needs {} numbers.", m_file, where, key,
                                         index + 1));
        return list[static_cast<std::size_t>(index)].get<double>();
    }

private:
    std::string m_file;
};

} // namespace

BenchmarkCase LoadBenchmarkCase(const std::filesystem::path& path)
{
    const std::string file = path.filename().string();
    Json root;
    try {
        root = Json::parse(readFileBytes(path));
    } catch (const Json::exception& e) {
        throw Error(fmt::format("{}: not a valid JSON file ({}).", file, e.what()));
    }
    const Reader read(file);
    const Json& plantNode = read.at(root, "plant", "");
    const Json& influent = read.at(plantNode, "influent", "plant.");
    const Json& parameters = read.at(read.at(root, "model", ""), "parameters", "model.");
    const auto parameter = [&](const char* key) {
        return read.number(parameters, key, "model.parameters.");
    };

    Asm1Parameters p = Asm1BenchmarkParameters();
    p.muH.value = parameter("mu_H");
    p.KS.value = parameter("K_S");
    p.KOH.value = parameter("K_OH");
    p.KNO.value = parameter("K_NO");
    p.bH.value = parameter("b_H");
    p.etaG = parameter("eta_g");
    p.etaH = parameter("eta_h");
    p.kh.value = parameter("k_h");
    p.KX.value = parameter("K_X");
    p.muA.value = parameter("mu_A");
    p.KNH.value = parameter("K_NH");
    p.bA.value = parameter("b_A");
    p.KOA.value = parameter("K_OA");
    p.ka.value = parameter("k_a");
    p.YH = parameter("Y_H");
    p.YA = parameter("Y_A");
    p.fP = parameter("f_P");
    p.iXB = parameter("i_XB");
    p.iXP = parameter("i_XP");
    p.khPerKX.value = p.kh.value / p.KX.value;

    BenchmarkCase result;
    TModelDef& model = result.model;
    TPlantDef& plant = result.plant;
    TPlantState& state = result.state;
    SetUpDefaultModel(model, plant, state);
    model = MakeAsm1Benchmark(p);
    const double temperature = read.number(plantNode, "temperature_C", "plant.");
    if (temperature != model.BaseTemperature)
        throw Error(fmt::format("{}: plant.temperature_C is {}; the model is set up for {} °C.",
                                     file, temperature, model.BaseTemperature));
    for (const SpeciesKey& key : kSpecies) {
        const double value = read.number(influent, key.name, "plant.influent.");
        (key.dissolved ? model.InfluentS : model.InfluentX)[key.species] = value;
    }

    plant.PlantType = TFlowschemeType::ftASR;
    plant.ReactorCount = kReactors;
    plant.CompartmentCount = kReactors; // an ideal clarifier holds nothing
    ApplyPlantType(TFlowschemeType::ftASR, model, plant, state, true);
    plant.ReactorCount = kReactors;
    plant.CompartmentCount = kReactors;
    for (int c = 1; c <= kReactors; ++c) {
        plant.Volume[c] = read.element(plantNode, "volumes_m3", c - 1, "plant.");
        plant.Kla[c] = read.element(plantNode, "kla_per_day", c - 1, "plant.");
        plant.O2Setpoint[c] = 0.0;
    }
    plant.O2Saturation = read.number(plantNode, "oxygen_saturation_g_m3", "plant.");
    plant.OperatingTemperature = temperature;
    plant.InfluentFlow = read.number(plantNode, "influent_flow_m3_d", "plant.");
    plant.InfluentReactor = 1;
    plant.Influent2Flow = 0.0;
    plant.Influent2Enabled = false;
    plant.ReturnFlow = read.number(plantNode, "return_sludge_flow_m3_d", "plant.");
    plant.ReturnReactor = 1;
    plant.SludgeSeparation = true;
    plant.RecircFlow = read.number(plantNode, "internal_recirculation_m3_d", "plant.");
    plant.RecircFrom = static_cast<int>(
        read.element(plantNode, "internal_recirculation_from_to", 0, "plant."));
    plant.RecircTo = static_cast<int>(
        read.element(plantNode, "internal_recirculation_from_to", 1, "plant."));
    plant.RecircActive = true;
    plant.Recirc2Flow = 0.0;
    plant.SludgeAge = read.number(plantNode, "sludge_age_d", "plant.");
    plant.ExcessRate = 1.0 / plant.SludgeAge;
    plant.ControlLoopsActive = false;
    plant.SIn2 = model.InfluentS;
    plant.XIn2 = model.InfluentX;
    ApplyModelInitialConditions(model, state);

    const Json& reactors = read.at(root, "reactors", "");
    for (int r = 1; r <= kReactors; ++r)
        for (const SpeciesKey& key : kSpecies)
            result.published.push_back({r, key.dissolved, key.species, key.name,
                                        read.element(reactors, key.name, r - 1, "reactors.")});
    return result;
}

} // namespace narv::modelgen
