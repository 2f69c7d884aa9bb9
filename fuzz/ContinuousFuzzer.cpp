// The input table of the continuous simulation, against the model its line 2 names.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "dynamics/ContinuousSimulation.h"

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = fuzz::Bytes(data, size);
    try {
        const ContinuousInputTable table =
            ReadContinuousInputText(bytes, "fuzz.cin.csv", fuzz::ModelFor(bytes).model);
        if (!(table.lastTimeHours() > 0.0))
            fuzz::Fail("a table without time read", "");
    } catch (const Error&) {
    }
    return 0;
}
