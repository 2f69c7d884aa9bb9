#include "SolverCases.h"

#include "model/Temperature.h"

namespace narv::testing {

TModelDef MakeInertModel()
{
    TModelDef model;
    model.ModelName = "Inert";
    model.NS = 3;
    model.NX = 2;
    model.NP = 1;
    model.NameS[2] = "S Tracer     g/m3";
    model.NameS[3] = "S Salt       g/m3";
    model.NameX[1] = "X Solids     g/m3";
    model.NameX[2] = "X Sand       g/m3";
    model.ThetaKr[1] = 0.0;
    ConvertToOperatingTemperature(model, 20.0, 20.0);
    return model;
}

TPlantDef MakeCascade(int reactorCount, int clarifierCount, double influentFlow)
{
    TPlantDef plant;
    plant.PlantType = clarifierCount > 0 ? TFlowschemeType::ftASR : TFlowschemeType::ftCSTR;
    plant.ReactorCount = reactorCount;
    plant.CompartmentCount = reactorCount + clarifierCount;
    for (int c = 1; c <= MaxCompartments; ++c) {
        plant.Volume[c] = 100.0;
        plant.O2Setpoint[c] = 0.0;
        plant.Kla[c] = 0.0;
    }
    plant.InfluentFlow = influentFlow;
    plant.ReturnFlow = 0.0;
    plant.SludgeSeparation = clarifierCount > 0;
    plant.Influent2Enabled = true;
    return plant;
}

} // namespace narv::testing
