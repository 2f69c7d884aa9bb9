#include "solvers/CvodeIntegrator.h"
#include "solvers/SteadyStateNewton.h"

#include "FakeRunControl.h"
#include "SampleModels.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "model/Rates.h"
#include "model/Temperature.h"
#include "plant/ControlLoops.h"
#include "solvers/Integrator.h"
#include "solvers/PlantEquations.h"
#include "solvers/PlantIntegrator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

namespace narv {
namespace {

using ::testing::HasSubstr;

void fillTypicalStates(TPlantState& state)
{
    for (int c = 1; c <= MaxCompartments; ++c)
        testing::FillTypicalState(state.S[c], state.X[c]);
}

// Three reactors, the last two aerated, with return sludge and a clarifier compartment.
TPlantDef aeratedCascade()
{
    TPlantDef plant = testing::MakeCascade(3, 1, 300.0);
    plant.ReturnFlow = 300.0;
    plant.Kla[2] = 150.0;
    plant.Kla[3] = 150.0;
    return plant;
}

// The accurate integrator at relTol, with an absolute tolerance a hundredth of it.
TSimSettings cvodeSettings(double relTol)
{
    TSimSettings settings = SimSettingsForMissingKeys();
    settings.Solver = IntegratorChoice::Cvode;
    settings.RelTol = relTol;
    settings.AbsTol = relTol * 1e-2;
    return settings;
}

constexpr double kVolume = 100.0; // [m3], every compartment of MakeCascade
constexpr double kFlow = 50.0;    // [m3/d]
constexpr double kDilution = kFlow / kVolume;

// One CSTR of the inert model (oxygen, two dissolved, two particulate species), optionally
// with a first-order decay of species 2 (rate k S2) and one clarifier compartment.
struct LinearCase {
    LinearCase() : model(testing::MakeInertModel()), plant(testing::MakeCascade(1, 0, kFlow))
    {
        settings = SimSettingsForMissingKeys();
        settings.Solver = IntegratorChoice::Cvode;
        neutral.fill(1.0);
        for (int c = 1; c <= MaxCompartments; ++c)
            for (int j = 1; j <= MaxSpecies; ++j) {
                state.S[c][j] = 5.0;
                state.X[c][j] = 50.0;
            }
        plant.O2Saturation = 8.0;
    }
    void decayOfSpecies2(double rate)
    {
        model.NP = 2;
        model.KrT[2] = rate;
        model.TypeS[2][2] = 1; // first order in S2
        model.NueS[2][2] = -1.0;
    }
    void withClarifier()
    {
        plant.CompartmentCount = 2;
        plant.SludgeSeparation = false;
    }
    void setInfluent(double s2, double x1)
    {
        model.InfluentS.fill(0.0);
        model.InfluentX.fill(0.0);
        model.InfluentS[2] = s2;
        model.InfluentX[1] = x1;
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSimSettings settings;
    CompartmentArray neutral;
};

struct Accurate : ::testing::Test, LinearCase {};

// Newton on a linear plant: 0 = q (Sin - S) - k S, so S = q Sin / (q + k); the particulate
// species take the influent's values, the clarifier the reactor's.
TEST_F(Accurate, NewtonFindsTheClosedFormSteadyStateOfALinearPlant)
{
    struct Case {
        double decay; // [1/d]
        bool clarifier;
    };
    for (const Case& c : {Case{0.0, false}, Case{2.0, false}, Case{2.0, true}, Case{40.0, true}}) {
        SCOPED_TRACE(::testing::Message() << "k " << c.decay << " clarifier " << c.clarifier);
        LinearCase fixture;
        fixture.decayOfSpecies2(c.decay);
        if (c.clarifier)
            fixture.withClarifier();
        fixture.setInfluent(10.0, 120.0);
        SteadyStateNewton newton(fixture.model, fixture.plant, fixture.state, fixture.settings);
        double residual = -1.0;
        long iterations = 0;
        long evaluations = 0;
        ASSERT_TRUE(newton.solve(residual, iterations, evaluations));
        const double expected = kDilution * 10.0 / (kDilution + c.decay);
        EXPECT_NEAR(fixture.state.S[1][2], expected, 1e-10 * expected);
        EXPECT_NEAR(fixture.state.S[1][3], 0.0, 1e-12);
        EXPECT_NEAR(fixture.state.S[1][1], 0.0, 1e-12); // no aeration, oxygen-free influent
        EXPECT_NEAR(fixture.state.X[1][1], 120.0, 1e-9);
        if (c.clarifier) {
            EXPECT_NEAR(fixture.state.S[2][2], expected, 1e-10 * expected);
        }
        EXPECT_LT(residual, 1e-8);
        EXPECT_GT(iterations, 0);
        EXPECT_GT(evaluations, iterations);
    }
}

// A step of the influent: S(t) = Sin + (S0 - Sin) exp(-q (t - t0)), from the step time on.
TEST_F(Accurate, StepInTheInfluentFollowsTheFirstOrderResponse)
{
    setInfluent(10.0, 0.0);
    CvodeIntegrator integrator(model, plant, state, settings);
    testing::FakeRunControl control;
    const auto expected = [](double start, double from, double to, double t) {
        return to + (start - to) * std::exp(-kDilution * (t - from));
    };
    // Four calls of 0.25 d continue one integration; the inputs change only at t = 1.
    for (int k = 0; k < 4; ++k) {
        integrator.integrate(control, false, 0, neutral, 0.25 * k, 0.25 * (k + 1), "2");
        const double value = expected(5.0, 0.0, 10.0, 0.25 * (k + 1));
        EXPECT_NEAR(state.S[1][2], value, 1e-5 * value);
    }
    EXPECT_EQ(state.Time, 1.0);
    const long restartsBefore = integrator.restarts();
    const double atStep = state.S[1][2];
    model.InfluentS[2] = 2.0;
    for (const double end : {1.001, 1.1, 1.5, 2.0}) {
        integrator.integrate(control, false, 0, neutral, state.Time, end, "2");
        const double value = expected(atStep, 1.0, 2.0, end);
        EXPECT_NEAR(state.S[1][2], value, 1e-5 * value) << end;
    }
    EXPECT_EQ(integrator.restarts(), restartsBefore + 1); // restarted at the step only
    EXPECT_NEAR(state.X[1][1], 50.0 * std::exp(-kDilution * 2.0), 1e-4); // washed out
}

// Oxygen under an on/off kla loop: aerated at kla 240 from O = 0 up to the upper threshold 2,
// then unaerated, washed out with q down to the lower threshold 1, then aerated again.
TEST_F(Accurate, OnOffLoopSwitchesAtTheLocatedCrossing)
{
    setInfluent(0.0, 0.0);
    state.S[1][1] = 0.0;
    plant.ControlLoopsActive = true;
    TControlLoopDef& loop = plant.ControlLoops[kFirstKlaLoop];
    loop.Active = true;
    loop.OnOff = true;
    loop.Signal = 3; // dissolved species 1: oxygen
    loop.Compartment = 1;
    loop.ErwartetX = 2.0;   // upper threshold
    loop.ErwartetY = 1.0;   // lower threshold
    loop.Stellung2 = 0.0;   // above the upper threshold: off
    loop.Steigung = 240.0;  // below the lower threshold: aerated
    const double kla = 240.0;
    const double equilibrium = kla * 8.0 / (kDilution + kla);
    const double switchOff = std::log(equilibrium / (equilibrium - 2.0)) / (kDilution + kla);
    const double switchOn = switchOff + std::log(2.0) / kDilution;

    CvodeIntegrator integrator(model, plant, state, settings);
    testing::FakeRunControl control;
    integrator.integrate(control, false, 0, neutral, 0.0, switchOff + 0.5, "3");
    EXPECT_EQ(integrator.switches(), 1);
    EXPECT_TRUE(loop.SwitchedOn);
    EXPECT_EQ(plant.Kla[1], 0.0);
    EXPECT_NEAR(state.S[1][1], 2.0 * std::exp(-kDilution * 0.5), 1e-5);

    // Aerated again, oxygen reaches the upper threshold after 0.00064 d.
    integrator.integrate(control, false, 0, neutral, state.Time, switchOn + 0.0005, "3");
    EXPECT_EQ(integrator.switches(), 2);
    EXPECT_FALSE(loop.SwitchedOn);
    EXPECT_EQ(plant.Kla[1], kla);
    // Aerated since the crossing: the time of the switch follows from the oxygen reached. A
    // switch at a step boundary instead would be hours off.
    const double aerated =
        std::log((equilibrium - 1.0) / (equilibrium - state.S[1][1])) / (kDilution + kla);
    EXPECT_NEAR(state.Time - aerated, switchOn, 2e-5); // [d], about 2 s
}

// An aerated batch reactor without reactions: only oxygen has a derivative, so the Jacobian is
// singular, Newton fails from a start off the steady state and the relaxation takes over; a
// plant with flow needs no fallback.
TEST_F(Accurate, NewtonFallsBackToTheRelaxationWhereItFails)
{
    testing::FakeRunControl control;
    {
        LinearCase batch;
        batch.plant.InfluentFlow = 0.0;
        batch.plant.Kla[1] = 10.0;
        batch.settings.loopmin = 3;
        SteadyStateNewton newton(batch.model, batch.plant, batch.state, batch.settings);
        const SteadyStateOutcome outcome = newton.run(control, {1.0, 0.1, 0.1});
        EXPECT_TRUE(outcome.relaxed);
        EXPECT_FALSE(outcome.converged);
        EXPECT_EQ(outcome.relaxation.chunks, 3);
        EXPECT_GT(batch.state.S[1][1], 5.0); // aerated towards 8 by the relaxation
        EXPECT_GT(outcome.residual, 0.0);
        EXPECT_EQ(outcome.residual, newton.residual());
        EXPECT_THAT(SteadyStateSummary(outcome), HasSubstr("the state is that of the relaxation"));
    }
    {
        LinearCase flowing;
        flowing.setInfluent(10.0, 0.0);
        SteadyStateNewton newton(flowing.model, flowing.plant, flowing.state, flowing.settings);
        const SteadyStateOutcome outcome = newton.run(control, {1.0, 0.1, 0.1});
        EXPECT_FALSE(outcome.relaxed);
        EXPECT_TRUE(outcome.converged);
        EXPECT_EQ(outcome.relaxation.chunks, 0);
        EXPECT_THAT(SteadyStateSummary(outcome), HasSubstr("Steady state by Newton's method"));
    }
}

TEST_F(Accurate, NewtonIsRefusedWhileControlLoopsAreActive)
{
    plant.ControlLoopsActive = true;
    const TPlantState before = state;
    SteadyStateNewton newton(model, plant, state, settings);
    testing::FakeRunControl control;
    try {
        newton.run(control, {1.0, 0.1, 0.1});
        FAIL() << "no error";
    } catch (const SimulationError& e) {
        EXPECT_STREQ(e.what(), kControlLoopsActiveMessage);
    }
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
}

// The right-hand side is that of the legacy mass balances with the rates at the same state.
TEST(PlantEquations, DerivativesAreThoseOfTheMassBalances)
{
    auto model = std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    TPlantDef plant = testing::MakeCascade(3, 2, 300.0);
    plant.ReturnFlow = 200.0;
    plant.RecircActive = true;
    plant.RecircFlow = 600.0;
    plant.RecircFrom = 3;
    plant.Kla[3] = 100.0;
    plant.O2Setpoint[2] = 1.5;
    plant.SludgeSeparation = true;
    TPlantState state;
    fillTypicalStates(state);
    for (int c = 1; c <= 5; ++c)
        state.S[c][3] = 1.0 + c; // the compartments differ

    PlantEquations equations(*model, plant);
    equations.prepare(state);
    std::vector<double> y(static_cast<std::size_t>(equations.size()));
    std::vector<double> f(y.size());
    equations.gather(state, y.data());
    equations.derivatives(0.0, y.data(), f.data());
    ASSERT_EQ(equations.size(), 3 * (model->NS + model->NX) + 2 * (model->NS - 1));

    FlowRatioTable ratios;
    FlowRatios(plant, ratios);
    TPlantState at = state;
    at.S[2][1] = 1.5; // the setpoint
    const double excess = ExcessSludgeTerm(*model, plant, at);
    int k = 0;
    for (int i = 1; i <= 3; ++i) {
        ComputeConversionRates(*model, at.S[i], at.X[i], plant.Kla[i], plant.O2Saturation);
        EXPECT_EQ(y[static_cast<std::size_t>(k)], at.S[i][1]);
        EXPECT_EQ(f[static_cast<std::size_t>(k++)],
                  i == 2 ? 0.0 : OxygenDerivative(*model, plant, at, ratios, i));
        for (int j = 2; j <= model->NS; ++j)
            EXPECT_EQ(f[static_cast<std::size_t>(k++)],
                      DissolvedDerivative(*model, plant, at, ratios, i, j))
                << i << " " << j;
        for (int j = 1; j <= model->NX; ++j)
            EXPECT_EQ(f[static_cast<std::size_t>(k++)],
                      ParticulateDerivative(*model, plant, at, ratios, excess, i, j))
                << i << " " << j;
    }
    for (int c = 4; c <= 5; ++c)
        for (int j = 2; j <= model->NS; ++j)
            EXPECT_EQ(f[static_cast<std::size_t>(k++)], ClarifierDerivative(at, ratios, c, j));

    // Oxygen off its setpoint is driven back to it.
    const auto oxygen2 = static_cast<std::size_t>(model->NS + model->NX);
    y[oxygen2] = 1.0;
    equations.derivatives(0.0, y.data(), f.data());
    EXPECT_EQ(f[oxygen2], 0.5);
}

// Held at y, the excess-sludge term gives the same derivatives at y, and none of its
// dependence on the particulate species elsewhere (here the second reactor's, which reaches
// the first reactor only through the term) until it is released.
// The carbon-nitrogen model on the aerated cascade with return sludge, its equations prepared
// and y gathered at typical states.
struct ReturnSludgeEquations : ::testing::Test {
    ReturnSludgeEquations()
    {
        plant.SludgeSeparation = true;
        fillTypicalStates(state);
        equations.prepare(state);
        n = static_cast<std::size_t>(equations.size());
        y.resize(n);
        equations.gather(state, y.data());
    }

