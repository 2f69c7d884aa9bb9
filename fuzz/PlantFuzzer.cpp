// The plant files of every type, read against the model their line 2 names, then written back
// under their type: what the program wrote must read again, to the same bytes.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "core/TextReader.h"
#include "plant/PlantFile.h"
#include "special/AIFile.h"
#include "special/SbrFile.h"

#include <memory>
#include <sstream>

using namespace narv;

namespace {

struct Case {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSbrCycle sbr;
    TAIPlant ai;
};

std::string keywordOf(const std::string& bytes)
{
    TextReader header(bytes, "fuzz.pln");
    try {
        header.readLine();
        header.readLine();
        return header.readLine();
    } catch (const Error&) {
        return {};
    }
}

// Reads bytes as the type its line 3 names; returns the keyword the writer takes.
std::string read(const std::string& bytes, Case& c)
{
    const std::string keyword = keywordOf(bytes);
    TextReader in(bytes, "fuzz.pln");
    if (keyword == "SBR") {
        ReadSbrPlantText(in, "fuzz.pln", c.model, c.plant, c.state, c.sbr);
        return keyword;
    }
    if (keyword == "AI") {
        ReadAIPlantText(in, "fuzz.pln", c.model, c.plant, c.state, c.ai);
        return keyword;
    }
    const std::string type = ReadStandardPlantText(in, "fuzz.pln", c.model, c.plant, c.state);
    return type == "Unknown" ? "ASR" : type;
}

std::string write(const std::string& keyword, const Case& c)
{
    std::ostringstream out;
    if (keyword == "SBR")
        WriteSbrPlantText(out, c.model, c.plant, c.state, c.sbr);
    else if (keyword == "AI")
        WriteAIPlantText(out, c.model, c.plant, c.state, c.ai);
    else
        WriteStandardPlantText(out, keyword, c.model, c.plant, c.state);
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = fuzz::Bytes(data, size);
    const fuzz::LoadedModel& loaded = fuzz::ModelFor(bytes);
    auto c = std::make_unique<Case>();
    c->model = loaded.model;
    c->plant = loaded.plant;
    c->state = loaded.state;
    std::string keyword;
    try {
        keyword = read(bytes, *c);
    } catch (const Error&) {
        return 0;
    }
    const std::string first = write(keyword, *c);
    auto again = std::make_unique<Case>();
    again->model = loaded.model;
    again->plant = loaded.plant;
    again->state = loaded.state;
    try {
        read(first, *again);
    } catch (const Error& e) {
        const auto* invalid = dynamic_cast<const InvalidFileError*>(&e);
        fuzz::Fail("a written plant does not read again",
                   std::string(e.what()) + " " + (invalid ? invalid->detail() : "") + "\n" + first);
    }
    if (write(keyword, *again) != first)
        fuzz::Fail("a plant changes on its second writing", first);
    return 0;
}
