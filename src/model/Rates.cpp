#include "model/Rates.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace narv {
namespace {

constexpr double kVariableOrderFloor = 1e-12;

// How a recorded factor changes the running product r.
enum : std::uint8_t {
    kKeep,           // r unchanged
    kTimes,          // r * a
    kTimesOver,      // r * a / b
    kTimesTwiceOver, // r * a * a / b
    kZero,           // 0
    kLive,           // reads oxygen or kla: evaluated every time
};

using detail::RecordedFactor;

enum class Fault { ZeroDivide, Overflow, SecondSpecies };

// Cold path: builds the message only when the evaluation fails.
[[noreturn]] [[gnu::cold]] [[gnu::noinline]] void fail(const TModelDef& model, Fault fault,
                                                       int process, bool dissolved, int species,
                                                       int secondSpecies = 0)
{
    const std::string& name = dissolved ? model.NameS[species] : model.NameX[species];
    const std::string where = fmt::format("process {} \"{}\", factor of species \"{}\"", process,
                                          model.ProcessName[process], name);
    switch (fault) {
    case Fault::ZeroDivide:
        throw FloatingPointError("Floating point division by zero in the rate of " + where + ".");
    case Fault::Overflow:
        throw FloatingPointError("Floating point overflow in the rate of " + where + ".");
    case Fault::SecondSpecies:
        break;
    }
    throw IndexError(fmt::format("The second species {} of {} lies outside 1..{}.", secondSpecies,
                                 where, MaxSpecies));
}

// Integer power by repeated multiplication; e < 0 gives 1 / x^|e|. Returns false on a zero
// denominator. Once the product is 0, infinite or of magnitude 1 it keeps that magnitude, so
// the loop stops there and only the sign of the remaining multiplications is applied: an
// absurd exponent read from a file cannot stall the evaluation.
inline bool integerPower(double x, int e, double& result)
{
    double power = 1.0;
    const long long count = e < 0 ? -static_cast<long long>(e) : e;
    for (long long i = 0; i < count; ++i) {
        power = power * x;
        if (power == 0.0 || std::isinf(power) || std::fabs(x) == 1.0) {
            if (std::signbit(x) && (count - 1 - i) % 2 == 1)
                power = -power;
            break;
        }
    }
    if (e >= 0) {
        result = power;
        return true;
    }
    if (power == 0.0)
        return false;
    result = 1.0 / power;
    return true;
}

template <class T> inline const T* row(const Array2<T, MaxProcesses, MaxSpecies>& table, int p)
{
    return table.data()[p - 1].data();
}

// sum[j] = the sum of coefficients[p][j] * rho[p] over p = 2..np for j < Count, each from +0
// with its terms in process order, and sum[j] = 0 for Count <= j < MaxSpecies. The count is a
// constant, so that the sums stay in vector registers for the whole loop and only the results
// are stored. Returns whether every sum is finite (x * 0 is 0 for finite x and NaN otherwise).
template <int Count>
bool sumTerms(double* __restrict sum, const Array2<double, MaxProcesses, MaxSpecies>& coefficients,
              const double* __restrict rho, int np)
{
#if defined(__SSE2__)
    constexpr int Pairs = Count / 2;
    const __m128d zero = _mm_setzero_pd();
    __m128d pairs[Pairs > 0 ? Pairs : 1];
    for (int k = 0; k < Pairs; ++k)
        pairs[k] = zero;
    double odd = 0.0;
    for (int p = 2; p <= np; ++p) {
        const double* __restrict coefficient = row(coefficients, p);
        const double rate = rho[p - 1];
        const __m128d rates = _mm_set1_pd(rate);
        for (int k = 0; k < Pairs; ++k)
            pairs[k] = _mm_add_pd(pairs[k], _mm_mul_pd(_mm_loadu_pd(coefficient + 2 * k), rates));
        if constexpr (Count % 2 == 1)
            odd = odd + coefficient[Count - 1] * rate;
    }
    __m128d probe = zero;
    for (int k = 0; k < Pairs; ++k) {
        _mm_storeu_pd(sum + 2 * k, pairs[k]);
        probe = _mm_add_pd(probe, _mm_mul_pd(pairs[k], zero));
    }
    int j = 2 * Pairs;
    if constexpr (Count % 2 == 1)
        sum[j++] = odd;
    // Whole vector stores for the zeros, where a library call would cost more than the stores.
#pragma GCC unroll 16
    for (; j + 2 <= MaxSpecies; j += 2)
        _mm_storeu_pd(sum + j, zero);
    if (j < MaxSpecies)
        _mm_store_sd(sum + j, zero);
    double lanes[2];
    _mm_storeu_pd(lanes, probe);
    const double check = lanes[0] + lanes[1] + odd * 0.0;
    return check == check;
#else
    double sums[Count > 0 ? Count : 1] = {};
    for (int p = 2; p <= np; ++p) {
        const double* __restrict coefficient = row(coefficients, p);
        const double rate = rho[p - 1];
        for (int j = 0; j < Count; ++j)
            sums[j] = sums[j] + coefficient[j] * rate;
    }
    double probe = 0.0;
    for (int j = 0; j < Count; ++j) {
        sum[j] = sums[j];
        probe = probe + sums[j] * 0.0;
    }
    for (int j = Count; j < MaxSpecies; ++j)
        sum[j] = 0.0;
    return probe == probe;
#endif
}

using SumTerms = bool (*)(double*, const Array2<double, MaxProcesses, MaxSpecies>&, const double*,
                          int);
template <int... Count>
constexpr std::array<SumTerms, sizeof...(Count)> sumTermsTable(std::integer_sequence<int, Count...>)
{
    return {&sumTerms<Count>...};
}
// By species count, 0..MaxSpecies.
constexpr auto kSumTerms = sumTermsTable(std::make_integer_sequence<int, MaxSpecies + 1>());

// Bit j is set where row[j] != 0, for j < count. Most factors of a model are of type 0; visiting
// only the others, in ascending j, gives the same products as the full scan.
inline std::uint32_t nonZeroMask(const int* row, int count)
{
    std::uint32_t zero = 0;
    int j = 0;
#if defined(__SSE2__)
    // Whole groups of four inside the row of 25 (the last one reads at most entry 24).
    const __m128i none = _mm_setzero_si128();
    for (; j < count && j + 4 <= MaxSpecies; j += 4) {
        const __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j));
        const int bits = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(values, none)));
        zero |= static_cast<std::uint32_t>(bits) << j;
    }