    std::unique_ptr<TModelDef> model =
        std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    TPlantDef plant = aeratedCascade();
    TPlantState state;
    PlantEquations equations{*model, plant};
    std::size_t n = 0;
    std::vector<double> y;
};

// The flow ratios are kept between evaluations: a changed flow or volume (a control loop, the
// next row of inputs) must still act at once, and a volume of 0 still be refused.
TEST_F(ReturnSludgeEquations, ChangedFlowsAndVolumesActAtOnce)
{
    for (std::size_t k = 0; k < n; ++k)
        y[k] *= 1.0 + 0.01 * static_cast<double>(k); // the compartments differ
    std::vector<double> f(n);
    equations.derivatives(0.0, y.data(), f.data());
    const auto fresh = [&] {
        PlantEquations other(*model, plant);
        other.prepare(state);
        std::vector<double> g(n);
        other.derivatives(0.0, y.data(), g.data());
        return g;
    };
    for (double* input : {&plant.InfluentFlow, &plant.ReturnFlow, &plant.Volume[2]}) {
        const std::vector<double> before = f;
        *input *= 1.25;
        equations.derivatives(0.0, y.data(), f.data());
        EXPECT_NE(f, before);
        EXPECT_EQ(f, fresh());
    }
    plant.Volume[3] = 0.0;
    EXPECT_THROW(equations.derivatives(0.0, y.data(), f.data()), FloatingPointError);
    plant.Volume[3] = 100.0;
    equations.derivatives(0.0, y.data(), f.data());
    EXPECT_EQ(f, fresh());
}

// A derivative that is not finite is refused with the species and compartment it belongs to,
// the first one in the order of the variables; one that is merely large is not.
TEST_F(ReturnSludgeEquations, DerivativeThatIsNotFiniteNamesItsVariable)
{
    std::vector<double> f(n);
    const auto perReactor = static_cast<std::size_t>(model->NS + model->NX);
    // A dissolved concentration in reactor 3 whose transport terms overflow: in reactor 3
    // and, before it, in reactor 1, which the return sludge brings it to.
    std::vector<double> moved = y;
    moved[2 * perReactor + 1] = 1e308;
    try {
        equations.derivatives(0.5, moved.data(), f.data());
        FAIL() << "no error";
    } catch (const FloatingPointError& e) {
        EXPECT_THAT(e.what(), HasSubstr(model->NameS[2]));
        EXPECT_THAT(e.what(), HasSubstr("in compartment 1 is not finite at 0.5 d"));
    }
    moved = y;
    moved[2 * perReactor + 1] = 1e300;
    equations.derivatives(0.5, moved.data(), f.data());
    for (const double value : f)
        EXPECT_TRUE(std::isfinite(value));
}

TEST_F(ReturnSludgeEquations, HeldExcessSludgeTermKeepsItsValueAtTheHeldState)
{
    plant.ExcessRate = 20.0;
    std::vector<double> free(n);
    std::vector<double> f(n);
    equations.derivatives(0.0, y.data(), free.data());

    equations.holdExcessSludge(y.data());
    equations.derivatives(0.0, y.data(), f.data());
    EXPECT_EQ(f, free);

    // The first particulate species of reactor 2 raised: the particulate rows of reactor 1.
    const auto perPlace = static_cast<std::size_t>(model->NS + model->NX);
    const auto raised = perPlace + static_cast<std::size_t>(model->NS);
    std::vector<double> moved = y;
    moved[raised] *= 1.5;
    std::vector<double> held(n);
    equations.derivatives(0.0, moved.data(), held.data());
    {
        const ExcessSludgeHold release(equations);
    }
    std::vector<double> released(n);
    equations.derivatives(0.0, moved.data(), released.data());
    for (std::size_t k = static_cast<std::size_t>(model->NS); k < perPlace; ++k) {
        EXPECT_EQ(held[k], free[k]) << k;
        EXPECT_NE(released[k], free[k]) << k;
    }
}

// The legacy choice is the legacy integrator itself, bit for bit.
TEST(PlantIntegrator, LegacyChoiceGivesTheLegacyResultBitForBit)
{
    auto model = std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    TPlantDef plant = aeratedCascade();
    auto first = std::make_unique<TPlantState>();
    fillTypicalStates(*first);
    auto second = std::make_unique<TPlantState>(*first);
    const TSimSettings settings = SimSettingsForMissingKeys();
    CompartmentArray neutral;
    neutral.fill(1.0);
    RunControl control;
    Integrator legacy(*model, plant, *first, settings);
    const std::unique_ptr<PlantIntegrator> selected =
        MakeSelectedIntegrator(*model, plant, *second, settings);
    for (int k = 0; k < 4; ++k) {
        legacy.integrate(control, false, 0, neutral, 0.5 * k, 0.5 * (k + 1), "2");
        selected->integrate(control, false, 0, neutral, 0.5 * k, 0.5 * (k + 1), "2");
    }
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(TPlantState)), 0);
}

// The accurate integrator agrees with itself at a tolerance 1e4 times finer, and with the
// legacy integrator at its finest accuracy to the legacy's own error.
TEST(CvodeIntegrator, ConvergesWithTheTolerance)
{
    auto model = std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    TPlantDef plant = aeratedCascade();
    TPlantState start;
    fillTypicalStates(start);
    const auto run = [&](double relTol) {
        const TSimSettings settings = cvodeSettings(relTol);
        auto state = std::make_unique<TPlantState>(start);
        CompartmentArray neutral;
        neutral.fill(1.0);
        RunControl control;
        CvodeIntegrator integrator(*model, plant, *state, settings);
        integrator.integrate(control, false, 0, neutral, 0.0, 2.0, "2");
        EXPECT_GT(integrator.steps(), 10);
        return state;
    };
    const auto coarse = run(1e-6);
    const auto fine = run(1e-10);
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= model->NS; ++j)
            EXPECT_NEAR(coarse->S[i][j], fine->S[i][j], 1e-4 * (1.0 + fine->S[i][j]));
        for (int j = 1; j <= model->NX; ++j)
            EXPECT_NEAR(coarse->X[i][j], fine->X[i][j], 1e-4 * (1.0 + fine->X[i][j]));
    }
    EXPECT_EQ(coarse->Time, 2.0);
}

