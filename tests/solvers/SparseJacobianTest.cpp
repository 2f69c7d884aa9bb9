#include "solvers/SparseJacobian.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace narv {
namespace {

// f0 = y0 y1 (a product of factors, as a rate is), f1 = -y1 + y2^2, f2 = y0 - y2 / (1 + y1):
// at y0 = 0 the product hides its dependence on y1.
void threeVariables(const double* y, double* f)
{
    f[0] = y[0] * y[1];
    f[1] = -y[1] + y[2] * y[2];
    f[2] = y[0] - y[2] / (1.0 + y[1]);
}

std::set<std::pair<int, int>> entries(const SparseJacobian& jacobian)
{
    std::set<std::pair<int, int>> result; // (row, column)
    for (int j = 0; j < jacobian.size(); ++j)
        for (int k = jacobian.columnStarts()[static_cast<std::size_t>(j)];
             k < jacobian.columnStarts()[static_cast<std::size_t>(j) + 1]; ++k)
            result.emplace(jacobian.rows()[static_cast<std::size_t>(k)], j);
    return result;
}

TEST(SparseJacobian, PatternIsTheUnionOverTheProbesAndTheDiagonal)
{
    const std::vector<double> start{0.0, 1.0, 2.0};
    const std::vector<double> positive{1.3, 0.7, 1.9};
    struct Case {
        std::vector<std::vector<double>> probes;
        std::set<std::pair<int, int>> expected;
    };
    const std::set<std::pair<int, int>> all{{0, 0}, {0, 1}, {1, 1}, {1, 2},
                                            {2, 0}, {2, 1}, {2, 2}};
    std::set<std::pair<int, int>> atStart = all;
    atStart.erase({0, 1});
    const Case cases[] = {
        {{start}, atStart},
        {{start, positive}, all},
        {{positive}, all},
    };
    for (const Case& c : cases) {
        SparseJacobian jacobian;
        jacobian.build(3, c.probes, threeVariables);
        EXPECT_EQ(entries(jacobian), c.expected) << c.probes.size() << " probes";
    }
}

TEST(SparseJacobian, ProbeWhereTheFunctionFailsIsLeftOutUnlessItIsTheFirst)
{
    const auto failsAwayFromStart = [](const double* y, double* f) {
        if (y[0] > 0.5)
            throw std::runtime_error("outside");
        threeVariables(y, f);
    };
    const std::vector<double> start{0.0, 1.0, 2.0};
    const std::vector<double> far{1.3, 0.7, 1.9};
    SparseJacobian jacobian;
    jacobian.build(3, {start, far}, failsAwayFromStart);
    EXPECT_EQ(jacobian.nonZeros(), 6);
    EXPECT_THROW(jacobian.build(3, {far, start}, failsAwayFromStart), std::runtime_error);
}

// A part of f that the caller holds at each probe stays out of the pattern, at every probe:
// f1 = y1 + s with s = y0 + y2, held.
TEST(SparseJacobian, PartHeldAtEachProbeStaysOutOfThePattern)
{
    double held = 0.0;
    bool holding = false;
    const auto f = [&](const double* y, double* out) {
        const double s = holding ? held : y[0] + y[2];
        out[0] = y[0];
        out[1] = y[1] + s;
        out[2] = -y[2];
    };
    SparseJacobian jacobian;
    jacobian.build(3, {{1.0, 2.0, 3.0}, {4.0, 5.0, 6.0}, {0.5, 0.5, 0.5}}, f,
                   [&](const double* probe) {
                       holding = true;
                       held = probe[0] + probe[2];
                   });
    const std::set<std::pair<int, int>> diagonal{{0, 0}, {1, 1}, {2, 2}};
    EXPECT_EQ(entries(jacobian), diagonal);
    EXPECT_EQ(jacobian.groups(), 1);
}

// The grouped differences against the derivatives in closed form, at states other than the
// probes.
TEST(SparseJacobian, GroupedDifferencesMatchTheDerivatives)
{
    SparseJacobian jacobian;
    jacobian.build(3, {{0.0, 1.0, 2.0}, {1.3, 0.7, 1.9}}, threeVariables);
    const std::vector<std::vector<double>> states{{0.4, 2.0, 0.5}, {3.0, 0.1, 7.0}};
    for (const std::vector<double>& y : states) {
        const double exact[3][3] = {
            {y[1], y[0], 0.0},
            {0.0, -1.0, 2.0 * y[2]},
            {1.0, y[2] / ((1.0 + y[1]) * (1.0 + y[1])), -1.0 / (1.0 + y[1])},
        };
        double fy[3];
        threeVariables(y.data(), fy);
        const double scale[3] = {1e-6, 1e-6, 1e-6};
        std::vector<double> values(static_cast<std::size_t>(jacobian.nonZeros()));
        jacobian.evaluate(y.data(), fy, scale, threeVariables, values.data());
        for (int j = 0; j < 3; ++j) {
            for (int k = jacobian.columnStarts()[static_cast<std::size_t>(j)];
                 k < jacobian.columnStarts()[static_cast<std::size_t>(j) + 1]; ++k) {
                const int i = jacobian.rows()[static_cast<std::size_t>(k)];
                EXPECT_NEAR(values[static_cast<std::size_t>(k)], exact[i][j],
                            1e-6 * (1.0 + std::fabs(exact[i][j])))
                    << "entry " << i << ", " << j;
            }
        }
    }
}

} // namespace
} // namespace narv