#endif
    for (; j < count; ++j)
        zero |= static_cast<std::uint32_t>(row[j] == 0) << j;
    return ~zero & ((1u << count) - 1u);
}

inline bool finite(double value)
{
    return std::isfinite(value);
}

// Records what a factor did, when recording.
template <bool Record>
inline void note(RecordedFactor* record, std::uint8_t op, double a = 1.0, double b = 1.0)
{
    if constexpr (Record)
        *record = {a, b, op == kTimesTwiceOver ? a : 1.0, op};
}

// The factor of dissolved species j (0-based) of process p on the running product r. Sets
// floored when it raises s[j] to its floor; records the factor when Record.
template <bool Record>
inline double dissolvedFactor(TModelDef& model, int p, int j, int type, double r, double* s,
                              double kla, bool& floored, RecordedFactor* record)
{
    const double K = row(model.KST, p)[j];
    const int second = row(model.Compound2S, p)[j];
    switch (type) {
    case 1:
        r = r * s[j];
        note<Record>(record, kTimes, s[j]);
        break;
    case 2: {
        if (s[j] < kVariableOrderFloor) {
            s[j] = kVariableOrderFloor;
            floored = true;
        }
        const double n = row(model.KS, p)[j]; // exponents act at their base values
        const double power = std::exp(n * std::log(s[j]));
        if (!finite(power))
            fail(model, Fault::Overflow, p, true, j + 1);
        r = r * power;
        note<Record>(record, kTimes, power);
        break;
    }
    case 3:
    case 4: {
        const double denominator = K + s[j];
        if (denominator == 0.0)
            fail(model, Fault::ZeroDivide, p, true, j + 1);
        if (!finite(denominator))
            fail(model, Fault::Overflow, p, true, j + 1);
        r = r * (type == 3 ? s[j] : K) / denominator;
        note<Record>(record, kTimesOver, type == 3 ? s[j] : K, denominator);
        break;
    }
    case 5: {
        if (second < 1 || second > MaxSpecies)
            fail(model, Fault::SecondSpecies, p, true, j + 1, second);
        const double v = (K + s[j]) * (s[j] + s[second - 1]);
        if (!finite(v))
            fail(model, Fault::Overflow, p, true, j + 1);
        r = v > 0.0 ? r * s[j] * s[j] / v : 0.0;
        if (v > 0.0)
            note<Record>(record, second == 1 ? kLive : kTimesTwiceOver, s[j], v);
        else
            note<Record>(record, second == 1 ? kLive : kZero);
        break;
    }
    case 6:
        r = r * kla * (s[j] - K);
        note<Record>(record, kLive);
        break;
    case 7: {
        const double growth = std::exp(K * s[j]);
        if (!finite(growth))
            fail(model, Fault::Overflow, p, true, j + 1);
        r = r * growth;
        note<Record>(record, kTimes, growth);
        break;
    }
    case 8:
    case 9: {
        double powerS = 0.0;
        double powerK = 0.0;
        if (!integerPower(s[j], second, powerS) || !integerPower(K, second, powerK))
            fail(model, Fault::ZeroDivide, p, true, j + 1);
        const double denominator = powerS + powerK;
        if (!finite(powerS) || !finite(powerK) || !finite(denominator))
            fail(model, Fault::Overflow, p, true, j + 1);
        if (denominator == 0.0)
            fail(model, Fault::ZeroDivide, p, true, j + 1);
        r = r * (type == 8 ? powerS : powerK) / denominator;
        note<Record>(record, kTimesOver, type == 8 ? powerS : powerK, denominator);
        break;
    }
    case 10:
        r = r * (s[j] - K);
        note<Record>(record, kTimes, s[j] - K);
        break;
    case 11:
        if (second < 1 || second > MaxSpecies)
            fail(model, Fault::SecondSpecies, p, true, j + 1, second);
        r = r * (s[j] - K * s[second - 1]);
        note<Record>(record, second == 1 ? kLive : kTimes, s[j] - K * s[second - 1]);
        break;
    default:
        note<Record>(record, kKeep);
        break; // a type outside the table contributes no factor
    }
    if (!finite(r))
        fail(model, Fault::Overflow, p, true, j + 1);
    if constexpr (Record)
        if (j == 0)
            record->op = kLive;
    return r;
}