// Row `row` of a daily cycle of the load in `rows` steps: the influent flow (300 m3/d on
// average) and the dissolved species of the original influent scaled alike.
void setDailyLoadRow(TModelDef& model, const TModelDef& original, TPlantDef& plant, int row,
                     int rows)
{
    const double load = 1.0 + 0.5 * std::sin(2.0 * std::numbers::pi * row / rows);
    plant.InfluentFlow = 300.0 * load;
    for (int j = 2; j <= model.NS; ++j)
        model.InfluentS[j] = original.InfluentS[j] * load;
}

// Inputs that change by a step every 15 minutes restart the integration at every row; it
// stays as accurate as a run at a 1e4 times finer tolerance, and a restart does not cost a
// Jacobian of its own (the last one serves unless Newton's iteration fails with it).
TEST(CvodeIntegrator, RowsOfStepInputsKeepTheAccuracyAndTheJacobian)
{
    auto model = std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    TPlantDef plant = aeratedCascade();
    TPlantState start;
    fillTypicalStates(start);
    const TModelDef original = *model;
    constexpr int kRows = 96;
    struct Run {
        std::vector<double> values;
        long restarts = 0;
        long jacobians = 0;
        long setups = 0;
        long approximateSetups = 0;
    };
    const auto run = [&](double relTol) {
        const TSimSettings settings = cvodeSettings(relTol);
        *model = original;
        auto state = std::make_unique<TPlantState>(start);
        CompartmentArray neutral;
        neutral.fill(1.0);
        RunControl control;
        CvodeIntegrator integrator(*model, plant, *state, settings);
        Run result;
        for (int row = 0; row < kRows; ++row) {
            setDailyLoadRow(*model, original, plant, row, kRows);
            integrator.integrate(control, false, 0, neutral, row / double(kRows),
                                 (row + 1) / double(kRows), "1");
            for (int i = 1; i <= 3; ++i) {
                for (int j = 1; j <= model->NS; ++j)
                    result.values.push_back(state->S[i][j]);
                for (int j = 1; j <= model->NX; ++j)
                    result.values.push_back(state->X[i][j]);
            }
        }
        result.restarts = integrator.restarts();
        result.jacobians = integrator.jacobians();
        result.setups = integrator.matrixSetups();
        result.approximateSetups = integrator.approximateSetups();
        return result;
    };
    const Run coarse = run(1e-6);
    const Run fine = run(1e-10);
    ASSERT_EQ(coarse.values.size(), fine.values.size());
    for (std::size_t k = 0; k < fine.values.size(); ++k)
        EXPECT_NEAR(coarse.values[k], fine.values[k], 1e-4 * (1.0 + std::fabs(fine.values[k])))
            << "value " << k;
    EXPECT_EQ(coarse.restarts, kRows);
    EXPECT_LT(coarse.jacobians, coarse.restarts / 4);
    // At these short steps the Newton matrices leave out the return sludge, but for the
    // retries after a failed Newton iteration.
    for (const Run* r : {&coarse, &fine})
        EXPECT_GT(r->approximateSetups, r->setups * 9 / 10) << r->setups;
}

