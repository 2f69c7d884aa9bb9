#include "DeliveredModelFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace narv {
namespace {

// The conserved quantities of the delivered models.
enum Quantity { Cod, Nitrogen, Charge, Solids, QuantityCount };
constexpr std::array<const char*, QuantityCount> kQuantityNames{"COD", "nitrogen", "charge", "TSS"};

struct Composition {
    const char* species; // the stored name, which fixes the column order
    std::array<double, QuantityCount> content;
};

// What one unit of each species holds: g COD (oxygen -1, nitrate -64/14 per g N), g N, charge
// in mol (ammonium +1/14 and nitrate -1/14 per g N, alkalinity -1 per mol HCO3-), g TSS.
struct ModelComposition {
    const char* fileName;
    int processCount;
    std::vector<Composition> dissolved;
    std::vector<Composition> particulate;
    bool checksSolids;
    // ASM1 does not track N2: the nitrate a process consumes leaves as N2, at -24/14 g COD/g N.
    int untrackedN2FromNitrate = 0;
};

constexpr double kNitrateCod = -64.0 / 14.0;
constexpr double kN2Cod = -24.0 / 14.0;
constexpr double kNitrogenCharge = 1.0 / 14.0;

// ASM1 counts no nitrogen in S_I and X_I, and that of X_S in X_ND.
const ModelComposition kAsm1{
    "asm1.mod",
    11,
    {
        {"S Oxygen      O2", {-1.0, 0.0, 0.0, 0.0}},
        {"S Inert      COD", {1.0, 0.0, 0.0, 0.0}},
        {"S Substrate  COD", {1.0, 0.0, 0.0, 0.0}},
        {"S Nitrate      N", {kNitrateCod, 1.0, -kNitrogenCharge, 0.0}},
        {"S Ammonium     N", {0.0, 1.0, kNitrogenCharge, 0.0}},
        {"S Organic N    N", {0.0, 1.0, 0.0, 0.0}},
        {"S Alkalinity mol", {0.0, 0.0, -1.0, 0.0}},
    },
    {
        {"X Inert      COD", {1.0, 0.0, 0.0, 0.0}},
        {"X Substrate  COD", {1.0, 0.0, 0.0, 0.0}},
        {"X Heterotr.  COD", {1.0, 0.086, 0.0, 0.0}},
        {"X Autotrophs COD", {1.0, 0.086, 0.0, 0.0}},
        {"X Products   COD", {1.0, 0.06, 0.0, 0.0}},
        {"X Organic N    N", {0.0, 1.0, 0.0, 0.0}},
    },
    false,
    4,
};

const ModelComposition kAsm3{
    "asm3.mod",
    13,
    {
        {"S Oxygen      O2", {-1.0, 0.0, 0.0, 0.0}},
        {"S Inert      COD", {1.0, 0.01, 0.0, 0.0}},
        {"S Substrate  COD", {1.0, 0.03, 0.0, 0.0}},
        {"S Ammonium     N", {0.0, 1.0, kNitrogenCharge, 0.0}},
        {"S Dinitrogen   N", {kN2Cod, 1.0, 0.0, 0.0}},
        {"S Nitrate      N", {kNitrateCod, 1.0, -kNitrogenCharge, 0.0}},
        {"S Alkalinity mol", {0.0, 0.0, -1.0, 0.0}},
    },
    {
        {"X Inert      COD", {1.0, 0.02, 0.0, 0.75}},
        {"X Substrate  COD", {1.0, 0.04, 0.0, 0.75}},
        {"X Heterotr.  COD", {1.0, 0.07, 0.0, 0.90}},
        {"X Storage    COD", {1.0, 0.0, 0.0, 0.60}},
        {"X Autotrophs COD", {1.0, 0.07, 0.0, 0.90}},
        // TSS is computed from the others: what they gain, it gains.
        {"X Solids     TSS", {0.0, 0.0, 0.0, -1.0}},
    },
    true,
};

const std::array<const ModelComposition*, 2> kCompositions{&kAsm1, &kAsm3};

const TModelDef& deliveredModel(const std::string& fileName)
{
    static std::map<std::string, std::unique_ptr<TModelDef>> loaded;
    auto& model = loaded[fileName];
    if (!model)
        model = testing::LoadDeliveredModel(fileName);
    return *model;
}

TEST(Continuity, CompositionTablesFollowTheSpeciesOfTheFiles)
{
    for (const ModelComposition* composition : kCompositions) {
        const TModelDef& model = deliveredModel(composition->fileName);
        ASSERT_EQ(model.NS, static_cast<int>(composition->dissolved.size()));
        ASSERT_EQ(model.NX, static_cast<int>(composition->particulate.size()));
        EXPECT_EQ(model.NP, composition->processCount);
        for (int j = 1; j <= model.NS; ++j)
            EXPECT_EQ(model.NameS[j], composition->dissolved[j - 1].species);
        for (int j = 1; j <= model.NX; ++j)
            EXPECT_EQ(model.NameX[j], composition->particulate[j - 1].species);
    }
}

struct ProcessCase {
    const ModelComposition* composition;
    int process;
};

void PrintTo(const ProcessCase& processCase, std::ostream* out)
{
    *out << processCase.composition->fileName << ", process " << processCase.process;
}

class ProcessContinuity : public ::testing::TestWithParam<ProcessCase> {};

// The file keeps 7 significant digits, so each balance closes to about 1e-6 of its largest term.
TEST_P(ProcessContinuity, ConservesCodNitrogenAndCharge)
{
    const ModelComposition& composition = *GetParam().composition;
    const int p = GetParam().process;
    const TModelDef& model = deliveredModel(composition.fileName);
    ASSERT_EQ(model.NS, static_cast<int>(composition.dissolved.size()));
    ASSERT_EQ(model.NX, static_cast<int>(composition.particulate.size()));
    ASSERT_LE(p, model.NP);

    for (int q = 0; q < QuantityCount; ++q) {
        if (q == Solids && !composition.checksSolids)
            continue;
        std::vector<double> terms;
        for (int j = 1; j <= model.NS; ++j)
            terms.push_back(model.NueS[p][j] * composition.dissolved[j - 1].content[q]);
        for (int j = 1; j <= model.NX; ++j)
            terms.push_back(model.NueX[p][j] * composition.particulate[j - 1].content[q]);
        if (composition.untrackedN2FromNitrate != 0) {
            const double n2 = std::max(0.0, -model.NueS[p][composition.untrackedN2FromNitrate]);
            terms.push_back(q == Cod ? n2 * kN2Cod : q == Nitrogen ? n2 : 0.0);
        }
        double sum = 0.0;
        double largest = 0.0;
        for (double term : terms) {
            sum += term;
            largest = std::max(largest, std::fabs(term));
        }
        EXPECT_LE(std::fabs(sum), 1e-5 * largest)
            << model.ProcessName[p] << ": " << kQuantityNames[q] << " balance " << sum;
    }
}

std::vector<ProcessCase> everyTransformationProcess()
{
    std::vector<ProcessCase> cases;
    for (const ModelComposition* composition : kCompositions)
        for (int p = 2; p <= composition->processCount; ++p)
            cases.push_back({composition, p});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(DeliveredModels, ProcessContinuity,
                         ::testing::ValuesIn(everyTransformationProcess()),
                         [](const ::testing::TestParamInfo<ProcessCase>& paramInfo) {
                             const std::string file = paramInfo.param.composition->fileName;
                             return file.substr(0, file.find('.')) + "_process" +
                                    std::to_string(paramInfo.param.process);
                         });

} // namespace
} // namespace narv