// The factor of particulate species j (0-based) of process p on the running product r; as
// dissolvedFactor. None of them reads oxygen or kla.
template <bool Record>
inline double particulateFactor(TModelDef& model, int p, int j, int type, double r, double* x,
                                bool& floored, RecordedFactor* record)
{
    const double K = row(model.KXT, p)[j];
    switch (type) {
    case 1:
        r = r * x[j];
        note<Record>(record, kTimes, x[j]);
        break;
    case 2: {
        if (x[j] < kVariableOrderFloor) {
            x[j] = kVariableOrderFloor;
            floored = true;
        }
        const double n = row(model.KX, p)[j];
        const double power = std::exp(n * std::log(x[j]));
        if (!finite(power))
            fail(model, Fault::Overflow, p, false, j + 1);
        r = r * power;
        note<Record>(record, kTimes, power);
        break;
    }
    case 3:
    case 4:
    case 5: {
        const int second = row(model.Compound2X, p)[j];
        if (second < 1 || second > MaxSpecies)
            fail(model, Fault::SecondSpecies, p, false, j + 1, second);
        const double x2 = x[second - 1];
        if (x2 <= 0.0) {
            if (type == 4)
                r = 0.0;
            note<Record>(record, type == 4 ? kZero : kKeep);
            break;
        }
        const double q = x[j] / x2;
        if (!finite(q))
            fail(model, Fault::Overflow, p, false, j + 1);
        if (type == 5) {
            double a = K - q;
            if (a < 0.0)
                a = 0.0;
            const double denominator = 1.05 * K - q;
            if (denominator == 0.0)
                fail(model, Fault::ZeroDivide, p, false, j + 1);
            r = r * a / denominator;
            note<Record>(record, kTimesOver, a, denominator);
            break;
        }
        const double denominator = q + K;
        if (denominator == 0.0)
            fail(model, Fault::ZeroDivide, p, false, j + 1);
        if (!finite(denominator))
            fail(model, Fault::Overflow, p, false, j + 1);
        r = r * (type == 3 ? q : K) / denominator;
        note<Record>(record, kTimesOver, type == 3 ? q : K, denominator);
        break;
    }
    default:
        note<Record>(record, kKeep);
        break;
    }
    if (!finite(r))
        fail(model, Fault::Overflow, p, false, j + 1);
    return r;
}

