#include "solvers/SparseLU.h"
#include "solvers/SundialsSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace narv {
namespace {

struct Pattern {
    int n = 0;
    std::vector<int> starts;
    std::vector<int> rows;
};

// Compressed columns of a dense [row][column] mask; the diagonal is always in it.
Pattern fromMask(const std::vector<std::vector<char>>& mask)
{
    Pattern p;
    p.n = static_cast<int>(mask.size());
    p.starts.push_back(0);
    for (int j = 0; j < p.n; ++j) {
        for (int i = 0; i < p.n; ++i)
            if (i == j || mask[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)])
                p.rows.push_back(i);
        p.starts.push_back(static_cast<int>(p.rows.size()));
    }
    return p;
}

// Reactor-like blocks coupled in a cycle (each block feeds the next, the last the first), as
// the Newton matrices of a cascade with recirculation; with fill in the elimination.
Pattern cascade(int blocks, int size, double density, std::mt19937& random)
{
    const int n = blocks * size;
    std::vector<std::vector<char>> mask(static_cast<std::size_t>(n),
                                        std::vector<char>(static_cast<std::size_t>(n), 0));
    std::bernoulli_distribution inBlock(density);
    for (int b = 0; b < blocks; ++b) {
        const int first = b * size;
        const int upstream = ((b + blocks - 1) % blocks) * size;
        for (int i = 0; i < size; ++i) {
            for (int j = 0; j < size; ++j)
                if (inBlock(random))
                    mask[static_cast<std::size_t>(first + i)][static_cast<std::size_t>(first + j)] = 1;
            mask[static_cast<std::size_t>(first + i)][static_cast<std::size_t>(upstream + i)] = 1;
        }
    }
    return fromMask(mask);
}

// values for the pattern: I - gamma J with J of random entries and a negative diagonal.
std::vector<double> newtonMatrix(const Pattern& p, double gamma, std::mt19937& random)
{
    std::uniform_real_distribution<double> entry(-1.0, 1.0);
    std::vector<double> values(p.rows.size());
    for (int j = 0; j < p.n; ++j)
        for (int k = p.starts[static_cast<std::size_t>(j)];
             k < p.starts[static_cast<std::size_t>(j) + 1]; ++k) {
            const bool diagonal = p.rows[static_cast<std::size_t>(k)] == j;
            const double jacobian = diagonal ? -2.0 - std::fabs(entry(random)) : entry(random);
            values[static_cast<std::size_t>(k)] = (diagonal ? 1.0 : 0.0) - gamma * jacobian;
        }
    return values;
}

std::vector<double> multiply(const Pattern& p, const std::vector<double>& values,
                             const std::vector<double>& x)
{
    std::vector<double> y(static_cast<std::size_t>(p.n), 0.0);
    for (int j = 0; j < p.n; ++j)
        for (int k = p.starts[static_cast<std::size_t>(j)];
             k < p.starts[static_cast<std::size_t>(j) + 1]; ++k)
            y[static_cast<std::size_t>(p.rows[static_cast<std::size_t>(k)])] +=
                values[static_cast<std::size_t>(k)] * x[static_cast<std::size_t>(j)];
    return y;
}

// The pattern of a full 2 x 2 matrix, in compressed columns.
void setFullPattern2x2(detail::StaticSparseSolver& solver)
{
    sunindextype* pointers = SUNSparseMatrix_IndexPointers(solver.matrix());
    sunindextype* indices = SUNSparseMatrix_IndexValues(solver.matrix());
    const int starts[] = {0, 2, 4};
    const int rows[] = {0, 1, 0, 1};
    for (int k = 0; k < 3; ++k)
        pointers[k] = starts[k];
    for (int k = 0; k < 4; ++k)
        indices[k] = rows[k];
}

