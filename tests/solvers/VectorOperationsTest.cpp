#include "solvers/VectorOperations.h"

#include <gtest/gtest.h>
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace narv {
namespace {

constexpr int kLength = 37;

struct Context {
    Context() { SUNContext_Create(nullptr, &context); }
    ~Context() { SUNContext_Free(&context); }
    SUNContext context = nullptr;
};

struct VectorDeleter {
    void operator()(_generic_N_Vector* v) const { N_VDestroy(v); }
};
using Vector = std::unique_ptr<_generic_N_Vector, VectorDeleter>;

// A pair of vectors with the same values: one with the serial vector's own operations, one
// with those installed, and cloned from such a vector (as the solvers' work vectors are).
struct Pair {
    Vector reference;
    Vector installed;
};

class VectorOperations : public ::testing::Test {
protected:
    Pair make()
    {
        Vector reference(N_VNew_Serial(kLength, m_context.context));
        Vector prototype(N_VNew_Serial(kLength, m_context.context));
        detail::InstallVectorOperations(prototype.get());
        Vector installed(N_VClone(prototype.get()));
        std::uniform_real_distribution<double> value(-3.0, 3.0);
        for (int i = 0; i < kLength; ++i) {
            const double x = i % 9 == 4 ? 0.0 : value(m_random);
            NV_Ith_S(reference.get(), i) = x;
            NV_Ith_S(installed.get(), i) = x;
        }
        return {std::move(reference), std::move(installed)};
    }

    static void expectSame(N_Vector reference, N_Vector installed)
    {
        EXPECT_EQ(std::memcmp(N_VGetArrayPointer(reference), N_VGetArrayPointer(installed),
                              kLength * sizeof(double)),
                  0);
    }

    Context m_context;
    std::mt19937 m_random{19};
};

// Every case of the serial linear sum (which computes some in another order), with the result
// a third vector or one of the operands.
TEST_F(VectorOperations, LinearSumMatchesTheSerialVectorToTheBit)
{
    const double coefficients[] = {1.0, -1.0, 0.0, 0.7, -0.7, 2.5, 1.0 / 3.0};
    for (const double a : coefficients) {
        for (const double b : coefficients) {
            for (int result = 0; result < 3; ++result) {
                SCOPED_TRACE(::testing::Message() << "a " << a << ", b " << b << ", result "
                                                  << result);
                Pair x = make();
                Pair y = make();
                Pair z = make();
                const auto pick = [&](Pair& p) { return result == 0 ? &z : result == 1 ? &x : &p; };
                Pair* out = pick(y);
                N_VLinearSum(a, x.reference.get(), b, y.reference.get(), out->reference.get());
                N_VLinearSum(a, x.installed.get(), b, y.installed.get(), out->installed.get());
                expectSame(out->reference.get(), out->installed.get());
            }
        }
    }
}

TEST_F(VectorOperations, ElementWiseOperationsAndNormsMatchTheSerialVector)
{
    Pair x = make();
    Pair w = make();
    Pair z = make();
    const auto both = [&](auto&& operation) {
        operation(x.reference.get(), w.reference.get(), z.reference.get());
        operation(x.installed.get(), w.installed.get(), z.installed.get());
        expectSame(z.reference.get(), z.installed.get());
    };
    both([](N_Vector a, N_Vector, N_Vector c) { N_VScale(0.3, a, c); });
    both([](N_Vector a, N_Vector, N_Vector c) { N_VScale(-1.0, a, c); });
    both([](N_Vector a, N_Vector, N_Vector) { N_VScale(1.7, a, a); });
    both([](N_Vector a, N_Vector b, N_Vector c) { N_VProd(a, b, c); });
    both([](N_Vector a, N_Vector, N_Vector c) { N_VAbs(a, c); });
    both([](N_Vector a, N_Vector, N_Vector c) { N_VAddConst(a, 0.25, c); });
    both([](N_Vector a, N_Vector, N_Vector c) { N_VCompare(1.0, a, c); });
    both([](N_Vector, N_Vector, N_Vector c) { N_VConst(4.5, c); });
    // Zeros in x: the division, inverse and inverse test see them.
    EXPECT_EQ(N_VInvTest(x.reference.get(), z.reference.get()),
              N_VInvTest(x.installed.get(), z.installed.get()));
    expectSame(z.reference.get(), z.installed.get());
    both([](N_Vector a, N_Vector b, N_Vector c) { N_VDiv(b, a, c); });
    both([](N_Vector a, N_Vector, N_Vector c) { N_VInv(a, c); });

    N_Vector xr = x.reference.get();
    N_Vector xi = x.installed.get();
    N_Vector wr = w.reference.get();
    N_Vector wi = w.installed.get();
    EXPECT_EQ(N_VWrmsNorm(xr, wr), N_VWrmsNorm(xi, wi));
    EXPECT_EQ(N_VWrmsNormMask(xr, wr, wr), N_VWrmsNormMask(xi, wi, wi));
    EXPECT_EQ(N_VWL2Norm(xr, wr), N_VWL2Norm(xi, wi));
    EXPECT_EQ(N_VDotProd(xr, wr), N_VDotProd(xi, wi));
    EXPECT_EQ(N_VMaxNorm(xr), N_VMaxNorm(xi));
    EXPECT_EQ(N_VL1Norm(xr), N_VL1Norm(xi));
    EXPECT_EQ(N_VMin(xr), N_VMin(xi));
    EXPECT_EQ(N_VWSqrSumLocal(xr, wr), N_VWSqrSumLocal(xi, wi));
    EXPECT_GT(N_VWrmsNorm(xi, wi), 0.0);
}

// The fused operations against SUNDIALS' fallbacks for a vector without them (the serial
// vector's default), including a result that is also the first operand.
TEST_F(VectorOperations, FusedOperationsMatchTheFallbacksToTheBit)
{
    for (int count = 1; count <= 5; ++count) {
        for (const bool inPlace : {false, true}) {
            for (const double first : {1.0, 0.6}) {
                SCOPED_TRACE(::testing::Message() << count << " vectors, in place " << inPlace
                                                  << ", first coefficient " << first);
                std::vector<Pair> operands;
                for (int k = 0; k < count; ++k)
                    operands.push_back(make());
                Pair z = make();
                std::vector<double> c{first, 0.6, -1.0, 1.0, 0.6};
                c.resize(static_cast<std::size_t>(count));
                std::vector<N_Vector> reference;
                std::vector<N_Vector> installed;
                for (Pair& p : operands) {
                    reference.push_back(p.reference.get());
                    installed.push_back(p.installed.get());
                }
                N_Vector zr = inPlace ? reference[0] : z.reference.get();
                N_Vector zi = inPlace ? installed[0] : z.installed.get();
                ASSERT_EQ(N_VLinearCombination(count, c.data(), reference.data(), zr), 0);
                ASSERT_EQ(N_VLinearCombination(count, c.data(), installed.data(), zi), 0);
                expectSame(zr, zi);

                // z_k := c_k x + y_k, into the operands themselves.
                ASSERT_EQ(N_VScaleAddMulti(count, c.data(), z.reference.get(), reference.data(),
                                           reference.data()),
                          0);
                ASSERT_EQ(N_VScaleAddMulti(count, c.data(), z.installed.get(), installed.data(),
                                           installed.data()),
                          0);
                ASSERT_EQ(N_VScaleVectorArray(count, c.data(), reference.data(),
                                              reference.data()),
                          0);
                ASSERT_EQ(N_VScaleVectorArray(count, c.data(), installed.data(),
                                              installed.data()),
                          0);
                for (int k = 0; k < count; ++k)
                    expectSame(reference[static_cast<std::size_t>(k)],
                               installed[static_cast<std::size_t>(k)]);
            }
        }
    }
}

} // namespace
} // namespace narv