// The factors most models are made of, first-order terms and Monod or inhibition terms, formed
// inline with the operations and checks of dissolvedFactor and particulateFactor; false where
// those must form the factor (another type, or a check that fails, which they report).
template <bool Record>
[[gnu::always_inline]] inline bool quickFactor(int type, double K, double value, double& r,
                                               RecordedFactor* record)
{
    if (type == 1) {
        const double product = r * value;
        if (!finite(product))
            return false;
        r = product;
        note<Record>(record, kTimes, value);
        return true;
    }
    if (type == 3 || type == 4) {
        const double denominator = K + value;
        const double a = type == 3 ? value : K;
        const double product = r * a / denominator;
        if (denominator == 0.0 || !finite(denominator) || !finite(product))
            return false;
        r = product;
        note<Record>(record, kTimesOver, a, denominator);
        return true;
    }
    return false;
}

inline double aerationRate(TModelDef& model, const double* s, double kla, double o2Saturation)
{
    const double rate = (o2Saturation - s[0]) * kla;
    if (!finite(rate))
        fail(model, Fault::Overflow, 1, true, 1);
    return rate;
}

// The biased binary exponent E of a finite non-negative value v: v < 2^(E - 1022), and
// v >= 2^(E - 1023) where v is normal.
inline int biasedExponent(double v)
{
    return static_cast<int>((std::bit_cast<std::uint64_t>(v) >> 52) & 0x7ff);
}

// For a process whose only factor that reads oxygen or kla is K/(K + O) or O/(K + O) of oxygen,
// followed by product factors only, the oxygen concentrations O in [0, limit] at which a
// sub-step need not evaluate it, or -1.
//
// That factor lies in [0, 1] and is formed as (r * K or r * O) / (K + O); the factors after it
// form r * a * c / b with the recorded operands. With K > 0 and every magnitude they can reach,
// intermediate results included, below 2^990 (bounded by |prefix| * max(1, K + O) times the
// product of max(1, |a|) * max(1, |c|) over the product of min(1, |b|)), none of them can
// overflow or divide by 0, and the other checks of those factors do not depend on oxygen.
// Formed from binary exponents: no division on the recording path.
double guardLimit(const TModelDef& model, int p, const detail::RecordedProcess& process,
                  const RecordedFactor* recorded, int end)
{
    const double K = row(model.KST, p)[0];
    if (!(K > 0.0) || !(K < 0x1p989))
        return -1.0;
    double numerator = std::fabs(process.prefix);
    double denominator = 1.0;
    for (const RecordedFactor* f = recorded + process.first + 1; f != recorded + end; ++f) {
        const double a = std::fabs(f->a);
        const double b = std::fabs(f->b);
        const double c = std::fabs(f->c);
        numerator = numerator * (a > 1.0 ? a : 1.0) * (c > 1.0 ? c : 1.0);
        denominator = denominator * (b < 1.0 ? b : 1.0);
    }
    // numerator / denominator < 2^excess; a subnormal denominator would give no sure bound.
    if (!(numerator < 0x1p990) || !(denominator >= 0x1p-1000))
        return -1.0;
    const int excess = biasedExponent(numerator) - biasedExponent(denominator) + 1;
    if (excess > 990)
        return -1.0;
    // K + O < 2^(990 - max(0, excess)) * (1 + eps), so its product with the bound stays below
    // 2^990 * (1 + eps).
    const int exponent = 990 - (excess > 0 ? excess : 0);
    const double limit =
        std::bit_cast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52) - K;
    return limit >= 0.0 ? limit : -1.0;
}

// RS[j] and RX[j] from Rho, the sums of the dense coefficient rows: summing a zero
// coefficient's term changes nothing, as every rate is finite here and the sums start at +0, so
// the terms are added without a branch. The counts lie in 0..25. A sum that is not finite
// clears both rows and fails, naming its species.
void sumConversionRows(TModelDef& model, int ns, int nx, int np)
{
    double* rs = model.RS.data();
    double* rx = model.RX.data();
    const double* rho = model.Rho.data();
    const bool finiteS = kSumTerms[static_cast<std::size_t>(ns)](rs, model.NueS, rho, np);
    const bool finiteX = kSumTerms[static_cast<std::size_t>(nx)](rx, model.NueX, rho, np);
    if (finiteS && finiteX) [[likely]]
        return;
    for (int j = 0; j < MaxSpecies; ++j) {
        if (finite(rs[j]) && finite(rx[j]))
            continue;
        const std::string& name = finite(rs[j]) ? model.NameX[j + 1] : model.NameS[j + 1];
        model.RS.fill(0.0); // the failed sums do not stay behind
        model.RX.fill(0.0);
        throw FloatingPointError(
            fmt::format("Floating point overflow in the conversion rate of species \"{}\".", name));
    }
}