// A long run at constant inputs reaches steps where the return sludge couples too strongly
// for the Newton matrices to leave it out: they keep it there, and the run ends at the
// steady state Newton's method finds.
TEST(CvodeIntegrator, LongStepsKeepTheReturnSludgeInTheNewtonMatrices)
{
    auto model = std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    TPlantDef plant = aeratedCascade();
    auto state = std::make_unique<TPlantState>();
    fillTypicalStates(*state);
    auto steady = std::make_unique<TPlantState>(*state);
    const TSimSettings settings = cvodeSettings(1e-8);
    CompartmentArray neutral;
    neutral.fill(1.0);
    RunControl control;
    CvodeIntegrator integrator(*model, plant, *state, settings);
    integrator.integrate(control, false, 0, neutral, 0.0, 400.0, "400");
    EXPECT_GT(integrator.approximateSetups(), 0);
    EXPECT_LT(integrator.approximateSetups(), integrator.matrixSetups());

    SteadyStateNewton newton(*model, plant, *steady, settings);
    double residual = 0.0;
    long iterations = 0;
    long evaluations = 0;
    ASSERT_TRUE(newton.solve(residual, iterations, evaluations));
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= model->NS; ++j)
            EXPECT_NEAR(state->S[i][j], steady->S[i][j], 1e-5 * (1.0 + steady->S[i][j]))
                << i << " S" << j;
        for (int j = 1; j <= model->NX; ++j)
            EXPECT_NEAR(state->X[i][j], steady->X[i][j], 1e-5 * (1.0 + steady->X[i][j]))
                << i << " X" << j;
    }
}

