// The variation file, standard and A/I, against the model its line 2 names; a variation read
// is written back and must read again.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "core/TextReader.h"
#include "dynamics/Variation.h"
#include "special/AIFile.h"

#include <memory>
#include <sstream>

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = fuzz::Bytes(data, size);
    const fuzz::LoadedModel& loaded = fuzz::ModelFor(bytes);
    auto variation = std::make_unique<TVariationDef>();
    try {
        TextReader in(bytes, "fuzz.vrt");
        ReadVariationText(in, "fuzz.vrt", *variation, loaded.model);
    } catch (const Error&) {
    }

    auto aiVariation = std::make_unique<TVariationDef>();
    auto lanes = std::make_unique<TAIVariation>();
    auto ai = std::make_unique<TAIPlant>();
    TPlantDef plant = loaded.plant;
    try {
        TextReader in(bytes, "fuzz.vrt");
        ReadAIVariationText(in, "fuzz.vrt", *aiVariation, *lanes, loaded.model, plant, *ai);
    } catch (const Error&) {
        return 0;
    }
    std::ostringstream out;
    WriteAIVariationText(out, *aiVariation, *lanes, loaded.model);
    auto again = std::make_unique<TVariationDef>();
    auto againLanes = std::make_unique<TAIVariation>();
    try {
        TextReader in(out.str(), "again.vrt");
        ReadAIVariationText(in, "again.vrt", *again, *againLanes, loaded.model, plant, *ai);
    } catch (const Error& e) {
        fuzz::Fail("a written variation does not read again", e.what());
    }
    return 0;
}