// Solves A x = b for a random b with lu's factors and checks A x against b, A given by its
// values on p.
void expectSolvesRandomSystem(const SparseLU& lu, const Pattern& p,
                              const std::vector<double>& values, std::mt19937& random)
{
    std::uniform_real_distribution<double> entry(-5.0, 5.0);
    std::vector<double> b(static_cast<std::size_t>(p.n));
    for (double& v : b)
        v = entry(random);
    std::vector<double> x = b;
    lu.solve(x.data());
    const std::vector<double> back = multiply(p, values, x);
    for (int i = 0; i < p.n; ++i)
        EXPECT_NEAR(back[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i)],
                    1e-10 * (1.0 + std::fabs(b[static_cast<std::size_t>(i)])))
            << "row " << i;
}

// Random systems of several shapes and step sizes: A x = b to rounding, and the same factors
// serve several right-hand sides.
TEST(SparseLU, SolvesRandomNewtonSystems)
{
    struct Case {
        int blocks;
        int size;
        double density;
        double gamma;
    };
    const Case cases[] = {
        {1, 1, 1.0, 0.1},   {1, 6, 1.0, 1.0},   {3, 4, 0.5, 0.01},
        {5, 13, 0.4, 0.5},  {5, 13, 0.4, 20.0}, {8, 7, 0.7, 3.0},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.blocks << " blocks of " << c.size << ", gamma "
                                          << c.gamma);
        const Pattern p = cascade(c.blocks, c.size, c.density, random);
        SparseLU lu;
        lu.analyse(p.n, p.starts, p.rows);
        EXPECT_GE(lu.factorNonZeros(), static_cast<int>(p.rows.size()));
        for (int matrix = 0; matrix < 3; ++matrix) {
            const std::vector<double> values = newtonMatrix(p, c.gamma, random);
            ASSERT_TRUE(lu.factorise(values.data()));
            for (int rhs = 0; rhs < 2; ++rhs)
                expectSolvesRandomSystem(lu, p, values, random);
        }
    }
}

// Entries left out at the analysis: the factors are those of the matrix without them, with
// less fill; left out of a cascade, the loop's closing entries make it block-triangular.
TEST(SparseLU, FactorsOfTheMatrixWithoutTheEntriesLeftOut)
{
    constexpr int kBlocks = 5;
    constexpr int kSize = 13;
    std::mt19937 random(11);
    const Pattern p = cascade(kBlocks, kSize, 0.35, random);
    std::vector<char> keep(p.rows.size(), 1);
    int dropped = 0;
    for (int j = (kBlocks - 1) * kSize; j < p.n; ++j)
        for (int k = p.starts[static_cast<std::size_t>(j)];
             k < p.starts[static_cast<std::size_t>(j) + 1]; ++k)
            if (p.rows[static_cast<std::size_t>(k)] < kSize) {
                keep[static_cast<std::size_t>(k)] = 0;
                ++dropped;
            }
    ASSERT_EQ(dropped, kSize);
    SparseLU whole;
    whole.analyse(p.n, p.starts, p.rows);
    SparseLU part;
    part.analyse(p.n, p.starts, p.rows, keep);
    EXPECT_LT(part.factorNonZeros(), whole.factorNonZeros());

    const std::vector<double> values = newtonMatrix(p, 0.5, random);
    std::vector<double> without = values;
    for (std::size_t k = 0; k < keep.size(); ++k)
        if (!keep[k])
            without[k] = 0.0;
    ASSERT_TRUE(part.factorise(values.data()));
    expectSolvesRandomSystem(part, p, without, random);
}

// The pivots stay on the diagonal: a matrix that needs a row exchange is refused, as one with
// a value that is not finite, and the next good matrix factorises again.
TEST(SparseLU, RefusesAMatrixWhosePivotVanishes)
{
    const Pattern p = fromMask({{1, 1}, {1, 1}});
    SparseLU lu;
    lu.analyse(p.n, p.starts, p.rows);
    // Columns: (a00, a10), (a01, a11).
    const std::vector<double> singularPivot{0.0, 1.0, 1.0, 0.0};
    const std::vector<double> notFinite{1.0, NAN, 0.5, 2.0};
    const std::vector<double> good{2.0, 1.0, 1.0, 3.0};
    EXPECT_FALSE(lu.factorise(singularPivot.data()));
    EXPECT_FALSE(lu.factorise(notFinite.data()));
    ASSERT_TRUE(lu.factorise(good.data()));
    std::vector<double> x{3.0, 4.0}; // the solution is (1, 1)
    lu.solve(x.data());
    EXPECT_NEAR(x[0], 1.0, 1e-15);
    EXPECT_NEAR(x[1], 1.0, 1e-15);
}