// The dissolved factors of process p on r for the species in left, the first of them one that
// quickFactor does not form.
[[gnu::noinline]] double dissolvedFactors(TModelDef& model, int p, std::uint32_t left, double r,
                                          double* s, double kla, bool& floored)
{
    const int* type = row(model.TypeS, p);
    const double* kst = row(model.KST, p);
    int j = std::countr_zero(left);
    r = dissolvedFactor<false>(model, p, j, type[j], r, s, kla, floored, nullptr);
    for (left &= left - 1; left != 0; left &= left - 1) {
        j = std::countr_zero(left);
        if (!quickFactor<false>(type[j], kst[j], s[j], r, nullptr))
            r = dissolvedFactor<false>(model, p, j, type[j], r, s, kla, floored, nullptr);
    }
    return r;
}

// As dissolvedFactors for the particulate factors.
[[gnu::noinline]] double particulateFactors(TModelDef& model, int p, std::uint32_t left, double r,
                                            double* x, bool& floored)
{
    const int* type = row(model.TypeX, p);
    int j = std::countr_zero(left);
    r = particulateFactor<false>(model, p, j, type[j], r, x, floored, nullptr);
    for (left &= left - 1; left != 0; left &= left - 1) {
        j = std::countr_zero(left);
        if (type[j] != 1 || !quickFactor<false>(1, 0.0, x[j], r, nullptr))
            r = particulateFactor<false>(model, p, j, type[j], r, x, floored, nullptr);
    }
    return r;
}

} // namespace

[[gnu::always_inline]] inline void processRates(TModelDef& model, SpeciesArray& S,
                                                SpeciesArray& X, double kla, double o2Saturation)
{
    CheckModelCounts(model);
    double* s = S.data();
    double* x = X.data();
    double* rho = model.Rho.data();
    rho[0] = aerationRate(model, s, kla, o2Saturation);
    const int ns = model.NS;
    const int nx = model.NX;
    bool floored = false;
    for (int p = 2; p <= model.NP; ++p) {
        // p lies in 2..NP <= 50: the rows are taken unchecked.
        const int* typeS = row(model.TypeS, p);
        const int* typeX = row(model.TypeX, p);
        const double* kst = row(model.KST, p);
        double r = model.KrT.data()[p - 1];
        // The quick factors in a loop without calls; from the first other factor on, the rest
        // of the row out of line.
        std::uint32_t left = nonZeroMask(typeS, ns);
        for (; left != 0; left &= left - 1) {
            const int j = std::countr_zero(left);
            if (!quickFactor<false>(typeS[j], kst[j], s[j], r, nullptr)) [[unlikely]]
                break;
        }
        if (left != 0) [[unlikely]]
            r = dissolvedFactors(model, p, left, r, s, kla, floored);
        left = nonZeroMask(typeX, nx);
        for (; left != 0; left &= left - 1) {
            const int j = std::countr_zero(left);
            // Only the first-order term is quick: the particulate Monod terms read a ratio.
            if (typeX[j] != 1 || !quickFactor<false>(1, 0.0, x[j], r, nullptr)) [[unlikely]]
                break;
        }
        if (left != 0) [[unlikely]]
            r = particulateFactors(model, p, left, r, x, floored);
        rho[p - 1] = r;
    }
}

void ComputeProcessRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                         double o2Saturation)
{
    processRates(model, S, X, kla, o2Saturation);
}

void ComputeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                            double o2Saturation)
{
    processRates(model, S, X, kla, o2Saturation);
    sumConversionRows(model, model.NS, model.NX, model.NP);
}

void ComputeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                       double o2Saturation)
{
    ComputeProcessRates(model, S, X, kla, o2Saturation);
    double sum = 0.0;
    for (int p = 2; p <= model.NP; ++p) {
        const double nue = row(model.NueS, p)[0];
        if (nue != 0.0)
            sum += nue * model.Rho.data()[p - 1];
    }
    if (!finite(sum))
        throw FloatingPointError(fmt::format(
            "Floating point overflow in the conversion rate of species \"{}\".", model.NameS[1]));
    model.RS.data()[0] = sum;
}

