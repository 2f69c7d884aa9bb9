// The model file: reading, the steps after loading, the rates at the initial conditions, and
// writing back (what the program wrote must read again, to the same bytes).
#include "FuzzSupport.h"

#include "core/Error.h"
#include "core/TextReader.h"
#include "model/ModelFile.h"
#include "model/Rates.h"
#include "model/Temperature.h"

#include <memory>
#include <sstream>

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto model = std::make_unique<TModelDef>();
    try {
        TextReader in(fuzz::Bytes(data, size), "fuzz.mod");
        ReadModelText(in, *model);
        model->ThetaKr[1] = 0.0;
        ConvertToOperatingTemperature(*model, model->BaseTemperature, model->BaseTemperature);
    } catch (const Error&) {
        return 0;
    }
    std::ostringstream first;
    WriteModelText(first, *model);
    auto again = std::make_unique<TModelDef>();
    try {
        TextReader in(first.str(), "again.mod");
        ReadModelText(in, *again);
    } catch (const Error& e) {
        fuzz::Fail("a written model does not read again", e.what());
    }
    std::ostringstream second;
    WriteModelText(second, *again);
    if (second.str() != first.str())
        fuzz::Fail("a model changes on its second writing", first.str());

    try {
        SpeciesArray S = model->InitialS;
        SpeciesArray X = model->InitialX;
        ComputeConversionRates(*model, S, X, 100.0, 10.0);
        const RatePlan plan(*model);
        plan.computeOxygenRate(*model, S, X, 100.0, 10.0);
    } catch (const Error&) {
    }
    return 0;
}
