#include "solvers/VectorOperations.h"

#include <nvector/nvector_serial.h>

#include <cmath>

namespace narv::detail {
namespace {

double* data(N_Vector v)
{
    return NV_DATA_S(v);
}

sunindextype length(N_Vector v)
{
    return NV_LENGTH_S(v);
}

// The cases of the serial vector's linear sum, which computes some of them in another order
// (a (x + y) rather than a x + a y).
void linearSum(double a, N_Vector x, double b, N_Vector y, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    const double* yd = data(y);
    double* zd = data(z);
    if (b == 1.0 && z == y) {
        for (sunindextype i = 0; i < n; ++i)
            zd[i] += a * xd[i];
        return;
    }
    if (a == 1.0 && z == x) {
        for (sunindextype i = 0; i < n; ++i)
            zd[i] += b * yd[i];
        return;
    }
    if (a == 1.0 && b == 1.0) {
        for (sunindextype i = 0; i < n; ++i)
            zd[i] = xd[i] + yd[i];
        return;
    }
    if ((a == 1.0 && b == -1.0) || (a == -1.0 && b == 1.0)) {
        const double* plus = a == 1.0 ? xd : yd;
        const double* minus = a == 1.0 ? yd : xd;
        for (sunindextype i = 0; i < n; ++i)
            zd[i] = plus[i] - minus[i];
        return;
    }
    if (a == 1.0 || b == 1.0) {
        const double c = a == 1.0 ? b : a;
        const double* scaled = a == 1.0 ? yd : xd;
        const double* added = a == 1.0 ? xd : yd;
        for (sunindextype i = 0; i < n; ++i)
            zd[i] = c * scaled[i] + added[i];
        return;
    }
    if (a == -1.0 || b == -1.0) {
        const double c = a == -1.0 ? b : a;
        const double* scaled = a == -1.0 ? yd : xd;
        const double* subtracted = a == -1.0 ? xd : yd;
        for (sunindextype i = 0; i < n; ++i)
            zd[i] = c * scaled[i] - subtracted[i];
        return;
    }
    if (a == b) {
        for (sunindextype i = 0; i < n; ++i)
            zd[i] = a * (xd[i] + yd[i]);
        return;
    }
    if (a == -b) {
        for (sunindextype i = 0; i < n; ++i)
            zd[i] = a * (xd[i] - yd[i]);
        return;
    }
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = a * xd[i] + b * yd[i];
}

void constant(double c, N_Vector z)
{
    const sunindextype n = length(z);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = c;
}

void product(N_Vector x, N_Vector y, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    const double* yd = data(y);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = xd[i] * yd[i];
}

void quotient(N_Vector x, N_Vector y, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    const double* yd = data(y);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = xd[i] / yd[i];
}

void scale(double c, N_Vector x, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = c * xd[i];
}

void absolute(N_Vector x, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = std::fabs(xd[i]);
}

void inverse(N_Vector x, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = 1.0 / xd[i];
}

void addConstant(N_Vector x, double b, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = xd[i] + b;
}

double dotProduct(N_Vector x, N_Vector y)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    const double* yd = data(y);
    double sum = 0.0;
    for (sunindextype i = 0; i < n; ++i)
        sum += xd[i] * yd[i];
    return sum;
}

double maxNorm(N_Vector x)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double largest = 0.0;
    for (sunindextype i = 0; i < n; ++i)
        if (std::fabs(xd[i]) > largest)
            largest = std::fabs(xd[i]);
    return largest;
}

double weightedSquareSum(N_Vector x, N_Vector w)
{
    return WeightedSquareSum(data(x), data(w), length(x));
}

double weightedSquareSumMasked(N_Vector x, N_Vector w, N_Vector id)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    const double* wd = data(w);
    const double* idd = data(id);
    double sum = 0.0;
    for (sunindextype i = 0; i < n; ++i) {
        if (idd[i] > 0.0) {
            const double p = xd[i] * wd[i];
            sum += p * p;
        }
    }
    return sum;
}

double rootOf(double x)
{
    return x <= 0.0 ? 0.0 : std::sqrt(x);
}

double wrmsNorm(N_Vector x, N_Vector w)
{
    return rootOf(weightedSquareSum(x, w) / static_cast<double>(length(x)));
}

double wrmsNormMasked(N_Vector x, N_Vector w, N_Vector id)
{
    return rootOf(weightedSquareSumMasked(x, w, id) / static_cast<double>(length(x)));
}

double minimum(N_Vector x)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double smallest = xd[0];
    for (sunindextype i = 1; i < n; ++i)
        if (xd[i] < smallest)
            smallest = xd[i];
    return smallest;
}