// As the integrator's linear solver: the refusal is a recoverable failure (a positive flag,
// on which CVODE retries with a smaller step), and the solve leaves b alone.
TEST(SparseLU, AsSundialsSolverReportsARefusalAsRecoverable)
{
    detail::SundialsContext context;
    detail::StaticSparseSolver solver(2, 4, context);
    setFullPattern2x2(solver);
    solver.analyse();
    double* data = SUNSparseMatrix_Data(solver.matrix());
    const double singular[] = {0.0, 1.0, 1.0, 0.0};
    std::copy(std::begin(singular), std::end(singular), data);
    const int refused = SUNLinSolSetup(solver.solver(), solver.matrix());
    EXPECT_GT(refused, 0);
    EXPECT_EQ(SUNLinSolLastFlag(solver.solver()), refused);

    const double good[] = {2.0, 1.0, 1.0, 3.0};
    std::copy(std::begin(good), std::end(good), data);
    ASSERT_EQ(SUNLinSolSetup(solver.solver(), solver.matrix()), SUNLS_SUCCESS);
    detail::SerialVector b(2, context);
    detail::SerialVector x(2, context);
    b.data()[0] = 3.0;
    b.data()[1] = 4.0;
    ASSERT_EQ(SUNLinSolSolve(solver.solver(), solver.matrix(), x, b, 0.0), SUNLS_SUCCESS);
    EXPECT_NEAR(x.data()[0], 1.0, 1e-15);
    EXPECT_NEAR(x.data()[1], 1.0, 1e-15);
    EXPECT_EQ(b.data()[0], 3.0);
}

// The integrator's linear solver factorises the approximation while asked to, and the matrix
// itself otherwise or where it has none.
TEST(SparseLU, AsSundialsSolverFactorisesTheApproximationWhileAsked)
{
    detail::SundialsContext context;
    const auto solveWith = [&](bool analyseApproximation, bool use) {
        detail::StaticSparseSolver solver(2, 4, context);
        setFullPattern2x2(solver);
        // Without a01: lower triangular.
        solver.analyse(analyseApproximation ? std::vector<char>{1, 1, 0, 1} : std::vector<char>{});
        const double values[] = {2.0, 1.0, 1.0, 3.0};
        std::copy(std::begin(values), std::end(values), SUNSparseMatrix_Data(solver.matrix()));
        solver.useApproximation(use);
        EXPECT_EQ(SUNLinSolSetup(solver.solver(), solver.matrix()), SUNLS_SUCCESS);
        EXPECT_EQ(solver.approximateSetups(), analyseApproximation && use ? 1 : 0);
        detail::SerialVector b(2, context);
        detail::SerialVector x(2, context);
        b.data()[0] = 3.0;
        b.data()[1] = 4.0;
        EXPECT_EQ(SUNLinSolSolve(solver.solver(), solver.matrix(), x, b, 0.0), SUNLS_SUCCESS);
        return std::vector<double>{x.data()[0], x.data()[1]};
    };
    const std::vector<double> exact = solveWith(true, false);
    EXPECT_NEAR(exact[0], 1.0, 1e-15);
    EXPECT_NEAR(exact[1], 1.0, 1e-15);
    const std::vector<double> approximate = solveWith(true, true);
    EXPECT_NEAR(approximate[0], 1.5, 1e-15);
    EXPECT_NEAR(approximate[1], 2.5 / 3.0, 1e-15);
    EXPECT_EQ(solveWith(false, true), exact);
}

} // namespace
} // namespace narv