RatePlan::RatePlan(const TModelDef& model)
{
    CheckModelCounts(model);
    m_ns = model.NS;
    m_nx = model.NX;
    m_np = model.NP;
    m_factorStart.assign(static_cast<std::size_t>(m_np + 2), 0);
    for (int p = 2; p <= m_np; ++p) {
        m_factorStart[static_cast<std::size_t>(p)] = static_cast<int>(m_factors.size());
        for (int j = 1; j <= m_ns; ++j)
            if (model.TypeS[p][j] != 0)
                m_factors.push_back({static_cast<std::uint8_t>(j - 1),
                                     static_cast<std::uint8_t>(model.TypeS[p][j]), true});
        for (int j = 1; j <= m_nx; ++j)
            if (model.TypeX[p][j] != 0)
                m_factors.push_back({static_cast<std::uint8_t>(j - 1),
                                     static_cast<std::uint8_t>(model.TypeX[p][j]), false});
        if (model.NueS[p][1] != 0.0)
            m_oxygenProcesses.push_back(p);
    }
    m_oxygenCoefficient.assign(static_cast<std::size_t>(m_np + 1), false);
    for (const int p : m_oxygenProcesses)
        m_oxygenCoefficient[static_cast<std::size_t>(p)] = true;
    m_factorStart[static_cast<std::size_t>(m_np + 1)] = static_cast<int>(m_factors.size());
}

namespace {
[[noreturn]] [[gnu::cold]] [[gnu::noinline]] void modelChanged()
{
    throw SimulationError(
        "The model was changed while a computation used it; start the computation again.");
}
} // namespace

inline void RatePlan::checkCounts(const TModelDef& model) const
{
    if (model.NS != m_ns || model.NX != m_nx || model.NP != m_np) [[unlikely]]
        modelChanged();
}

template <bool Record>
bool RatePlan::evaluate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                        double o2Saturation, OxygenRateCache* cache) const
{
    checkCounts(model);
    double* s = S.data();
    double* x = X.data();
    double* rho = model.Rho.data();
    rho[0] = aerationRate(model, s, kla, o2Saturation);
    if constexpr (Record) {
        // Keep their capacities.
        cache->m_visits.clear();
        cache->m_evaluated.clear();
        cache->m_guardLimit = std::numeric_limits<double>::infinity();
    }
    bool floored = false;
    for (int p = 2; p <= m_np; ++p) {
        double r = model.KrT.data()[p - 1];
        const int begin = m_factorStart[static_cast<std::size_t>(p)];
        const int end = m_factorStart[static_cast<std::size_t>(p + 1)];
        detail::RecordedProcess* process = nullptr;
        int live = 0;              // factors that read oxygen or kla
        bool productForm = false;  // the first of them a Monod or inhibition term of oxygen,
                                   // and all factors after it products
        if constexpr (Record) {
            process = &cache->m_processes[static_cast<std::size_t>(p)];
            process->first = end;
        }
        const double* kst = row(model.KST, p);
        for (int k = begin; k != end; ++k) {
            const Entry& f = m_factors[static_cast<std::size_t>(k)];
            RecordedFactor* record = nullptr;
            if constexpr (Record)
                record = &cache->m_factors[static_cast<std::size_t>(k)];
            const double before = r;
            if (f.dissolved) {
                if (quickFactor<Record>(f.type, kst[f.species], s[f.species], r, record)) {
                    if constexpr (Record)
                        if (f.species == 0)
                            record->op = kLive;
                } else {
                    r = dissolvedFactor<Record>(model, p, f.species, f.type, r, s, kla, floored,
                                                record);
                }
            } else if (f.type != 1 || !quickFactor<Record>(1, 0.0, x[f.species], r, record)) {
                r = particulateFactor<Record>(model, p, f.species, f.type, r, x, floored, record);
            }
            if constexpr (Record) {
                if (record->op == kLive && live++ == 0) {
                    process->first = k;
                    process->prefix = before;
                    productForm =
                        f.dissolved && f.species == 0 && (f.type == 3 || f.type == 4);
                } else if (record->op == kLive || record->op == kZero) {
                    productForm = false; // kZero sets +0, whatever the sign of r
                }
            }
        }
        if constexpr (Record) {
            cache->m_rates[static_cast<std::size_t>(p - 1)] = r;
            if (live == 0)
                process->prefix = r;
            else
                recordVisit(model, p, productForm, *cache);
        }
        rho[p - 1] = r;
    }
    if constexpr (Record) {
        // A floor raises oxygen to kVariableOrderFloor at most, and a value in [0, that] must
        // keep every guard holding.
        if (!(cache->m_guardLimit >= kVariableOrderFloor))
            cache->m_guardLimit = -1.0;
        cache->m_valid = !floored;
    }
    return !floored;
}

