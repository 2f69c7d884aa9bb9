#include "model/Rates.h"

#include "SampleModels.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <typeinfo>

namespace narv {
namespace {

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A random model: random types (mostly 0, as in real models), parameters, coefficients and
// second species; some combinations fail, and then both evaluations must fail alike.
TModelDef randomModel(std::mt19937& random)
{
    TModelDef model;
    std::uniform_int_distribution<int> count(1, MaxSpecies);
    model.NS = count(random);
    model.NX = count(random) - 1;
    model.NP = std::uniform_int_distribution<int>(1, 12)(random);
    std::uniform_real_distribution<double> value(-2.0, 5.0);
    std::uniform_int_distribution<int> dissolvedType(0, 24);
    std::uniform_int_distribution<int> particulateType(0, 12);
    std::bernoulli_distribution used(0.3);
    for (int p = 1; p <= model.NP; ++p) {
        model.KrT[p] = value(random);
        for (int j = 1; j <= MaxSpecies; ++j) {
            const int ts = dissolvedType(random);
            model.TypeS[p][j] = ts <= 12 ? ts : 0;
            const int tx = particulateType(random);
            model.TypeX[p][j] = tx <= 6 ? tx : 0;
            model.Compound2S[p][j] = std::uniform_int_distribution<int>(-1, model.NS)(random);
            model.Compound2X[p][j] =
                std::uniform_int_distribution<int>(1, std::max(1, model.NX))(random);
            model.KST[p][j] = value(random);
            model.KXT[p][j] = value(random);
            model.KS[p][j] = value(random);
            model.KX[p][j] = value(random);
            model.NueS[p][j] = used(random) ? value(random) : 0.0;
            model.NueX[p][j] = used(random) ? value(random) : 0.0;
        }
    }
    return model;
}

void randomState(std::mt19937& random, SpeciesArray& S, SpeciesArray& X)
{
    std::uniform_real_distribution<double> value(-0.5, 50.0);
    std::bernoulli_distribution zero(0.1);
    for (int j = 1; j <= MaxSpecies; ++j) {
        S[j] = zero(random) ? 0.0 : value(random);
        X[j] = zero(random) ? 0.0 : value(random);
    }
}

TEST(RatePlan, BitIdenticalToThePlainEvaluationOnRandomModelsAndStates)
{
    std::mt19937 random(20261209);
    int evaluated = 0;
    for (int m = 0; m < 200; ++m) {
        TModelDef plain = randomModel(random);
        TModelDef sparse = plain;
        const RatePlan plan(sparse);
        for (int s = 0; s < 20; ++s) {
            SpeciesArray S1;
            SpeciesArray X1;
            randomState(random, S1, X1);
            SpeciesArray S2 = S1;
            SpeciesArray X2 = X1;
            const double kla = std::uniform_real_distribution<double>(0.0, 200.0)(random);
            std::string plainError;
            std::string sparseError;
            try {
                ComputeConversionRates(plain, S1, X1, kla, 9.0);
            } catch (const Error& e) {
                plainError = std::string(typeid(e).name()) + e.what();
            }
            try {
                plan.computeConversionRates(sparse, S2, X2, kla, 9.0);
            } catch (const Error& e) {
                sparseError = std::string(typeid(e).name()) + e.what();
            }
            ASSERT_EQ(plainError, sparseError);
            if (!plainError.empty())
                continue;
            ++evaluated;
            for (int p = 1; p <= plain.NP; ++p)
                ASSERT_TRUE(sameBits(plain.Rho[p], sparse.Rho[p]))
                    << "model " << m << " process " << p;
            for (int j = 1; j <= MaxSpecies; ++j) {
                ASSERT_TRUE(sameBits(plain.RS[j], sparse.RS[j])) << "model " << m << " S " << j;
                ASSERT_TRUE(sameBits(plain.RX[j], sparse.RX[j])) << "model " << m << " X " << j;
                ASSERT_TRUE(sameBits(S1[j], S2[j])) << "floors applied alike";
                ASSERT_TRUE(sameBits(X1[j], X2[j]));
            }
            plain.RS[1] = sparse.RS[1] = -1.0;
            ComputeOxygenRate(plain, S1, X1, kla, 9.0);
            plan.computeOxygenRate(sparse, S2, X2, kla, 9.0);
            ASSERT_TRUE(sameBits(plain.RS[1], sparse.RS[1]));
        }
    }
    EXPECT_GT(evaluated, 1000); // most cases evaluate; the failures are compared too
}

std::string errorOf(const std::function<void()>& evaluate)
{
    try {
        evaluate();
    } catch (const Error& e) {
        return std::string(typeid(e).name()) + e.what();
    }
    return {};
}

// The oxygen sub-steps: after one conversion evaluation only oxygen and kla change, and the
// recorded factors are replayed. Every sub-step gives the plain evaluation's bits in RS[1] and
// the same floors, or the same error; the rate of every process is the plain evaluation's, or,
// for a process without a coefficient on oxygen that the sub-step left alone, the recorded one;
// and where the conversion evaluation reports no floor raised, evaluating the same state again
// changes no bit.
TEST(RatePlan, OxygenSubStepsFromTheCacheAreBitIdenticalToThePlainEvaluation)
{
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> oxygen(-0.5, 12.0);
    std::uniform_real_distribution<double> klaValue(0.0, 200.0);
    std::bernoulli_distribution special(0.15);
    int replayed = 0;
    int settled = 0;
    int leftAlone = 0; // rates of processes the sub-steps did not evaluate that did change
    for (int m = 0; m < 200; ++m) {
        TModelDef plain = randomModel(random);
        TModelDef cached = plain;
        const RatePlan plan(cached);
        OxygenRateCache cache;
        plan.prepare(cache);
        for (int s = 0; s < 20; ++s) {
            SpeciesArray S1;
            SpeciesArray X1;
            randomState(random, S1, X1);
            SpeciesArray S2 = S1;
            SpeciesArray X2 = X1;
            double kla = klaValue(random);
            const std::string plainError =
                errorOf([&] { ComputeConversionRates(plain, S1, X1, kla, 9.0); });
            bool unchanged = false;
            const std::string cachedError = errorOf([&] {
                SpeciesArray S3 = S2;
                SpeciesArray X3 = X2;
                TModelDef again = cached;
                unchanged = plan.computeConversionRates(again, S3, X3, kla, 9.0);
                plan.computeConversionRates(cached, S2, X2, kla, 9.0, cache);
            });
            ASSERT_EQ(plainError, cachedError);
            if (!plainError.empty())
                continue;
            ASSERT_EQ(unchanged, cache.valid()) << "model " << m;
            ProcessArray recorded = cached.Rho;
            if (unchanged) {
                ++settled;
                const ProcessArray rho = cached.Rho;
                const double oxygenRate = cached.RS[1];
                SpeciesArray S3 = S2;
                SpeciesArray X3 = X2;
                plan.computeOxygenRate(cached, S3, X3, kla, 9.0);
                for (int p = 1; p <= plain.NP; ++p)
                    ASSERT_TRUE(sameBits(rho[p], cached.Rho[p])) << "model " << m << " " << p;
                ASSERT_TRUE(sameBits(oxygenRate, cached.RS[1])) << "model " << m;
            }
            for (int step = 0; step < 4; ++step) {
                S1[1] = S2[1] = special(random) ? 0.0 : oxygen(random);
                if (special(random))
                    kla = klaValue(random);
                const std::string plainStep =
                    errorOf([&] { ComputeOxygenRate(plain, S1, X1, kla, 9.0); });
                const bool recording = !cache.valid(); // then the sub-step records
                const std::string cachedStep =
                    errorOf([&] { plan.computeOxygenRate(cached, S2, X2, kla, 9.0, cache); });
                ASSERT_EQ(plainStep, cachedStep) << "model " << m << " sub-step " << step;
                if (!plainStep.empty())
                    break;
                ++replayed;
                for (int p = 1; p <= plain.NP; ++p) {
                    if (sameBits(plain.Rho[p], cached.Rho[p]))
                        continue;
                    ASSERT_TRUE(cache.valid() && p > 1 && plain.NueS[p][1] == 0.0 &&
                                sameBits(recorded[p], cached.Rho[p]))
                        << "model " << m << " process " << p << " sub-step " << step;
                    ++leftAlone;
                }
                if (recording)
                    recorded = cached.Rho;
                ASSERT_TRUE(sameBits(plain.RS[1], cached.RS[1]));
                for (int j = 1; j <= MaxSpecies; ++j) {
                    ASSERT_TRUE(sameBits(S1[j], S2[j])) << "floors applied alike";
                    ASSERT_TRUE(sameBits(X1[j], X2[j]));
                }
            }
        }
    }
    EXPECT_GT(replayed, 3000);
    EXPECT_GT(settled, 300);
    EXPECT_GT(leftAlone, 200);
}

// A process without a coefficient on oxygen whose only oxygen factor is a Monod or inhibition
// term may be left alone by a sub-step only where its evaluation cannot fail: near an overflow,
// at K = 0 or with negative oxygen it is evaluated, and fails where the plain evaluation fails.
TEST(RatePlan, OxygenSubStepsFailWhereThePlainEvaluationFails)
{
    struct Case {
        const char* name;
        int oxygenType; // 3: O/(K + O), 4: K/(K + O)
        double oxygenK;
        double rate;         // of the process
        double secondFactor; // species 2, first order
        double stepOxygen;   // at the conversion evaluation
        double subStepOxygen;
        bool fails;
    };
    const Case cases[] = {
        {"plain Monod", 3, 0.2, 4.0, 30.0, 0.5, 2.0, false},
        {"plain inhibition", 4, 0.2, 4.0, 30.0, 0.5, 0.0, false},
        {"Monod overflows as oxygen rises", 3, 1.0, 1e200, 3e108, 1e-3, 5.0, true},
        {"inhibition overflows as oxygen falls", 4, 1.0, 1e200, 3e108, 5.0, 0.0, true},
        {"inhibition with K = 0 at no oxygen", 4, 0.0, 1.0, 1.0, 1.0, 0.0, true},
        {"Monod with K = 0 at no oxygen", 3, 0.0, 1.0, 1.0, 1.0, 0.0, true},
        {"oxygen at -K", 3, 0.5, 1.0, 1.0, 1.0, -0.5, true},
        {"negative oxygen", 3, 0.5, 1.0, 1.0, 1.0, -0.2, false},
        {"large but finite", 3, 1.0, 1e200, 1e105, 1.0, 2.0, false},
        {"Monod at an absurd oxygen concentration", 3, 1.0, 1e200, 1e90, 1.0, 1e110, true},
    };
    for (const Case& c : cases) {
        TModelDef model;
        model.NS = 2;
        model.NX = 0;
        model.NP = 3;
        model.KrT[2] = c.rate; // no coefficient on oxygen
        model.TypeS[2][1] = c.oxygenType;
        model.KST[2][1] = c.oxygenK;
        model.TypeS[2][2] = 1;
        model.NueS[2][2] = -1.0;
        model.KrT[3] = 2.0; // consumes oxygen
        model.TypeS[3][1] = 3;
        model.KST[3][1] = 0.5;
        model.NueS[3][1] = -1.0;
        TModelDef plain = model;
        const RatePlan plan(model);
        OxygenRateCache cache;
        plan.prepare(cache);
        SpeciesArray S;
        SpeciesArray X;
        S[1] = c.stepOxygen;
        S[2] = c.secondFactor;
        SpeciesArray plainS = S;
        SpeciesArray plainX = X;
        plan.computeConversionRates(model, S, X, 100.0, 9.0, cache);
        ASSERT_TRUE(cache.valid()) << c.name;
        S[1] = plainS[1] = c.subStepOxygen;
        const std::string plainError =
            errorOf([&] { ComputeOxygenRate(plain, plainS, plainX, 100.0, 9.0); });
        const std::string cachedError =
            errorOf([&] { plan.computeOxygenRate(model, S, X, 100.0, 9.0, cache); });
        EXPECT_EQ(plainError, cachedError) << c.name;
        EXPECT_EQ(!plainError.empty(), c.fails) << c.name;
        if (plainError.empty()) {
            EXPECT_TRUE(sameBits(plain.RS[1], model.RS[1])) << c.name;
        }
    }
}

// Finite rates whose sum overflows: both evaluations fail naming the species and leave no sum
// behind, dissolved or particulate, first or last of the species.
TEST(RatePlan, ConversionRatesThatOverflowFailAndAreCleared)
{
    for (const bool dissolved : {true, false})
        for (const int species : {1, 2, 5}) {
            TModelDef model;
            model.NS = 5;
            model.NX = 5;
            model.NP = 3;
            model.NameS[species] = "S overflowing";
            model.NameX[species] = "X overflowing";
            for (int p = 2; p <= 3; ++p) {
                model.KrT[p] = 1.5e308;
                (dissolved ? model.NueS : model.NueX)[p][species] = 1.0;
                model.NueS[p][3] = 1e-10; // a finite sum beside it
            }
            TModelDef sparse = model;
            SpeciesArray S;
            SpeciesArray X;
            const std::string expected =
                std::string(dissolved ? "S" : "X") + " overflowing";
            for (TModelDef* m : {&model, &sparse}) {
                const RatePlan plan(*m);
                const std::string error = errorOf([&] {
                    if (m == &model)
                        ComputeConversionRates(*m, S, X, 0.0, 9.0);
                    else
                        plan.computeConversionRates(*m, S, X, 0.0, 9.0);
                });
                EXPECT_NE(error.find("overflow in the conversion rate of species \"" + expected),
                          std::string::npos)
                    << error;
                for (int j = 1; j <= MaxSpecies; ++j) {
                    EXPECT_EQ(m->RS[j], 0.0);
                    EXPECT_EQ(m->RX[j], 0.0);
                }
            }
        }
}

TEST(RatePlan, RefusesAModelWhoseCountsChanged)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    const RatePlan plan(model);
    SpeciesArray S;
    SpeciesArray X;
    testing::FillTypicalState(S, X);
    model.NP = 5;
    EXPECT_THROW(plan.computeConversionRates(model, S, X, 0.0, 9.0), SimulationError);
}

} // namespace
} // namespace narv