double weightedL2Norm(N_Vector x, N_Vector w)
{
    return rootOf(weightedSquareSum(x, w));
}

double l1Norm(N_Vector x)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double sum = 0.0;
    for (sunindextype i = 0; i < n; ++i)
        sum += std::fabs(xd[i]);
    return sum;
}

void compare(double c, N_Vector x, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double* zd = data(z);
    for (sunindextype i = 0; i < n; ++i)
        zd[i] = std::fabs(xd[i]) >= c ? 1.0 : 0.0;
}

sunbooleantype inverseTest(N_Vector x, N_Vector z)
{
    const sunindextype n = length(x);
    const double* xd = data(x);
    double* zd = data(z);
    bool zeroFound = false;
    for (sunindextype i = 0; i < n; ++i) {
        if (xd[i] == 0.0)
            zeroFound = true;
        else
            zd[i] = 1.0 / xd[i];
    }
    return zeroFound ? SUNFALSE : SUNTRUE;
}

// The fused operations do what SUNDIALS' fallbacks do without them: one scale or linear sum
// after the other, vector by vector (so that an operand that is also the result is read as
// those do).
int linearCombination(int count, double* c, N_Vector* x, N_Vector z)
{
    if (count < 1)
        return -1;
    scale(c[0], x[0], z);
    for (int k = 1; k < count; ++k)
        linearSum(c[k], x[k], 1.0, z, z);
    return 0;
}

int scaleAddMulti(int count, double* a, N_Vector x, N_Vector* y, N_Vector* z)
{
    if (count < 1)
        return -1;
    for (int k = 0; k < count; ++k)
        linearSum(a[k], x, 1.0, y[k], z[k]);
    return 0;
}

int linearSumArray(int count, double a, N_Vector* x, double b, N_Vector* y, N_Vector* z)
{
    if (count < 1)
        return -1;
    for (int k = 0; k < count; ++k)
        linearSum(a, x[k], b, y[k], z[k]);
    return 0;
}

int scaleArray(int count, double* c, N_Vector* x, N_Vector* z)
{
    if (count < 1)
        return -1;
    for (int k = 0; k < count; ++k)
        scale(c[k], x[k], z[k]);
    return 0;
}

int constantArray(int count, double c, N_Vector* z)
{
    if (count < 1)
        return -1;
    for (int k = 0; k < count; ++k)
        constant(c, z[k]);
    return 0;
}

int wrmsNormArray(int count, N_Vector* x, N_Vector* w, double* norms)
{
    if (count < 1)
        return -1;
    for (int k = 0; k < count; ++k)
        norms[k] = wrmsNorm(x[k], w[k]);
    return 0;
}

} // namespace

double WeightedSquareSum(const double* x, const double* w, long n)
{
    double sum[4] = {0.0, 0.0, 0.0, 0.0};
    long i = 0;
    for (; i + 4 <= n; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double p = x[i + k] * w[i + k];
            sum[k] += p * p;
        }
    }
    for (int k = 0; i < n; ++i, ++k) {
        const double p = x[i] * w[i];
        sum[k] += p * p;
    }
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
}

void InstallVectorOperations(N_Vector vector)
{
    N_Vector_Ops ops = vector->ops;
    ops->nvlinearsum = linearSum;
    ops->nvconst = constant;
    ops->nvprod = product;
    ops->nvdiv = quotient;
    ops->nvscale = scale;
    ops->nvabs = absolute;
    ops->nvinv = inverse;
    ops->nvaddconst = addConstant;
    ops->nvdotprod = dotProduct;
    ops->nvmaxnorm = maxNorm;
    ops->nvwrmsnorm = wrmsNorm;
    ops->nvwrmsnormmask = wrmsNormMasked;
    ops->nvmin = minimum;
    ops->nvwl2norm = weightedL2Norm;
    ops->nvl1norm = l1Norm;
    ops->nvcompare = compare;
    ops->nvinvtest = inverseTest;
    ops->nvlinearcombination = linearCombination;
    ops->nvscaleaddmulti = scaleAddMulti;
    ops->nvlinearsumvectorarray = linearSumArray;
    ops->nvscalevectorarray = scaleArray;
    ops->nvconstvectorarray = constantArray;
    ops->nvwrmsnormvectorarray = wrmsNormArray;
    ops->nvdotprodlocal = dotProduct;
    ops->nvmaxnormlocal = maxNorm;
    ops->nvminlocal = minimum;
    ops->nvl1normlocal = l1Norm;
    ops->nvinvtestlocal = inverseTest;
    ops->nvwsqrsumlocal = weightedSquareSum;
    ops->nvwsqrsummasklocal = weightedSquareSumMasked;
}

} // namespace narv::detail