void RatePlan::recordVisit(const TModelDef& model, int p, bool productForm,
                           OxygenRateCache& cache) const
{
    const detail::RecordedProcess& process = cache.m_processes[static_cast<std::size_t>(p)];
    const int end = m_factorStart[static_cast<std::size_t>(p + 1)];
    detail::SubStepVisit visit;
    visit.process = p;
    if (productForm) {
        visit.form = m_factors[static_cast<std::size_t>(process.first)].type;
        visit.prefix = process.prefix;
        visit.K = row(model.KST, p)[0];
        visit.tailBegin = process.first + 1;
        visit.tailEnd = end;
        if (!m_oxygenCoefficient[static_cast<std::size_t>(p)]) {
            visit.limit = guardLimit(model, p, process, cache.m_factors.data(), end);
            if (visit.limit >= 0.0) {
                if (visit.limit < cache.m_guardLimit)
                    cache.m_guardLimit = visit.limit;
                cache.m_visits.push_back(visit);
                return;
            }
        }
    }
    cache.m_visits.push_back(visit);
    cache.m_evaluated.push_back(visit);
}

bool RatePlan::computeProcessRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                                   double o2Saturation) const
{
    return evaluate<false>(model, S, X, kla, o2Saturation, nullptr);
}

void RatePlan::sumConversionRates(TModelDef& model) const
{
    sumConversionRows(model, m_ns, m_nx, m_np);
}

inline void RatePlan::sumOxygenRate(TModelDef& model) const
{
    double sum = 0.0;
    for (const int p : m_oxygenProcesses)
        sum += row(model.NueS, p)[0] * model.Rho.data()[p - 1];
    if (!finite(sum))
        throw FloatingPointError(fmt::format(
            "Floating point overflow in the conversion rate of species \"{}\".", model.NameS[1]));
    model.RS.data()[0] = sum;
}

bool RatePlan::computeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X,
                                      double kla, double o2Saturation) const
{
    const bool settled = evaluate<false>(model, S, X, kla, o2Saturation, nullptr);
    sumConversionRates(model);
    return settled;
}

void RatePlan::computeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                                 double o2Saturation) const
{
    evaluate<false>(model, S, X, kla, o2Saturation, nullptr);
    sumOxygenRate(model);
}

void RatePlan::prepare(OxygenRateCache& cache) const
{
    cache.m_factors.resize(m_factors.size());
    cache.m_processes.resize(static_cast<std::size_t>(m_np + 1));
    cache.m_rates.assign(static_cast<std::size_t>(m_np), 0.0);
    cache.m_visits.clear();
    cache.m_visits.reserve(static_cast<std::size_t>(m_np));
    cache.m_evaluated.clear();
    cache.m_evaluated.reserve(static_cast<std::size_t>(m_np));

    cache.m_valid = false;
}

void RatePlan::computeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X,
                                      double kla, double o2Saturation,
                                      OxygenRateCache& cache) const
{
    cache.m_valid = false; // stays so when the evaluation fails
    evaluate<true>(model, S, X, kla, o2Saturation, &cache);
    sumConversionRates(model);
}