// The integrator's own Newton iteration for the corrector does what CVODE's does, to the bit:
// through rows of step inputs (restarts, the last Jacobian reused and, where Newton's iteration
// fails with it, a new one), an on/off loop located by root finding, and long steps at
// constant inputs.
TEST(CvodeIntegrator, OwnCorrectorRepeatsCvodesNewtonIterationToTheBit)
{
    auto model = std::make_unique<TModelDef>(testing::MakeCarbonNitrogenModel());
    const TModelDef original = *model;
    TPlantDef start = aeratedCascade();
    start.ControlLoopsActive = true;
    TControlLoopDef& loop = start.ControlLoops[kFirstKlaLoop + 1];
    loop.Active = true;
    loop.OnOff = true;
    loop.Signal = 3; // oxygen
    loop.Compartment = 2;
    loop.ErwartetX = 2.0;
    loop.ErwartetY = 1.0;
    loop.Stellung2 = 0.0;
    loop.Steigung = 150.0;
    TPlantState first;
    fillTypicalStates(first);
    struct Run {
        std::vector<TPlantState> states;
        std::array<long, 5> counts{};
    };
    const auto run = [&](bool cvodeCorrector) {
        *model = original;
        TPlantDef plant = start;
        auto state = std::make_unique<TPlantState>(first);
        const TSimSettings settings = cvodeSettings(1e-6);
        CompartmentArray neutral;
        neutral.fill(1.0);
        RunControl control;
        CvodeIntegrator integrator(*model, plant, *state, settings);
        integrator.useCvodeCorrector(cvodeCorrector);
        Run result;
        constexpr int kRows = 24;
        for (int row = 0; row < kRows; ++row) {
            setDailyLoadRow(*model, original, plant, row, kRows);
            integrator.integrate(control, false, 0, neutral, row / double(kRows),
                                 (row + 1) / double(kRows), "1");
            result.states.push_back(*state);
        }
        plant.ControlLoopsActive = false;
        integrator.integrate(control, false, 0, neutral, 1.0, 60.0, "60");
        result.states.push_back(*state);
        // A shock load after long steps: the first steps' Newton iterations fail.
        plant.InfluentFlow = 3000.0;
        for (int j = 2; j <= model->NS; ++j)
            model->InfluentS[j] = original.InfluentS[j] * 20.0;
        integrator.integrate(control, false, 0, neutral, 60.0, 61.0, "61");
        result.states.push_back(*state);
        result.counts = {integrator.steps(), integrator.evaluations(), integrator.jacobians(),
                         integrator.matrixSetups(), integrator.switches()};
        EXPECT_GT(integrator.switches(), 0);
        return result;
    };
    const Run cvode = run(true);
    const Run own = run(false);
    EXPECT_EQ(own.counts, cvode.counts);
    ASSERT_EQ(own.states.size(), cvode.states.size());
    for (std::size_t k = 0; k < own.states.size(); ++k)
        EXPECT_EQ(std::memcmp(&own.states[k], &cvode.states[k], sizeof(TPlantState)), 0)
            << "after call " << k;
}

TEST(CvodeIntegrator, RefusesToleranceOutsideItsRange)
{
    auto model = std::make_unique<TModelDef>(testing::MakeInertModel());
    TPlantDef plant = testing::MakeCascade(1, 0, 10.0);
    TPlantState state;
    TSimSettings settings = SimSettingsForMissingKeys();
    settings.RelTol = 0.0;
    CompartmentArray neutral;
    neutral.fill(1.0);
    RunControl control;
    CvodeIntegrator integrator(*model, plant, state, settings);
    EXPECT_THROW(integrator.integrate(control, false, 0, neutral, 0.0, 1.0, "1"), RangeError);
}

} // namespace
} // namespace narv