double RatePlan::replayProcess(TModelDef& model, int p, SpeciesArray& S, SpeciesArray& X,
                              double kla, const OxygenRateCache& cache, bool& floored) const
{
    double* s = S.data();
    const detail::RecordedProcess& process = cache.m_processes[static_cast<std::size_t>(p)];
    const int end = m_factorStart[static_cast<std::size_t>(p + 1)];
    double r = process.prefix;
    // The same operations on the same operands in the same order as the full evaluation. A
    // product that is not finite stays so until a factor sets it to 0; there, and at the end,
    // such a product goes back to the full evaluation, which fails at the factor that made it
    // so.
    bool fallBack = false;
    for (int k = process.first; k != end && !fallBack; ++k) {
        const RecordedFactor& f = cache.m_factors[static_cast<std::size_t>(k)];
        switch (f.op) {
        case kTimes:
            r = r * f.a;
            break;
        case kTimesOver:
            r = r * f.a / f.b;
            break;
        case kTimesTwiceOver:
            r = r * f.a * f.a / f.b;
            break;
        case kZero:
            fallBack = !finite(r);
            r = 0.0;
            break;
        case kLive: {
            fallBack = !finite(r);
            if (fallBack)
                break;
            const Entry& e = m_factors[static_cast<std::size_t>(k)];
            if (e.type == 3 || e.type == 4) {
                // The Monod and inhibition terms as dissolvedFactor forms them; whatever would
                // fail goes there.
                const double K = row(model.KST, p)[e.species];
                const double denominator = K + s[e.species];
                const double value =
                    r * (e.type == 3 ? s[e.species] : K) / denominator;
                if (denominator != 0.0 && finite(denominator) && finite(value)) {
                    r = value;
                    break;
                }
            }
            r = dissolvedFactor<false>(model, p, e.species, e.type, r, s, kla, floored, nullptr);
            break;
        }
        default:
            break;
        }
    }
    if (fallBack || !finite(r)) {
        r = model.KrT.data()[p - 1];
        const int begin = m_factorStart[static_cast<std::size_t>(p)];
        for (int k = begin; k != end; ++k) {
            const Entry& e = m_factors[static_cast<std::size_t>(k)];
            r = e.dissolved ? dissolvedFactor<false>(model, p, e.species, e.type, r, s, kla,
                                                     floored, nullptr)
                            : particulateFactor<false>(model, p, e.species, e.type, r, X.data(),
                                                       floored, nullptr);
        }
    }
    return r;
}

inline double RatePlan::visitRate(TModelDef& model, const detail::SubStepVisit& visit, SpeciesArray& S,
                           SpeciesArray& X, double kla, const OxygenRateCache& cache,
                           bool& floored) const
{
    if (visit.form != 0) {
        // As dissolvedFactor and the replay form it. A product that is not finite stays so to
        // the end; then, and for a denominator that fails, the replay finds the failure.
        const double oxygen = S.data()[0];
        const double denominator = visit.K + oxygen;
        double r = visit.prefix * (visit.form == 3 ? oxygen : visit.K) / denominator;
        const RecordedFactor* end = cache.m_factors.data() + visit.tailEnd;
        for (const RecordedFactor* f = cache.m_factors.data() + visit.tailBegin; f != end; ++f)
            r = r * f->a * f->c / f->b;
        if (denominator != 0.0 && finite(denominator) && finite(r)) [[likely]]
            return r;
    }
    return replayProcess(model, visit.process, S, X, kla, cache, floored);
}

void RatePlan::replay(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                      double o2Saturation, const OxygenRateCache& cache) const
{
    checkCounts(model);
    const double* s = S.data();
    double* rho = model.Rho.data();
    rho[0] = aerationRate(model, s, kla, o2Saturation);
    // The processes not visited read neither oxygen nor kla, or need not be evaluated: their
    // recorded rates stand.
    const double* rates = cache.m_rates.data();
    for (int p = 1; p < m_np; ++p)
        rho[p] = rates[p];
    bool floored = false;
    const double oxygen = s[0];
    if (oxygen >= 0.0 && oxygen <= cache.m_guardLimit) {
        for (const detail::SubStepVisit& visit : cache.m_evaluated)
            rho[visit.process - 1] = visitRate(model, visit, S, X, kla, cache, floored);
        return;
    }
    for (const detail::SubStepVisit& visit : cache.m_visits) {
        // Read at each visit: an evaluated process may have raised oxygen to its floor.
        const double value = s[0];
        if (value >= 0.0 && value <= visit.limit)
            continue;
        rho[visit.process - 1] = visitRate(model, visit, S, X, kla, cache, floored);
    }
}

void RatePlan::computeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                                 double o2Saturation, OxygenRateCache& cache) const
{
    if (cache.m_valid) {
        replay(model, S, X, kla, o2Saturation, cache);
    } else {
        evaluate<true>(model, S, X, kla, o2Saturation, &cache);
    }
    sumOxygenRate(model);
}

} // namespace narv
